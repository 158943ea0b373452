#include "Uebersicht.h"

#include "Form1.h"
#include "Kachelfeld.h"
#include "VerzeichnisListe.h"
#include "views/Blatt.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace {

const QString Titel = QStringLiteral("Übersicht");
const QString AnzeigeBauen = QStringLiteral("%v von %m Bildern · Esc hält an");
const QString KeineBilder = QStringLiteral("Keine Bilder im Ordner");
const QString KeineRichtung = QStringLiteral("Keine Richtung festgelegt (jede Width ist 0)");
// %1 pictures, %2 red tiles.
const QString Fertig = QStringLiteral("%1 Bilder, %2 passen nicht oder sind nicht lesbar");
const QString FertigEins = QStringLiteral("%1 Bilder, 1 passt nicht oder ist nicht lesbar");
// %1 done, %2 all.
const QString Angehalten = QStringLiteral("Angehalten: %1 von %2 Bildern");
const QString SpeichernTitel = QStringLiteral("Übersicht als Bild speichern");
const QString PngFilter = QStringLiteral("PNG-Bilder (*.png)");
// %1 file.
const QString Gespeichert = QStringLiteral("Übersicht gespeichert: %1");

} // namespace

Uebersicht::Uebersicht(Form1* form)
    : QWidget(form, Qt::Window)
    , m_form(form)
{
    setObjectName(QStringLiteral("Uebersicht"));
    setWindowTitle(Titel);
    resize(980, 700);

    m_richtung = new QComboBox(this);
    m_richtung->setObjectName(QStringLiteral("Richtung"));
    for (::Richtung r :
         {::Richtung::Vorwaerts, ::Richtung::Links, ::Richtung::Rechts, ::Richtung::Zurueck})
        m_richtung->addItem(QString::fromUtf16(info(r).name), static_cast<int>(r));
    Kachelhoehe = new QSpinBox(this);
    Kachelhoehe->setObjectName(QStringLiteral("Kachelhoehe"));
    Kachelhoehe->setRange(schnitt::KachelhoeheMin, schnitt::KachelhoeheMax);
    Kachelhoehe->setSingleStep(20);
    Kachelhoehe->setValue(schnitt::KachelhoeheStandard);
    Kachelhoehe->setSuffix(QStringLiteral(" Pixel"));
    // Typing 180 builds the grid once, not for 1 and 18 on the way.
    Kachelhoehe->setKeyboardTracking(false);
    Speichern = new QPushButton(QStringLiteral("Als Bild speichern"), this);
    Speichern->setObjectName(QStringLiteral("Speichern"));
    Fortschritt = new QProgressBar(this);
    Fortschritt->setObjectName(QStringLiteral("Fortschritt"));
    Fortschritt->setFormat(AnzeigeBauen);
    Fortschritt->setAlignment(Qt::AlignCenter);
    Zustand = new QLabel(this);
    Zustand->setObjectName(QStringLiteral("Zustand"));

    m_feld = new Kachelfeld([this](int i) { return kachel(i); },
                            [this](int i) { emit bildGewaehlt(m_namen.value(i)); });
    m_flaeche = new QScrollArea(this);
    m_flaeche->setWidget(m_feld);
    m_flaeche->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_flaeche->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_flaeche->setFocusPolicy(Qt::NoFocus);
    QPalette grund = m_flaeche->viewport()->palette();
    grund.setColor(QPalette::Window, schnitt::blattfarbe());
    m_flaeche->viewport()->setPalette(grund);

    auto* leiste = new QHBoxLayout;
    leiste->addWidget(new QLabel(QStringLiteral("Richtung:"), this));
    leiste->addWidget(m_richtung);
    leiste->addSpacing(12);
    leiste->addWidget(new QLabel(QStringLiteral("Kachelhöhe:"), this));
    leiste->addWidget(Kachelhoehe);
    leiste->addSpacing(12);
    leiste->addWidget(Fortschritt, 1);
    leiste->addWidget(Zustand, 1);
    leiste->addWidget(Speichern);
    auto* spalte = new QVBoxLayout(this);
    spalte->addLayout(leiste);
    spalte->addWidget(m_flaeche, 1);

    connect(m_richtung, &QComboBox::currentIndexChanged, this, &Uebersicht::neuAufbauen);
    connect(Kachelhoehe, &QSpinBox::valueChanged, this, &Uebersicht::neuAufbauen);
    // Wherever the focus is in this window.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, &Uebersicht::anhalten);
    connect(Speichern, &QPushButton::clicked, this, &Uebersicht::alsBildSpeichern);
    connect(&m_beobachter, &QFutureWatcher<schnitt::Kachel>::resultsReadyAt, this,
            &Uebersicht::kachelnAngekommen);
    connect(&m_beobachter, &QFutureWatcher<schnitt::Kachel>::finished, this, &Uebersicht::fertig);
    if (auto* dir1 = form->findChild<VerzeichnisListe*>(QStringLiteral("Dir1")))
        connect(dir1, &VerzeichnisListe::pathChanged, this, &Uebersicht::neuAufbauen);
    connect(form, &Form1::konfigurationGeladen, this, &Uebersicht::neuAufbauen);
}

Uebersicht::~Uebersicht()
{
    m_beobachter.cancel();
    m_beobachter.waitForFinished();
}

const schnitt::Kachel* Uebersicht::kachel(int i) const
{
    return i >= 0 && i < m_kacheln.size() && m_kacheln[i] ? &*m_kacheln[i] : nullptr;
}

bool Uebersicht::baut() const
{
    return m_beobachter.isRunning();
}

QImage Uebersicht::blatt() const
{
    QList<const schnitt::Kachel*> kacheln;
    for (int i = 0; i < anzahl(); ++i)
        kacheln.append(kachel(i));
    return m_vorgabe ? schnitt::blattZeichnen(kacheln, m_vorgabe->breite, m_vorgabe->hoehe)
                     : QImage();
}

void Uebersicht::richtungenAnpassen()
{
    auto* modell = qobject_cast<QStandardItemModel*>(m_richtung->model());
    std::array<FrameRechteck, 4> rahmen;
    for (int i = 0; i < m_richtung->count(); ++i) {
        const auto r = static_cast<::Richtung>(m_richtung->itemData(i).toInt());
        rahmen[static_cast<size_t>(r)] = m_form->rechteck(r);
        modell->item(i)->setEnabled(rahmen[static_cast<size_t>(r)].konfiguriert());
    }
    const auto gewaehlt = static_cast<::Richtung>(m_richtung->currentData().toInt());
    if (rahmen[static_cast<size_t>(gewaehlt)].konfiguriert())
        return;
    if (const auto erste = schnitt::ersteRichtung(rahmen)) {
        const QSignalBlocker sperre(m_richtung);
        m_richtung->setCurrentIndex(m_richtung->findData(static_cast<int>(*erste)));
    }
}

void Uebersicht::neuAufbauen()
{
    if (!isVisible())
        return;
    // Tiles of the old grid that are still being made are dropped unseen.
    m_beobachter.cancel();
    m_angehalten = false;
    richtungenAnpassen();
    const auto richtung = static_cast<::Richtung>(m_richtung->currentData().toInt());
    m_vorgabe = schnitt::kachelvorgabe(m_form->konfiguration(), m_form->rechteck(richtung),
                                       richtung, Kachelhoehe->value());
    const auto* dir1 = m_form->findChild<VerzeichnisListe*>(QStringLiteral("Dir1"));
    const QString ordner = dir1 ? dir1->path() : QString();
    m_namen = m_vorgabe ? schnitt::bilderFuerStapel(ordner) : QStringList();
    m_kacheln = QList<std::optional<schnitt::Kachel>>(m_namen.size());
    m_fertig = 0;
    feldAnpassen();
    m_flaeche->verticalScrollBar()->setValue(0);
    if (!m_namen.isEmpty()) {
        QList<schnitt::Stapelbild> bilder;
        for (const QString& name : std::as_const(m_namen))
            bilder.append({ordner, name});
        const schnitt::Kachelvorgabe vorgabe = *m_vorgabe;
        m_beobachter.setFuture(QtConcurrent::mapped(
            &m_pool, std::move(bilder),
            [vorgabe](const schnitt::Stapelbild& b) { return schnitt::kachelMachen(b, vorgabe); }));
    } else {
        m_beobachter.setFuture(QFuture<schnitt::Kachel>());
    }
    zustandZeigen();
}

void Uebersicht::anhalten()
{
    if (!baut())
        return;
    m_angehalten = true;
    m_beobachter.cancel();
    zustandZeigen();
}

void Uebersicht::kachelnAngekommen(int von, int bis)
{
    for (int i = von; i < bis && i < m_kacheln.size(); ++i) {
        if (!m_kacheln[i])
            ++m_fertig;
        m_kacheln[i] = m_beobachter.resultAt(i);
        m_feld->zelleNeu(i);
    }
    Fortschritt->setValue(m_fertig);
}

void Uebersicht::fertig()
{
    zustandZeigen();
}

void Uebersicht::feldAnpassen()
{
    if (m_vorgabe)
        m_feld->anordnen(anzahl(), m_vorgabe->breite, m_vorgabe->hoehe,
                         m_flaeche->viewport()->width());
    else
        m_feld->anordnen(0, 1, 1, m_flaeche->viewport()->width());
}

void Uebersicht::zustandZeigen()
{
    const bool laeuft = baut() && !m_angehalten;
    Fortschritt->setVisible(laeuft);
    Fortschritt->setRange(0, anzahl());
    Fortschritt->setValue(m_fertig);
    Zustand->setVisible(!laeuft);
    Speichern->setEnabled(!baut() && anzahl() > 0);
    if (!m_vorgabe) {
        Zustand->setText(KeineRichtung);
    } else if (anzahl() == 0) {
        Zustand->setText(KeineBilder);
    } else if (m_angehalten || m_fertig < anzahl()) {
        Zustand->setText(Angehalten.arg(m_fertig).arg(anzahl()));
    } else {
        int rot = 0;
        for (const auto& k : std::as_const(m_kacheln))
            rot += k && k->rot();
        Zustand->setText(rot == 1 ? FertigEins.arg(anzahl()) : Fertig.arg(anzahl()).arg(rot));
    }
}

void Uebersicht::alsBildSpeichern()
{
    QString pfad = QFileDialog::getSaveFileName(
        this, SpeichernTitel,
        QDir(m_form->programmordner()).filePath(QStringLiteral("uebersicht.png")), PngFilter);
    if (pfad.isEmpty())
        return;
    if (!pfad.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        pfad += QStringLiteral(".png");
    blattSpeichern(pfad);
}

bool Uebersicht::blattSpeichern(const QString& pfad)
{
    QString fehlerzeile;
    if (!schnitt::blattSpeichern(blatt(), pfad, &fehlerzeile)) {
        m_form->SchreibProtokoll(fehlerzeile);
        Zustand->setText(fehlerzeile);
        return false;
    }
    const QString zeile = Gespeichert.arg(QDir::toNativeSeparators(pfad));
    m_form->SchreibProtokoll(zeile);
    Zustand->setText(zeile);
    return true;
}

void Uebersicht::showEvent(QShowEvent* ereignis)
{
    QWidget::showEvent(ereignis);
    neuAufbauen();
}

void Uebersicht::hideEvent(QHideEvent* ereignis)
{
    anhalten();
    QWidget::hideEvent(ereignis);
}

void Uebersicht::resizeEvent(QResizeEvent* ereignis)
{
    QWidget::resizeEvent(ereignis);
    feldAnpassen();
}
