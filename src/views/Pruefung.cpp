#include "Pruefung.h"

#include "Ausschnitt.h"
#include "Bildladen.h"
#include "Geometrie.h"
#include "Meldungen.h"
#include "Panorama.h"
#include "Video.h"

#include <QDir>

namespace schnitt {

QString Pruefung::summe() const
{
    auto anzahl = [](int n) {
        return QString::number(n) + (n == 1 ? QStringLiteral(" passt") : QStringLiteral(" passen"));
    };
    return meldung::Pruefsumme.arg(QString::number(gesamt), anzahl(passen), anzahl(passenNicht),
                                   QString::number(unlesbar));
}

Pruefung
rahmenPruefen(const QList<Stapelbild>& bilder, const Schnittplan& plan,
              const std::function<void(const Bildbefund& befund, int fertig, int gesamt)>& melden)
{
    Pruefung p;
    p.gesamt = int(bilder.size());
    const QList<qsizetype> gleichWie = namensgleiche(bilder);
    const frames::Vorlage& vorlage = plan.vorlage;
    for (qsizetype i = 0; i < bilder.size(); ++i) {
        const Stapelbild& bild = bilder[i];
        const QString name = meldung::zeilentauglich(bild.dateiname);
        Bildbefund b;
        QStringList& zeilen = b.befunde;
        if (gleichWie[i] >= 0) {
            // Such a picture would not be cut at all.
            zeilen.append(namensgleichZeile(bild, bilder[gleichWie[i]]));
            ++p.passenNicht;
            melden(b, p.passen + p.passenNicht + p.unlesbar, p.gesamt);
            continue;
        }
        const QString pfad = QDir(bild.quellOrdner).filePath(bild.dateiname);
        Bildgroesse g;
        if (video::istVideodatei(bild.dateiname)) {
            // Displayed upright already: no orientation tag to apply.
            const video::Video v = video::Video::ausDatei(pfad);
            g.fehler = v.fehlerBeimOeffnen();
            g.groesse = v.groesse();
        } else {
            g = groesseLesen(pfad);
        }
        if (!g.ok()) {
            zeilen.append(meldung::NichtGeladen.arg(name, g.fehler));
            b.unlesbar = true;
            ++p.unlesbar;
            melden(b, p.passen + p.passenNicht + p.unlesbar, p.gesamt);
            continue;
        }
        const QSize groesse = aufrecht(g.groesse, vorlage.exif ? g.orientierung : 1);
        const QRect ganz(QPoint(0, 0), groesse);
        bool alle = true;
        if (!vorlage.skalieren && vorlage.breite > 0 && vorlage.hoehe > 0 &&
            (groesse.width() != vorlage.breite || groesse.height() != vorlage.hoehe)) {
            alle = false;
            zeilen.append(meldung::GroesseAnders.arg(
                name, QString::number(groesse.width()), QString::number(groesse.height()),
                QString::number(vorlage.breite), QString::number(vorlage.hoehe)));
        }
        bool skaliert = false;
        for (const Schnitt& s : plan.schnitte) {
            const FrameRechteck& f = s.rechteck;
            if (s.panorama) {
                if (!panorama::zweiZuEins(groesse)) {
                    alle = false;
                    zeilen.append(meldung::KeinPanorama.arg(name, richtungsName(s.buchstabe),
                                                            QString::number(groesse.width()),
                                                            QString::number(groesse.height())));
                }
                continue;
            }
            const QRect r = wirksamesRechteck(f, vorlage, groesse);
            skaliert |= r != QRect(f.left, f.top, f.width, f.height);
            // A rectangle without area lies nowhere, so not inside either.
            if (!r.isEmpty() && ganz.contains(r))
                continue;
            alle = false;
            zeilen.append(meldung::PasstNicht.arg(
                name, richtungsName(s.buchstabe), QString::number(r.left()),
                QString::number(r.top()), QString::number(r.width()), QString::number(r.height()),
                QString::number(groesse.width()), QString::number(groesse.height())));
        }
        if (skaliert)
            b.skaliert = meldung::Skaliert.arg(name, QString::number(groesse.width()),
                                               QString::number(groesse.height()));
        ++(alle ? p.passen : p.passenNicht);
        melden(b, p.passen + p.passenNicht + p.unlesbar, p.gesamt);
    }
    return p;
}

} // namespace schnitt
