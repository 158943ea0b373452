#pragma once

#include "Abstand.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

// Videos as sources: their frames, upright and in RGB, one after the other or
// one at a time, decoded by FFmpeg's libraries.
namespace schnitt::video {

// Reasons, as they follow the file name in the log. A file that cannot be
// opened gets meldung::NichtGeladen with one of them (or meldung::GrundFehlt,
// GrundKeineDatei, GrundLeer).
inline constexpr QStringView GrundKeinVideo = u"die Datei ist kein Video";
inline constexpr QStringView GrundKeineVideospur = u"die Datei enthält keine Videospur";
// %1 the codec's name as FFmpeg gives it.
inline constexpr QStringView GrundCodec = u"das Videoformat %1 kann nicht dekodiert werden";
// %1 width, %2 height, %3 the limit in megabytes.
inline constexpr QStringView GrundZuGross =
    u"die Bilder des Videos sind mit %1 × %2 Pixeln größer als die Grenze von %3 MB";
inline constexpr QStringView GrundEndetMitten = u"die Datei endet mitten im Video";
inline constexpr QStringView GrundBeschaedigt = u"die Videodaten sind beschädigt";

// After the frames that could be read. %1 video file, %2 the number of the
// first frame that could not, %3 reason.
inline constexpr QStringView NichtLesbar = u"Error: %1: ab Bild %2 nicht lesbar: %3";

// Whether the file list and the batch take a file as a video: .mp4, .mov,
// .mkv, .webm or .avi, without regard to case.
bool istVideodatei(const QString& name);
// The file list's pattern for the same files.
QString videomuster();

struct Videobild
{
    qint64 nummer = 0; // 0, 1, 2, … in presentation order
    Zeit zeit;         // after frame 0
    QImage bild;       // Format_RGB32, upright
};

// Where reading stopped before the end.
struct Lesefehler
{
    qint64 abBild = 0; // the first frame that could not be read
    QString grund;
};

// One open video. Frames are numbered as they are shown, 0 being the first,
// and come out turned as the stream's display matrix says (as a phone's
// upright video stored on its side is played) and converted to 8-bit RGB by
// the stream's own colour matrix and range. Opening reads the whole file once
// without decoding, to number the frames and to find damage: a video that is
// cut short or damaged gives the frames before the damage and then a
// Lesefehler. Not for several threads at once; each Video on its own thread
// is fine. A batch reads with naechstesBild(auswahl) on one thread and hands
// each frame (a QImage, shared, not copied) to the threads that cut and
// encode it, so that decoding never waits for them.
class Video final
{
public:
    static Video ausDatei(const QString& pfad);
    // The same from bytes in memory (for the fuzz target).
    static Video ausSpeicher(QByteArray inhalt);

    Video(Video&&) noexcept;
    Video& operator=(Video&&) noexcept;
    ~Video();

    // Empty when the file could be opened, else why not. An unopened video
    // has no frames.
    QString fehlerBeimOeffnen() const;

    QSize groesse() const; // upright
    // The frames before any damage.
    qint64 bildanzahl() const;
    Zeit zeit(qint64 nummer) const; // 0 ≤ nummer < bildanzahl()
    // The container's creation_time, if it has one.
    std::optional<QDateTime> erstellt() const;
    // When frame `zeit` was taken: erstellt() plus the time; invalid without
    // erstellt().
    QDateTime aufnahmezeit(const Zeit& zeit) const;

    // The next frame after the last one given by these functions. Nothing at
    // the end of the video, and at damage, when fehler() tells where and why.
    std::optional<Videobild> naechstesBild();
    // The same, but only a frame that `auswahl` picks: it is asked for every
    // frame in turn; those it passes over are decoded (later ones need them)
    // but not converted.
    std::optional<Videobild> naechstesBild(Auswahl& auswahl);
    // Exactly frame `nummer`, decoded from the keyframe before it or onward
    // from the last frame given when that is nearer. Nothing for a number
    // outside 0 … bildanzahl() − 1, or when it cannot be read (fehler()).
    std::optional<Videobild> bild(qint64 nummer);
    const std::optional<Lesefehler>& fehler() const;

private:
    struct Innen;
    explicit Video(std::unique_ptr<Innen> innen);
    std::unique_ptr<Innen> m;
};

// How many frames `abstand` selects from the video.
qint64 ausgewaehlteBilder(const Video& video, Abstand abstand);

} // namespace schnitt::video
