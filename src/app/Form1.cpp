#include "Form1.h"

#include "Bildfeld.h"
#include "DateiListe.h"
#include "Form3.h"
#include "Protokollfeld.h"
#include "VerzeichnisListe.h"
#include "config/FrameKonfig.h"
#include "config/FrameSlots.h"
#include "config/Profil.h"
#include "views/Meldungen.h"
#include "views/Schneider.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>

#include <cstdio>
#include <cstdlib>

namespace {

const QString Anwendungstitel = QStringLiteral("Sichtwerk");

void sofortBeenden()
{
    // Exit ends the program at once: nothing is asked, saved or cleaned up.
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace

Form1::Form1(const QString& programmordner, const QUrl& updateserver, QWidget* parent)
    : QWidget(parent)
    , m_programmordner(QDir::cleanPath(programmordner))
    , m_updateserver(updateserver)
    , m_beenden(sofortBeenden)
{
    frameslots::alleLeeren();
    steuerelementeAnlegen();
    m_form3 = new Form3(m_programmordner, m_updateserver, this);
    m_uebergabeTimer = m_form3->findChild<QObject*>(QStringLiteral("Timer1"));
    connect(m_form3, &Form3::protokollieren, this, &Form1::SchreibProtokoll);

    connect(Dir1, &VerzeichnisListe::pathChanged, this, &Form1::Dir1_Change);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7[0], &QPushButton::clicked, this, [this] { Command7_Click(0); });
    connect(Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &Form1::Command9_Click);
    connect(File1, &QListWidget::itemDoubleClicked, this, &Form1::File1_DblClick);
    connect(Bildregler, &QSlider::valueChanged, this,
            [this](int nummer) { videobildZeigen(nummer); });
    connect(File2, &QListWidget::itemClicked, this, &Form1::File2_Click);

    // Key preview: the window sees every key before the focused control does.
    qApp->installEventFilter(this);

    Form_Load();
}

Form1::~Form1()
{
    qApp->removeEventFilter(this);
}

void Form1::Form_Load()
{
    slot1Start();

    Dir1->setPath(m_programmordner);

    for (QCheckBox* box : {Check1, Check2, Check3, Check4}) {
        QFont f = box->font();
        f.setFamily(QStringLiteral("Comic Sans MS"));
        f.setPointSize(12);
        box->setFont(f);
    }

    File1->setPattern(schnitt::bildmuster() + u';' + schnitt::video::videomuster());
    File2->setPath(m_programmordner);

    Text1->setText(schnitt::meldung::Schlusslinie.toString());
    SchreibProtokoll(QStringLiteral("Programmversion ") + Version->text() +
                     QStringLiteral(" initialisiert..."));
    SchreibProtokoll(schnitt::meldung::Schlusslinie.toString());
    // Slot 1 was loaded before the log was set up.
    if (!framedateien[1].isEmpty()) {
        befundeMelden(1);
        konfigurationMelden();
    }

    entferneAltesUpdateSkript(m_programmordner);
    m_form3->setzeLaufendeVersion(Version->text());
    m_form3->Updatetest();
}

void Form1::Dir1_Change()
{
    File1->setPath(Dir1->path());
}

void Form1::setzeBeenden(std::function<void()> beenden)
{
    m_form3->setzeBeenden(beenden);
    m_beenden = std::move(beenden);
}

void Form1::Command2_Click()
{
    m_beenden();
}

void Form1::closeEvent(QCloseEvent* ereignis)
{
    if (m_schneidet) {
        // Not in the middle of a cut: no further picture is started, and the
        // program ends once those in work are saved.
        ereignis->ignore();
        m_halt = true;
        m_beendenNachStapel = true;
        return;
    }
    // Closing the window frame ends the program like Exit does.
    ereignis->accept();
    m_beenden();
}

void Form1::SchreibProtokoll(const QString& zeile)
{
    Text1->zeileAnhaengen(zeile);
}

qint32 Form1::SchreibINI(const QString& Dateiname, const QString& DieSektion,
                         const QString& DerEintrag, const QString& wert, QString* fehler)
{
    const QString pfad = m_programmordner + u'/' + Dateiname;
    return profildatei::schreiben(pfad, DieSektion, DerEintrag, wert, fehler) ? 0 : 1;
}

QString Form1::HolINIString(const QString& Dateiname, const QString& DieSektion,
                            const QString& DerEintrag) const
{
    return profildatei::lesen(Dateiname, DieSektion, DerEintrag);
}

void Form1::HolConfig(int slotnummer)
{
    for (Richtung r : {Richtung::Vorwaerts, Richtung::Links, Richtung::Rechts, Richtung::Zurueck})
        setzeRechteck(r, {});
    m_konfiguration = {};
    if (slotnummer < 1 || slotnummer > frameslots::Wartend)
        return;
    m_konfiguration =
        frames::konfigurationLesen(m_programmordner + u'/' + framedateien[slotnummer]);
    for (size_t i = 0; i < m_konfiguration.rahmen.size(); ++i)
        setzeRechteck(richtungen[i].richtung, m_konfiguration.rahmen[i]);
    emit konfigurationGeladen();
}

void Form1::konfigurationMelden()
{
    if (!m_konfiguration.fehler.isEmpty())
        SchreibProtokoll(schnitt::meldung::Fehleranfang.toString() + m_konfiguration.fehler);
    for (const QString& zeile : m_konfiguration.meldungen)
        SchreibProtokoll(zeile);
}

bool Form1::ausgabeUnbrauchbar()
{
    if (m_konfiguration.fehler.isEmpty())
        return false;
    SchreibProtokoll(schnitt::meldung::Fehleranfang.toString() + m_konfiguration.fehler);
    return true;
}

FrameRechteck Form1::rechteck(Richtung r) const
{
    switch (r) {
    case Richtung::Vorwaerts:
        return {Vorwärts_T, Vorwärts_L, Vorwärts_W, Vorwärts_H};
    case Richtung::Links:
        return {Links_T, Links_L, Links_W, Links_H};
    case Richtung::Rechts:
        return {Rechts_T, Rechts_L, Rechts_W, Rechts_H};
    case Richtung::Zurueck:
        return {Zurück_T, Zurück_L, Zurück_W, Zurück_H};
    }
    return {};
}

void Form1::setzeRechteck(Richtung r, const FrameRechteck& w)
{
    qint16* felder[4][4] = {{&Vorwärts_T, &Vorwärts_L, &Vorwärts_W, &Vorwärts_H},
                            {&Links_T, &Links_L, &Links_W, &Links_H},
                            {&Rechts_T, &Rechts_L, &Rechts_W, &Rechts_H},
                            {&Zurück_T, &Zurück_L, &Zurück_W, &Zurück_H}};
    qint16** f = felder[static_cast<int>(r)];
    *f[0] = w.top;
    *f[1] = w.left;
    *f[2] = w.width;
    *f[3] = w.height;
}

void Form1::nachricht(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, Anwendungstitel, text, QMessageBox::Ok, this);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool Form1::eventFilter(QObject* objekt, QEvent* ereignis)
{
    // While views are being cut, the event loop turns for repaints and timers.
    // The update hand-over would end the program in the middle of the cut, so
    // its tick is held back; the timer stays armed and ticks again later.
    if (m_schneidet && ereignis->type() == QEvent::Timer && objekt == m_uebergabeTimer)
        return true;
    if (m_schneidet && eingabeAufschieben(objekt, ereignis))
        return true;
    if (rahmenMaus(objekt, ereignis) || panoramaMaus(objekt, ereignis))
        return true;
    if (ereignis->type() != QEvent::KeyPress)
        return QWidget::eventFilter(objekt, ereignis);
    auto* w = qobject_cast<QWidget*>(objekt);
    if (!w || w->window() != this || QApplication::activeModalWidget())
        return false;
    // The first widget that gets the key is the focused one; a handled key is
    // consumed there, so it never travels on to a parent and acts only once.
    const auto* taste = static_cast<QKeyEvent*>(ereignis);
    qint16 code = 0;
    const int k = taste->key();
    if (rahmenTaste(k, taste->modifiers()) || panoramaTaste(k, taste->modifiers()) || videoTaste(k))
        return true;
    const bool ziffer =
        k >= Qt::Key_1 && k <= Qt::Key_9 && !(taste->modifiers() & Qt::KeypadModifier);
    if (ziffer && (taste->modifiers() & Qt::ControlModifier)) {
        vergleichUmschalten(k - Qt::Key_0);
        return true;
    }
    if (k == Qt::Key_Return || k == Qt::Key_Enter)
        code = 13;
    else if (k == Qt::Key_Escape)
        code = 27;
    else if (ziffer)
        code = static_cast<qint16>(49 + (k - Qt::Key_1));
    else if (k == Qt::Key_H)
        code = 72;
    if (code == 0)
        return false;
    Form_KeyDown(code, 0);
    return true;
}
