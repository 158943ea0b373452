#include "Bildladen.h"

#include "Farbprofil.h"
#include "Geometrie.h"
#include "JpegBereich.h"
#include "Meldungen.h"
#include "config/Dateien.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <utility>

namespace schnitt {

namespace {

void speichergrenzeSetzen()
{
    // The limit is process-wide; set once even when the first pictures are
    // decoded on several threads at the same time.
    static std::once_flag einmal;
    std::call_once(einmal, [] { QImageReader::setAllocationLimit(SpeichergrenzeMB); });
}

uint byteAn(QByteArrayView d, qsizetype i)
{
    return static_cast<uchar>(d[i]);
}

quint32 le32(QByteArrayView d, qsizetype i)
{
    return byteAn(d, i) | byteAn(d, i + 1) << 8 | byteAn(d, i + 2) << 16 |
           quint32(byteAn(d, i + 3)) << 24;
}

uint le16(QByteArrayView d, qsizetype i)
{
    return byteAn(d, i) | byteAn(d, i + 1) << 8;
}

// Qt's reader stops at the end of a short file and returns rows it never
// filled. Only uncompressed layouts have a size to check against.
bool bmpVollstaendig(QByteArrayView d)
{
    const qsizetype n = d.size();
    if (n < 30)
        return false;
    const qint64 datenAnfang = le32(d, 10);
    const quint32 kopfGroesse = le32(d, 14);
    qint64 breite = 0;
    qint64 hoehe = 0;
    uint bits = 0;
    quint32 kompression = 0;
    if (kopfGroesse == 12) {
        breite = le16(d, 18);
        hoehe = le16(d, 20);
        bits = le16(d, 24);
    } else {
        if (n < 34)
            return false;
        breite = static_cast<qint32>(le32(d, 18));
        hoehe = static_cast<qint32>(le32(d, 22));
        bits = le16(d, 28);
        kompression = le32(d, 30);
    }
    constexpr quint32 BI_RGB = 0, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;
    if (kompression != BI_RGB && kompression != BI_BITFIELDS && kompression != BI_ALPHABITFIELDS)
        return true;
    if (breite <= 0 || hoehe == 0 || bits == 0)
        return true; // Qt refuses these itself
    // Width and depth come straight from the header: a row of 2^31 pixels
    // at 65535 bits times 2^31 rows overflows 64 bits, so divide instead.
    const qint64 zeile = (breite * bits + 31) / 32 * 4;
    return n >= datenAnfang && qAbs(hoehe) <= (n - datenAnfang) / zeile;
}

// Only the first picture of a GIF is shown; its data must be there up to
// the block that closes it.
bool gifVollstaendig(QByteArrayView d)
{
    const qsizetype n = d.size();
    if (n < 13)
        return false;
    qsizetype i = 13;
    auto farbtabelle = [&](uint flags) {
        if (flags & 0x80)
            i += 3 * (qsizetype(1) << ((flags & 7) + 1));
    };
    auto unterbloecke = [&]() {
        while (i < n) {
            const uint laenge = byteAn(d, i++);
            if (laenge == 0)
                return true;
            i += laenge;
        }
        return false;
    };
    farbtabelle(byteAn(d, 10));
    while (i < n) {
        switch (byteAn(d, i++)) {
        case 0x21: // extension: label, then sub-blocks
            ++i;
            if (!unterbloecke())
                return false;
            break;
        case 0x2C: // image descriptor, local colour table, LZW code size
            if (i + 9 > n)
                return false;
            i += 9;
            farbtabelle(byteAn(d, i - 1));
            ++i;
            return unterbloecke();
        default: // trailer or unknown block: let the decoder judge
            return true;
        }
    }
    return false;
}

// Chunk by chunk to IEND: Qt's reader refuses a short file too, but as
// damaged, and the user should hear that it was cut off.
bool pngVollstaendig(QByteArrayView d)
{
    const qsizetype n = d.size();
    qsizetype i = 8;
    while (i + 12 <= n) {
        const qint64 laenge = qint64(byteAn(d, i)) << 24 | byteAn(d, i + 1) << 16 |
                              byteAn(d, i + 2) << 8 | byteAn(d, i + 3);
        if (i + 12 + laenge > n)
            return false;
        if (d.sliced(i + 4, 4) == "IEND")
            return true;
        i += 12 + laenge;
    }
    return false;
}

// The RIFF header gives the length of everything behind it.
bool webpVollstaendig(QByteArrayView d)
{
    return d.size() >= 12 && qint64(le32(d, 4)) + 8 <= d.size();
}

// libtiff's JPEG codec pads a short strip with grey and only warns, like
// libjpeg itself; the other codecs fail. So every strip or tile of the first
// picture must lie within the file. A layout this walk does not know is left
// to the decoder.
bool tiffVollstaendig(QByteArrayView d)
{
    const qsizetype n = d.size();
    const bool klein = byteAn(d, 0) == 'I';
    auto zahl16 = [&](qint64 i) -> quint32 {
        return klein ? le16(d, i) : byteAn(d, i) << 8 | byteAn(d, i + 1);
    };
    auto zahl32 = [&](qint64 i) -> quint32 {
        return klein ? le32(d, i)
                     : quint32(byteAn(d, i)) << 24 | byteAn(d, i + 1) << 16 |
                           byteAn(d, i + 2) << 8 | byteAn(d, i + 3);
    };
    if (n < 8)
        return false;
    const qint64 verzeichnis = zahl32(4);
    if (verzeichnis + 2 > n)
        return false;
    const qint64 eintraege = zahl16(verzeichnis);
    if (verzeichnis + 2 + 12 * eintraege > n)
        return false;
    // Offsets and byte counts, each a list of SHORT or LONG values.
    auto liste = [&](quint32 tag, QList<qint64>* werte) {
        for (qint64 e = 0; e < eintraege; ++e) {
            const qint64 eintrag = verzeichnis + 2 + 12 * e;
            if (zahl16(eintrag) != tag)
                continue;
            const quint32 typ = zahl16(eintrag + 2);
            const qint64 anzahl = zahl32(eintrag + 4);
            const int breite = typ == 3 ? 2 : typ == 4 ? 4 : 0;
            if (breite == 0)
                return true; // a type no reader writes here: the decoder judges
            const qint64 ort = anzahl * breite <= 4 ? eintrag + 8 : qint64(zahl32(eintrag + 8));
            if (ort + anzahl * breite > n)
                return false;
            werte->reserve(anzahl);
            for (qint64 k = 0; k < anzahl; ++k)
                werte->append(breite == 2 ? zahl16(ort + 2 * k) : zahl32(ort + 4 * k));
            return true;
        }
        return true;
    };
    QList<qint64> orte, laengen;
    if (!liste(273, &orte) || !liste(279, &laengen))
        return false;
    if (orte.isEmpty() && (!liste(324, &orte) || !liste(325, &laengen)))
        return false;
    if (orte.size() != laengen.size())
        return true;
    for (qsizetype k = 0; k < orte.size(); ++k)
        if (orte[k] + laengen[k] > n)
            return false;
    return true;
}

// The formats read, each with the check that its data is all there.
using Pruefung = bool (*)(QByteArrayView);
const std::pair<QByteArrayView, Pruefung> Formate[] = {
    {"jpeg", jpegVollstaendig}, {"bmp", bmpVollstaendig},   {"gif", gifVollstaendig},
    {"png", pngVollstaendig},   {"tiff", tiffVollstaendig}, {"webp", webpVollstaendig},
};

// Null for a format Qt reads but this program does not.
Pruefung pruefungFuer(QByteArrayView format)
{
    for (const auto& [name, pruefung] : Formate)
        if (format == name)
            return pruefung;
    return nullptr;
}

// PNG and TIFF keep 16 bits per sample, and Qt's conversion to 8 bits rounds
// 128 of every 257 values up where the nearest value is below. The views
// must hold what the picture saved with 8 bits holds: v * 255 / 65535 to the
// nearest, which is (v + 128) / 257 in integers.
QImage achtBit(const QImage& bild)
{
    auto runden = [](uint v) { return (v + 128) / 257; };
    if (bild.format() == QImage::Format_Grayscale16) {
        QImage ziel(bild.size(), QImage::Format_RGB32);
        if (ziel.isNull())
            return {};
        for (int y = 0; y < bild.height(); ++y) {
            const auto* q = reinterpret_cast<const quint16*>(bild.constScanLine(y));
            auto* z = reinterpret_cast<QRgb*>(ziel.scanLine(y));
            for (int x = 0; x < bild.width(); ++x) {
                const uint g = runden(q[x]);
                z[x] = qRgb(g, g, g);
            }
        }
        return ziel;
    }
    const QImage quelle = bild.format() == QImage::Format_RGBA64_Premultiplied
                              ? bild.convertToFormat(QImage::Format_RGBA64)
                              : bild;
    const bool alpha = quelle.hasAlphaChannel();
    QImage ziel(bild.size(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (ziel.isNull() || quelle.isNull())
        return {};
    for (int y = 0; y < quelle.height(); ++y) {
        const auto* q = reinterpret_cast<const QRgba64*>(quelle.constScanLine(y));
        auto* z = reinterpret_cast<QRgb*>(ziel.scanLine(y));
        for (int x = 0; x < quelle.width(); ++x)
            z[x] = qRgba(runden(q[x].red()), runden(q[x].green()), runden(q[x].blue()),
                         alpha ? runden(q[x].alpha()) : 255);
    }
    return ziel;
}

bool istSechzehnBit(QImage::Format format)
{
    return format == QImage::Format_Grayscale16 || format == QImage::Format_RGBX64 ||
           format == QImage::Format_RGBA64 || format == QImage::Format_RGBA64_Premultiplied;
}

// GIF transparency and BMP alpha are laid over white, the colour of the
// empty surface the views are cut from.
QImage ohneAlpha(const QImage& bild)
{
    if (!bild.hasAlphaChannel())
        return bild.convertToFormat(QImage::Format_RGB32);
    QImage argb = bild.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull())
        return {};
    for (int y = 0; y < argb.height(); ++y) {
        auto* zeile = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = zeile[x];
            const int a = qAlpha(p);
            auto mischen = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            zeile[x] = qRgb(mischen(qRed(p)), mischen(qGreen(p)), mischen(qBlue(p)));
        }
    }
    return argb.convertToFormat(QImage::Format_RGB32);
}

qint64 grenzeBytes()
{
    return qint64(SpeichergrenzeMB) * 1024 * 1024;
}

qint64 bildBytes(QSize groesse)
{
    return qint64(groesse.width()) * groesse.height() * 4;
}

QString zuGrossMeldung(QSize groesse)
{
    return meldung::GrundZuGross.arg(QString::number(groesse.width()),
                                     QString::number(groesse.height()),
                                     QString::number(SpeichergrenzeMB));
}

// Qt's transformations for the eight EXIF orientations, in their order.
int exifOrientierung(QImageIOHandler::Transformations t)
{
    using T = QImageIOHandler::Transformation;
    const QImageIOHandler::Transformations reihe[] = {T::TransformationNone,
                                                      T::TransformationMirror,
                                                      T::TransformationRotate180,
                                                      T::TransformationFlip,
                                                      T::TransformationFlipAndRotate90,
                                                      T::TransformationRotate90,
                                                      T::TransformationMirrorAndRotate90,
                                                      T::TransformationRotate270};
    for (int i = 0; i < 8; ++i) {
        if (reihe[i] == t)
            return i + 1;
    }
    return 1;
}

// A picture file read whole and checked, with a reader at its start. The
// whole file is read first so that the completeness checks and the decoder
// see the same bytes.
class Quelle final
{
public:
    explicit Quelle(const QString& pfad)
    {
        speichergrenzeSetzen();

        const QFileInfo info(pfad);
        if (!info.exists()) {
            m_fehler = meldung::GrundFehlt.toString();
            return;
        }
        // A folder or a named pipe with a picture's name would fail or block.
        if (!info.isFile()) {
            m_fehler = meldung::GrundKeineDatei.toString();
            return;
        }
        m_inhalt = dateien::lesen(pfad, &m_fehler);
        if (m_inhalt.isNull())
            return;
        if (m_inhalt.isEmpty()) {
            m_fehler = meldung::GrundLeer.toString();
            return;
        }

        m_puffer.setBuffer(&m_inhalt);
        m_puffer.open(QIODevice::ReadOnly);
        m_format = QImageReader::imageFormat(&m_puffer);
        const Pruefung pruefung = pruefungFuer(m_format);
        if (!pruefung) {
            m_fehler = meldung::GrundFormat.toString();
            return;
        }
        if (!pruefung(m_inhalt)) {
            m_fehler = meldung::GrundUnvollstaendig.toString();
            return;
        }

        m_leser.emplace(&m_puffer, m_format);
        m_leser->setAutoTransform(false);
        m_groesse = m_leser->size();
        // 16 bits per sample are held at twice the size until they are
        // rounded. Only these readers are asked: Qt's JPEG reader answers
        // with an unset value for a header it cannot read.
        const bool tief =
            (m_format == "png" || m_format == "tiff") && istSechzehnBit(m_leser->imageFormat());
        const int faktor = tief ? 2 : 1;
        if (m_groesse.isValid() && faktor * bildBytes(m_groesse) > grenzeBytes())
            m_zuGross = zuGrossMeldung(m_groesse);
    }
    Quelle(const Quelle&) = delete;
    Quelle& operator=(const Quelle&) = delete;

    const QString& fehler() const { return m_fehler; }
    // Set when the whole picture decoded at once would pass the limit.
    const QString& zuGross() const { return m_zuGross; }
    const QByteArray& inhalt() const { return m_inhalt; }
    bool istJpeg() const { return m_format == "jpeg"; }
    // From the header; invalid where the reader cannot tell before decoding.
    QSize groesse() const { return m_groesse; }
    // Asked only of a header the reader could read.
    int orientierung()
    {
        return m_groesse.isValid() ? exifOrientierung(m_leser->transformation()) : 1;
    }
    QImageReader& leser() { return *m_leser; }

    // Decodes as the reader is set up. On failure returns a null picture and
    // puts the reason into `fehler`.
    QImage lesen(QString* fehler)
    {
        const QImage roh = m_leser->read();
        if (roh.isNull()) {
            switch (m_leser->error()) {
            case QImageReader::UnsupportedFormatError:
                *fehler = meldung::GrundFormat.toString();
                break;
            case QImageReader::InvalidDataError:
                *fehler = meldung::GrundBeschaedigt.toString();
                break;
            default:
                *fehler = meldung::GrundUnbekannt.toString();
                break;
            }
            return {};
        }
        QImage bild = ohneAlpha(istSechzehnBit(roh.format()) ? achtBit(roh) : roh);
        if (bild.isNull())
            *fehler = meldung::GrundBeschaedigt.toString();
        return bild;
    }

private:
    QByteArray m_inhalt;
    QBuffer m_puffer;
    QByteArray m_format;
    std::optional<QImageReader> m_leser;
    QSize m_groesse;
    QString m_fehler;
    QString m_zuGross;
};

GeladenesBild fehlschlag(const QString& grund)
{
    GeladenesBild ergebnis;
    ergebnis.fehler = grund;
    return ergebnis;
}

} // namespace

GeladenesBild bildLaden(const QString& pfad)
{
    return bereichLaden(pfad, QRect());
}

GeladenesBild bereichLaden(const QString& pfad, const QRect& bereich, Speicherbudget* budget)
{
    return bereichLaden(
        pfad, [bereich](const Bildkopf&) { return std::optional<QRect>(bereich); }, budget);
}

GeladenesBild bereichLaden(const QString& pfad, const Bereichswahl& wahl, Speicherbudget* budget)
{
    Quelle quelle(pfad);
    if (!quelle.fehler().isEmpty())
        return fehlschlag(quelle.fehler());
    const int orientierung = quelle.orientierung();
    auto mitKopf = [&](GeladenesBild e) {
        e.orientierung = orientierung;
        e.inhalt = quelle.inhalt();
        e.jpeg = quelle.istJpeg();
        return e;
    };

    // libjpeg reads the size of any JPEG, also one too large for Qt's reader.
    JpegKopf kopf;
    QString grund;
    const bool jpegKopf = quelle.istJpeg() && jpegKopfLesen(quelle.inhalt(), &kopf, &grund) &&
                          !kopf.groesse.isEmpty();
    const QSize gespeichert = jpegKopf ? kopf.groesse : quelle.groesse();
    QRect bereich;
    if (gespeichert.isValid()) {
        const std::optional<QRect> gewaehlt =
            wahl({gespeichert, orientierung, quelle.istJpeg(), quelle.inhalt()});
        if (!gewaehlt) {
            GeladenesBild ergebnis;
            ergebnis.vollGroesse = gespeichert;
            ergebnis.icc = farbprofilLesen(quelle.inhalt());
            return mitKopf(std::move(ergebnis));
        }
        bereich = *gewaehlt;
    }

    // libjpeg itself decodes only the rows and columns that `bereich` needs,
    // so a picture far above the limit is cut as long as the part fits.
    if (jpegKopf && bereich.isValid()) {
        const QRect ganz(QPoint(0, 0), kopf.groesse);
        const QRect teil = bereich.intersected(ganz);
        if (!teil.isEmpty()) {
            const qint64 bedarf = bildBytes(teil.size()) + kopf.koeffizientenBytes;
            if (bedarf > grenzeBytes())
                return fehlschlag(zuGrossMeldung(kopf.groesse));
            GeladenesBild ergebnis;
            // The views are copied out of the part one at a time.
            if (budget)
                ergebnis.anteil =
                    budget->nehmen(bedarf + bildBytes(teil.size()) + quelle.inhalt().size());
            ergebnis.bild = jpegBereichDekodieren(quelle.inhalt(), teil, &grund);
            if (!ergebnis.bild.isNull()) {
                ergebnis.ursprung = teil.topLeft();
                ergebnis.vollGroesse = ganz.size();
                ergebnis.icc = farbprofilLesen(quelle.inhalt());
                return mitKopf(std::move(ergebnis));
            }
            // Qt's reader below judges a file libjpeg gave up on as it always did.
        }
    }
    if (!quelle.zuGross().isEmpty())
        return fehlschlag(quelle.zuGross());

    const QRect ganz(QPoint(0, 0), quelle.groesse());
    QRect teil;
    // Only the JPEG reader clips while decoding; the others would decode the
    // whole picture and then copy the part, which saves nothing.
    if (quelle.istJpeg() && ganz.isValid() && bereich.isValid()) {
        teil = bereich.intersected(ganz);
        if (!teil.isEmpty() && teil != ganz)
            quelle.leser().setClipRect(teil);
        else
            teil = QRect();
    }

    GeladenesBild ergebnis;
    if (budget && ganz.isValid())
        ergebnis.anteil = budget->nehmen(2 * bildBytes(ganz.size()) + quelle.inhalt().size());
    ergebnis.bild = quelle.lesen(&ergebnis.fehler);
    if (ergebnis.bild.isNull())
        return fehlschlag(ergebnis.fehler);
    if (!teil.isEmpty() && ergebnis.bild.size() == teil.size()) {
        ergebnis.ursprung = teil.topLeft();
        ergebnis.vollGroesse = ganz.size();
    } else {
        ergebnis.vollGroesse = ergebnis.bild.size();
    }
    ergebnis.icc = farbprofilLesen(quelle.inhalt());
    return mitKopf(std::move(ergebnis));
}

namespace {

Vorschaubild vorschauGespeichert(Quelle& quelle, QSize ziel)
{
    Vorschaubild ergebnis;
    const QSize voll = quelle.groesse();
    int achtel = 8;
    if (quelle.istJpeg() && voll.isValid() && !ziel.isEmpty()) {
        // libjpeg scales by M/8 while decoding, which skips most of the
        // inverse DCT work. The smallest M that still covers `ziel` is asked
        // for, rounded down, so that Qt keeps exactly that M and only trims
        // the odd last pixel instead of decoding larger and scaling down.
        for (int m = 1; m < 8; ++m) {
            const QSize stufe(int(qint64(voll.width()) * m / 8),
                              int(qint64(voll.height()) * m / 8));
            if (stufe.width() >= ziel.width() && stufe.height() >= ziel.height()) {
                quelle.leser().setScaledSize(stufe);
                achtel = m;
                break;
            }
        }
    }
    if (!quelle.zuGross().isEmpty()) {
        // Too large to be held whole, a JPEG is previewed from libjpeg's
        // scaled decode, which holds only the small picture. A file libjpeg
        // finds damaged keeps the reason it always had.
        const QSize stufe((voll.width() * qint64(achtel) + 7) / 8,
                          (voll.height() * qint64(achtel) + 7) / 8);
        QString grund;
        if (achtel < 8 && bildBytes(stufe) <= grenzeBytes())
            ergebnis.bild = jpegSkaliertDekodieren(quelle.inhalt(), achtel, &grund);
        if (ergebnis.bild.isNull())
            ergebnis.fehler = quelle.zuGross();
        else
            ergebnis.vollGroesse = voll;
        return ergebnis;
    }
    ergebnis.bild = quelle.lesen(&ergebnis.fehler);
    if (ergebnis.bild.isNull())
        return ergebnis;
    ergebnis.vollGroesse = voll.isValid() ? voll : ergebnis.bild.size();
    return ergebnis;
}

} // namespace

Vorschaubild vorschauLaden(const QString& pfad, QSize ziel, bool exif)
{
    Quelle quelle(pfad);
    if (!quelle.fehler().isEmpty()) {
        Vorschaubild ergebnis;
        ergebnis.fehler = quelle.fehler();
        return ergebnis;
    }
    const int orientierung = exif ? quelle.orientierung() : 1;
    // Decoded as stored, and only then turned: the size to cover turns too.
    Vorschaubild ergebnis = vorschauGespeichert(quelle, aufrecht(ziel, orientierung));
    if (ergebnis.ok() && orientierung != 1) {
        ergebnis.bild = aufrichten(ergebnis.bild, orientierung);
        ergebnis.vollGroesse = aufrecht(ergebnis.vollGroesse, orientierung);
    }
    return ergebnis;
}

Bildgroesse groesseLesen(const QString& pfad)
{
    Bildgroesse ergebnis;
    const QFileInfo info(pfad);
    QFile datei(pfad);
    if (!info.exists())
        ergebnis.fehler = meldung::GrundFehlt.toString();
    else if (!info.isFile())
        ergebnis.fehler = meldung::GrundKeineDatei.toString();
    else if (!datei.open(QIODevice::ReadOnly))
        // Qt's reason is English; the system's own is told in German.
        ergebnis.fehler = dateien::grund(errno, true);
    else if (datei.size() == 0)
        ergebnis.fehler = meldung::GrundLeer.toString();
    if (!ergebnis.ok())
        return ergebnis;

    const QByteArray format = QImageReader::imageFormat(&datei);
    if (!pruefungFuer(format)) {
        ergebnis.fehler = meldung::GrundFormat.toString();
        return ergebnis;
    }
    QImageReader leser(&datei, format);
    ergebnis.groesse = leser.size();
    if (ergebnis.groesse.isValid())
        ergebnis.orientierung = exifOrientierung(leser.transformation());
    // A GIF whose first picture is 0 × 0 has a size but no pixel to decode.
    if (!ergebnis.groesse.isValid() || ergebnis.groesse.isEmpty()) {
        ergebnis.groesse = QSize();
        ergebnis.fehler = meldung::GrundBeschaedigt.toString();
    }
    return ergebnis;
}

} // namespace schnitt
