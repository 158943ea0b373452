// The cutting commands: one picture, or every picture of the folder.

#include "Form1.h"

#include "Bildfeld.h"
#include "DateiListe.h"
#include "Protokollfeld.h"
#include "VerzeichnisListe.h"
#include "views/Ausschnitt.h"
#include "views/Meldungen.h"
#include "views/Pruefung.h"
#include "views/Schneider.h"
#include "views/Stapel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QScopedValueRollback>

namespace {

constexpr qint64 AnzeigeAbstandMs = 100;
const QString AnzeigeNurZahl = QStringLiteral("%v von %m Bildern");
const QString AnzeigeHaltbar = QStringLiteral("%v von %m Bildern · Esc hält an");
const QString AnzeigePruefen = QStringLiteral("Prüfe %v von %m Bildern");
const QString FrageTrotzdem =
    QStringLiteral("Die Rahmen passen nicht zu jedem Bild des Ordners (siehe Protokoll). "
                   "Trotzdem alle ausschneiden?");

} // namespace

std::array<std::optional<FrameRechteck>, 4> Form1::angehakt() const
{
    std::array<std::optional<FrameRechteck>, 4> auswahl;
    for (const RichtungsInfo& r : richtungen) {
        if (checkFuer(r.richtung)->isChecked())
            auswahl[static_cast<size_t>(r.richtung)] = rechteck(r.richtung);
    }
    return auswahl;
}

schnitt::Schnittplan Form1::schnittplan(QList<schnitt::Schnitt> schnitte) const
{
    schnitt::Schnittplan plan(std::move(schnitte));
    plan.ausgabe = m_konfiguration.ausgabe;
    plan.vorlage = m_konfiguration.vorlage;
    plan.abstand = m_konfiguration.abstand;
    return plan;
}

void Form1::schnittZeigen(const QStringList& zeilen, const QImage& bild, QSize vollGroesse)
{
    for (const QString& zeile : zeilen)
        SchreibProtokoll(zeile);
    // The full-size box holds the picture cut last; the overlay measures it.
    // A batch may have decoded only part of it, or nothing where every view
    // was cut from a JPEG's data, hence the size given apart.
    if (vollGroesse.isValid())
        Picture1->setzeBild(bild, vollGroesse);
}

schnitt::Stapelverlauf Form1::schneideBilder(const QString& ordner, const QStringList& namen,
                                             bool haltbar)
{
    const schnitt::Schnittplan plan = schnittplan(
        schnitt::schnitteFuer(angehakt(), m_konfiguration.panorama, m_konfiguration.gier));
    const QScopedValueRollback schneidet(m_schneidet, true);
    const QScopedValueRollback haltbarRollback(m_haltbar, haltbar);
    m_halt = false;
    const bool mitFortschritt = haltbar || namen.size() > 1;
    Fortschritt->setFormat(haltbar ? AnzeigeHaltbar : AnzeigeNurZahl);
    if (mitFortschritt)
        fortschrittZeigen(0, static_cast<int>(namen.size()));

    // The log and the progress bar are brought up to date a few times a
    // second, not for every picture: a batch of small pictures spent more
    // time laying out the log than cutting.
    QStringList zeilen;
    QImage letztesBild;
    QSize letzteGroesse;
    QElapsedTimer seitAnzeige;
    seitAnzeige.start();
    auto anzeigen = [&](int fertig, int gesamt) {
        Text1->zeilenAnhaengen(zeilen);
        zeilen.clear();
        if (mitFortschritt)
            fortschrittZeigen(fertig, gesamt);
        seitAnzeige.restart();
    };

    schnitt::Stapeloptionen optionen;
    optionen.halt = &m_halt;
    // Input reaches the window so that Escape can stop the batch; every other
    // key and click is held back by eingabeAufschieben until the end.
    optionen.ereignisse = QEventLoop::AllEvents;
    // Pictures are cut on every core; results arrive here in name order, so
    // the log reads as if they had been cut one after the other.
    const schnitt::Stapelverlauf verlauf = schnitt::stapelSchneiden(
        ordner, namen, plan, m_programmordner,
        [&](schnitt::Bildschnitt&& ergebnis, int fertig, int gesamt) {
            zeilen += schnitt::protokollieren(ergebnis, letztedatei);
            if (ergebnis.vollGroesse.isValid()) {
                letztesBild = std::move(ergebnis.bild);
                letzteGroesse = ergebnis.vollGroesse;
            }
            if (seitAnzeige.elapsed() >= AnzeigeAbstandMs)
                anzeigen(fertig, gesamt);
        },
        optionen);
    anzeigen(verlauf.fertig, verlauf.gesamt);
    // The full-size box holds the picture cut last; the overlay measures it.
    // A batch may have decoded only part of it, hence the size given apart.
    if (letzteGroesse.isValid())
        Picture1->setzeBild(letztesBild, letzteGroesse);
    Fortschritt->hide();
    if (!m_aufgeschoben.empty() || m_beendenNachStapel)
        QMetaObject::invokeMethod(this, &Form1::eingabenNachholen, Qt::QueuedConnection);
    return verlauf;
}

void Form1::fortschrittZeigen(int fertig, int gesamt)
{
    Fortschritt->setRange(0, gesamt);
    Fortschritt->setValue(fertig);
    Fortschritt->show();
}

bool Form1::eingabeAufschieben(QObject* objekt, QEvent* ereignis)
{
    switch (ereignis->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        break;
    default:
        return false;
    }
    if (ereignis->type() == QEvent::KeyPress || ereignis->type() == QEvent::KeyRelease ||
        ereignis->type() == QEvent::ShortcutOverride) {
        if (static_cast<QKeyEvent*>(ereignis)->key() == Qt::Key_Escape && m_haltbar) {
            if (ereignis->type() == QEvent::KeyPress)
                m_halt = true;
            return true;
        }
    }
    // A window sees each event first and then hands it to a control; held
    // back at the first of them, it is handed on later as it came.
    if (ereignis->type() == QEvent::MouseMove && !m_aufgeschoben.empty() &&
        m_aufgeschoben.back().first == objekt &&
        m_aufgeschoben.back().second->type() == QEvent::MouseMove)
        m_aufgeschoben.back().second.reset(ereignis->clone());
    else
        m_aufgeschoben.emplace_back(objekt, ereignis->clone());
    return true;
}

void Form1::eingabenNachholen()
{
    if (m_schneidet)
        return; // the next cut started first; it hands them on when it ends
    if (m_beendenNachStapel) {
        m_beendenNachStapel = false;
        m_aufgeschoben.clear();
        m_beenden();
        return;
    }
    auto liste = std::move(m_aufgeschoben);
    m_aufgeschoben.clear();
    // Posted in order, they arrive before any input that comes later.
    for (auto& [ziel, ereignis] : liste) {
        if (ziel)
            QCoreApplication::postEvent(ziel, ereignis.release());
    }
}

void Form1::SchneideBild(const QString& Richtung, qint16 Left, qint16 Top, qint16 Width,
                         qint16 Height, const QString& Dateiname)
{
    if (ausgabeUnbrauchbar())
        return;
    const QString name = Dateiname.isEmpty() ? File1->fileName() : Dateiname;
    const QChar buchstabe = Richtung.isEmpty() ? QChar() : Richtung.front();
    // A panorama direction's letter cuts its perspective view of that size.
    std::optional<frames::Panoramablick> panorama;
    for (size_t i = 0; i < richtungen.size(); ++i) {
        if (QChar(richtungen[i].buchstabe) == buchstabe.toUpper())
            panorama = m_konfiguration.panorama[i];
    }
    const schnitt::Schnittprotokoll ergebnis = schnitt::bildAusschneiden(
        File1->path(), name, schnittplan({{buchstabe, {Top, Left, Width, Height}, panorama}}),
        m_programmordner, letztedatei);
    schnittZeigen(ergebnis.zeilen, ergebnis.bild, ergebnis.vollGroesse);
}

bool Form1::richtungAngehakt()
{
    const auto auswahl = angehakt();
    if (std::ranges::any_of(auswahl, [](const auto& r) { return r.has_value(); }))
        return true;
    SchreibProtokoll(schnitt::meldung::KeineRichtung.toString());
    return false;
}

void Form1::Command1_Click()
{
    if (ausgabeUnbrauchbar() || !richtungAngehakt())
        return;
    Ladebalkenzeigen(true);
    const QString name = File1->fileName();
    int ansichten = 0;
    if (m_video && name == m_videoName) {
        // The frame on show, not every frame Abstand chooses.
        ansichten = videobildAusschneiden();
    } else if (QFileInfo(QDir(File1->path()).filePath(name)).isFile()) {
        // One decode serves every ticked view; the window repaints meanwhile.
        ansichten = schneideBilder(File1->path(), {name}, false).ansichten;
        letztedatei.clear();
    } else {
        SchreibProtokoll(name + QStringLiteral("existiert nicht"));
    }
    if (ansichten > 0)
        SchreibProtokoll(schnitt::ansichtenIn(schnitt::ausgabeOrdner(m_programmordner)));
    Ladebalkenzeigen(false);
}

bool Form1::passtOderTrotzdem(const QString& ordner, const QStringList& namen)
{
    // Only a file that names the picture its frames were set up on asks;
    // every other one is cut as it always was.
    const schnitt::Schnittplan plan = schnittplan(
        schnitt::schnitteFuer(angehakt(), m_konfiguration.panorama, m_konfiguration.gier));
    if (plan.schnitte.isEmpty() || !m_konfiguration.vorlage.vorhanden)
        return true;
    QList<schnitt::Stapelbild> bilder;
    for (const QString& name : namen)
        bilder.append({ordner, name});
    // Headers only, a moment for thousands of pictures; the window shows how far.
    Ladebalkenzeigen(true);
    Fortschritt->setFormat(AnzeigePruefen);
    QElapsedTimer seitAnzeige;
    seitAnzeige.start();
    QStringList befunde;
    const schnitt::Pruefung p = schnitt::rahmenPruefen(
        bilder, plan, [&](const schnitt::Bildbefund& b, int fertig, int gesamt) {
            // A picture that cannot be read is the batch's to report.
            if (!b.unlesbar)
                befunde += b.befunde;
            if (seitAnzeige.elapsed() >= AnzeigeAbstandMs) {
                fortschrittZeigen(fertig, gesamt);
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                seitAnzeige.restart();
            }
        });
    Fortschritt->hide();
    Ladebalkenzeigen(false);
    if (p.passenNicht == 0)
        return true;
    Text1->zeilenAnhaengen(befunde);
    SchreibProtokoll(p.summe());
    QMessageBox frage(QMessageBox::Question, QStringLiteral("Sichtwerk"), FrageTrotzdem,
                      QMessageBox::Yes | QMessageBox::No, this);
    frage.setDefaultButton(QMessageBox::No);
    return frage.exec() == QMessageBox::Yes;
}

void Form1::Command6_Click()
{
    if (ausgabeUnbrauchbar())
        return;
    if (!richtungAngehakt())
        return;
    const QString ordner = Dir1->path();
    const QStringList bilder = schnitt::bilderFuerStapel(ordner);
    if (bilder.isEmpty()) {
        SchreibProtokoll(schnitt::meldung::KeineBilder.arg(
            schnitt::meldung::zeilentauglich(QDir::toNativeSeparators(ordner))));
        return;
    }
    if (!passtOderTrotzdem(ordner, bilder))
        return;
    Ladebalkenzeigen(true);
    const schnitt::Stapelverlauf verlauf = schneideBilder(ordner, bilder, true);
    Ladebalkenzeigen(false);
    for (const QString& zeile : schnitt::stapelSchlusszeilen(verlauf))
        SchreibProtokoll(zeile);
    if (verlauf.ansichten > 0)
        SchreibProtokoll(schnitt::ansichtenIn(schnitt::ausgabeOrdner(m_programmordner)));
}
