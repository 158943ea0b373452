#include "app/Form1.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace formhelfer;

namespace {
const QString R20(20, u'=');
const QString R30(30, u'=');

QByteArray beispielConfig()
{
    return konfiguration(u"Vorwärts"_qs, 0, 150, 840, 705) +
           konfiguration(u"Links"_qs, 0, 0, 150, 705) +
           konfiguration(u"Rechts"_qs, 0, 990, 150, 705) +
           konfiguration(u"Zurück"_qs, 705, 0, 1140, 150);
}
} // namespace

class TestSchnittbefehle final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prog;
    QTemporaryDir m_bilder;

    QString ausgabe(const QString& name) const
    {
        return m_prog.filePath(u"ausgeschnitten/"_qs + name);
    }
    void ankreuzen(Form1& form, const char* name)
    {
        // Aimed at the box itself: only the box and its caption take the click.
        auto* box = form.findChild<QCheckBox*>(QLatin1String(name));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    QStringList neueZeilen(const Form1& form, qsizetype ab)
    {
        return protokollZeilen(form).mid(ab);
    }

private slots:
    void init()
    {
        for (QTemporaryDir* d : {&m_prog, &m_bilder}) {
            QDir(d->path()).removeRecursively();
            QDir().mkpath(d->path());
        }
        schreibeDatei(m_prog.filePath(u"config.ini"_qs), beispielConfig());
    }

    void einBildMitEnter()
    {
        const QImage quelle = testbilder::fotoaehnlich(1140, 855, 3);
        testbilder::schreiben(m_bilder.path(), u"szene1.jpg"_qs,
                              testbilder::kodieren(quelle, "JPEG", 90));
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        bildDoppelklicken(form, m_bilder.path(), u"szene1.jpg"_qs);
        ankreuzen(form, "Check3"); // Vorwärts first: the order on disk stays L, V
        ankreuzen(form, "Check1");
        const qsizetype vorher = protokollZeilen(form).size();
        QTest::keyClick(&form, Qt::Key_Return);

        QCOMPARE(neueZeilen(form, vorher),
                 (QStringList{R20, u"szene1.jpg:"_qs, u"Bild LINKS erstellt"_qs,
                              u"Bild VORWÄRTS erstellt"_qs}));
        QCOMPARE(testbilder::inhalt(m_prog.filePath(u"ausgeschnitten"_qs)),
                 (QStringList{u"szene1_L.bmp"_qs, u"szene1_V.bmp"_qs}));
        // Against Qt's own decode of the same JPEG, with no tolerance.
        const QImage dekodiert(m_bilder.filePath(u"szene1.jpg"_qs));
        QCOMPARE(testbilder::ersterUnterschied(QImage(ausgabe(u"szene1_L.bmp"_qs)),
                                               dekodiert.copy(0, 0, 150, 705)),
                 QString());
        QCOMPARE(testbilder::ersterUnterschied(QImage(ausgabe(u"szene1_V.bmp"_qs)),
                                               dekodiert.copy(150, 0, 840, 705)),
                 QString());
        QVERIFY(form.letztedatei.isEmpty());
        QVERIFY(form.findChild<QWidget*>(u"Ladebalken"_qs)->isHidden());

        // A second single cut of the same picture writes its own heading again.
        QTest::mouseClick(knopf(form, u"Command1"_qs), Qt::LeftButton);
        QCOMPARE(protokollZeilen(form).mid(vorher + 4, 2), (QStringList{R20, u"szene1.jpg:"_qs}));
    }

    void stapel()
    {
        const QImage a = testbilder::fotoaehnlich(1140, 855, 1);
        const QImage b = testbilder::mitPalette(testbilder::fotoaehnlich(1140, 855, 2), false);
        const QImage c = testbilder::fotoaehnlich(1140, 855, 4);
        testbilder::schreiben(m_bilder.path(), u"a.jpg"_qs, testbilder::kodieren(a, "JPEG"));
        testbilder::schreiben(m_bilder.path(), u"b.gif"_qs, testbilder::gifKodieren(b));
        testbilder::schreiben(m_bilder.path(), u"c.BMP"_qs, testbilder::kodieren(c, "BMP"));
        testbilder::schreiben(m_bilder.path(), u"d.png"_qs, testbilder::kodieren(c, "PNG"));
        testbilder::schreiben(m_bilder.path(), u"e.jpeg"_qs, testbilder::kodieren(c, "JPEG"));
        schreibeDatei(m_bilder.filePath(u"notiz.txt"_qs), "kein Bild");

        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        ankreuzen(form, "Check1");
        ankreuzen(form, "Check3");
        const qsizetype vorher = protokollZeilen(form).size();
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);

        QStringList erwartet;
        for (const char* name : {"a.jpg", "b.gif", "c.BMP"})
            erwartet << R20 << QLatin1String(name) + u":"_qs << u"Bild LINKS erstellt"_qs
                     << u"Bild VORWÄRTS erstellt"_qs;
        erwartet << R20 << u"Fertig!"_qs << R30;
        QCOMPARE(neueZeilen(form, vorher), erwartet);
        QCOMPARE(testbilder::inhalt(m_prog.filePath(u"ausgeschnitten"_qs)),
                 (QStringList{u"a_L.bmp"_qs, u"a_V.bmp"_qs, u"b_L.bmp"_qs, u"b_V.bmp"_qs,
                              u"c_L.bmp"_qs, u"c_V.bmp"_qs}));
        // BMP and GIF sources: exactly the source pixels.
        QCOMPARE(
            testbilder::ersterUnterschied(QImage(ausgabe(u"c_V.bmp"_qs)), c.copy(150, 0, 840, 705)),
            QString());
        QCOMPARE(testbilder::ersterUnterschied(
                     QImage(ausgabe(u"b_L.bmp"_qs)),
                     b.convertToFormat(QImage::Format_RGB32).copy(0, 0, 150, 705)),
                 QString());
        QCOMPARE(form.letztedatei, u"c.BMP"_qs);
        QCOMPARE(form.findChild<QWidget*>(u"Picture1"_qs)->size(), QSize(1144, 859));

        // A second batch starts with the picture cut last: no heading for it.
        QTest::mouseClick(knopf(form, u"Command6"_qs), Qt::LeftButton);
        QCOMPARE(neueZeilen(form, vorher + erwartet.size()).mid(0, 2),
                 (QStringList{R20, u"a.jpg:"_qs}));
    }

    void schreibgeschuetzterProgrammordner()
    {
        // Even run by an administrator, a folder without write permission stays untouched.
        testbilder::schreiben(m_bilder.path(), u"a.bmp"_qs,
                              testbilder::kodieren(testbilder::fotoaehnlich(1140, 855, 2), "BMP"));
        Form1 form(m_prog.path(), QUrl());
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        form.findChild<QCheckBox*>(u"Check1"_qs)->setChecked(true);
        QFile::setPermissions(m_prog.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        form.Command6_Click();
        QFile::setPermissions(m_prog.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
        QVERIFY(!QFileInfo::exists(m_prog.filePath(u"ausgeschnitten"_qs)));
        const QStringList zeilen = protokollZeilen(form);
        QVERIFY(zeilen.at(zeilen.size() - 4).startsWith(u"Error: a.bmp"_qs));
        QVERIFY(zeilen.filter(u"erstellt"_qs).isEmpty());
    }

    void grossesBildMisstVollGroesse()
    {
        // A batch decodes a JPEG only as far as the rectangles reach; the
        // full-size box, which the overlay measures, still takes the whole size.
        testbilder::schreiben(
            m_bilder.path(), u"gross.jpg"_qs,
            testbilder::kodieren(testbilder::fotoaehnlich(2000, 1500, 6), "JPEG"));
        Form1 form(m_prog.path(), QUrl());
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        form.findChild<QCheckBox*>(u"Check1"_qs)->setChecked(true);
        form.Command6_Click();
        QCOMPARE(protokollZeilen(form).filter(u"Bild LINKS erstellt"_qs).size(), 1);
        QCOMPARE(form.findChild<QWidget*>(u"Picture1"_qs)->size(), QSize(2004, 1504));
    }

    void stapelOhneBilderOderHaken()
    {
        Form1 form(m_prog.path(), QUrl());
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        testbilder::schreiben(m_bilder.path(), u"a.bmp"_qs,
                              testbilder::kodieren(testbilder::fotoaehnlich(20, 20, 1), "BMP"));
        const qsizetype vorher = protokollZeilen(form).size();
        form.Command6_Click();
        QCOMPARE(neueZeilen(form, vorher), (QStringList{R20, u"Fertig!"_qs, R30}));
        QVERIFY(!QDir(m_prog.filePath(u"ausgeschnitten"_qs)).exists());
    }

    void einzelschnittOhneDatei()
    {
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        form.letztedatei = u"vorher.jpg"_qs;
        testbilder::schreiben(m_bilder.path(), u"weg.jpg"_qs, "x");
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        form.findChild<QListWidget*>(u"File1"_qs)->setProperty("fileName", u"weg.jpg"_qs);
        QFile::remove(m_bilder.filePath(u"weg.jpg"_qs));
        ankreuzen(form, "Check1");
        QTest::keyClick(&form, Qt::Key_Enter);
        QCOMPARE(protokollZeilen(form).last(), u"weg.jpgexistiert nicht"_qs);
        QCOMPARE(form.letztedatei, u"vorher.jpg"_qs);

        // Nothing selected: the name is empty.
        form.findChild<QListWidget*>(u"File1"_qs)->setProperty("fileName", QString());
        form.Command1_Click();
        QCOMPARE(protokollZeilen(form).last(), u"existiert nicht"_qs);
    }

    void stapelGehtNachFehlernWeiter()
    {
        // "ausgeschnitten" is a plain file: every picture reports, none is lost.
        schreibeDatei(m_prog.filePath(u"ausgeschnitten"_qs), "im Weg");
        for (const char* n : {"a.bmp", "b.bmp"})
            testbilder::schreiben(
                m_bilder.path(), QLatin1String(n),
                testbilder::kodieren(testbilder::fotoaehnlich(1140, 855, 5), "BMP"));
        schreibeDatei(m_bilder.filePath(u"0.gif"_qs), "kaputt");
        Form1 form(m_prog.path(), QUrl());
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        form.findChild<QCheckBox*>(u"Check2"_qs)->setChecked(true);
        const qsizetype vorher = protokollZeilen(form).size();
        form.Command6_Click();
        const QStringList zeilen = neueZeilen(form, vorher);
        QCOMPARE(zeilen.size(), 3 + 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(zeilen[i].startsWith(u"Error: "_qs), qPrintable(zeilen[i]));
        QVERIFY(zeilen[0].contains(u"0.gif"_qs));
        QVERIFY(zeilen.filter(u"erstellt"_qs).isEmpty());
        QCOMPARE(testbilder::lesen(m_prog.filePath(u"ausgeschnitten"_qs)), QByteArray("im Weg"));
    }
};

QTEST_MAIN(TestSchnittbefehle)
#include "tst_schnittbefehle.moc"
