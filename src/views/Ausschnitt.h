#pragma once

#include "config/FrameKonfig.h"
#include "config/FrameRechteck.h"

#include <QByteArray>
#include <QChar>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>

namespace schnitt {

// Parts of a rectangle that the source picture does not cover.
inline constexpr QRgb Fuellfarbe = 0xFFFFFFFF;

inline constexpr QStringView AusgabeOrdnername = u"ausgeschnitten";

// The view of `r` as a Width × Height picture in Format_RGB888: source columns
// Left … Left+Width−1 and rows Top … Top+Height−1, unscaled, the uncovered
// part in Fuellfarbe. Null when Width or Height is 0 or less or memory runs
// out.
QImage ausschneiden(const QImage& quelle, const FrameRechteck& r);

// The same from a part of the picture whose top-left pixel lies at
// `ursprung`: what `r` covers outside that part comes out in Fuellfarbe, so
// the part must hold all of `r` that lies inside the picture.
QImage ausschneiden(const QImage& quelle, QPoint ursprung, const FrameRechteck& r);
// The same for a rectangle beyond 16 bits, as scaling to a large picture gives.
QImage ausschneiden(const QImage& quelle, QPoint ursprung, const QRect& r);

// "<programmOrdner>/ausgeschnitten", the same for pictures from any folder.
QString ausgabeOrdner(const QString& programmOrdner);

// What a view's name starts with: the source name less its extension. For
// the four-letter extensions (".jpeg", ".tiff", ".webp", ".webm") the whole extension
// with its dot; for every other name its last four characters, as the names
// have always been made, dot or not (szene1.jpg → szene1). Null when the name
// is no longer than what it drops.
QString ansichtsStamm(const QString& dateiname);

// The stem, "_", the letter as passed, "." and the format's extension
// (szene1.jpg, 'V' → szene1_V.bmp). With `jeRichtung` the views of a rig's
// cameras, each direction in its own folder under the picture's name alone
// (szene1.jpg, 'V' → V/szene1.bmp). Null when the stem is.
QString ansichtsDateiname(const QString& dateiname, QChar buchstabe,
                          frames::Ausgabeformat format = frames::Ausgabeformat::bmp,
                          bool jeRichtung = false);
// The same from a stem.
QString ansichtsName(const QString& stamm, QChar buchstabe, frames::Ausgabeformat format,
                     bool jeRichtung);

// The stem of a video frame's views: the video's stem, "_" and the frame's
// number with six digits or more (fahrt.mp4, 250 → fahrt_000250). Null when
// the video's stem is.
QString videobildStamm(const QString& video, qint64 nummer);

// Whether the letter can stand in a file name: letters and digits only, so
// that no caller can steer the output out of its folder.
bool buchstabeZulaessig(QChar buchstabe);

// The log line after a view has been saved ("Bild LINKS erstellt"), chosen
// without regard to the letter's case; empty for other letters.
QString erstelltMeldung(QChar buchstabe);

// The direction's name for error lines ("Links"), or the letter itself.
QString richtungsName(QChar buchstabe);

// Makes the output folder when it is missing. On failure returns false and
// puts a German reason into `grund`.
bool ausgabeOrdnerAnlegen(const QString& ordner, QString* grund);

// What a save wrote: its size, and on request its SHA-256.
struct Schreibbericht
{
    bool mitPruefsumme = false;
    qint64 groesse = 0;
    QByteArray sha256;
};

// Saves `ansicht` as a 24-bit BMP at `pfad`, replacing an older file in one
// step so that a failed write leaves it whole. An existing read-only file or
// folder is refused as Windows would refuse it, even where the user could
// write anyway (root). On failure returns false and puts the complete
// "Error: " log line naming the file into `fehlerzeile`.
bool ansichtSpeichern(const QImage& ansicht, const QString& pfad, QString* fehlerzeile,
                      Schreibbericht* bericht = nullptr);

// The bytes that ansichtSpeichern writes for ausschneiden(quelle, ursprung,
// r), built straight from the source rows without the view in between: the
// batch saves hundreds of megabytes of views. Null when `r` has no area, the
// source is not Format_RGB32, the view is too large to build in memory or
// memory runs out; ausschneiden and ansichtSpeichern then take over.
QByteArray ansichtAlsBmp(const QImage& quelle, QPoint ursprung, const FrameRechteck& r);
QByteArray ansichtAlsBmp(const QImage& quelle, QPoint ursprung, const QRect& r);

// Saves ready BMP bytes at `pfad` as ansichtSpeichern saves a view, with the
// same refusals and error lines.
bool bmpSpeichern(const QByteArray& bmp, const QString& pfad, QString* fehlerzeile,
                  Schreibbericht* bericht = nullptr);

} // namespace schnitt
