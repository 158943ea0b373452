#pragma once

#include "config/FrameKonfig.h"
#include "config/FrameRechteck.h"
#include "views/Abstand.h"

#include <QChar>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

namespace schnitt {

class Speicherbudget;

// One view to cut: the letter goes into the file name as passed. With
// `panorama` a perspective view of a 360° panorama of Width × Height pixels
// instead of the rectangle.
struct Schnitt
{
    QChar buchstabe;
    FrameRechteck rechteck;
    std::optional<frames::Panoramablick> panorama = std::nullopt;
    // Where the direction looks, degrees from Vorwärts: the view's heading
    // is the picture's plus this.
    double gier = 0;
};

class Kartenvorrat;

// Everything about how the views of a picture are made: the cuts, in the
// order L, R, V, Z, and what the frame configuration says about them.
struct Schnittplan
{
    Schnittplan() = default;
    // A plan of plain rectangles, BMP views, pixels as stored: as always.
    Schnittplan(QList<Schnitt> s)
        : schnitte(std::move(s))
    {
    }

    QList<Schnitt> schnitte;
    frames::Ausgabe ausgabe;
    frames::Vorlage vorlage;
    // Each written file's SHA-256 in Bildschnitt::dateien, for a manifest.
    // Which frames of a video are cut.
    video::Abstand abstand = video::StandardAbstand;
    bool pruefsummen = false;
    // Panorama views sampled on every core: worth it for one picture, not for
    // a batch, whose pictures already take the cores.
    bool alleKerne = false;
    // The maps of the panorama views, made once for every picture of a size;
    // made on first use when null.
    std::shared_ptr<Kartenvorrat> karten;
};

// A view as a pinhole camera sees it, in pixels, as reconstruction programs
// take it: the focal length and the principal point from the top-left
// corner of the view.
struct Lochkamera
{
    QSize groesse;
    double brennweite = 0;
    double cx = 0;
    double cy = 0;

    friend bool operator==(const Lochkamera&, const Lochkamera&) = default;
};

// One view file written.
struct Ansichtsdatei
{
    QChar buchstabe;
    QRect rechteck; // the rectangle used, in pixels of the picture
    QString pfad;   // as written
    qint64 groesse = 0;
    QByteArray sha256; // raw bytes; empty unless Schnittplan::pruefsummen
    // The view's heading in degrees from north, where the picture tells its own.
    std::optional<double> blickrichtung;
    // Where the view's focal length is known: always for a panorama view, for
    // a rectangle where the picture's EXIF gives it in pixels.
    std::optional<Lochkamera> kamera;
};

// The ticked directions, indexed by Richtung, turned into cuts in the order
// L, R, V, Z, whatever order the boxes were ticked in.
QList<Schnitt>
schnitteFuer(const std::array<std::optional<FrameRechteck>, 4>& angehakt,
             const std::array<std::optional<frames::Panoramablick>, 4>& panorama = {},
             const std::array<double, 4>& gier = frames::FrameKonfiguration().gier);

// What cutting one picture gave, before the log heading is decided.
struct Bildschnitt
{
    QString dateiname;
    // The decoded pixels as stored; null when nothing was decoded (also when
    // every view was cut from a JPEG's data). With Dekodierung::nurBenoetigt
    // possibly only the part the cuts needed, whose top-left pixel lies at
    // `ursprung`.
    QImage bild;
    QPoint ursprung;
    // The whole (upright) picture's size; valid whenever the picture was
    // read. The hidden full-size picture box takes this size, not that of
    // `bild`.
    QSize vollGroesse;
    // The picture was read and its views made, whatever came of each.
    bool bearbeitet = false;
    QString fehler;               // a failure of the whole picture: its one log line
    QStringList zeilen;           // per view, in cutting order: its message or its error
    QList<Ansichtsdatei> dateien; // the views written, in cutting order
    // From the picture's metadata, for a manifest; read only where the views
    // or a manifest take metadata. Empty or nothing where unknown.
    QString aufnahme; // ISO 8601
    std::optional<double> breitengrad;
    std::optional<double> laengengrad;
    // A video's frame: its number and presentation time in seconds.
    std::optional<qint64> bildNr;
    double zeit = 0;
    // Its index in the list a batch was given.
    qsizetype stapelNr = -1;
};

enum class Dekodierung {
    ganz,        // the whole picture, e.g. for the full-size picture box
    nurBenoetigt // a JPEG only as far as the cuts reach: a batch needs no more
};

// Decodes the picture once, then cuts and saves every view into
// "<programmOrdner>/ausgeschnitten". Uses no shared state, so pictures may be
// cut on several threads at once; the log heading is left to protokollieren.
// Does nothing (not even decode) when the plan has no cut. The saved views
// are the same bytes whichever Dekodierung is chosen.
Bildschnitt bildSchneiden(const QString& quellOrdner, const QString& dateiname,
                          const Schnittplan& plan, const QString& programmOrdner,
                          Dekodierung umfang = Dekodierung::ganz, Speicherbudget* budget = nullptr);

// The same into `zielOrdner` itself, created when missing. A `dateiname` with
// a folder part ("tal/a.jpg", '/' as separator) is read from that subfolder of
// `quellOrdner`, and its views go to the same subfolder of `zielOrdner`
// ("tal/a_L.bmp"), so that equal names in different folders stay apart.
Bildschnitt bildSchneidenIn(const QString& quellOrdner, const QString& dateiname,
                            const Schnittplan& plan, const QString& zielOrdner,
                            Dekodierung umfang = Dekodierung::ganz,
                            Speicherbudget* budget = nullptr);

// The log lines of one cut picture in order: a heading (20-sign rule, then
// "name:") when the name differs from `letztedatei` without regard to case,
// then the view lines. Sets `letztedatei` to the name. A picture that failed
// as a whole gives only its error line and leaves `letztedatei` alone. Must
// be called in picture order, on one thread.
namespace video {
struct Videobild;
}

// One decoded frame of the video `dateiname` (possibly with a folder part),
// cut like a picture whose views are named by videobildStamm. `aufnahme`,
// where valid, is the frame's capture time.
Bildschnitt videobildSchneidenIn(const QString& dateiname, const video::Videobild& bild,
                                 const QDateTime& aufnahme, const Schnittplan& plan,
                                 const QString& zielOrdner);

// A time in seconds as the log shows it: 8,333.
QString sekunden(double zeit);

QStringList protokollieren(const Bildschnitt& schnitt, QString& letztedatei);

struct Schnittprotokoll
{
    QStringList zeilen;
    QImage bild;       // the decoded picture, for the hidden full-size picture box
    QSize vollGroesse; // its size upright; invalid when it was not read
};

// bildSchneiden followed by protokollieren: what the cutting commands call
// for each picture.
Schnittprotokoll bildAusschneiden(const QString& quellOrdner, const QString& dateiname,
                                  const Schnittplan& plan, const QString& programmOrdner,
                                  QString& letztedatei);

// Whether the batch takes a file: its name ends in "jpg", "gif" or "bmp"
// (whether or not a dot stands before it), or in ".jpeg", ".jpe", ".png",
// ".tif", ".tiff" or ".webp", without regard to case.
bool istBilddatei(const QString& dateiname);
// The picture list's pattern for the same files.
QString bildmuster();

// The names of the pictures directly in `ordner` (no subfolders), by name.
QStringList bilderFuerStapel(const QString& ordner);

} // namespace schnitt
