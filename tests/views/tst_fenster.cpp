// The window as a user meets it: the preview with its frames, single cuts
// with Enter, batches and headings; and a damaged picture through the
// preview, the single cut and the batch: its one clear line each time, the
// window stays usable and the batch goes on.

#include "app/Form1.h"
#include "app/Form3.h"
#include "views/Meldungen.h"
#include "views/Overlay.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace formhelfer;
namespace meldung = schnitt::meldung;

namespace {

// The Links frame of every test that does not set its own configuration.
const QRect Links(0, 0, 40, 30);

const QString R20(20, u'=');
const QString R30(30, u'=');

} // namespace

class TestFenster final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prog;
    QTemporaryDir m_bilder;

    QString ausgabe(const QString& name = {}) const
    {
        return m_prog.filePath(u"ausgeschnitten/"_qs + name);
    }
    QString ansichtenIn() const
    {
        return u"Ansichten in "_qs +
               QDir::toNativeSeparators(m_prog.filePath(u"ausgeschnitten"_qs));
    }
    QLabel* rahmen(const Form1& form, int i)
    {
        return form.findChild<QLabel*>(QStringLiteral("Rahmen_%1").arg(i));
    }
    QCheckBox* check(const Form1& form, int i)
    {
        return form.findChild<QCheckBox*>(QStringLiteral("Check%1").arg(i));
    }
    void bild(const QString& name, int w, int h)
    {
        testbilder::schreiben(m_bilder.path(), name,
                              testbilder::kodieren(testbilder::fotoaehnlich(w, h, 7), "BMP"));
    }
    void ankreuzen(Form1& form, const char* name)
    {
        // Aimed at the box itself: only the box and its caption take the click.
        auto* box = form.findChild<QCheckBox*>(QLatin1String(name));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    void bild(const QString& name, const QByteArray& inhalt)
    {
        QVERIFY(!testbilder::schreiben(m_bilder.path(), name, inhalt).isEmpty());
    }
    void config(const QByteArray& inhalt)
    {
        schreibeDatei(m_prog.filePath(u"config.ini"_qs), inhalt);
    }

private slots:
    void init()
    {
        for (QTemporaryDir* d : {&m_prog, &m_bilder}) {
            QDir(d->path()).removeRecursively();
            QDir().mkpath(d->path());
        }
        config(
            konfiguration(u"Links"_qs, Links.top(), Links.left(), Links.width(), Links.height()));
    }

    void defektesBild()
    {
        const QByteArray jpeg =
            testbilder::kodieren(testbilder::fotoaehnlich(64, 48, 7), "JPEG", 90);
        bild(u"a.bmp"_qs, 120, 90);
        bild(u"b.jpg"_qs, jpeg.left(jpeg.size() / 2));
        bild(u"c.gif"_qs, testbilder::testdatei(u"viele.gif"_qs)); // 300 frames
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        bildDoppelklicken(form, m_bilder.path(), u"a.bmp"_qs);
        const QSize vorher = form.findChild<QWidget*>(u"Picture1"_qs)->size();
        check(form, 1)->setChecked(true);
        schreibeDatei(ausgabe(u"b_L.bmp"_qs), "frueher");
        const QString fehler = meldung::NichtGeladen.arg(u"b.jpg", meldung::GrundUnvollstaendig);

        qsizetype zeilen = protokollZeilen(form).size();
        bildDoppelklicken(form, m_bilder.path(), u"b.jpg"_qs);
        QCOMPARE(protokollZeilen(form).mid(zeilen), QStringList{fehler});
        // The picture shown before stays in place, ready for a cut.
        QVERIFY(form.bildgeladen);
        QCOMPARE(form.findChild<QWidget*>(u"Picture1"_qs)->size(), vorher);
        zeilen = protokollZeilen(form).size();
        // "Lade..." stands while the picture is cut and goes when it is done.
        auto* lade = form.findChild<QLabel*>(u"Ladebalken"_qs);
        bool geladenSichtbar = false;
        QObject::connect(form.findChild<QPlainTextEdit*>(u"Text1"_qs), &QPlainTextEdit::textChanged,
                         lade, [&] { geladenSichtbar = geladenSichtbar || lade->isVisible(); });
        form.Command1_Click();
        QVERIFY(geladenSichtbar && lade->isHidden());
        QCOMPARE(protokollZeilen(form).mid(zeilen), QStringList{fehler});
        // An earlier good view of the picture that is broken now survives.
        QCOMPARE(testbilder::lesen(ausgabe(u"b_L.bmp"_qs)), QByteArray("frueher"));

        zeilen = protokollZeilen(form).size();
        form.Command6_Click();
        QCOMPARE(
            protokollZeilen(form).mid(zeilen),
            (QStringList{R20, u"a.bmp:"_qs, u"Bild LINKS erstellt"_qs, fehler, R20, u"c.gif:"_qs,
                         u"Bild LINKS erstellt"_qs, R20, u"Fertig!"_qs, R30, ansichtenIn()}));
        QCOMPARE(testbilder::inhalt(ausgabe()),
                 (QStringList{u"a_L.bmp"_qs, u"b_L.bmp"_qs, u"c_L.bmp"_qs}));
        QCOMPARE(testbilder::lesen(ausgabe(u"b_L.bmp"_qs)), QByteArray("frueher"));
    }

    // A run that can cut nothing says why in one line, and writes nothing;
    // a view with no pixel in its picture is not saved all white.
    void leereLaeufe()
    {
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        qsizetype vorher = protokollZeilen(form).size();
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);
        QCOMPARE(protokollZeilen(form).mid(vorher), QStringList{u"Keine Richtung ausgewählt."_qs});

        ankreuzen(form, "Check1");
        vorher = protokollZeilen(form).size();
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);
        QCOMPARE(protokollZeilen(form).mid(vorher),
                 QStringList{u"Keine Bilder im Ordner "_qs +
                             QDir::toNativeSeparators(m_bilder.path()) + u"."_qs});

        // Links lies at 0, 0; Rechts wholly to the right of a 40 pixel wide picture.
        config(konfiguration(u"Links"_qs, 0, 0, 20, 20) +
               konfiguration(u"Rechts"_qs, 0, 40, 10, 10));
        form.HolConfig(1);
        bild(u"a.bmp"_qs, 40, 30);
        bildDoppelklicken(form, m_bilder.path(), u"a.bmp"_qs);
        check(form, 1)->setChecked(false);
        vorher = protokollZeilen(form).size();
        QTest::mouseClick(knopf(form, u"Command1"_qs), Qt::LeftButton);
        QCOMPARE(protokollZeilen(form).mid(vorher), QStringList{u"Keine Richtung ausgewählt."_qs});

        ankreuzen(form, "Check1");
        ankreuzen(form, "Check2");
        vorher = protokollZeilen(form).size();
        QTest::mouseClick(knopf(form, u"Command1"_qs), Qt::LeftButton);
        QCOMPARE(protokollZeilen(form).mid(vorher),
                 (QStringList{R20, u"a.bmp:"_qs, u"Bild LINKS erstellt"_qs,
                              u"Error: a.bmp, Rechts: Rahmen (Left 40, Top 0, Width 10, Height 10) "
                              "liegt ganz außerhalb des Bildes (40 × 30); keine Ansicht "
                              "gespeichert"_qs,
                              ansichtenIn()}));
        QCOMPARE(testbilder::inhalt(ausgabe()), QStringList{u"a_L.bmp"_qs});

        // Only the view outside: nothing written, so no folder to point to.
        QVERIFY(QDir(ausgabe()).removeRecursively());
        ankreuzen(form, "Check1");
        vorher = protokollZeilen(form).size();
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);
        const QStringList zeilen = protokollZeilen(form).mid(vorher);
        QVERIFY2(zeilen.filter(u"liegt ganz außerhalb"_qs).size() == 1,
                 qPrintable(zeilen.join(u'|')));
        QCOMPARE(zeilen.last(), R30);
        QVERIFY(testbilder::inhalt(ausgabe()).isEmpty());
    }

    void vorschauUndBeispielrechnung()
    {
        // 941 x 942 pixels plus the box's frame give the full size 945 x 946.
        config(konfiguration(u"Vorwärts"_qs, 100, 60, 300, 200) +
               konfiguration(u"Rechts"_qs, 10, 10, 0, 50) +
               konfiguration(u"Links"_qs, 10, 10, 50, 0) +
               konfiguration(u"Zurück"_qs, 2000, 3000, 30, 20));
        bild(u"gross.bmp"_qs, 941, 942);
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        check(form, 2)->setChecked(true);
        bildDoppelklicken(form, m_bilder.path(), u"gross.bmp"_qs);

        QCOMPARE(protokollZeilen(form).mid(3),
                 (QStringList{u"gross.bmp geladen..."_qs, u"Frames neu berechnet..."_qs}));
        QCOMPARE(form.findChild<QWidget*>(u"Picture1"_qs)->size(), QSize(945, 946));
        QCOMPARE(rahmen(form, 0)->geometry(), QRect(40, 50, 200, 100));
        QVERIFY(rahmen(form, 0)->isVisible());
        // Rechts without width: hidden, its box disabled and cleared.
        QVERIFY(!rahmen(form, 1)->isVisible());
        QVERIFY(!check(form, 2)->isEnabled());
        QVERIFY(!check(form, 2)->isChecked());
        // Links with width but no height: a frame of height 0, its box usable.
        QVERIFY(rahmen(form, 2)->isVisible());
        QCOMPARE(rahmen(form, 2)->height(), 0);
        QVERIFY(check(form, 1)->isEnabled());
        // Zurück lies outside the visible preview, placed last, in front of all.
        QCOMPARE(rahmen(form, 3)->geometry(), QRect(2000, 1000, 20, 10));
        const QObjectList stapel = rahmen(form, 3)->parent()->children();
        QCOMPARE(stapel.last(), rahmen(form, 3));
        QVERIFY(stapel.indexOf(rahmen(form, 0)) >
                stapel.indexOf(form.findChild<QObject*>(u"Ladebalken"_qs)));

        QVERIFY(form.findChild<QLabel*>(u"Label1"_qs)->isHidden());
        QVERIFY(knopf(form, u"Command1"_qs)->isEnabled());
        QVERIFY(form.bildgeladen);

        // The button hides all, then shows all; the next load hides those without width again.
        QTest::mouseClick(knopf(form, u"Command5"_qs), Qt::LeftButton);
        QVERIFY(!rahmen(form, 0)->isVisible());
        QTest::mouseClick(knopf(form, u"Command5"_qs), Qt::LeftButton);
        QVERIFY(rahmen(form, 1)->isVisible());
        bildDoppelklicken(form, m_bilder.path(), u"gross.bmp"_qs);
        QVERIFY(!rahmen(form, 1)->isVisible());
        QVERIFY(rahmen(form, 0)->isVisible());
    }

    void stapel()
    {
        config(beispielKonfiguration());
        const QImage b = testbilder::fotoaehnlich(1140, 855, 4);
        bild(u"a.gif"_qs, testbilder::testdatei(u"szene.gif"_qs));
        bild(u"b.BMP"_qs, testbilder::kodieren(b, "BMP"));
        // Its views would replace those of b.BMP: refused in its place.
        bild(u"b.gif"_qs, testbilder::testdatei(u"szene.gif"_qs));
        // Last, so the full-size box must take its whole size, though the
        // batch decodes it only as far as the rectangles reach.
        bild(u"c.jpg"_qs, testbilder::kodieren(testbilder::fotoaehnlich(2000, 1500, 1), "JPEG"));
        // Pictures under names the batch does not take.
        bild(u"d.ppm"_qs, testbilder::kodieren(b, "PPM"));
        bild(u"e.jpg.txt"_qs, testbilder::kodieren(b, "JPEG"));
        bild(u"notiz.txt"_qs, "kein Bild");
        bild(u".versteckt.jpg.bak"_qs, "kein Bild");
        QDir(m_bilder.path()).mkdir(u"ordner.jpg"_qs);

        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        ankreuzen(form, "Check1");
        ankreuzen(form, "Check3");
        const qsizetype vorher = protokollZeilen(form).size();
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);

        QStringList erwartet;
        for (const char* name : {"a.gif", "b.BMP", "c.jpg"})
            erwartet << R20 << QLatin1String(name) + u":"_qs << u"Bild LINKS erstellt"_qs
                     << u"Bild VORWÄRTS erstellt"_qs;
        erwartet.insert(8, u"Error: b.gif nicht ausgeschnitten: seine Ansichten hießen wie die "
                           u"von b.BMP"_qs);
        erwartet << R20 << u"Fertig!"_qs << R30 << ansichtenIn();
        QCOMPARE(protokollZeilen(form).mid(vorher), erwartet);
        QCOMPARE(testbilder::inhalt(ausgabe()),
                 (QStringList{u"a_L.bmp"_qs, u"a_V.bmp"_qs, u"b_L.bmp"_qs, u"b_V.bmp"_qs,
                              u"c_L.bmp"_qs, u"c_V.bmp"_qs}));
        QCOMPARE(form.letztedatei, u"c.jpg"_qs);
        QCOMPARE(form.findChild<QWidget*>(u"Picture1"_qs)->size(), QSize(2004, 1504));

        // The next batch starts with another picture than the one cut last.
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);
        QCOMPARE(protokollZeilen(form).mid(vorher + erwartet.size(), 2),
                 (QStringList{R20, u"a.gif:"_qs}));
    }

    void schreibgeschuetzterProgrammordner()
    {
        config(beispielKonfiguration());
        // Even run by an administrator, a folder without write permission stays untouched.
        bild(u"a.bmp"_qs, testbilder::kodieren(testbilder::fotoaehnlich(1140, 855, 2), "BMP"));
        Form1 form(m_prog.path(), QUrl());
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        form.findChild<QCheckBox*>(u"Check1"_qs)->setChecked(true);
        QFile::setPermissions(m_prog.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        form.Command6_Click();
        QFile::setPermissions(m_prog.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
        QVERIFY(!QFileInfo::exists(ausgabe()));
        const QStringList zeilen = protokollZeilen(form);
        QVERIFY(zeilen.at(zeilen.size() - 4).startsWith(u"Error: a.bmp"_qs));
        QVERIFY(zeilen.filter(u"erstellt"_qs).isEmpty());
    }

    void verschwundenesBild()
    {
        // Gone between the listing and the double-click, then the Enter: each
        // its own line (the cut's without a blank, as it always was).
        config(beispielKonfiguration());
        bild(u"weg.jpg"_qs, "x");
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        form.letztedatei = u"vorher.jpg"_qs;
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        QFile::remove(m_bilder.filePath(u"weg.jpg"_qs));
        form.findChild<QListWidget*>(u"File1"_qs)->setProperty("fileName", u"weg.jpg"_qs);
        form.File1_DblClick();
        QCOMPARE(protokollZeilen(form).mid(3), QStringList{u"Error: weg.jpg existiert nicht"_qs});
        QVERIFY(!form.findChild<QLabel*>(u"Label1"_qs)->isHidden());
        QVERIFY(!form.bildgeladen);
        ankreuzen(form, "Check1");
        QTest::keyClick(&form, Qt::Key_Enter);
        QCOMPARE(protokollZeilen(form).last(), u"weg.jpgexistiert nicht"_qs);
        QCOMPARE(form.letztedatei, u"vorher.jpg"_qs);
        QVERIFY(!QFileInfo::exists(ausgabe()));
    }

    void stapelAnhalten()
    {
        // Escape through the window system while the batch runs: no further
        // picture is started; a key other than Escape waits for the end.
        const QByteArray inhalt =
            testbilder::kodieren(testbilder::fotoaehnlich(1140, 855, 3), "BMP");
        for (int i = 0; i < 80; ++i)
            bild(QStringLiteral("s%1.bmp").arg(i, 2, 10, QChar(u'0')), inhalt);
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        ankreuzen(form, "Check1");
        auto* fortschritt = form.findChild<QWidget*>(u"Fortschritt"_qs);
        QString anzeige;
        const auto verbindung = QObject::connect(
            form.findChild<QPlainTextEdit*>(u"Text1"_qs), &QPlainTextEdit::textChanged, &form, [&] {
                if (!anzeige.isEmpty() || !fortschritt->isVisible())
                    return;
                anzeige = fortschritt->property("text").toString();
                QTest::keyClick(form.windowHandle(), Qt::Key_H);
                QTest::keyClick(form.windowHandle(), Qt::Key_Escape);
            });
        const qsizetype vorher = protokollZeilen(form).size();
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);
        QObject::disconnect(verbindung);
        QVERIFY2(anzeige.contains(u"Esc hält an"), qPrintable(anzeige));

        const QStringList zeilen = protokollZeilen(form).mid(vorher);
        const int n = int(zeilen.filter(QRegularExpression(u"^s\\d\\d\\.bmp:$"_qs)).size());
        QVERIFY2(n > 0 && n < 80, qPrintable(QString::number(n)));
        QCOMPARE(zeilen.mid(zeilen.size() - 4),
                 (QStringList{R20, QStringLiteral("Abgebrochen nach %1 von 80 Bildern.").arg(n),
                              R30, ansichtenIn()}));
        // Each picture handed over has its whole view, and nothing else is there.
        const QStringList dateien = testbilder::inhalt(ausgabe());
        QCOMPARE(dateien.size(), n);
        for (const QString& d : dateien)
            QCOMPARE(QImage(ausgabe(d)).size(), Links.size());
        // H came during the batch and shows the frames only now.
        QVERIFY(rahmen(form, 2)->isHidden());
        QTRY_VERIFY(!rahmen(form, 2)->isHidden());
    }

    void ausgabeformat()
    {
        // A format the program does not know: said at start and at every
        // cut, and nothing is written. Another slot's PNG is named on choosing.
        const QByteArray links = konfiguration(u"Links"_qs, 0, 0, 40, 30);
        config(links + "[Ausgabe]\r\nFormat=gif\r\n");
        schreibeDatei(m_prog.filePath(u"png.ini"_qs), links + "[Ausgabe]\r\nFormat=PNG\r\n");
        bild(u"a.bmp"_qs, 120, 90);
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        const QString fehler = u"Error: Ausgabeformat 'gif' in 'config.ini' ist unbekannt: erlaubt "
                               u"sind bmp, png, jpg, tif und webp"_qs;
        QCOMPARE(protokollZeilen(form).mid(3), QStringList{fehler});
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        ankreuzen(form, "Check1");
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);
        QTest::keyClick(&form, Qt::Key_Enter);
        QCOMPARE(protokollZeilen(form).mid(4), (QStringList{fehler, fehler}));
        QVERIFY(!QFileInfo::exists(ausgabe()));

        konfigurationWaehlen(form, u"png.ini"_qs);
        QTest::keyClick(&form, Qt::Key_2);
        QCOMPARE(protokollZeilen(form).mid(6),
                 (QStringList{u"Datei 'png.ini' auf Framenummer 2 eingelesen."_qs,
                              u"Frame 2 wurde ausgewählt"_qs, u"Ausgabeformat: PNG"_qs}));
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);
        QCOMPARE(testbilder::inhalt(ausgabe()), QStringList{u"a_L.png"_qs});
    }

    void passtNicht_data()
    {
        QTest::addColumn<int>("antwort");
        QTest::newRow("Nein") << int(QMessageBox::No);
        QTest::newRow("Ja") << int(QMessageBox::Yes);
    }
    void passtNicht()
    {
        // The frames were set up on 120 × 90; one picture is smaller than
        // Links, one of another size, one named like another's views.
        config(konfiguration(u"Links"_qs, 0, 0, 40, 30) +
               "[Vorlage]\r\nBreite=120\r\nHoehe=90\r\n");
        bild(u"a.bmp"_qs, 120, 90);
        bild(u"b.bmp"_qs, 30, 20);
        bild(u"c.bmp"_qs, 200, 100);
        bild(u"c.gif"_qs, testbilder::testdatei(u"szene.gif"_qs));
        bild(u"d.jpg"_qs, "kein Bild"); // the batch's to report, not the check's
        QFETCH(int, antwort);
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        ankreuzen(form, "Check1");
        const qsizetype vorher = protokollZeilen(form).size();
        BoxBeobachter boxen{QMessageBox::StandardButton(antwort)};
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);
        QCOMPARE(boxen.boxen().size(), 1);
        QVERIFY(boxen.boxen().first().text.contains(u"Trotzdem alle ausschneiden?"_qs));
        const QStringList zeilen = protokollZeilen(form).mid(vorher);
        // Each finding on a line of its own, as sichtwerk-schnitt --pruefen prints them.
        QCOMPARE(zeilen.value(4), u"Geprüft: 5 Bilder, 1 passt, 3 passen nicht, 1 nicht lesbar"_qs);
        if (antwort == QMessageBox::No) {
            QCOMPARE(zeilen.size(), 5);
            QVERIFY(!QFileInfo::exists(ausgabe()));
        } else {
            QCOMPARE(zeilen.mid(zeilen.size() - 4),
                     (QStringList{R20, u"Fertig!"_qs, R30, ansichtenIn()}));
            QCOMPARE(testbilder::inhalt(ausgabe()),
                     (QStringList{u"a_L.bmp"_qs, u"b_L.bmp"_qs, u"c_L.bmp"_qs}));
        }
        // Everything fits: cut without a question, as always.
        QDir(m_bilder.path()).removeRecursively();
        QDir().mkpath(m_bilder.path());
        bild(u"e.bmp"_qs, 120, 90);
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);
        QCOMPARE(boxen.boxen().size(), 1);
        QVERIFY(QFileInfo::exists(ausgabe(u"e_L.bmp"_qs)));
    }

    void endeWartetAufDenStapel_data()
    {
        QTest::addColumn<bool>("schliessen"); // else an update hand-over falls due
        QTest::newRow("Update-Übergabe") << false;
        QTest::newRow("Fenster geschlossen") << true;
    }
    void endeWartetAufDenStapel()
    {
        // The program ends once, after the batch: a hand-over lets it finish,
        // a closed window lets only the pictures in work finish.
        QFETCH(bool, schliessen);
        for (int i = 0; i < 12; ++i)
            bild(QStringLiteral("s%1.bmp").arg(i, 2, 10, QChar(u'0')), 1140, 855);
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        check(form, 1)->setChecked(true);
        int beendet = 0;
        bool waehrendDesStapels = false;
        form.setzeBeenden([&] {
            ++beendet;
            const QStringList zeilen = protokollZeilen(form);
            waehrendDesStapels =
                !zeilen.contains(u"Fertig!"_qs) && zeilen.filter(u"Abgebrochen nach "_qs).isEmpty();
        });
        if (schliessen)
            QTimer::singleShot(0, &form, &QWidget::close);
        else
            form.form3()->findChild<QTimer*>(u"Timer1"_qs)->start(1);
        form.Command6_Click();
        QTRY_COMPARE(beendet, 1);
        QVERIFY(!waehrendDesStapels);
        const qsizetype erstellt = protokollZeilen(form).filter(u"Bild LINKS erstellt"_qs).size();
        QCOMPARE(testbilder::inhalt(ausgabe()).size(), erstellt);
        QVERIFY2(schliessen ? erstellt < 12 : erstellt == 12,
                 qPrintable(QString::number(erstellt)));
    }
};

QTEST_MAIN(TestFenster)
#include "tst_fenster.moc"
