#include "Ausschnitt.h"

#include "Meldungen.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <cstring>

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

} // namespace

QImage ausschneiden(const QImage& quelle, const FrameRechteck& r)
{
    if (r.width <= 0 || r.height <= 0)
        return {};
    QImage ansicht(r.width, r.height, QImage::Format_RGB888);
    if (ansicht.isNull())
        return {};
    ansicht.fill(QColor::fromRgb(Fuellfarbe));

    const QRect rechteck(r.left, r.top, r.width, r.height);
    const QRect gedeckt = rechteck.intersected(quelle.rect());
    if (gedeckt.isEmpty())
        return ansicht;
    const QImage teil = quelle.copy(gedeckt).convertToFormat(QImage::Format_RGB888);
    if (teil.isNull())
        return {};
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

QString ansichtsDateiname(const QString& dateiname, QChar buchstabe)
{
    if (dateiname.size() < Endungslaenge)
        return {};
    return dateiname.chopped(Endungslaenge) + u'_' + buchstabe + QStringLiteral(".bmp");
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
    QStringView warum;
    if (info.exists())
        warum = meldung::GrundDateiImWeg;
    else if (!QDir().mkpath(ordner))
        warum = meldung::GrundOrdnerNichtAngelegt;
    else
        return true;
    if (grund)
        *grund = warum.toString();
    return false;
}

bool ansichtSpeichern(const QImage& ansicht, const QString& pfad, QString* fehlerzeile)
{
    auto scheitern = [&](const QString& grund) {
        if (fehlerzeile)
            *fehlerzeile = meldung::NichtGeschrieben.arg(QDir::toNativeSeparators(pfad), grund);
        return false;
    };

    const QFileInfo ziel(pfad);
    if (ziel.isDir())
        return scheitern(meldung::GrundOrdnerImWeg.toString());
    if (ziel.exists() && !schreibbar(ziel))
        return scheitern(meldung::GrundDateiSchreibgeschuetzt.toString());
    if (!schreibbar(QFileInfo(ziel.absolutePath())))
        return scheitern(meldung::GrundOrdnerSchreibgeschuetzt.toString());

    QSaveFile datei(pfad);
    if (!datei.open(QIODevice::WriteOnly))
        return scheitern(datei.errorString());
    QImageWriter schreiber(&datei, "bmp");
    if (!schreiber.write(ansicht.convertToFormat(QImage::Format_RGB888))) {
        const QString grund =
            datei.error() != QFileDevice::NoError ? datei.errorString() : schreiber.errorString();
        // Without a commit the half-written file beside the old one is removed.
        datei.cancelWriting();
        return scheitern(grund);
    }
    if (!datei.commit())
        return scheitern(datei.errorString());
    return true;
}

} // namespace schnitt
