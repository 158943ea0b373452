// Panorama views set up on the real window: their footprints drawn over a
// 2:1 picture, turned with the mouse, widened with the wheel, stepped with
// the arrow keys, saved into the slot's file and undone.

#include "app/Form1.h"
#include "app/Umrissfeld.h"
#include "app/Vergleichsfeld.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace formhelfer;
using namespace schnitt::panorama;

namespace {

const QSize Pano(1144, 572);
enum { Vorwaerts, Links, Rechts, Zurueck }; // places in the order of `richtungen`

// Links looks 10° up with the default yaw; Rechts is narrower, written with
// a comma; Zurück has angles but no width, so it is no view. Vorwärts is a
// rectangle in the same file.
QByteArray datei(const QByteArray& links = "Blickwinkel=90\r\nNick=10\r\n",
                 const QByteArray& linksDanach = {})
{
    return konfiguration(u"Vorwärts"_qs, 10, 20, 200, 100) +
           konfiguration(u"Links"_qs, 0, 0, 640, 480) + links + "Notiz=bleibt\r\n" + linksDanach +
           konfiguration(u"Rechts"_qs, 0, 0, 400, 300) + "Blickwinkel=60,5\r\nGier=90\r\n" +
           konfiguration(u"Zurück"_qs, 0, 0, 0, 300) + "Blickwinkel=90\r\n";
}

// The file once Links was saved: Gier, which it lacked, comes last.
QByteArray gespeichert(const QString& blickwinkel, const QString& gier, const QString& nick)
{
    return datei(QStringLiteral("Blickwinkel=%1\r\nNick=%2\r\n").arg(blickwinkel, nick).toLatin1(),
                 "Gier=" + gier.toLatin1() + "\r\n");
}

const QString Zeile =
    u"Panorama %1 in 'config.ini' gespeichert: Blickwinkel %2, Gier %3, Nick %4"_qs;

// Whether any pixel of `feld` in `bild` is the outlines' red.
bool rotIn(const QImage& bild, QRect feld)
{
    feld &= bild.rect();
    for (int y = feld.top(); y <= feld.bottom(); ++y)
        for (int x = feld.left(); x <= feld.right(); ++x)
            if (const QRgb p = bild.pixel(x, y); qRed(p) > 180 && qGreen(p) < 90 && qBlue(p) < 90)
                return true;
    return false;
}

} // namespace

class TestPanoramaBearbeiten final : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_prog;
    std::unique_ptr<Form1> m_form;

    QString pfad() const { return m_prog->filePath(u"config.ini"_qs); }
    Umrissfeld* feld() const { return m_form->findChild<Umrissfeld*>(u"Umrissfeld"_qs); }
    QLabel* rahmen(int i) const { return m_form->findChild<QLabel*>(u"Rahmen_%1"_qs.arg(i)); }
    QString letzteZeile() const { return protokollZeilen(*m_form).last(); }
    Blick blick(int platz) const
    {
        const FrameRechteck f = m_form->rechteck(richtungen[platz].richtung);
        return schnitt::blickAus(*m_form->konfiguration().panorama[platz], f);
    }
    // A picture point where the preview shows it.
    QPointF imFeld(QPointF p) const
    {
        return {p.x() * feld()->width() / Pano.width(), p.y() * feld()->height() / Pano.height()};
    }
    void starten(const QByteArray& inhalt = datei(), QSize bild = Pano)
    {
        schreibeDatei(pfad(), inhalt);
        testbilder::schreiben(
            m_prog->path(), u"pano.bmp"_qs,
            testbilder::kodieren(testbilder::fotoaehnlich(bild.width(), bild.height(), 5), "BMP"));
        BoxBeobachter boxen;
        m_form = std::make_unique<Form1>(m_prog->path(), QUrl());
        zeigen(*m_form);
        bildDoppelklicken(*m_form, m_prog->path(), u"pano.bmp"_qs);
    }
    void taste(int t, Qt::KeyboardModifiers mod = {})
    {
        QTest::keyClick(m_form.get(), Qt::Key(t), mod);
    }
    // Where a view's name is drawn: inside it, off the frame labels.
    QPoint bei(int platz) const { return imFeld(mitte(Pano, blick(platz))).toPoint(); }
    void rad(int platz, int drehung)
    {
        QWheelEvent e(bei(platz), feld()->mapToGlobal(bei(platz)), {}, {0, drehung}, Qt::NoButton,
                      {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(feld(), &e);
    }

private slots:
    void init() { m_prog = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_form.reset(); }

    void umrisse_data()
    {
        QTest::addColumn<QSize>("bild");
        QTest::newRow("2:1") << Pano;
        QTest::newRow("kein Panorama") << QSize(1140, 855);
    }
    void umrisse()
    {
        QFETCH(QSize, bild);
        // Links a rectangle at first, then a view once the file says so and
        // the slot is chosen again.
        starten(datei(""), bild);
        QVERIFY(rahmen(2)->isVisible());
        schreibeDatei(pfad(), datei());
        taste(Qt::Key_1);
        const bool panorama = bild == Pano;
        const QImage gemalt = feld()->grab().toImage();
        QCOMPARE(rotIn(gemalt, gemalt.rect()), panorama);
        for (int platz : {Links, Rechts}) {
            QCOMPARE(feld()->polygone(platz).isEmpty(), !panorama);
            if (!panorama)
                continue;
            const Blick b = blick(platz);
            // The view's border, where the projection puts it, is red; its
            // inside is not, but for the name at its centre.
            for (double t : {0.0, 0.3, 0.5, 1.0})
                for (QPointF r : {QPointF(t * b.breite, 0), QPointF(t * b.breite, b.hoehe),
                                  QPointF(0, t * b.hoehe), QPointF(b.breite, t * b.hoehe)}) {
                    const QPointF p = quellpunkt(Pano, b, r.x() - 0.5, r.y() - 0.5);
                    const QPoint q = imFeld(p + QPointF(0.5, 0.5)).toPoint();
                    QVERIFY(rotIn(gemalt, QRect(q - QPoint(1, 1), QSize(3, 3))));
                }
            const QPoint innen =
                imFeld(quellpunkt(Pano, b, b.breite / 4.0, b.hoehe / 4.0)).toPoint();
            QVERIFY(!rotIn(gemalt, QRect(innen - QPoint(2, 2), QSize(5, 5))));
            const QPoint name = imFeld(mitte(Pano, b)).toPoint();
            QVERIFY(rotIn(gemalt, QRect(name - QPoint(20, 8), QSize(40, 16))));
        }
        QVERIFY(feld()->polygone(Zurueck).isEmpty());
        // A panorama direction has no frame label, but can be ticked.
        QVERIFY(rahmen(0)->isVisible() && !rahmen(1)->isVisible() && !rahmen(2)->isVisible());
        for (const char* box : {"Check1", "Check2", "Check3"})
            QVERIFY(m_form->findChild<QCheckBox*>(QLatin1String(box))->isEnabled());
        QVERIFY(!m_form->findChild<QCheckBox*>(u"Check4"_qs)->isEnabled());

        // The same file in slot 2, compared: its views over the red ones, only on a panorama.
        schreibeDatei(m_prog->filePath(u"zwei.ini"_qs), datei());
        konfigurationWaehlen(*m_form, u"zwei.ini"_qs);
        taste(Qt::Key_2, Qt::ControlModifier);
        QStringList texte;
        for (const Vergleichsfeld::Form& f :
             m_form->findChild<Vergleichsfeld*>(u"Vergleichsfeld"_qs)->formen()) {
            texte << f.text;
            if (f.text != u"2: Vorwärts")
                QCOMPARE(f.teile, feld()->polygone(f.text.endsWith(u"Links") ? Links : Rechts));
        }
        const QStringList erwartet = panorama ? QStringList{u"2: Vorwärts"_qs, u"2: Links"_qs,
                                                            u"2: Rechts"_qs}
                                              : QStringList{u"2: Vorwärts"_qs};
        QCOMPARE(texte, erwartet);
    }

    void ziehen_data()
    {
        QTest::addColumn<int>("platz");
        QTest::addColumn<QPoint>("um");
        QTest::newRow("Links hoch und rechts") << int(Links) << QPoint(37, -23);
        QTest::newRow("Rechts über die Naht") << int(Rechts) << QPoint(200, 0);
        QTest::newRow("Links bis zum Pol") << int(Links) << QPoint(-5, -300);
    }
    void ziehen()
    {
        QFETCH(int, platz);
        QFETCH(QPoint, um);
        starten();
        const Blick vorher = blick(platz);
        const Blick soll = verschoben(vorher, Pano,
                                      QPointF(um.x() * double(Pano.width()) / feld()->width(),
                                              um.y() * double(Pano.height()) / feld()->height()));
        QTest::mousePress(feld(), Qt::LeftButton, {}, bei(platz));
        QTest::mouseMove(feld(), bei(platz) + um);
        QTest::mouseRelease(feld(), Qt::LeftButton, {}, bei(platz) + um);
        const Blick ist = blick(platz);
        QVERIFY(std::abs(ist.gier - soll.gier) <= 0.005 && std::abs(ist.nick - soll.nick) <= 0.005);
        QCOMPARE(ist.blickwinkel, vorher.blickwinkel);
        if (platz == Links)
            QCOMPARE(testbilder::lesen(pfad()), gespeichert(u"90"_qs, frames::winkelText(ist.gier),
                                                            frames::winkelText(ist.nick)));
        // Ctrl+Z takes it back.
        taste(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(blick(platz), vorher);
    }

    // Arrow keys on the view clicked last, from the values a file may hold;
    // what is written stays in range, with at most two decimals.
    void tasten_data()
    {
        QTest::addColumn<QByteArray>("werte");
        QTest::addColumn<int>("taste");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<QString>("danach"); // Blickwinkel, Gier, Nick
        auto neu = [](const char* n, const char* w, Qt::Key t, bool s, const char* d) {
            QTest::newRow(n) << QByteArray(w) << int(t) << s << QString::fromLatin1(d);
        };
        neu("links über die Naht", "Blickwinkel=90\r\nGier=-179,5\r\n", Qt::Key_Left, false,
            "90 179.5 0");
        neu("hoch bis 90", "Blickwinkel=90\r\nNick=89.5\r\n", Qt::Key_Up, false, "90 -90 90");
        neu("breiter", "Blickwinkel=60,25\r\n", Qt::Key_Right, true, "61.25 -90 0");
        neu("breiter mit Pfeil runter", "Blickwinkel=60\r\n", Qt::Key_Down, true, "61 -90 0");
        neu("nicht über 179", "Blickwinkel=178.5\r\n", Qt::Key_Right, true, "179 -90 0");
        neu("nicht unter 1", "Blickwinkel=1.5\r\n", Qt::Key_Left, true, "1 -90 0");
        neu("zwei Stellen", "Blickwinkel=33.333\r\nGier=10.126\r\nNick=-0,004\r\n", Qt::Key_Right,
            false, "33.33 11.13 0");
    }
    void tasten()
    {
        QFETCH(QByteArray, werte);
        QFETCH(int, taste);
        QFETCH(bool, shift);
        QFETCH(QString, danach);
        starten(datei(werte));
        QTest::mouseClick(feld(), Qt::LeftButton, {}, bei(Links)); // taken and put down unmoved
        this->taste(taste, shift ? Qt::ShiftModifier : Qt::NoModifier);
        const QStringList w = danach.split(u' ');
        QCOMPARE(letzteZeile(), Zeile.arg(u"Links"_qs, w[0], w[1], w[2]));
        const QByteArray links = testbilder::lesen(pfad()).split('[').at(2);
        const char* schluessel[] = {"Blickwinkel=", "Gier=", "Nick="};
        for (int k = 0; k < 3; ++k)
            QVERIFY(links.contains(schluessel[k] + w[k].toLatin1() + "\r\n"));
    }

    void radFrameUndRueckgaengig()
    {
        starten();
        rad(Links, 120); // away from the user: narrower
        QCOMPARE(letzteZeile(), Zeile.arg(u"Links"_qs, u"89"_qs, u"-90"_qs, u"10"_qs));
        rad(Links, -60); // two halves make a notch
        rad(Links, -60);
        rad(Links, -240);
        QCOMPARE(blick(Links).blickwinkel, 92.0);
        taste(Qt::Key_Right);
        taste(Qt::Key_Up);
        QCOMPARE(testbilder::lesen(pfad()), gespeichert(u"92"_qs, u"-89"_qs, u"11"_qs));

        // A frame taken takes the keys over; the view stays as it was.
        QTest::mouseClick(rahmen(0), Qt::LeftButton, {}, {20, 20});
        taste(Qt::Key_Right);
        QCOMPARE(m_form->rechteck(Richtung::Vorwaerts), (FrameRechteck{10, 21, 200, 100}));
        QCOMPARE(blick(Links).gier, -89.0);

        // One undo list for both, the latest first, back to the first values.
        for (int i = 0; i < 3; ++i)
            taste(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_form->rechteck(Richtung::Vorwaerts), (FrameRechteck{10, 20, 200, 100}));
        QCOMPARE(blick(Links).nick, 10.0);
        for (int i = 0; i < 4; ++i)
            taste(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(letzteZeile(), Zeile.arg(u"Links"_qs, u"90"_qs, u"-90"_qs, u"10"_qs));
        QVERIFY(testbilder::lesen(pfad()).startsWith(gespeichert(u"90"_qs, u"-90"_qs, u"10"_qs)));

        // H hides the views with the frames and shows them again; a
        // panorama direction's frame label stays hidden.
        taste(Qt::Key_H);
        QVERIFY(!feld()->isVisible() && !rahmen(0)->isVisible());
        taste(Qt::Key_H);
        QVERIFY(feld()->isVisible() && rahmen(0)->isVisible() && !rahmen(2)->isVisible());

        // A click outside the preview ends the editing.
        rad(Links, 0); // takes Links, changes nothing
        QTest::mouseClick(m_form->findChild<QListWidget*>(u"File1"_qs)->viewport(), Qt::LeftButton);
        const qsizetype zeilen = protokollZeilen(*m_form).size();
        taste(Qt::Key_Right);
        QCOMPARE(protokollZeilen(*m_form).size(), zeilen);

        // A file that cannot be written keeps the view as it was.
        QVERIFY(QFile::setPermissions(pfad(), QFile::ReadOwner));
        rad(Links, 120);
        QVERIFY(letzteZeile().startsWith(u"Error: Panorama Links nicht gespeichert: "_qs));
        QCOMPARE(blick(Links).blickwinkel, 90.0);
    }
};

QTEST_MAIN(TestPanoramaBearbeiten)
#include "tst_panoramabearbeiten.moc"
