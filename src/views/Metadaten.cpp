#include "Metadaten.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>

// exiv2 0.27 still declares its smart pointers as std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <libdeflate.h>
#include <webp/mux.h>

namespace schnitt {

struct Quellmetadaten::Daten
{
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
    std::string xmpPaket; // as the file holds it
    Exiv2::ByteOrder reihenfolge = Exiv2::littleEndian;
};

namespace {

// The XMP toolkit keeps its state for the whole process: it is started once,
// and everything that parses or writes XMP holds this lock, which exiv2 also
// takes itself when it registers a namespace in the middle of that work.
std::recursive_mutex xmpSperre;

void xmpSperren(void*, bool sperren)
{
    if (sperren)
        xmpSperre.lock();
    else
        xmpSperre.unlock();
}

// exiv2 skips a directory it cannot read with an error message rather than
// an exception, and would hand on what is left of it: each thread counts the
// errors of the work it does.
thread_local int exiv2Fehler = 0;

void exiv2Melden(int, const char*)
{
    ++exiv2Fehler;
}

void exiv2Vorbereiten()
{
    static std::once_flag einmal;
    std::call_once(einmal, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::error);
        Exiv2::LogMsg::setHandler(exiv2Melden);
        Exiv2::XmpParser::initialize(xmpSperren, nullptr);
    });
}

// BMP and GIF carry no metadata worth keeping; exiv2 is not asked about them.
bool metadatenFormat(QByteArrayView d)
{
    return d.startsWith("\xFF\xD8") || d.startsWith("\x89PNG") || d.startsWith("II*") ||
           d.startsWith("MM") || d.startsWith("RIFF");
}

const Exiv2::Exifdatum* exifWert(const Exiv2::ExifData& exif, const char* schluessel)
{
    const auto it = exif.findKey(Exiv2::ExifKey(schluessel));
    return it == exif.end() || it->count() == 0 ? nullptr : &*it;
}

std::optional<double> bruch(const Exiv2::Exifdatum& wert, long i)
{
    const Exiv2::Rational r = wert.toRational(i);
    if (r.second == 0)
        return std::nullopt;
    return double(r.first) / r.second;
}

// Degrees, minutes and seconds with the hemisphere's sign.
std::optional<double> grad(const Exiv2::ExifData& exif, const char* wert, const char* ref,
                           char negativ)
{
    const Exiv2::Exifdatum* w = exifWert(exif, wert);
    if (!w || w->count() < 3)
        return std::nullopt;
    const auto g = bruch(*w, 0), m = bruch(*w, 1), s = bruch(*w, 2);
    if (!g || !m || !s)
        return std::nullopt;
    double ergebnis = *g + *m / 60 + *s / 3600;
    if (const Exiv2::Exifdatum* r = exifWert(exif, ref); r && r->toString().starts_with(negativ))
        ergebnis = -ergebnis;
    return ergebnis;
}

Exiv2::URational alsPositiverBruch(double wert, uint32_t nenner)
{
    return {uint32_t(std::llround(wert * nenner)), nenner};
}

void entfernen(Exiv2::ExifData& exif, const char* schluessel)
{
    const auto it = exif.findKey(Exiv2::ExifKey(schluessel));
    if (it != exif.end())
        exif.erase(it);
}

void entfernen(Exiv2::XmpData& xmp, const char* schluessel)
{
    const auto it = xmp.findKey(Exiv2::XmpKey(schluessel));
    if (it != xmp.end())
        xmp.erase(it);
}

bool gleich(const Exiv2::XmpData& a, const Exiv2::XmpData& b)
{
    return a.count() == b.count() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
               return x.key() == y.key() && x.typeId() == y.typeId() &&
                      x.toString() == y.toString();
           });
}

// Sets an XMP property only where the source has it: the view's XMP says
// no more than the source's did.
void angleichen(Exiv2::XmpData& xmp, const char* schluessel, const std::string& wert)
{
    const auto it = xmp.findKey(Exiv2::XmpKey(schluessel));
    if (it != xmp.end())
        it->setValue(wert);
}

// How the source's pixels were stored: a TIFF source has these in its first
// directory, and they are untrue of every view, which its own file describes.
// The ICC profile goes its own way.
constexpr const char* Speicherangaben[] = {"Exif.Image.NewSubfileType",
                                           "Exif.Image.SubfileType",
                                           "Exif.Image.ImageWidth",
                                           "Exif.Image.ImageLength",
                                           "Exif.Image.BitsPerSample",
                                           "Exif.Image.Compression",
                                           "Exif.Image.PhotometricInterpretation",
                                           "Exif.Image.FillOrder",
                                           "Exif.Image.StripOffsets",
                                           "Exif.Image.SamplesPerPixel",
                                           "Exif.Image.RowsPerStrip",
                                           "Exif.Image.StripByteCounts",
                                           "Exif.Image.PlanarConfiguration",
                                           "Exif.Image.Predictor",
                                           "Exif.Image.TileWidth",
                                           "Exif.Image.TileLength",
                                           "Exif.Image.TileOffsets",
                                           "Exif.Image.TileByteCounts",
                                           "Exif.Image.SampleFormat",
                                           "Exif.Image.ExtraSamples",
                                           "Exif.Image.SubIFDs",
                                           "Exif.Image.JPEGTables",
                                           "Exif.Image.YCbCrSubSampling",
                                           "Exif.Image.InterColorProfile",
                                           "Exif.Image.PageNumber",
                                           "Exif.Image.XMLPacket"};

QByteArray alsBytes(const Exiv2::Blob& blob)
{
    return QByteArray(reinterpret_cast<const char*>(blob.data()), qsizetype(blob.size()));
}

// --- the files ------------------------------------------------------------

void be16Anhaengen(QByteArray& ziel, uint wert)
{
    ziel.append(char(wert >> 8)).append(char(wert));
}

constexpr QByteArrayView ExifKennung("Exif\0\0", 6);
constexpr QByteArrayView XmpKennung("http://ns.adobe.com/xap/1.0/\0", 29);
// The largest payload of one segment: its length field counts itself.
constexpr qsizetype SegmentNutzlast = 65533;

QByteArray jpegMitMetadaten(const QByteArray& jpeg, const Ansichtsmetadaten& m)
{
    const qsizetype n = jpeg.size();
    auto byte = [&](qsizetype i) { return uint(uchar(jpeg[i])); };
    QByteArray neu;
    auto segment = [&](uint marke, QByteArrayView kennung, QByteArrayView nutzlast) {
        if (nutzlast.isEmpty() || kennung.size() + nutzlast.size() > SegmentNutzlast)
            return;
        neu.append(char(0xFF)).append(char(marke));
        be16Anhaengen(neu, uint(kennung.size() + nutzlast.size() + 2));
        neu.append(kennung).append(nutzlast);
    };
    neu.reserve(n + m.exif.size() + m.xmp.size() + 64);
    neu.append(jpeg.left(2));
    qsizetype i = 2;
    bool eingefuegt = false;
    auto einfuegen = [&] {
        segment(0xE1, ExifKennung, m.exif);
        segment(0xE1, XmpKennung, m.xmp);
        eingefuegt = true;
    };
    // The header segments up to the first that is no APPn or comment.
    while (i + 4 <= n && byte(i) == 0xFF) {
        const uint marke = byte(i + 1);
        if (!((marke >= 0xE0 && marke <= 0xEF) || marke == 0xFE))
            break;
        const qsizetype laenge = qsizetype(byte(i + 2) << 8 | byte(i + 3));
        if (laenge < 2 || i + 2 + laenge > n)
            return {};
        const QByteArrayView nutzlast = QByteArrayView(jpeg).sliced(i + 4, laenge - 2);
        // JFIF must stay first; EXIF follows it.
        const bool jfif = marke == 0xE0 && nutzlast.startsWith("JFIF");
        if (!eingefuegt && !jfif)
            einfuegen();
        // The source's EXIF and XMP are replaced by the view's, and a
        // multi-picture index would point at pictures the view lacks.
        const bool ersetzt = (marke == 0xE1 && (nutzlast.startsWith(ExifKennung) ||
                                                nutzlast.startsWith(XmpKennung))) ||
                             (marke == 0xE2 && nutzlast.startsWith(QByteArrayView("MPF\0", 4)));
        if (!ersetzt)
            neu.append(QByteArrayView(jpeg).sliced(i, laenge + 2));
        i += laenge + 2;
    }
    if (!eingefuegt)
        einfuegen();
    neu.append(QByteArrayView(jpeg).sliced(i));
    return neu;
}

void pngChunk(QByteArray& ziel, const char* typ, QByteArrayView daten)
{
    char laenge[4];
    qToBigEndian(quint32(daten.size()), laenge);
    ziel.append(laenge, 4);
    const qsizetype anfang = ziel.size();
    ziel.append(typ, 4).append(daten);
    char crc[4];
    qToBigEndian(
        quint32(libdeflate_crc32(0, ziel.constData() + anfang, size_t(ziel.size() - anfang))), crc);
    ziel.append(crc, 4);
}

QByteArray pngMitMetadaten(const QByteArray& png, const Ansichtsmetadaten& m)
{
    QByteArray neu;
    neu.reserve(png.size() + m.exif.size() + m.xmp.size() + 64);
    neu.append(png.left(8));
    constexpr QByteArrayView XmpSchluessel("XML:com.adobe.xmp\0", 18);
    bool eingefuegt = false;
    for (qsizetype i = 8; i + 12 <= png.size();) {
        const qsizetype laenge = qFromBigEndian<quint32>(png.constData() + i);
        if (i + 12 + laenge > png.size())
            return {};
        const QByteArrayView chunk = QByteArrayView(png).sliced(i, laenge + 12);
        const QByteArrayView typ = chunk.sliced(4, 4);
        const QByteArrayView daten = chunk.sliced(8, laenge);
        // Readers take metadata only before the pixel data.
        if (!eingefuegt && (typ == "IDAT" || typ == "IEND")) {
            if (!m.exif.isEmpty())
                pngChunk(neu, "eXIf", m.exif);
            if (!m.xmp.isEmpty())
                pngChunk(neu, "iTXt",
                         QByteArray(XmpSchluessel.data(), 18) + QByteArray(4, '\0') + m.xmp);
            eingefuegt = true;
        }
        if (typ != "eXIf" && !(typ == "iTXt" && daten.startsWith(XmpSchluessel)))
            neu.append(chunk);
        i += laenge + 12;
    }
    return neu;
}

QByteArray webpMitMetadaten(const QByteArray& webp, const Ansichtsmetadaten& m)
{
    const WebPData quelle{reinterpret_cast<const uint8_t*>(webp.constData()), size_t(webp.size())};
    WebPMux* mux = WebPMuxCreate(&quelle, 1);
    if (!mux)
        return {};
    auto setzen = [&](const char* kennung, const QByteArray& daten) {
        WebPMuxDeleteChunk(mux, kennung);
        if (daten.isEmpty())
            return true;
        const WebPData d{reinterpret_cast<const uint8_t*>(daten.constData()), size_t(daten.size())};
        return WebPMuxSetChunk(mux, kennung, &d, 1) == WEBP_MUX_OK;
    };
    QByteArray ergebnis;
    WebPData fertig;
    WebPDataInit(&fertig);
    if (setzen("EXIF", m.exif) && setzen("XMP ", m.xmp) &&
        WebPMuxAssemble(mux, &fertig) == WEBP_MUX_OK)
        ergebnis = QByteArray(reinterpret_cast<const char*>(fertig.bytes), qsizetype(fertig.size));
    WebPDataClear(&fertig);
    WebPMuxDelete(mux);
    return ergebnis;
}

// exiv2 writes the tags into the TIFF's own directories, keeping its pixel
// data and the tags that describe it.
QByteArray tiffMitMetadaten(const QByteArray& tiff, const Ansichtsmetadaten& m)
{
    const std::lock_guard sperre(xmpSperre);
    auto bild = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(tiff.constData()),
                                          long(tiff.size()));
    bild->readMetadata();
    Exiv2::ExifData exif = bild->exifData();
    if (!m.exif.isEmpty()) {
        Exiv2::ExifData neu;
        Exiv2::ExifParser::decode(neu, reinterpret_cast<const Exiv2::byte*>(m.exif.constData()),
                                  uint32_t(m.exif.size()));
        for (const Exiv2::Exifdatum& e : neu)
            exif[e.key()] = e.value();
    }
    bild->setExifData(exif);
    if (!m.xmp.isEmpty()) {
        bild->setXmpPacket(m.xmp.toStdString());
        bild->writeXmpFromPacket(true);
    }
    bild->writeMetadata();
    Exiv2::BasicIo& io = bild->io();
    io.seek(0, Exiv2::BasicIo::beg);
    const Exiv2::DataBuf puffer = io.read(io.size());
    return QByteArray(reinterpret_cast<const char*>(puffer.pData_), qsizetype(puffer.size_));
}

} // namespace

Quellmetadaten::Quellmetadaten(std::shared_ptr<const Daten> daten)
    : m_daten(std::move(daten))
{
}

QString Quellmetadaten::aufnahme() const
{
    if (!m_daten)
        return {};
    const Exiv2::ExifData& exif = m_daten->exif;
    const Exiv2::Exifdatum* zeit = exifWert(exif, "Exif.Photo.DateTimeOriginal");
    if (!zeit)
        return {};
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4}):(\\d\\d):(\\d\\d) (\\d\\d:\\d\\d:\\d\\d)"));
    const QRegularExpressionMatch t = form.match(QString::fromStdString(zeit->toString()));
    if (!t.hasMatch())
        return {};
    QString iso = QStringLiteral("%1-%2-%3T%4")
                      .arg(t.captured(1), t.captured(2), t.captured(3), t.captured(4));
    if (const Exiv2::Exifdatum* s = exifWert(exif, "Exif.Photo.SubSecTimeOriginal")) {
        const QString ziffern = QString::fromStdString(s->toString()).trimmed();
        static const QRegularExpression nurZiffern(QStringLiteral("^\\d+$"));
        if (nurZiffern.match(ziffern).hasMatch())
            iso += u'.' + ziffern;
    }
    if (const Exiv2::Exifdatum* v = exifWert(exif, "Exif.Photo.OffsetTimeOriginal")) {
        const QString versatz = QString::fromStdString(v->toString()).trimmed();
        static const QRegularExpression form(QStringLiteral("^[+-]\\d\\d:\\d\\d$"));
        if (form.match(versatz).hasMatch())
            iso += versatz;
    }
    return iso;
}

std::optional<double> Quellmetadaten::breitengrad() const
{
    if (!m_daten)
        return std::nullopt;
    return grad(m_daten->exif, "Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLatitudeRef", 'S');
}

std::optional<double> Quellmetadaten::laengengrad() const
{
    if (!m_daten)
        return std::nullopt;
    return grad(m_daten->exif, "Exif.GPSInfo.GPSLongitude", "Exif.GPSInfo.GPSLongitudeRef", 'W');
}

std::optional<double> Quellmetadaten::blickrichtung() const
{
    if (!m_daten)
        return std::nullopt;
    if (const Exiv2::Exifdatum* r = exifWert(m_daten->exif, "Exif.GPSInfo.GPSImgDirection"))
        return bruch(*r, 0);
    const auto it = m_daten->xmp.findKey(Exiv2::XmpKey("Xmp.GPano.PoseHeadingDegrees"));
    if (it == m_daten->xmp.end())
        return std::nullopt;
    bool ok = false;
    const double wert = QString::fromStdString(it->toString()).toDouble(&ok);
    return ok && std::isfinite(wert) ? std::optional(wert) : std::nullopt;
}

std::optional<double> Quellmetadaten::brennweitePixel() const
{
    if (!m_daten)
        return std::nullopt;
    const Exiv2::ExifData& exif = m_daten->exif;
    const Exiv2::Exifdatum* mm = exifWert(exif, "Exif.Photo.FocalLength");
    const Exiv2::Exifdatum* aufloesung = exifWert(exif, "Exif.Photo.FocalPlaneXResolution");
    if (!mm || !aufloesung)
        return std::nullopt;
    // Pixels per inch unless the unit says otherwise.
    double jeMillimeter = 25.4;
    if (const Exiv2::Exifdatum* einheit = exifWert(exif, "Exif.Photo.FocalPlaneResolutionUnit")) {
        switch (einheit->toLong()) {
        case 3:
            jeMillimeter = 10;
            break;
        case 4:
            jeMillimeter = 1;
            break;
        case 5:
            jeMillimeter = 0.001;
            break;
        }
    }
    const auto f = bruch(*mm, 0), r = bruch(*aufloesung, 0);
    if (!f || !r || *f <= 0 || *r <= 0)
        return std::nullopt;
    return *f * *r / jeMillimeter;
}

double kompass(double grad)
{
    const double r = std::fmod(grad, 360);
    return r < 0 ? r + 360 : r;
}

Quellmetadaten metadatenLesen(QByteArrayView datei, bool* unlesbar)
{
    if (unlesbar)
        *unlesbar = false;
    if (!metadatenFormat(datei))
        return {};
    exiv2Vorbereiten();
    try {
        const std::lock_guard sperre(xmpSperre);
        exiv2Fehler = 0;
        auto bild = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(datei.data()),
                                              long(datei.size()));
        bild->readMetadata();
        if (exiv2Fehler > 0)
            throw Exiv2::Error(Exiv2::kerCorruptedMetadata);
        auto daten = std::make_shared<Quellmetadaten::Daten>();
        daten->exif = bild->exifData();
        // Untrue of every view, so dropped once for all of them: the whole
        // picture's thumbnail and how its pixels were stored.
        Exiv2::ExifThumb(daten->exif).erase();
        for (const char* schluessel : Speicherangaben)
            entfernen(daten->exif, schluessel);
        daten->xmp = bild->xmpData();
        daten->xmpPaket = bild->xmpPacket();
        if (bild->byteOrder() == Exiv2::bigEndian)
            daten->reihenfolge = Exiv2::bigEndian;
        if (daten->exif.empty() && daten->xmp.empty())
            return {};
        return Quellmetadaten(std::move(daten));
    } catch (const std::exception&) {
        if (unlesbar)
            *unlesbar = true;
        return {};
    }
}

Quellmetadaten aufnahmeMetadaten(const QDateTime& zeit)
{
    exiv2Vorbereiten();
    const QDateTime utc = zeit.toUTC();
    auto daten = std::make_shared<Quellmetadaten::Daten>();
    daten->exif["Exif.Photo.DateTimeOriginal"] =
        utc.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toStdString();
    daten->exif["Exif.Photo.SubSecTimeOriginal"] =
        utc.toString(QStringLiteral("zzz")).toStdString();
    daten->exif["Exif.Photo.OffsetTimeOriginal"] = std::string("+00:00");
    return Quellmetadaten(std::move(daten));
}

double brennweitePixel(int breite, double blickwinkel)
{
    return breite / 2.0 / std::tan(blickwinkel * std::numbers::pi / 360);
}

Ansichtsmetadaten metadatenFuer(const Quellmetadaten& quelle, const Ansichtsangaben& ansicht)
{
    const Quellmetadaten::Daten* q = quelle.daten();
    if (!q && !ansicht.blickwinkel)
        return {};
    exiv2Vorbereiten();
    Exiv2::ExifData exif = q ? q->exif : Exiv2::ExifData();
    Exiv2::XmpData xmp = q ? q->xmp : Exiv2::XmpData();
    const bool mitExif = !exif.empty();
    const bool panorama = ansicht.blickwinkel.has_value();

    const std::string breite = std::to_string(ansicht.groesse.width());
    const std::string hoehe = std::to_string(ansicht.groesse.height());
    if (mitExif) {
        exif["Exif.Photo.PixelXDimension"] = uint32_t(ansicht.groesse.width());
        exif["Exif.Photo.PixelYDimension"] = uint32_t(ansicht.groesse.height());
    }
    angleichen(xmp, "Xmp.exif.PixelXDimension", breite);
    angleichen(xmp, "Xmp.exif.PixelYDimension", hoehe);
    angleichen(xmp, "Xmp.tiff.ImageWidth", breite);
    angleichen(xmp, "Xmp.tiff.ImageLength", hoehe);
    if (ansicht.aufgerichtet) {
        if (exifWert(exif, "Exif.Image.Orientation"))
            exif["Exif.Image.Orientation"] = uint16_t(1);
        angleichen(xmp, "Xmp.tiff.Orientation", "1");
    }
    for (auto it = xmp.begin(); it != xmp.end();) {
        const std::string gruppe = it->groupName();
        // A perspective view is no panorama; no view is the whole picture.
        const bool falsch =
            (panorama && gruppe == "GPano") || it->key().starts_with("Xmp.xmp.Thumbnails");
        it = falsch ? xmp.erase(it) : std::next(it);
    }

    if (const std::optional<double> richtung = quelle.blickrichtung()) {
        const double blick = kompass(*richtung + ansicht.gier);
        const Exiv2::Exifdatum* ref = exifWert(exif, "Exif.GPSInfo.GPSImgDirectionRef");
        const std::string bezug = ref ? ref->toString() : std::string("T");
        // Hundredths of a degree; a value that rounds up to 360 is north.
        const Exiv2::URational wert = alsPositiverBruch(blick, 100);
        exif["Exif.GPSInfo.GPSImgDirection"] =
            wert.first == 36000 ? Exiv2::URational(0, 100) : wert;
        exif["Exif.GPSInfo.GPSImgDirectionRef"] = bezug;
        angleichen(xmp, "Xmp.exif.GPSImgDirection",
                   std::to_string(wert.first == 36000 ? 0 : wert.first) + "/100");
    }

    if (panorama) {
        // A pinhole camera on a sensor 36 mm wide: FocalLength then is the
        // 35 mm equivalent as well, and FocalLength times the resolution in
        // pixels per millimetre gives the focal length in pixels.
        const double halb = std::tan(*ansicht.blickwinkel * std::numbers::pi / 360);
        const double millimeter = 18 / halb;
        exif["Exif.Photo.FocalLength"] = alsPositiverBruch(millimeter, 1000000);
        const Exiv2::URational jeZentimeter(uint32_t(ansicht.groesse.width()) * 5, 18);
        exif["Exif.Photo.FocalPlaneXResolution"] = jeZentimeter;
        exif["Exif.Photo.FocalPlaneYResolution"] = jeZentimeter;
        exif["Exif.Photo.FocalPlaneResolutionUnit"] = uint16_t(3); // centimetres
        exif["Exif.Photo.FocalLengthIn35mmFilm"] = uint16_t(std::lround(millimeter));
        for (const char* schluessel :
             {"Xmp.exif.FocalLength", "Xmp.exif.FocalPlaneXResolution",
              "Xmp.exif.FocalPlaneYResolution", "Xmp.exif.FocalPlaneResolutionUnit",
              "Xmp.exif.FocalLengthIn35mmFilm"})
            entfernen(xmp, schluessel);
    } else {
        // The whole picture's field of view, which a part of it has not.
        entfernen(exif, "Exif.Photo.FocalLengthIn35mmFilm");
        entfernen(xmp, "Xmp.exif.FocalLengthIn35mmFilm");
    }

    Ansichtsmetadaten ergebnis;
    if (!exif.empty()) {
        Exiv2::Blob blob;
        Exiv2::ExifParser::encode(blob, q ? q->reihenfolge : Exiv2::littleEndian, exif);
        ergebnis.exif = alsBytes(blob);
    }
    // Most views change nothing in the XMP: the source's packet goes on as it
    // is. Writing a packet anew takes the XMP toolkit's lock, which every
    // worker of a batch would queue for.
    if (q && !q->xmpPaket.empty() && gleich(xmp, q->xmp)) {
        ergebnis.xmp = QByteArray::fromStdString(q->xmpPaket);
    } else if (!xmp.empty()) {
        std::string paket;
        const std::lock_guard sperre(xmpSperre);
        if (Exiv2::XmpParser::encode(paket, xmp, Exiv2::XmpParser::useCompactFormat) == 0)
            ergebnis.xmp = QByteArray::fromStdString(paket);
    }
    return ergebnis;
}

QByteArray mitMetadaten(const QByteArray& datei, frames::Ausgabeformat format,
                        const Ansichtsmetadaten& metadaten)
{
    using frames::Ausgabeformat;
    try {
        switch (format) {
        case Ausgabeformat::bmp:
            return datei;
        case Ausgabeformat::jpg:
            return jpegMitMetadaten(datei, metadaten);
        case Ausgabeformat::png:
            return metadaten.leer() ? datei : pngMitMetadaten(datei, metadaten);
        case Ausgabeformat::webp:
            return metadaten.leer() ? datei : webpMitMetadaten(datei, metadaten);
        case Ausgabeformat::tif:
            exiv2Vorbereiten();
            return metadaten.leer() ? datei : tiffMitMetadaten(datei, metadaten);
        }
    } catch (const std::exception&) {
    }
    return {};
}

} // namespace schnitt
