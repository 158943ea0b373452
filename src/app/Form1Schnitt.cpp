// The cutting commands: one picture, or every picture of the folder.

#include "Form1.h"

#include "Bildfeld.h"
#include "DateiListe.h"
#include "VerzeichnisListe.h"
#include "views/Schneider.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>

std::array<std::optional<FrameRechteck>, 4> Form1::angehakt() const
{
    std::array<std::optional<FrameRechteck>, 4> auswahl;
    for (const RichtungsInfo& r : richtungen) {
        if (checkFuer(r.richtung)->isChecked())
            auswahl[static_cast<size_t>(r.richtung)] = rechteck(r.richtung);
    }
    return auswahl;
}

void Form1::schnittZeigen(const QStringList& zeilen, const QImage& bild)
{
    for (const QString& zeile : zeilen)
        SchreibProtokoll(zeile);
    // The full-size box holds the picture cut last; the overlay measures it.
    if (!bild.isNull())
        Picture1->setzeBild(bild);
}

void Form1::SchneideBild(const QString& Richtung, qint16 Left, qint16 Top, qint16 Width,
                         qint16 Height, const QString& Dateiname)
{
    const QString name = Dateiname.isEmpty() ? File1->fileName() : Dateiname;
    const QChar buchstabe = Richtung.isEmpty() ? QChar() : Richtung.front();
    const schnitt::Schnittprotokoll ergebnis =
        schnitt::bildAusschneiden(File1->path(), name, {{buchstabe, {Top, Left, Width, Height}}},
                                  m_programmordner, letztedatei);
    schnittZeigen(ergebnis.zeilen, ergebnis.bild);
}

void Form1::Command1_Click()
{
    Ladebalkenzeigen(true);
    const QString name = File1->fileName();
    if (QFileInfo(QDir(File1->path()).filePath(name)).isFile()) {
        // One decode serves every ticked view of the picture.
        const schnitt::Schnittprotokoll ergebnis = schnitt::bildAusschneiden(
            File1->path(), name, schnitt::schnitteFuer(angehakt()), m_programmordner, letztedatei);
        schnittZeigen(ergebnis.zeilen, ergebnis.bild);
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
    for (const QString& name : bilder) {
        const schnitt::Schnittprotokoll ergebnis = schnitt::bildAusschneiden(
            ordner, name, schnitt::schnitteFuer(angehakt()), m_programmordner, letztedatei);
        schnittZeigen(ergebnis.zeilen, ergebnis.bild);
    }
    Ladebalkenzeigen(false);
    for (const QString& zeile : schnitt::stapelSchlusszeilen())
        SchreibProtokoll(zeile);
}
