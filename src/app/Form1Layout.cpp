// Builds the controls of the main window as the designer laid them out.
// Positions are given in twips as designed (15 twips = 1 pixel), so they can be
// checked against the layout line by line. Controls are created from back to
// front: a sibling created later lies in front of the ones before it.

#include "Form1.h"

#include "Bildfeld.h"
#include "DateiListe.h"
#include "Protokollfeld.h"
#include "Umrissfeld.h"
#include "Vergleichsfeld.h"
#include "VerzeichnisListe.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

namespace {

constexpr int px(int twips)
{
    return twips / 15;
}

template <typename T>
T* anlegen(QWidget* eltern, const char* name, int left, int top, int width, int height)
{
    auto* w = new T(eltern);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(px(left), px(top), px(width), px(height));
    return w;
}

QFont schrift(const QString& familie, qreal punkte, bool fett = false, bool kursiv = false)
{
    // Fonts the machine lacks fall back to a similar one; name and size stay as designed.
    QFont f(familie);
    f.setPointSizeF(punkte);
    f.setBold(fett);
    f.setItalic(kursiv);
    return f;
}

QIcon fensterSymbol()
{
    QImage bild(176, 176, QImage::Format_RGB888);
    bild.fill(QColor(40, 70, 120));
    QPainter maler(&bild);
    maler.setRenderHint(QPainter::Antialiasing);
    maler.setPen(QPen(Qt::red, 6));
    maler.drawRect(20, 30, 40, 90);
    maler.drawRect(68, 30, 40, 90);
    maler.drawRect(116, 30, 40, 90);
    maler.drawRect(20, 128, 136, 28);
    return QIcon(QPixmap::fromImage(bild));
}

} // namespace

void Form1::steuerelementeAnlegen()
{
    // The designed fonts are Windows fonts; where they are missing, the
    // nearest free ones with similar widths keep the captions inside their controls.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    QFont::insertSubstitutions(QStringLiteral("Comic Sans MS"),
                               {QStringLiteral("Comic Neue"), QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Showcard Gothic"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    setWindowTitle(QStringLiteral("Wandelbuch Sichtwerk"));
    setWindowIcon(fensterSymbol());
    setFixedSize(px(13785), px(10050));
    setFont(schrift(QStringLiteral("MS Sans Serif"), 8.25));

    Version = anlegen<QLabel>(this, "Version", 11400, 7200, 1815, 255);
    Version->setText(QStringLiteral("1,300"));
    Version->hide();

    Label2 = anlegen<QLabel>(this, "Label2", 120, 240, 975, 810);
    Label2->setText(QStringLiteral("Frames"));
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label2->setFont(schrift(QStringLiteral("MS Sans Serif"), 12));

    Picture2 = anlegen<Bildfeld>(this, "Picture2", 1200, 240, 10335, 7095);
    Picture2->hide();
    Picture1 = anlegen<Bildfeld>(this, "Picture1", 7440, 1080, 2415, 1695);
    Picture1->setAutoSize(true);
    Picture1->hide();

    Dir1 = anlegen<VerzeichnisListe>(this, "Dir1", 4440, 7560, 4335, 2340);
    File1 = anlegen<DateiListe>(this, "File1", 8880, 7560, 4215, 2235);

    Picture3 = anlegen<Bildfeld>(this, "Picture3", 1200, 240, 9450, 7095);
    QWidget* vorschau = Picture3->flaeche();
    // Under the frame labels: a rectangle direction keeps its mouse where a
    // footprint lies beneath it.
    m_umrissfeld = new Umrissfeld(vorschau);
    m_umrissfeld->setFont(schrift(QStringLiteral("Comic Sans MS"), 11.25));
    // Other slots' frames, for comparison: over the red footprints, under
    // the red frames, whose labels stay the first thing the mouse meets.
    m_vergleichsfeld = new Vergleichsfeld(vorschau);
    m_vergleichsfeld->setFont(m_umrissfeld->font());
    const char* rahmenNamen[] = {"Rahmen_0", "Rahmen_1", "Rahmen_2", "Rahmen_3"};
    const int rahmenLage[4][2] = {{360, 960}, {1200, 2400}, {3960, 960}, {4320, 2160}};
    const char16_t* rahmenText[] = {u"Vorwärts", u"Rechts", u"Links", u"Zurück"};
    for (int i = 0; i < 4; ++i) {
        QLabel* r = anlegen<QLabel>(vorschau, rahmenNamen[i], rahmenLage[i][0], rahmenLage[i][1],
                                    2535, 615);
        r->setText(QString::fromUtf16(rahmenText[i]));
        r->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        r->setFrameStyle(QFrame::Box | QFrame::Plain);
        r->setLineWidth(1);
        r->setFont(schrift(QStringLiteral("Comic Sans MS"), 11.25));
        QPalette p = r->palette();
        p.setColor(QPalette::WindowText, QColor(255, 0, 0));
        r->setPalette(p);
        r->setMouseTracking(true); // the cursor shows what a drag would do
        r->hide();
        Rahmen[i] = r;
    }
    Label1 = anlegen<QLabel>(vorschau, "Label1", -240, 3000, 9855, 1695);
    Label1->setText(QStringLiteral("Wandelbuch Sichtwerk"));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setFont(schrift(QStringLiteral("Showcard Gothic"), 24, false, true));
    Ladebalken = anlegen<QLabel>(vorschau, "Ladebalken", 3120, 3720, 3495, 1575);
    Ladebalken->setText(QStringLiteral("Lade..."));
    Ladebalken->setAlignment(Qt::AlignCenter);
    Ladebalken->setFrameStyle(QFrame::Box | QFrame::Plain);
    Ladebalken->setAutoFillBackground(true);
    Ladebalken->setFont(schrift(QStringLiteral("Comic Sans MS"), 50.25));
    Ladebalken->hide();
    Fortschritt = anlegen<QProgressBar>(vorschau, "Fortschritt", 3120, 5340, 3495, 330);
    Fortschritt->setFormat(QStringLiteral("%v von %m Bildern"));
    Fortschritt->setAlignment(Qt::AlignCenter);
    Fortschritt->hide();

    // Under the preview, shown while it shows a video.
    Bildregler = anlegen<QSlider>(this, "Bildregler", 1200, 7335, 6960, 225);
    Bildregler->setOrientation(Qt::Horizontal);
    Bildregler->setFocusPolicy(Qt::NoFocus);
    Bildregler->hide();
    Bildanzeige = anlegen<QLabel>(this, "Bildanzeige", 8220, 7335, 2430, 225);
    Bildanzeige->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Bildanzeige->hide();

    Command1 = anlegen<QPushButton>(this, "Command1", 11040, 2040, 2535, 525);
    Command1->setText(QStringLiteral("Ausschneiden"));
    Command1->setEnabled(false);
    Command2 = anlegen<QPushButton>(this, "Command2", 11040, 3240, 2535, 525);
    Command2->setText(QStringLiteral("Exit"));
    // Between Exit and the direction boxes, where the column has room.
    Command9 = anlegen<QPushButton>(this, "Command9", 11040, 3810, 2535, 450);
    Command9->setText(QStringLiteral("Übersicht"));

    // The classic colour of an inactive title bar.
    const QColor inaktiveTitelleiste(191, 205, 219);
    auto richtungsBox = [&](const char* name, int top, const char16_t* text) {
        auto* box = anlegen<QCheckBox>(this, name, 11040, top, 2535, 600);
        box->setText(QString::fromUtf16(text));
        box->setAutoFillBackground(true);
        box->setStyleSheet(
            QStringLiteral("QCheckBox { background-color: %1; }").arg(inaktiveTitelleiste.name()));
        return box;
    };
    Check1 = richtungsBox("Check1", 4320, u"Links");
    Check2 = richtungsBox("Check2", 5040, u"Rechts");
    Check3 = richtungsBox("Check3", 5760, u"Vorwärts");
    Check4 = richtungsBox("Check4", 6480, u"Zurück");

    Command3 = anlegen<QPushButton>(this, "Command3", 11040, 1440, 2535, 525);
    Command3->setText(QStringLiteral("Configdatei einlesen"));
    Command4 = anlegen<QPushButton>(this, "Command4", 11040, 840, 2535, 525);
    Command4->setText(QStringLiteral("Beispieldatei erstellen"));

    Text1 = anlegen<Protokollfeld>(this, "Text1", 360, 7560, 3975, 2340);
    Text1->setText(QStringLiteral("Text1\r\n"));

    Command5 = anlegen<QPushButton>(this, "Command5", 11040, 240, 2535, 525);
    Command5->setText(QStringLiteral("Rahmen (un-)sichtbar machen"));
    Command5->setEnabled(false);
    Command6 = anlegen<QPushButton>(this, "Command6", 11040, 2640, 2535, 525);
    Command6->setText(QStringLiteral("Alle ausschneiden"));

    Command7[0] = anlegen<QPushButton>(this, "Command7_0", 240, 600, 735, 375);
    Command7[0]->setText(QStringLiteral("1"));
    // Graphical style: the background colour marks the selected slot.
    Command7[0]->setAutoFillBackground(true);
    Command7[0]->setFlat(false);
    Command7[0]->hide();

    Picture4 = anlegen<Bildfeld>(this, "Picture4", 3240, 2040, 6735, 5295);
    // A panel in front of the preview: opaque, so that the title beneath does
    // not show through, and raised, so that its lower edge, which lies on the
    // preview's, still closes it.
    Picture4->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Picture4->setAutoFillBackground(true);
    QWidget* panel = Picture4->flaeche();
    Label3 = anlegen<QLabel>(panel, "Label3", 480, 120, 5775, 375);
    Label3->setText(QStringLiteral("Bitte Datei auswählen"));
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label3->setFont(schrift(QStringLiteral("MS Sans Serif"), 18));
    // 18 points of the free fonts need a few pixels more than the designed
    // height; below it there is room before the list.
    Label3->resize(Label3->width(), qMax(Label3->height(), Label3->fontMetrics().height()));
    Label4 = anlegen<QLabel>(panel, "Label4", 360, 4920, 5895, 255);
    Label4->setText(QStringLiteral("(Datei muss sich im Programmordner befinden)"));
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    File2 = anlegen<DateiListe>(panel, "File2", 360, 600, 5895, 4185);
    File2->setPattern(QStringLiteral("*.ini"));
    Command8 = anlegen<QPushButton>(panel, "Command8", 6240, 120, 375, 375);
    Command8->setText(QStringLiteral("X"));
    Picture4->hide();

    tabReihenfolgeSetzen();
}

void Form1::tabReihenfolgeSetzen()
{
    // Only the controls that take the focus; labels and picture boxes are skipped.
    for (QWidget* w : {static_cast<QWidget*>(Picture1), static_cast<QWidget*>(Picture2),
                       static_cast<QWidget*>(Picture3), static_cast<QWidget*>(Picture4)})
        w->setFocusPolicy(Qt::NoFocus);
    const QList<QWidget*> reihe = {Dir1,     File1,    Command1,    Command2, Command9, Check1,
                                   Check2,   Check3,   Check4,      Command3, Command4, Text1,
                                   Command5, Command6, Command7[0], File2,    Command8};
    for (qsizetype i = 1; i < reihe.size(); ++i)
        setTabOrder(reihe[i - 1], reihe[i]);
}
