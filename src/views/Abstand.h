#pragma once

#include <QStringView>
#include <QtGlobal>

#include <optional>

// Which frames of a video are cut: every N-th, or one per stretch of time.
namespace schnitt::video {

// A presentation time as the container keeps it: `ticks` (0 or more) units of
// zaehler / nenner seconds (both above 0) after the video's first frame. Kept
// whole, so that a frame that lies exactly on a multiple of the spacing is
// found there, where floating point may put it a hair before.
struct Zeit
{
    qint64 ticks = 0;
    int zaehler = 1;
    int nenner = 1;

    double sekunden() const { return double(ticks) * zaehler / nenner; }
};

// Every `bilder`-th frame (frames 0, N, 2N, …), or with `bilder` 0 the first
// frame at or after each multiple of zaehler / nenner seconds.
struct Abstand
{
    qint64 bilder = 0;
    qint64 zaehler = 1;
    qint64 nenner = 1;

    friend bool operator==(const Abstand&, const Abstand&) = default;
};

// What a frame configuration file without its own spacing gets: one frame a second.
inline constexpr Abstand StandardAbstand{0, 1, 1};

// "25": every 25th frame; "2s", "0,5s", "0.5 s": seconds, with a comma or a
// point and at most six decimals. Nothing for 0, negative numbers, fractions
// of frames and anything else.
std::optional<Abstand> abstandLesen(QStringView text);

// Fed every frame of a video in presentation order, from frame 0 on, says
// whether the spacing picks it. A time spacing picks a frame when a multiple
// of it lies after the frame before and at or before this one, so a gap that
// spans several multiples gives one frame, not several.
class Auswahl final
{
public:
    explicit Auswahl(Abstand abstand = StandardAbstand)
        : m_abstand(abstand)
    {
    }

    bool operator()(qint64 nummer, const Zeit& zeit);

private:
    using Gross = __int128;

    Abstand m_abstand;
    std::optional<Gross> m_abschnittVorher;
};

} // namespace schnitt::video
