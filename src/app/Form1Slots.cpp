// The nine frame slots: their buttons, the file chooser and the overwrite choice.

#include "Form1.h"

#include "Bildfeld.h"
#include "DateiListe.h"
#include "config/Befunde.h"
#include "config/FrameSlots.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace {

const QString KeineConfig = QStringLiteral("Bitte INI-Datei einlesen!");
// Two blanks between "ihn" and "zu", as the message has always read.
const QString AlleBesetzt =
    QStringLiteral("Alle Frameplätze sind besetzt, bitte wähle einen aus um ihn  zu "
                   "überschreiben oder drücke 'ESC' um abzubrechen");

constexpr int Knopfabstand = 35;
constexpr int Labelzuwachs = 37;

QString eingelesen(const QString& datei, int slot)
{
    return QStringLiteral("Datei '") + datei + QStringLiteral("' auf Framenummer ") +
           QString::number(slot) + QStringLiteral(" eingelesen.");
}

} // namespace

void Form1::slot1Start()
{
    Frame = 1;
    const QFileInfo config(m_programmordner + QStringLiteral("/config.ini"));
    if (config.isFile()) {
        Command7[0]->show();
        framedateien[1] = QStringLiteral("config.ini");
        HolConfig(Frame);
        Framesmakieren(1);
    } else {
        nachricht(KeineConfig);
        Command1->setEnabled(false);
        Command6->setEnabled(false);
    }
}

QPushButton* Form1::slotKnopf(int index) const
{
    return (index >= 0 && index < static_cast<int>(Command7.size())) ? Command7[index] : nullptr;
}

void Form1::Command3_Click()
{
    File2->aktualisieren();
    Picture4->show();
}

void Form1::Command8_Click()
{
    Picture4->hide();
}

void Form1::File2_Click()
{
    Picture4->hide();
    const QString datei = File2->fileName();
    if (datei.isEmpty())
        return;

    const int i = frameslots::ersterFreier();
    if (i == frameslots::Wartend) {
        nachricht(AlleBesetzt);
        frameauswahl = true;
        framedateien[frameslots::Wartend] = datei;
        return;
    }

    framedateien[i] = datei;
    SchreibProtokoll(eingelesen(datei, i));
    befundeMelden(i);
    if (i == 1) {
        framewahl(0);
        Command7[0]->show();
    } else {
        QPushButton* vorlage = Command7[0];
        auto* knopf = new QPushButton(this);
        knopf->setObjectName(QStringLiteral("Command7_%1").arg(i - 1));
        knopf->setFont(vorlage->font());
        knopf->setAutoFillBackground(true);
        knopf->setFocusPolicy(vorlage->focusPolicy());
        knopf->setGeometry(vorlage->x(), Command7[i - 2]->y() + Knopfabstand, vorlage->width(),
                           vorlage->height());
        knopf->setText(QString::number(i));
        const auto index = static_cast<qint16>(i - 1);
        connect(knopf, &QPushButton::clicked, this, [this, index] { Command7_Click(index); });
        Command7[i - 1] = knopf;
        // The new button lies with the others in front of the "Frames" label.
        knopf->stackUnder(Command7[0]);
        knopf->show();
        Label2->resize(Label2->width(), Label2->height() + Labelzuwachs);
    }
    Framesmakieren(Frame);
}

void Form1::Command7_Click(qint16 Index)
{
    framewahl(Index);
}

void Form1::framewahl(qint16 Nummerauswahl)
{
    const int n = Nummerauswahl + 1;
    if (n < 1 || n > frameslots::AnzahlSlots)
        return;
    if (frameauswahl) {
        framedateien[n] = framedateien[frameslots::Wartend];
        framedateien[frameslots::Wartend].clear();
        SchreibProtokoll(eingelesen(framedateien[n], n));
        befundeMelden(n);
        // A slot compared on the picture shows its new file.
        if (m_vergleiche.erase(n)) {
            vergleichUmschalten(n);
        }
        frameauswahl = false;
        return;
    }
    Frame = static_cast<qint16>(n);
    SchreibProtokoll(QStringLiteral("Frame ") + QString::number(n) +
                     QStringLiteral(" wurde ausgewählt"));
    HolConfig(Frame);
    konfigurationMelden();
    Framesmakieren(static_cast<qint16>(n));
    if (bildgeladen)
        Framesberechnen();
}

void Form1::befundeMelden(int slot)
{
    const QString& datei = framedateien[slot];
    for (const QString& zeile : frames::befunde(m_programmordner + u'/' + datei, datei))
        SchreibProtokoll(zeile);
}

void Form1::Framesmakieren(qint16 Framenummer)
{
    const int k = frameslots::ersterFreier();
    const QPalette normal = palette();
    for (int s = 1; s < k; ++s) {
        if (QPushButton* knopf = slotKnopf(s - 1)) {
            QPalette p = knopf->palette();
            p.setColor(QPalette::Button, normal.color(QPalette::Button));
            knopf->setPalette(p);
        }
    }
    if (QPushButton* knopf = slotKnopf(Framenummer - 1)) {
        QPalette p = knopf->palette();
        p.setColor(QPalette::Button, normal.color(QPalette::Highlight));
        knopf->setPalette(p);
    }
}
