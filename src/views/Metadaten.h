#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

#include "config/FrameKonfig.h"

namespace schnitt {

// What a picture's EXIF and XMP say, read once for all its views. Copies
// share the parsed data, which no one changes.
class Quellmetadaten
{
public:
    struct Daten;

    Quellmetadaten() = default;
    explicit Quellmetadaten(std::shared_ptr<const Daten> daten);

    bool leer() const { return !m_daten; }
    const Daten* daten() const { return m_daten.get(); }

    // The capture time as ISO 8601 with its sub-seconds and offset where the
    // picture names them ("2024-05-01T12:34:56.789+02:00"); empty when unknown.
    QString aufnahme() const;
    // Decimal degrees, north and east positive.
    std::optional<double> breitengrad() const;
    std::optional<double> laengengrad() const;
    // Where the camera looked, in degrees from north: EXIF GPSImgDirection,
    // else a panorama's GPano:PoseHeadingDegrees.
    std::optional<double> blickrichtung() const;
    // The focal length in pixels of the stored picture, from FocalLength and
    // FocalPlaneXResolution; nothing where either is missing.
    std::optional<double> brennweitePixel() const;

private:
    std::shared_ptr<const Daten> m_daten;
};

// Reads the EXIF and XMP of a picture file (JPEG, PNG, TIFF or WebP). A
// picture without either gives empty metadata. Metadata that cannot be read
// (cut short, looping directories, absurd counts) gives empty metadata too
// and sets `unlesbar`: the views are cut without it. Safe on any thread.
// A video frame's: only its capture time, in UTC.
Quellmetadaten aufnahmeMetadaten(const QDateTime& zeit);

Quellmetadaten metadatenLesen(QByteArrayView datei, bool* unlesbar = nullptr);

// What a view is, as far as its metadata must tell.
struct Ansichtsangaben
{
    QSize groesse;
    // Turned upright by the picture's orientation tag: its orientation is 1.
    bool aufgerichtet = false;
    // The yaw of the view's direction, degrees, positive to the right.
    double gier = 0;
    // A perspective view of a panorama: its horizontal field of view.
    std::optional<double> blickwinkel;
};

// The view's metadata, encoded for its file; both empty for none.
struct Ansichtsmetadaten
{
    QByteArray exif; // TIFF header and directories, as PNG's eXIf chunk holds them
    QByteArray xmp;  // the XMP packet, UTF-8

    bool leer() const { return exif.isEmpty() && xmp.isEmpty(); }
};

// The source's EXIF and XMP made true for the view: its size, its orientation,
// its heading, and for a panorama view its lens; what would be false (the
// thumbnail, a crop's 35 mm focal length, a perspective view's panorama
// properties) is left out. Nothing is made up for a source without metadata,
// except a panorama view's lens, which describes the view itself.
Ansichtsmetadaten metadatenFuer(const Quellmetadaten& quelle, const Ansichtsangaben& ansicht);

// An angle in degrees as a compass heading, in [0, 360).
double kompass(double grad);

// The focal length in pixels of a panorama view: half its width over the
// tangent of half its field of view.
double brennweitePixel(int breite, double blickwinkel);

// The view's file with its metadata: JPEG as APP1 segments (the file's own
// EXIF and XMP segments replaced), PNG as eXIf and iTXt chunks, WebP as EXIF
// and XMP chunks, TIFF in its directories. BMP holds none and comes back as
// it is, so does any file when `metadaten` is empty and it had none. A null
// array when the metadata cannot be put in.
QByteArray mitMetadaten(const QByteArray& datei, frames::Ausgabeformat format,
                        const Ansichtsmetadaten& metadaten);

// %1 the picture as in the log's headings.
inline constexpr QStringView MetadatenUnlesbar =
    u"%1: Metadaten nicht lesbar, Ansichten ohne Metadaten";

} // namespace schnitt
