// The cutting commands: one picture, or every picture of the folder.

#include "Form1.h"

#include "Bildfeld.h"
#include "DateiListe.h"
#include "VerzeichnisListe.h"
#include "views/Schneider.h"
#include "views/Stapel.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QScopedValueRollback>

std::array<std::optional<FrameRechteck>, 4> Form1::angehakt() const
{
    std::array<std::optional<FrameRechteck>, 4> auswahl;
    for (const RichtungsInfo& r : richtungen) {
        if (checkFuer(r.richtung)->isChecked())
            auswahl[static_cast<size_t>(r.richtung)] = rechteck(r.richtung);
    }
    return auswahl;
}

void Form1::schnittZeigen(const QStringList& zeilen, const QImage& bild, QSize vollGroesse)
{
    for (const QString& zeile : zeilen)
        SchreibProtokoll(zeile);
    // The full-size box holds the picture cut last; the overlay measures it.
    // A batch may have decoded only part of it, hence the size given apart.
    if (!bild.isNull())
        Picture1->setzeBild(bild, vollGroesse);
}

void Form1::schneideBilder(const QString& ordner, const QStringList& namen)
{
    const QList<schnitt::Schnitt> schnitte = schnitt::schnitteFuer(angehakt());
    const QScopedValueRollback schneidet(m_schneidet, true);
    const bool mitFortschritt = namen.size() > 1;
    if (mitFortschritt)
        fortschrittZeigen(0, static_cast<int>(namen.size()));
    // Pictures are cut on every core; results arrive here in name order, so
    // the log reads as if they had been cut one after the other.
    schnitt::stapelSchneiden(ordner, namen, schnitte, m_programmordner,
                             [&](schnitt::Bildschnitt&& ergebnis, int fertig, int gesamt) {
                                 schnittZeigen(schnitt::protokollieren(ergebnis, letztedatei),
                                               ergebnis.bild, ergebnis.vollGroesse);
                                 if (mitFortschritt)
                                     fortschrittZeigen(fertig, gesamt);
                             });
    Fortschritt->hide();
}

void Form1::fortschrittZeigen(int fertig, int gesamt)
{
    Fortschritt->setRange(0, gesamt);
    Fortschritt->setValue(fertig);
    Fortschritt->show();
}

void Form1::SchneideBild(const QString& Richtung, qint16 Left, qint16 Top, qint16 Width,
                         qint16 Height, const QString& Dateiname)
{
    const QString name = Dateiname.isEmpty() ? File1->fileName() : Dateiname;
    const QChar buchstabe = Richtung.isEmpty() ? QChar() : Richtung.front();
    const schnitt::Schnittprotokoll ergebnis =
        schnitt::bildAusschneiden(File1->path(), name, {{buchstabe, {Top, Left, Width, Height}}},
                                  m_programmordner, letztedatei);
    schnittZeigen(ergebnis.zeilen, ergebnis.bild, ergebnis.bild.size());
}

void Form1::Command1_Click()
{
    Ladebalkenzeigen(true);
    const QString name = File1->fileName();
    if (QFileInfo(QDir(File1->path()).filePath(name)).isFile()) {
        // One decode serves every ticked view; the window repaints meanwhile.
        schneideBilder(File1->path(), {name});
        letztedatei.clear();
    } else {
        SchreibProtokoll(name + QStringLiteral("existiert nicht"));
    }
    Ladebalkenzeigen(false);
}

void Form1::Command6_Click()
{
    const QString ordner = Dir1->path();
    const QStringList bilder = schnitt::bilderFuerStapel(ordner);
    Ladebalkenzeigen(true);
    schneideBilder(ordner, bilder);
    Ladebalkenzeigen(false);
    for (const QString& zeile : schnitt::stapelSchlusszeilen())
        SchreibProtokoll(zeile);
}
