#include "Ausschnitt.h"

#include "config/Dateien.h"
#include "config/Profil.h"

#include "Meldungen.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

#include <cstring>
#include <new>

namespace schnitt {

namespace {

const RichtungsInfo* richtungZu(QChar buchstabe)
{
    for (const RichtungsInfo& r : richtungen) {
        if (QChar(r.buchstabe).toUpper() == buchstabe.toUpper())
            return &r;
    }
    return nullptr;
}

// Windows refuses to write where the read-only attribute is set, for every
// user; the owner's write bit stands in for that attribute here.
bool schreibbar(const QFileInfo& info)
{
    return info.isWritable() && info.permissions().testFlag(QFileDevice::WriteOwner);
}

// Views above this size go through QImageWriter, which streams, instead of
// being laid out whole in memory first.
constexpr qint64 GanzImSpeicherBis = 256 * 1024 * 1024;
constexpr int BmpKopf = 14 + 40;

void le16(uchar*& p, quint32 v)
{
    *p++ = uchar(v & 0xFF);
    *p++ = uchar((v >> 8) & 0xFF);
}

void le32(uchar*& p, quint32 v)
{
    le16(p, v & 0xFFFF);
    le16(p, v >> 16);
}

qint64 bmpZeilenlaenge(qint64 breite)
{
    return (breite * 24 + 31) / 32 * 4;
}

// The resolution in every view's header: 96 dpi, what Qt gives a new picture
// where a window system reports the usual 96 dpi, as the views have always
// carried there. Taken from Qt's default it would follow the screen, or be
// 100 dpi without one, and the same cut would give other bytes in a window
// on another screen or on the command line.
constexpr int PunkteJeMeter = 3780;

// A 24-bit BMP laid out as QImageWriter writes it (the same header fields,
// rows bottom-up, each padded with zeros to four bytes), with the header
// filled in and the rows left to the caller. Qt's writer first converts a
// view to 32 bits and then packs every pixel back to three bytes; a batch
// writes hundreds of megabytes of views, and in its profile that detour
// stood next to the JPEG decoder. Null when the view is too large for one
// buffer or memory runs out.
QByteArray bmpAnlegen(qint64 breite, qint64 hoehe, int punkteX, int punkteY)
{
    const qint64 daten = bmpZeilenlaenge(breite) * hoehe;
    if (BmpKopf + daten > GanzImSpeicherBis)
        return {};
    QByteArray bmp;
    try {
        bmp = QByteArray(BmpKopf + daten, Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        return {};
    }
    auto* p = reinterpret_cast<uchar*>(bmp.data());
    *p++ = 'B';
    *p++ = 'M';
    le32(p, quint32(BmpKopf + daten));
    le32(p, 0); // two reserved words
    le32(p, BmpKopf);
    le32(p, 40);
    le32(p, quint32(breite));
    le32(p, quint32(hoehe)); // positive: rows bottom-up
    le16(p, 1);
    le16(p, 24);
    le32(p, 0); // no compression
    le32(p, quint32(daten));
    le32(p, quint32(punkteX ? punkteX : 2834));
    le32(p, quint32(punkteY ? punkteY : 2834));
    le32(p, 0); // colours used
    le32(p, 0); // colours important
    return bmp;
}

// Row y of the picture, counted from the top, with its padding zeroed.
uchar* bmpZeile(QByteArray& bmp, qint64 breite, qint64 hoehe, qint64 y)
{
    const qint64 laenge = bmpZeilenlaenge(breite);
    uchar* zeile = reinterpret_cast<uchar*>(bmp.data()) + BmpKopf + (hoehe - 1 - y) * laenge;
    std::memset(zeile + breite * 3, 0, size_t(laenge - breite * 3));
    return zeile;
}

// `anzahl` pixels of Format_RGB32 (B, G, R, X in memory on every platform
// Qt runs on little-endian) as the B, G, R of a BMP row. Each pixel is
// stored as four bytes whose last the next pixel overwrites: one store per
// pixel instead of three, in the loop that copies every view's bytes.
void bgrAusBgrx(uchar* ziel, const uchar* quelle, int anzahl)
{
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "RGB32 as B, G, R, X in memory");
    if (anzahl <= 0)
        return;
    for (int x = 0; x < anzahl - 1; ++x, ziel += 3, quelle += 4)
        std::memcpy(ziel, quelle, 4);
    std::memcpy(ziel, quelle, 3);
}

QByteArray alsBmp(const QImage& rgb888)
{
    QByteArray bmp = bmpAnlegen(rgb888.width(), rgb888.height(), PunkteJeMeter, PunkteJeMeter);
    if (bmp.isNull())
        return {};
    for (int y = 0; y < rgb888.height(); ++y) {
        const uchar* q = rgb888.constScanLine(y);
        uchar* p = bmpZeile(bmp, rgb888.width(), rgb888.height(), y);
        for (int x = 0; x < rgb888.width(); ++x, q += 3, p += 3) {
            p[0] = q[2];
            p[1] = q[1];
            p[2] = q[0];
        }
    }
    return bmp;
}

// Refuses what Windows would refuse. On failure returns the reason.
QString speicherortPruefen(const QString& pfad)
{
    const QFileInfo ziel(pfad);
    if (ziel.isDir())
        return meldung::GrundOrdnerImWeg.toString();
    if (ziel.exists() && !schreibbar(ziel))
        return meldung::GrundDateiSchreibgeschuetzt.toString();
    if (!schreibbar(QFileInfo(ziel.absolutePath())))
        return meldung::GrundOrdnerSchreibgeschuetzt.toString();
    return {};
}

// Writes beside the old file and replaces it only once all is written and
// flushed to the disk, so that neither a failed write nor a crash leaves
// half a view. `schreiben` fills the file; on failure it returns false.
template <typename Schreiben>
bool sicherSchreiben(const QString& pfad, QString* fehlerzeile, Schreibbericht* bericht,
                     Schreiben schreiben)
{
    auto scheitern = [&](const QString& grund) {
        if (fehlerzeile)
            *fehlerzeile = meldung::NichtGeschrieben.arg(
                meldung::zeilentauglich(QDir::toNativeSeparators(pfad)), grund);
        return false;
    };
    if (const QString grund = speicherortPruefen(pfad); !grund.isEmpty())
        return scheitern(grund);

    dateien::Zwischendatei datei(pfad);
    if (bericht && bericht->mitPruefsumme)
        datei.pruefsummeBilden();
    if (!datei.oeffnen() || !schreiben(datei) || !datei.abschliessen())
        return scheitern(datei.grund().isEmpty() ? meldung::GrundUnbekannt.toString()
                                                 : datei.grund());
    if (bericht) {
        bericht->groesse = datei.geschrieben();
        bericht->sha256 = datei.pruefsumme();
    }
    return true;
}

} // namespace

QImage ausschneiden(const QImage& quelle, const FrameRechteck& r)
{
    return ausschneiden(quelle, QPoint(0, 0), r);
}

QImage ausschneiden(const QImage& quelle, QPoint ursprung, const FrameRechteck& r)
{
    return ausschneiden(quelle, ursprung, QRect(r.left, r.top, r.width, r.height));
}

QImage ausschneiden(const QImage& quelle, QPoint ursprung, const QRect& rechteck)
{
    const QSize r = rechteck.size();
    const QRect gedeckt = rechteck.intersected(QRect(ursprung, quelle.size()));
    // A rectangle of no width or height covers nothing either, and a picture
    // of that size is null.
    if (gedeckt.isEmpty()) {
        QImage ansicht(r.width(), r.height(), QImage::Format_RGB888);
        if (!ansicht.isNull())
            ansicht.fill(QColor::fromRgb(Fuellfarbe));
        return ansicht;
    }
    if (quelle.depth() < 8 || quelle.format() == QImage::Format_Indexed8) {
        // Pixels smaller than a byte, or a palette, cannot be windowed below.
        const QImage rgb = quelle.convertToFormat(QImage::Format_RGB32);
        return rgb.isNull() ? QImage() : ausschneiden(rgb, ursprung, rechteck);
    }
    // A window onto the covered rows that copies nothing, so the conversion
    // to RGB888 reads the source once. Like every new picture it carries the
    // default resolution, not that of the source; the saved file's header
    // shows PunkteJeMeter either way.
    const QPoint ab = gedeckt.topLeft() - ursprung;
    const QImage fenster(quelle.constScanLine(ab.y()) + qsizetype(ab.x()) * (quelle.depth() / 8),
                         gedeckt.width(), gedeckt.height(), quelle.bytesPerLine(), quelle.format());
    // The window borrows the source's memory: it must not be handed out as is.
    QImage teil = fenster.format() == QImage::Format_RGB888
                      ? fenster.copy()
                      : fenster.convertToFormat(QImage::Format_RGB888);
    if (teil.isNull())
        return {};
    if (gedeckt == rechteck)
        return teil;

    QImage ansicht(r.width(), r.height(), QImage::Format_RGB888);
    if (ansicht.isNull())
        return {};
    ansicht.fill(QColor::fromRgb(Fuellfarbe));
    const int dx = gedeckt.x() - rechteck.x();
    const int dy = gedeckt.y() - rechteck.y();
    constexpr int BytesJePixel = 3;
    for (int y = 0; y < teil.height(); ++y) {
        std::memcpy(ansicht.scanLine(dy + y) + dx * BytesJePixel, teil.constScanLine(y),
                    size_t(teil.width()) * BytesJePixel);
    }
    return ansicht;
}

QString ausgabeOrdner(const QString& programmOrdner)
{
    return QDir(programmOrdner).filePath(AusgabeOrdnername.toString());
}

QString ansichtsStamm(const QString& dateiname)
{
    qsizetype endung = 4;
    for (QStringView lang : {u".jpeg", u".tiff", u".webp", u".webm"}) {
        if (dateiname.endsWith(lang, Qt::CaseInsensitive))
            endung = lang.size();
    }
    if (dateiname.size() < endung)
        return {};
    return dateiname.chopped(endung);
}

QString ansichtsDateiname(const QString& dateiname, QChar buchstabe, frames::Ausgabeformat format,
                          bool jeRichtung)
{
    const QString stamm = ansichtsStamm(dateiname);
    return stamm.isNull() ? QString() : ansichtsName(stamm, buchstabe, format, jeRichtung);
}

QString ansichtsName(const QString& stamm, QChar buchstabe, frames::Ausgabeformat format,
                     bool jeRichtung)
{
    const QString endung = u'.' + frames::formatEndung(format);
    return jeRichtung ? buchstabe + u'/' + stamm + endung : stamm + u'_' + buchstabe + endung;
}

QString videobildStamm(const QString& video, qint64 nummer)
{
    const QString stamm = ansichtsStamm(video);
    return stamm.isNull() ? QString()
                          : stamm + u'_' + QString::number(nummer).rightJustified(6, u'0');
}

bool buchstabeZulaessig(QChar buchstabe)
{
    return buchstabe.isLetterOrNumber();
}

QString erstelltMeldung(QChar buchstabe)
{
    const RichtungsInfo* r = richtungZu(buchstabe);
    return r ? QString::fromUtf16(r->meldung) : QString();
}

QString richtungsName(QChar buchstabe)
{
    const RichtungsInfo* r = richtungZu(buchstabe);
    return r ? QString::fromUtf16(r->name) : QString(buchstabe);
}

bool ausgabeOrdnerAnlegen(const QString& ordner, QString* grund)
{
    const QFileInfo info(ordner);
    if (info.isDir())
        return true;
    QString warum;
    if (info.exists())
        warum = meldung::GrundDateiImWeg.toString();
    else if (profildatei::schreibgeschuetzt(info.absolutePath()))
        // Checked by its mode bits, so that an administrator does not write
        // into a folder the user has made read-only either.
        warum = meldung::GrundOrdnerSchreibgeschuetzt.toString();
    else if (dateien::ordnerAnlegen(ordner, &warum))
        return true;
    if (grund)
        *grund = warum;
    return false;
}

QByteArray ansichtAlsBmp(const QImage& quelle, QPoint ursprung, const FrameRechteck& r)
{
    return ansichtAlsBmp(quelle, ursprung, QRect(r.left, r.top, r.width, r.height));
}

QByteArray ansichtAlsBmp(const QImage& quelle, QPoint ursprung, const QRect& rechteck)
{
    const QSize r = rechteck.size();
    if (r.width() <= 0 || r.height() <= 0 || quelle.format() != QImage::Format_RGB32)
        return {};
    QByteArray bmp = bmpAnlegen(r.width(), r.height(), PunkteJeMeter, PunkteJeMeter);
    if (bmp.isNull())
        return {};

    const QRect gedeckt = rechteck.intersected(QRect(ursprung, quelle.size()));
    // Columns of the view that the source covers, the same in every covered row.
    const int links = gedeckt.isEmpty() ? r.width() : gedeckt.left() - rechteck.left();
    const int rechts = gedeckt.isEmpty() ? r.width() : gedeckt.right() + 1 - rechteck.left();
    const uchar weiss[3] = {uchar(qBlue(Fuellfarbe)), uchar(qGreen(Fuellfarbe)),
                            uchar(qRed(Fuellfarbe))};
    auto fuellen = [&weiss](uchar* p, int von, int bis) {
        for (int x = von; x < bis; ++x) {
            p[3 * x] = weiss[0];
            p[3 * x + 1] = weiss[1];
            p[3 * x + 2] = weiss[2];
        }
    };
    for (int y = 0; y < r.height(); ++y) {
        uchar* p = bmpZeile(bmp, r.width(), r.height(), y);
        const int quellzeile = rechteck.top() + y - ursprung.y();
        if (gedeckt.isEmpty() || quellzeile < gedeckt.top() - ursprung.y() ||
            quellzeile > gedeckt.bottom() - ursprung.y()) {
            fuellen(p, 0, r.width());
            continue;
        }
        fuellen(p, 0, links);
        bgrAusBgrx(p + 3 * links,
                   quelle.constScanLine(quellzeile) + 4 * (rechteck.left() + links - ursprung.x()),
                   rechts - links);
        fuellen(p, rechts, r.width());
    }
    return bmp;
}

bool bmpSpeichern(const QByteArray& bmp, const QString& pfad, QString* fehlerzeile,
                  Schreibbericht* bericht)
{
    return sicherSchreiben(pfad, fehlerzeile, bericht,
                           [&bmp](dateien::Zwischendatei& datei) { return datei.schreiben(bmp); });
}

bool ansichtSpeichern(const QImage& ansicht, const QString& pfad, QString* fehlerzeile,
                      Schreibbericht* bericht)
{
    return sicherSchreiben(pfad, fehlerzeile, bericht, [&ansicht](dateien::Zwischendatei& datei) {
        const QImage rgb888 = ansicht.convertToFormat(QImage::Format_RGB888);
        if (const QByteArray bmp = alsBmp(rgb888); !bmp.isNull())
            return datei.schreiben(bmp);
        // Too large for one buffer: Qt's writer streams it.
        return QImageWriter(datei.geraet(), "bmp").write(rgb888);
    });
}

} // namespace schnitt
