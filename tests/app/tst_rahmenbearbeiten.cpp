// Frames set up on the real window: taken with the mouse on the preview,
// nudged with the arrow keys, saved into the slot's file and undone.

#include "app/Form1.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace formhelfer;

namespace {

// Links lies at 0, 0, 150 × 705 of a 1140 × 855 picture; Rechts is not set up.
// In the preview a source pixel is 630 / 1144 of a pixel across, 473 / 859 down:
// 10 preview pixels across are 18 source pixels, 5 down are 9.
QByteArray datei(const FrameRechteck& links = {0, 0, 150, 705})
{
    return "; Kamera A\r\n" + konfiguration(u"Vorwärts"_qs, 0, 150, 840, 705) +
           konfiguration(u"Links"_qs, links.top, links.left, links.width, links.height) +
           "Notiz=bleibt\r\n" + konfiguration(u"Zurück"_qs, 705, 0, 1140, 150);
}

// What the first change of a file without [Vorlage] records beside the frame.
const QByteArray Vorlage = "[Vorlage]\r\nBreite=1140\r\nHoehe=855\r\nAnpassen=nein\r\n";

} // namespace

class TestRahmenBearbeiten final : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_prog, m_bilder;
    std::unique_ptr<Form1> m_form;

    QString pfad() const { return m_prog->filePath(u"config.ini"_qs); }
    QLabel* rahmen(int i) const
    {
        return m_form->findChild<QLabel*>(QStringLiteral("Rahmen_%1").arg(i));
    }
    QLabel* links() const { return rahmen(2); }
    QString letzteZeile() const { return protokollZeilen(*m_form).last(); }
    void starten(bool mitDatei = true)
    {
        if (mitDatei)
            schreibeDatei(pfad(), datei());
        BoxBeobachter boxen;
        m_form = std::make_unique<Form1>(m_prog->path(), QUrl());
        zeigen(*m_form);
        bildDoppelklicken(*m_form, m_bilder->path(), u"bild.bmp"_qs);
    }
    // Takes `label` at `bei` and lets it go `um` further.
    static void ziehen(QLabel* label, QPoint bei, QPoint um)
    {
        QTest::mousePress(label, Qt::LeftButton, {}, bei);
        QTest::mouseMove(label, bei + um);
        QTest::mouseRelease(label, Qt::LeftButton, {}, bei + um);
    }
    static QString gespeichert(const FrameRechteck& r)
    {
        return QStringLiteral("Rahmen Links in 'config.ini' gespeichert: Top %1, Left %2, Width "
                              "%3, Height %4")
            .arg(r.top)
            .arg(r.left)
            .arg(r.width)
            .arg(r.height);
    }

private slots:
    void init()
    {
        m_prog = std::make_unique<QTemporaryDir>();
        m_bilder = std::make_unique<QTemporaryDir>();
        testbilder::schreiben(m_bilder->path(), u"bild.bmp"_qs,
                              testbilder::kodieren(testbilder::fotoaehnlich(1140, 855, 3), "BMP"));
    }
    void cleanup() { m_form.reset(); }

    void griffe_data()
    {
        QTest::addColumn<QPoint>("bei"); // from the label's corners: negative counts from the right
        QTest::addColumn<QPoint>("um");
        QTest::addColumn<int>("zeiger");
        QTest::addColumn<FrameRechteck>("danach");
        auto zeile = [](const char* n, QPoint bei, QPoint um, Qt::CursorShape z, FrameRechteck r) {
            QTest::newRow(n) << bei << um << int(z) << r;
        };
        zeile("Mitte", {40, 200}, {10, 5}, Qt::SizeAllCursor, {9, 18, 150, 705});
        zeile("linke Kante", {1, 200}, {10, 0}, Qt::SizeHorCursor, {0, 18, 132, 705});
        zeile("rechte Kante", {-2, 200}, {10, 0}, Qt::SizeHorCursor, {0, 0, 168, 705});
        zeile("obere Kante", {40, 1}, {0, 5}, Qt::SizeVerCursor, {9, 0, 150, 696});
        zeile("obere über die untere", {40, 1}, {0, 500}, Qt::SizeVerCursor, {704, 0, 150, 1});
        zeile("untere Kante", {40, -2}, {0, -5}, Qt::SizeVerCursor, {0, 0, 150, 696});
        zeile("Ecke unten rechts", {-2, -2}, {10, 5}, Qt::SizeFDiagCursor, {0, 0, 168, 714});
        zeile("Ecke oben rechts", {-2, 1}, {-10, 5}, Qt::SizeBDiagCursor, {9, 0, 132, 696});
        zeile("Ecke oben links", {1, 1}, {-10, -5}, Qt::SizeFDiagCursor, {-9, -18, 168, 714});
        zeile("Ecke unten links", {1, -2}, {10, -5}, Qt::SizeBDiagCursor, {0, 18, 132, 696});
        zeile("nie schmaler als 1", {-2, 200}, {-400, 0}, Qt::SizeHorCursor, {0, 0, 1, 705});
        zeile("aus dem Bild hinaus", {40, 200}, {-100, 0}, Qt::SizeAllCursor, {0, -182, 150, 705});
    }
    void griffe()
    {
        QFETCH(QPoint, bei);
        QFETCH(QPoint, um);
        QFETCH(int, zeiger);
        QFETCH(FrameRechteck, danach);
        starten();
        QLabel* label = links();
        const QRect vorher = label->geometry();
        bei = QPoint(bei.x() < 0 ? label->width() + bei.x() : bei.x(),
                     bei.y() < 0 ? label->height() + bei.y() : bei.y());
        QMouseEvent schweben(QEvent::MouseMove, bei, label->mapToGlobal(bei), Qt::NoButton,
                             Qt::NoButton, {});
        QApplication::sendEvent(label, &schweben);
        QCOMPARE(int(label->cursor().shape()), zeiger);

        // While dragged, the label shows the rectangle under the direction's name.
        QTest::mousePress(label, Qt::LeftButton, {}, bei);
        QTest::mouseMove(label, bei + um);
        QCOMPARE(label->text(), QStringLiteral("Links\n%1, %2, %3 × %4")
                                    .arg(danach.left)
                                    .arg(danach.top)
                                    .arg(danach.width)
                                    .arg(danach.height));
        QTest::mouseRelease(label, Qt::LeftButton, {}, bei + um);
        QCOMPARE(testbilder::lesen(pfad()), datei(danach) + Vorlage);
        QCOMPARE(letzteZeile(), gespeichert(danach));
        QCOMPARE(m_form->rechteck(Richtung::Links), danach);
        QCOMPARE(label->text(), u"Links"_qs);
        // Where the overlay puts the moved frame is where it was let go.
        if (QByteArrayView(QTest::currentDataTag()) == "Mitte")
            QVERIFY((label->pos() - vorher.topLeft() - um).manhattanLength() <= 1);
    }

    void ohneAenderungGleicheWerte()
    {
        starten();
        const QByteArray vorher = testbilder::lesen(pfad());
        ziehen(links(), {40, 200}, {0, 0});
        // Moved away and back before it is let go.
        const QPoint start = links()->mapToGlobal(QPoint(40, 200));
        QTest::mousePress(links(), Qt::LeftButton, {}, {40, 200});
        QTest::mouseMove(links(), {73, 251});
        QTest::mouseMove(links(), links()->mapFromGlobal(start));
        QTest::mouseRelease(links(), Qt::LeftButton, {}, links()->mapFromGlobal(start));
        QCOMPARE(testbilder::lesen(pfad()), vorher);
        QCOMPARE(protokollZeilen(*m_form).filter(u"gespeichert"_qs),
                 QStringList(2, gespeichert({0, 0, 150, 705})));
    }

    void tastenUndRueckgaengig()
    {
        starten();
        ziehen(links(), {40, 200}, {10, 5});
        QCOMPARE(links()->lineWidth(), 3); // the active frame
        QTest::keyClick(m_form.get(), Qt::Key_Right);
        QTest::keyClick(m_form.get(), Qt::Key_Up);
        QTest::keyClick(m_form.get(), Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(m_form.get(), Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(m_form->rechteck(Richtung::Links), (FrameRechteck{8, 19, 149, 706}));
        QCOMPARE(letzteZeile(), gespeichert({8, 19, 149, 706}));
        QCOMPARE(testbilder::lesen(pfad()), datei({8, 19, 149, 706}) + Vorlage);

        for (int i = 0; i < 4; ++i)
            QTest::keyClick(m_form.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(letzteZeile(), gespeichert({9, 18, 150, 705}));
        QTest::keyClick(m_form.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(testbilder::lesen(pfad()), datei() + Vorlage);
        const qsizetype zeilen = protokollZeilen(*m_form).size();
        QTest::keyClick(m_form.get(), Qt::Key_Z, Qt::ControlModifier); // nothing left to undo
        QCOMPARE(protokollZeilen(*m_form).size(), zeilen);

        // The window's own keys still act; a click outside the preview ends the editing.
        QTest::keyClick(m_form.get(), Qt::Key_H);
        QVERIFY(!links()->isVisible());
        QTest::keyClick(m_form.get(), Qt::Key_H);
        QVERIFY(links()->isVisible());
        QTest::mouseClick(rahmen(0), Qt::LeftButton, {}, {40, 200}); // Vorwärts, put down unmoved
        QCOMPARE(rahmen(0)->lineWidth(), 3);
        QTest::mouseClick(m_form->findChild<QListWidget*>(u"File1"_qs)->viewport(), Qt::LeftButton);
        QCOMPARE(rahmen(0)->lineWidth(), 1);
        QTest::keyClick(m_form.get(), Qt::Key_Right);
        QCOMPARE(testbilder::lesen(pfad()), datei() + Vorlage);
    }

    void inEinheitenDerDatei()
    {
        // Frames set up on a picture twice this size and scaled: the frame
        // lies where datei() puts it, a drag is saved in the file's units,
        // an arrow key moves by one of them.
        schreibeDatei(pfad(), konfiguration(u"Links"_qs, 0, 0, 300, 1410) +
                                  "[Vorlage]\r\nBreite=2280\r\nHoehe=1710\r\nAnpassen="
                                  "skalieren\r\n");
        starten(false);
        ziehen(links(), {40, 200}, {10, 5});
        QCOMPARE(m_form->rechteck(Richtung::Links), (FrameRechteck{18, 36, 300, 1410}));
        QTest::keyClick(m_form.get(), Qt::Key_Right);
        QCOMPARE(m_form->rechteck(Richtung::Links), (FrameRechteck{18, 37, 300, 1410}));
        QVERIFY(testbilder::lesen(pfad()).endsWith("Anpassen=skalieren\r\n"));
    }

    void schreibgeschuetzt()
    {
        starten();
        QVERIFY(QFile::setPermissions(pfad(), QFile::ReadOwner));
        const QRect vorher = links()->geometry();
        ziehen(links(), {40, 200}, {10, 5});
        QVERIFY(letzteZeile().startsWith(u"Error: Rahmen Links nicht gespeichert: "_qs));
        QVERIFY(letzteZeile().contains(u"config.ini"_qs));
        QCOMPARE(testbilder::lesen(pfad()), datei());
        QCOMPARE(links()->geometry(), vorher);
        QCOMPARE(m_form->rechteck(Richtung::Links), (FrameRechteck{0, 0, 150, 705}));
    }

    // Ctrl with a digit lays another slot's frames dashed over the picture,
    // where that slot would put them itself, and takes them away again; the
    // plain digit still selects. Nothing else changes: not the selected
    // slot, its frames and boxes, a file or the log.
    void andererSlotZumVergleich()
    {
        // Half the size, scaled: on this picture Links lies at 10, 20, 75 × 150.
        schreibeDatei(m_prog->filePath(u"zwei.ini"_qs),
                      konfiguration(u"Links"_qs, 40, 20, 150, 300) +
                          "[Vorlage]\r\nBreite=2280\r\nHoehe=1710\r\nAnpassen=skalieren\r\n");
        starten();
        konfigurationWaehlen(*m_form, u"zwei.ini"_qs);
        auto zustand = [&] {
            QStringList z = protokollZeilen(*m_form);
            z << QString::number(m_form->Frame) << QString::fromLatin1(testbilder::lesen(pfad()))
              << QString::fromLatin1(testbilder::lesen(m_prog->filePath(u"zwei.ini"_qs)));
            for (int i = 0; i < 4; ++i)
                z << QStringLiteral("%1 %2 %3")
                         .arg(QDebug::toString(rahmen(i)->geometry()))
                         .arg(rahmen(i)->isVisible())
                         .arg(m_form->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(i + 1))
                                  ->isChecked());
            return z;
        };
        const QStringList vorher = zustand();
        QWidget* vorschau = links()->parentWidget();
        const QImage bildVorher = vorschau->grab().toImage();

        QTest::keyClick(m_form.get(), Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(m_form->vergleiche(), QList<int>{2});
        QCOMPARE(zustand(), vorher);
        const QImage bildMit = vorschau->grab().toImage();
        QVERIFY(bildMit != bildVorher);
        QTest::keyClick(m_form.get(), Qt::Key_5, Qt::ControlModifier); // an empty slot
        QTest::keyClick(m_form.get(), Qt::Key_2, Qt::ControlModifier);
        QVERIFY(m_form->vergleiche().isEmpty());
        QCOMPARE(vorschau->grab().toImage(), bildVorher);
        QCOMPARE(zustand(), vorher);

        // Where slot 2 draws its own Links, the comparison drew it dashed.
        QTest::keyClick(m_form.get(), Qt::Key_2);
        QCOMPARE(m_form->Frame, qint16(2));
        const QRect eigen = links()->geometry();
        auto gestrichelt = [&](int y) {
            int treffer = 0;
            for (int x = eigen.left() + 2; x < eigen.right() - 1; ++x) {
                const QColor c = bildMit.pixelColor(x, y);
                treffer += c.blue() > 200 && c.red() < 90 && c.green() < 150;
            }
            return treffer;
        };
        // About half of each edge, in dashes; nothing beside it.
        QVERIFY2(gestrichelt(eigen.top() + 1) > eigen.width() / 4,
                 qPrintable(QString::number(gestrichelt(eigen.top() + 1))));
        QVERIFY(gestrichelt(eigen.bottom() - 1) > eigen.width() / 4);
        QCOMPARE(gestrichelt(eigen.top() - 4), 0);
    }

    void nichtEingerichteteRichtung()
    {
        starten();
        QLabel* rechts = rahmen(1);
        QVERIFY(!rechts->isVisible());
        QVERIFY(!m_form->findChild<QCheckBox*>(u"Check2"_qs)->isEnabled());
        QTest::keyClick(m_form.get(), Qt::Key_H); // hides the frames shown,
        QTest::keyClick(m_form.get(), Qt::Key_H); // then shows all four
        QVERIFY(rechts->isVisible());
        ziehen(rechts, {20, 20}, {0, 0});
        const FrameRechteck r = m_form->rechteck(Richtung::Rechts);
        QVERIFY(r.konfiguriert());
        QVERIFY(testbilder::lesen(pfad()).endsWith(
            konfiguration(u"Rechts"_qs, r.top, r.left, r.width, r.height)));
        QVERIFY(m_form->findChild<QCheckBox*>(u"Check2"_qs)->isEnabled());
    }

    void ohneSlotdatei()
    {
        starten(false);
        QTest::keyClick(m_form.get(), Qt::Key_H);
        const QRect vorher = links()->geometry();
        const qsizetype zeilen = protokollZeilen(*m_form).size();
        ziehen(links(), {40, 200}, {10, 5});
        QCOMPARE(links()->geometry(), vorher);
        QCOMPARE(protokollZeilen(*m_form).size(), zeilen);
        QVERIFY(!QFile::exists(pfad()));
    }
};

QTEST_MAIN(TestRahmenBearbeiten)
#include "tst_rahmenbearbeiten.moc"
