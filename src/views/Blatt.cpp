#include "Blatt.h"

#include "Ausschnitt.h"
#include "Kodierer.h"
#include "Meldungen.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace schnitt {

namespace {

const QColor Leer(208, 208, 208);
const QColor Rot(190, 32, 32);
const QColor Schrift(20, 20, 20);

// A font every machine of ours has, at a size in pixels, without hinting or
// subpixel colours: the window's grid, a saved sheet and the command line's
// sheet draw the same glyphs whatever the screen says.
QFont blattSchrift(int pixel)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixel);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoSubpixelAntialias | QFont::PreferAntialias));
    return f;
}

} // namespace

QRect Blattlayout::zelle(int i) const
{
    const int spalte = i % spalten, zeile = i / spalten;
    return {Rand + spalte * (kachelbreite + Abstand),
            Rand + zeile * (kachelhoehe + Namenshoehe + Abstand), kachelbreite,
            kachelhoehe + Namenshoehe};
}

QRect Blattlayout::kachelbox(int i) const
{
    const QRect z = zelle(i);
    return {z.topLeft(), QSize(kachelbreite, kachelhoehe)};
}

QSize Blattlayout::groesse(int anzahl) const
{
    const int zeilen = std::max(1, (anzahl + spalten - 1) / spalten);
    const int spaltenGenutzt = std::clamp(anzahl, 1, spalten);
    return {2 * Rand + spaltenGenutzt * kachelbreite + (spaltenGenutzt - 1) * Abstand,
            2 * Rand + zeilen * (kachelhoehe + Namenshoehe) + (zeilen - 1) * Abstand};
}

int Blattlayout::zelleAn(QPoint punkt, int anzahl) const
{
    if (punkt.x() < Rand || punkt.y() < Rand)
        return -1;
    const int spalte = (punkt.x() - Rand) / (kachelbreite + Abstand);
    const int zeile = (punkt.y() - Rand) / (kachelhoehe + Namenshoehe + Abstand);
    if (spalte >= spalten)
        return -1;
    const int i = zeile * spalten + spalte;
    return i < anzahl && zelle(i).contains(punkt) ? i : -1;
}

Blattlayout Blattlayout::fuerBreite(int breite, int kachelbreite, int kachelhoehe)
{
    const int spalten = (breite - 2 * Rand + Abstand) / (kachelbreite + Abstand);
    return {std::max(1, spalten), kachelbreite, kachelhoehe};
}

Blattlayout Blattlayout::fuerAnzahl(int anzahl, int kachelbreite, int kachelhoehe)
{
    const double zellBreite = kachelbreite + Abstand;
    const double zellHoehe = kachelhoehe + Namenshoehe + Abstand;
    const int spalten = int(std::ceil(std::sqrt(std::max(1, anzahl) * zellHoehe / zellBreite)));
    return {std::clamp(spalten, 1, std::max(1, anzahl)), kachelbreite, kachelhoehe};
}

void zelleZeichnen(QPainter& maler, const Blattlayout& layout, int i, const Kachel* kachel)
{
    const QRect box = layout.kachelbox(i);
    if (!kachel) {
        maler.fillRect(box, Leer);
        return;
    }
    if (kachel->rot()) {
        maler.fillRect(box, Rot);
        maler.setPen(Qt::white);
        maler.setFont(blattSchrift(10));
        maler.drawText(box.adjusted(4, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                       kachel->grund);
    } else {
        // Narrower or lower views stand in the middle of their box.
        const QSize g = kachel->bild.size();
        maler.drawImage(QPoint(box.x() + (box.width() - g.width()) / 2,
                               box.y() + (box.height() - g.height()) / 2),
                        kachel->bild);
    }
    const QFont schrift = blattSchrift(11);
    maler.setFont(schrift);
    maler.setPen(Schrift);
    const QRect zeile(box.x(), box.bottom() + 1, box.width(), Blattlayout::Namenshoehe);
    const QString name = QFontMetrics(schrift).elidedText(meldung::zeilentauglich(kachel->name),
                                                          Qt::ElideMiddle, zeile.width());
    maler.drawText(zeile, Qt::AlignHCenter | Qt::AlignVCenter, name);
}

QImage blattZeichnen(const QList<const Kachel*>& kacheln, int kachelbreite, int kachelhoehe)
{
    const int n = int(kacheln.size());
    const Blattlayout layout = Blattlayout::fuerAnzahl(n, kachelbreite, kachelhoehe);
    QImage blatt(layout.groesse(n), QImage::Format_RGB32);
    if (blatt.isNull())
        return blatt;
    blatt.fill(blattfarbe());
    QPainter maler(&blatt);
    maler.setRenderHint(QPainter::TextAntialiasing);
    for (int i = 0; i < n; ++i)
        zelleZeichnen(maler, layout, i, kacheln[i]);
    return blatt;
}

QImage blattZeichnen(const QList<Kachel>& kacheln, int kachelbreite, int kachelhoehe)
{
    QList<const Kachel*> zeiger;
    zeiger.reserve(kacheln.size());
    for (const Kachel& k : kacheln)
        zeiger.append(&k);
    return blattZeichnen(zeiger, kachelbreite, kachelhoehe);
}

bool blattSpeichern(const QImage& blatt, const QString& pfad, QString* fehlerzeile)
{
    QString grund;
    const QByteArray png =
        blatt.isNull() ? QByteArray()
                       : kodieren(blatt, {frames::Ausgabeformat::png, std::nullopt, {}}, &grund);
    if (png.isNull()) {
        *fehlerzeile = meldung::NichtGeschrieben.arg(
            meldung::zeilentauglich(QDir::toNativeSeparators(pfad)),
            grund.isEmpty() ? meldung::GrundUnbekannt.toString() : grund);
        return false;
    }
    return bmpSpeichern(png, pfad, fehlerzeile);
}

} // namespace schnitt
