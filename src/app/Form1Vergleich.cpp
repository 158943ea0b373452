// Other slots' frames over the preview, to compare two configurations on
// the picture without choosing either.

#include "Form1.h"

#include "Bildfeld.h"
#include "Vergleichsfeld.h"
#include "config/FrameSlots.h"
#include "views/Geometrie.h"
#include "views/Overlay.h"
#include "views/Panorama.h"
#include "views/Schneider.h"

void Form1::vergleichUmschalten(int slot)
{
    if (slot < 1 || slot > frameslots::AnzahlSlots || framedateien[slot].isEmpty())
        return;
    if (!m_vergleiche.erase(slot))
        m_vergleiche[slot] =
            frames::konfigurationLesen(m_programmordner + u'/' + framedateien[slot]);
    vergleicheAnordnen();
}

QList<int> Form1::vergleiche() const
{
    QList<int> nummern;
    for (const auto& [slot, k] : m_vergleiche)
        nummern.append(slot);
    return nummern;
}

void Form1::vergleicheAnordnen()
{
    QList<Vergleichsfeld::Form> formen;
    const QSize bild = bildGroesse();
    const QSize feld = m_vergleichsfeld->size();
    for (const auto& [slot, k] : m_vergleiche) {
        if (!bildgeladen || bild.isEmpty() || feld.isEmpty())
            break;
        for (size_t i = 0; i < richtungen.size(); ++i) {
            const FrameRechteck& f = k.rahmen[i];
            if (!f.konfiguriert())
                continue;
            Vergleichsfeld::Form form;
            form.text =
                QStringLiteral("%1: %2").arg(slot).arg(QString::fromUtf16(richtungen[i].name));
            form.farbe = Vergleichsfeld::farbe(slot);
            if (const auto& p = k.panorama[i]) {
                // As the selected slot's views: only on a panorama, stretched over the preview.
                if (!schnitt::panorama::zweiZuEins(bild))
                    continue;
                const schnitt::panorama::Blick blick = schnitt::blickAus(*p, f);
                const QPointF m(double(feld.width()) / bild.width(),
                                double(feld.height()) / bild.height());
                for (QPolygonF teil : schnitt::panorama::umriss(bild, blick)) {
                    for (QPointF& punkt : teil)
                        punkt = QPointF(punkt.x() * m.x(), punkt.y() * m.y());
                    form.teile.append(teil);
                }
                // A line below the red name at the view's centre.
                const QPointF mitte = schnitt::panorama::mitte(bild, blick);
                form.mitte = QPointF(mitte.x() * m.x(),
                                     mitte.y() * m.y() + m_vergleichsfeld->fontMetrics().height());
            } else {
                // Placed as the selected slot's frames are, scaled by its own [Vorlage].
                const QRect r = overlay::aufPixel(
                    overlay::skaliert(schnitt::wirksamesRechteck(f, k.vorlage, bild),
                                      Picture1->size(), Picture3->size()));
                const QRectF rand = QRectF(r).adjusted(1, 1, -1, -1);
                form.teile.append(QPolygonF(rand));
                // At the bottom, apart from the red name at the top.
                form.mitte = QPointF(rand.center().x(),
                                     rand.bottom() - m_vergleichsfeld->fontMetrics().height());
            }
            formen.append(form);
        }
    }
    m_vergleichsfeld->setzeFormen(formen);
}
