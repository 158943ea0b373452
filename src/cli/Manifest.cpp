#include "Manifest.h"

#include "config/Dateien.h"

#include <QDir>

#include <algorithm>

namespace cli {

namespace {

constexpr QByteArrayView Kopfzeile =
    "Ansicht,Bild,Richtung,Left,Top,Width,Height,Bytes,SHA256,"
    "Aufnahme,Breitengrad,Laengengrad,Blickrichtung,Bild-Nr,Zeit\n";

// Enough places for a tenth of a metre on the ground, or a hundredth of a
// degree of heading, without trailing zeros.
QByteArray grad(std::optional<double> wert, int stellen)
{
    if (!wert)
        return {};
    QByteArray text = QByteArray::number(*wert, 'f', stellen);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? "0" : text;
}

QByteArray feld(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    for (const char c : bytes) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            bytes.replace("\"", "\"\"");
            return '"' + bytes + '"';
        }
    }
    return bytes;
}

} // namespace

Manifest::Manifest(const QString& zielOrdner)
    : m_zielOrdner(zielOrdner)
    , m_vorsatz(QDir(zielOrdner).filePath(QStringLiteral("x")).chopped(1))
{
}

void Manifest::aufnehmen(const QString& bild, const schnitt::Bildschnitt& schnitt,
                         const schnitt::Ansichtsdatei& ansicht)
{
    const QString pfad = ansicht.pfad.startsWith(m_vorsatz)
                             ? ansicht.pfad.mid(m_vorsatz.size())
                             : QDir(m_zielOrdner).relativeFilePath(ansicht.pfad);
    const QRect& r = ansicht.rechteck;
    QByteArray zeile = feld(pfad) + ',' + feld(bild) + ',' + feld(QString(ansicht.buchstabe));
    for (const qint64 zahl : {qint64(r.left()), qint64(r.top()), qint64(r.width()),
                              qint64(r.height()), ansicht.groesse})
        zeile += ',' + QByteArray::number(zahl);
    zeile += ',' + ansicht.sha256.toHex();
    zeile += ',' + feld(schnitt.aufnahme) + ',' + grad(schnitt.breitengrad, 7) + ',' +
             grad(schnitt.laengengrad, 7) + ',' + grad(ansicht.blickrichtung, 2);
    // A video frame's number and its time to the microsecond; empty for a picture.
    zeile += ',' + (schnitt.bildNr ? QByteArray::number(*schnitt.bildNr) : QByteArray()) + ',' +
             grad(schnitt.bildNr ? std::optional(schnitt.zeit) : std::nullopt, 6);
    m_zeilen.append(std::move(zeile));
}

bool Manifest::schreiben(const QString& pfad, QString* grund)
{
    // Bytes compared as unsigned, shorter first: the order of LC_ALL=C sort.
    std::sort(m_zeilen.begin(), m_zeilen.end());
    dateien::Zwischendatei datei(pfad);
    bool ok = datei.oeffnen();
    QByteArray block(Kopfzeile.toByteArray());
    for (auto zeile = m_zeilen.cbegin(); ok && zeile != m_zeilen.cend(); ++zeile) {
        block += *zeile;
        block += '\n';
        // A million views make a file of some 150 MB: written in blocks.
        if (block.size() >= (1 << 20)) {
            ok = datei.schreiben(block);
            block.clear();
        }
    }
    if (ok && datei.schreiben(block) && datei.abschliessen())
        return true;
    *grund = datei.grund();
    return false;
}

} // namespace cli
