#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// One direction's rectangle in pixels of the source picture. A width of 0
// means the direction is not configured.
struct FrameRechteck
{
    qint16 top = 0;
    qint16 left = 0;
    qint16 width = 0;
    qint16 height = 0;

    bool konfiguriert() const { return width != 0; }
    friend bool operator==(const FrameRechteck&, const FrameRechteck&) = default;
};

enum class Richtung { Vorwaerts, Links, Rechts, Zurueck };

struct RichtungsInfo
{
    Richtung richtung;
    const char16_t* name;    // section name in the files and check box caption
    char16_t buchstabe;      // letter in output file names
    const char16_t* meldung; // log line after a view has been saved
    int rahmenIndex;         // index of the frame label in the preview
};

// In the order of the sections of a frame configuration file.
inline constexpr std::array<RichtungsInfo, 4> richtungen = {{
    {Richtung::Vorwaerts, u"Vorwärts", u'V', u"Bild VORWÄRTS erstellt", 0},
    {Richtung::Links, u"Links", u'L', u"Bild LINKS erstellt", 2},
    {Richtung::Rechts, u"Rechts", u'R', u"Bild RECHTS erstellt", 1},
    {Richtung::Zurueck, u"Zurück", u'Z', u"Bild ZURÜCK erstellt", 3},
}};

inline const RichtungsInfo& info(Richtung r)
{
    return richtungen[static_cast<size_t>(r)];
}

// Views are always cut in this order, whatever order the boxes were ticked in.
inline constexpr std::array<Richtung, 4> schnittReihenfolge = {
    Richtung::Links, Richtung::Rechts, Richtung::Vorwaerts, Richtung::Zurueck};

// The overlay places the frames in this order; the one placed last lies in front.
inline constexpr std::array<Richtung, 4> overlayReihenfolge = {
    Richtung::Vorwaerts, Richtung::Rechts, Richtung::Links, Richtung::Zurueck};
