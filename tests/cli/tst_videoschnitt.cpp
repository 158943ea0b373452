// Videos as a user cuts them: the command line on the committed videos, its
// views against ffmpeg's crop of the same frames, the batch's rules for names,
// parts, reruns and the manifest, a stop in the middle, and the window's
// preview that steps to exactly the frame asked for.

#include "app/Bildfeld.h"
#include "app/Form1.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using testbilder::abweichung;

namespace {

QStringList zeilen(const QByteArray& text)
{
    return QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts);
}

// Vorwärts 20 × 16 at (8, 4).
QByteArray rahmen(const QByteArray& abstand)
{
    return formhelfer::konfiguration(u"Vorwärts"_qs, 4, 8, 20, 16) +
           "[Video]\r\nAbstand=" + abstand + "\r\n";
}

} // namespace

class TestVideoschnitt final : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;

    QString pfad(const QString& name) const { return m_tmp->filePath(name); }
    QString video(const QString& name, const QString& ziel = {})
    {
        return testbilder::schreiben(pfad(u"v"_qs), ziel.isEmpty() ? name : ziel,
                                     testbilder::testdatei(u"video/"_qs + name));
    }
    std::pair<int, QStringList> starten(const QStringList& argumente, int signal = 0)
    {
        QProcess p;
        p.setWorkingDirectory(m_tmp->path());
        p.start(QStringLiteral(SICHTWERK_SCHNITT), QStringList{"--config", "r.ini"} + argumente);
        if (signal) {
            if (!QTest::qWaitFor([&] { return testbilder::inhalt(pfad(u"aus"_qs)).size() > 8; },
                                 20000))
                return {};
            ::kill(pid_t(p.processId()), signal);
        }
        p.waitForFinished(120000);
        return {p.exitCode(), zeilen(p.readAllStandardOutput())};
    }

private slots:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        testbilder::schreiben(m_tmp->path(), u"r.ini"_qs, rahmen("25"));
    }

    // The views of frames 0, N, 2N … (or by time) against ffmpeg's select and
    // crop of the same file; a phone video's views upright.
    void wieFfmpeg_data()
    {
        QTest::addColumn<QString>("datei");
        QTest::addColumn<QString>("abstand");
        QTest::addColumn<QString>("auswahl"); // ffmpeg's select
        QTest::addColumn<QStringList>("nummern");
        QTest::newRow("H.264 jedes 25.")
            << "h264.mp4"
            << "25"
            << "not(mod(n\\,25))" << QStringList{"000000", "000025", "000275"};
        QTest::newRow("VFR 2s") << "vfr.mp4"
                                << "2s"
                                << "eq(n\\,0)+gt(floor((t-start_t)/2)\\,floor((prev_t-start_t)/2))"
                                << QStringList{"000000", "000020", "000025", "000030"};
        QTest::newRow("HEVC 10 Bit") << "hevc-10bit.mkv"
                                     << "7"
                                     << "not(mod(n\\,7))" << QStringList{"000000", "000028"};
        QTest::newRow("Telefon, hochkant") << "gedreht.mp4"
                                           << "3"
                                           << "not(mod(n\\,3))" << QStringList{"000000", "000009"};
    }
    void wieFfmpeg()
    {
        QFETCH(QString, datei);
        QFETCH(QString, abstand);
        QFETCH(QString, auswahl);
        QFETCH(QStringList, nummern);
        const QString quelle = video(datei);
        const auto [code, aus] = starten({"--abstand", abstand, "--ausgabe", "aus", "v"});
        QCOMPARE(code, 0);
        const QString stamm = datei.section(u'.', 0, 0);
        const QStringList views = testbilder::inhalt(pfad(u"aus"_qs));
        QCOMPARE(views.first(), stamm + u'_' + nummern.first() + u"_V.bmp"_qs);
        QCOMPARE(views.last(), stamm + u'_' + nummern.last() + u"_V.bmp"_qs);
        QCOMPARE(aus.at(1), datei + u" Bild 0 (0 s):"_qs);
        // ffmpeg turns a phone video upright: the crop is then of the upright
        // frame. Converted before the crop, as the views are: else swscale's
        // chroma at the crop's edges is another.
        const QList<QImage> soll = testbilder::ffmpegBilder(
            quelle, "select=" + auswahl + ",format=rgb24,crop=20:16:8:4", QSize(20, 16));
        QCOMPARE(views.size(), soll.size());
        for (qsizetype i = 0; i < soll.size(); ++i)
            QVERIFY2(abweichung(QImage(pfad(u"aus/"_qs + views[i])), soll[i]) <= 1,
                     qPrintable(views[i]));
    }

    // Names, the clash check, parts, reruns and the manifest treat a video
    // as one picture with many frames; a cut-off one ends with its line.
    void stapelRegeln()
    {
        video(u"h264.mp4"_qs, u"a.mp4"_qs);
        video(u"mjpeg.avi"_qs, u"a.avi"_qs); // its views would be a.mp4's
        video(u"gedreht.mp4"_qs, u"b.mp4"_qs);
        testbilder::schreiben(pfad(u"v"_qs), u"kurz.mp4"_qs,
                              testbilder::testdatei(u"video/abgeschnitten.mp4"_qs).left(4628));
        testbilder::schreiben(pfad(u"v"_qs), u"kein.webm"_qs, "kein Video");
        const QStringList argumente{"--abstand", "3", "--ausgabe", "aus", "v"};
        const auto [code, aus] = starten(argumente + QStringList{"--manifest", "m.csv"});
        QCOMPARE(code, 1);
        QCOMPARE(aus.filter(u"Error"_qs),
                 (QStringList{"Error: a.mp4 nicht ausgeschnitten: seine Ansichten hießen wie die "
                              "von a.avi",
                              "Error: kein.webm konnte nicht geladen werden: die Datei ist kein "
                              "Video",
                              "Error: kurz.mp4: ab Bild 29 nicht lesbar: die Datei endet mitten "
                              "im Video"}));
        QVERIFY(aus.contains(u"b.mp4 Bild 3 (0,1 s):"_qs));
        const QStringList kurz = testbilder::inhalt(pfad(u"aus"_qs)).filter(u"kurz_"_qs);
        QVERIFY(kurz.size() == 10 && kurz.last() == u"kurz_000027_V.bmp");
        // Bild-Nr and Zeit last; the capture time from creation_time.
        const QStringList manifest = zeilen(testbilder::lesen(pfad(u"m.csv"_qs)));
        QVERIFY(manifest.first().endsWith(u",Blickrichtung,Bild-Nr,Zeit"));
        QVERIFY(manifest.filter(u"b_000003_V.bmp,v/b.mp4,V,"_qs)
                    .value(0)
                    .endsWith(u",2024-05-17T09:30:00.100+00:00,,,,3,0.1"));

        const auto [wieder, nochmal] = starten(argumente + QStringList{"--nur-neue"});
        QCOMPARE(wieder, 1);
        QCOMPARE(
            nochmal.filter(u": unverändert"_qs),
            (QStringList{"a.avi: unverändert, übersprungen", "b.mp4: unverändert, übersprungen",
                         "kurz.mp4: unverändert, übersprungen"}));
        // Frame 15, a.avi's last chosen one at spacing 5, is enough; a view
        // only as new as its video is not newer.
        const QStringList fuenf{"--abstand", "5", "--ausgabe", "aus5", "v/a.avi"};
        QCOMPARE(starten(fuenf).first, 0);
        QCOMPARE(starten(fuenf + QStringList{"--nur-neue"}).second.filter(u": unverändert"_qs),
                 QStringList{"a.avi: unverändert, übersprungen"});
        // Both to one instant after any change the system made to the video.
        const QDateTime spaeter = QDateTime::currentDateTime().addSecs(3600);
        QStringList dateien = testbilder::inhalt(pfad(u"aus5"_qs))
                                  .replaceInStrings(QRegularExpression(u"^"_qs), u"aus5/"_qs);
        for (const QString& datei : dateien << u"v/a.avi"_qs) {
            QFile f(pfad(datei));
            QVERIFY(f.open(QIODevice::ReadWrite) &&
                    f.setFileTime(spaeter, QFileDevice::FileModificationTime));
        }
        QVERIFY(starten(fuenf + QStringList{"--nur-neue"})
                    .second.contains(u"a.avi Bild 15 (0,6 s):"_qs));
        // Every frame of a video in one part.
        QStringList teile;
        for (const char* teil : {"1/2", "2/2"})
            teile += starten(argumente + QStringList{"--teil", teil})
                         .second.filter(QRegularExpression(u"^[ab]\\.\\w+ Bild 0 "_qs));
        teile.sort();
        QCOMPARE(teile, (QStringList{"a.avi Bild 0 (0 s):", "b.mp4 Bild 0 (0 s):"}));
        // Lossless cutting cannot apply to a video's frames: said once per video.
        testbilder::schreiben(m_tmp->path(), u"r.ini"_qs,
                              rahmen("3") + "[Ausgabe]\r\nFormat=jpg\r\nVerlustfrei=1\r\n");
        QCOMPARE(starten({"--ausgabe", "jpg", "v/b.mp4"}).second.filter(u"Verlustfrei gilt"_qs),
                 QStringList{"b.mp4: Verlustfrei gilt nur für JPEG-Bilder; die Bilder des Videos "
                             "werden neu kodiert"});
        testbilder::schreiben(m_tmp->path(), u"r.ini"_qs,
                              rahmen("3") + "[Ausgabe]\r\nFormat=png\r\nVerlustfrei=1\r\n");
        QVERIFY(
            starten({"--ausgabe", "png", "v/a.avi"}).second.filter(u"Verlustfrei"_qs).isEmpty());
        // A view's capture time is the video's creation time plus the frame's; a video that
        // tells none gives none.
        auto aufnahme = [&](const QString& datei) {
            QProcess p;
            p.start(u"exiftool"_qs,
                    {u"-s3"_qs, u"-f"_qs, u"-DateTimeOriginal"_qs, u"-SubSecTimeOriginal"_qs,
                     u"-OffsetTimeOriginal"_qs, pfad(datei)});
            p.waitForFinished();
            return zeilen(p.readAllStandardOutput());
        };
        QCOMPARE(aufnahme(u"jpg/b_000003_V.jpg"_qs),
                 (QStringList{"2024:05:17 09:30:00", "100", "+00:00"}));
        QCOMPARE(aufnahme(u"png/a_000000_V.png"_qs), (QStringList{"-", "-", "-"}));
    }

    // SIGINT in the middle of a video: no new frame is started, the views
    // written are whole, and the log says how far it came.
    void anhalten()
    {
        QVERIFY(QDir().mkpath(pfad(u"v"_qs)));
        QVERIFY(QProcess::execute("ffmpeg", {"-v", "quiet", "-f", "lavfi", "-i",
                                             "testsrc2=s=1280x960:r=25", "-frames:v", "400", "-c:v",
                                             "mjpeg", pfad(u"v/lang.avi"_qs)}) == 0);
        testbilder::schreiben(m_tmp->path(), u"r.ini"_qs, rahmen("1"));
        const auto [code, aus] = starten({"--ausgabe", "aus", "v"}, SIGINT);
        QCOMPARE(code, 130);
        const QStringList dateien = testbilder::inhalt(pfad(u"aus"_qs));
        const int n = int(aus.filter(u"lang.avi Bild"_qs).size());
        QVERIFY2(n > 0 && n < 400, qPrintable(QString::number(n)));
        QCOMPARE(aus.at(aus.size() - 3),
                 QStringLiteral("Abgebrochen nach %1 von 400 Bildern.").arg(n));
        QCOMPARE(dateien.size(), n);
        for (const QString& d : dateien)
            QVERIFY(!QImage(pfad(u"aus/"_qs + d)).isNull());

        // Escape in the window, as soon as the first frame is logged.
        QTemporaryDir prog;
        testbilder::schreiben(prog.path(), u"config.ini"_qs, rahmen("1"));
        Form1 form(prog.path(), QUrl());
        formhelfer::zeigen(form);
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", pfad(u"v"_qs));
        form.findChild<QCheckBox*>(u"Check3"_qs)->setChecked(true);
        bool gedrueckt = false;
        const auto verbindung = QObject::connect(
            form.findChild<QPlainTextEdit*>(u"Text1"_qs), &QPlainTextEdit::textChanged, &form, [&] {
                if (!std::exchange(gedrueckt, true))
                    QTest::keyClick(form.windowHandle(), Qt::Key_Escape);
            });
        QTest::mouseClick(formhelfer::knopf(form, u"Command6"_qs), Qt::LeftButton);
        QObject::disconnect(verbindung);
        const QStringList zeilen = protokollZeilen(form);
        const int m = int(zeilen.filter(u"lang.avi Bild"_qs).size());
        QVERIFY2(m > 0 && m < 400, qPrintable(QString::number(m)));
        QCOMPARE(zeilen.at(zeilen.size() - 3),
                 QStringLiteral("Abgebrochen nach %1 von 400 Bildern.").arg(m));
        QCOMPARE(testbilder::inhalt(prog.filePath(u"ausgeschnitten"_qs)).size(), m);
    }

    // The preview shows exactly the frame asked for; "Ausschneiden" cuts it.
    void vorschau()
    {
        QTemporaryDir prog;
        testbilder::schreiben(prog.path(), u"config.ini"_qs, rahmen("25"));
        const QString quelle = video(u"h264.mp4"_qs);
        Form1 form(prog.path(), QUrl());
        formhelfer::zeigen(form);
        formhelfer::bildDoppelklicken(form, pfad(u"v"_qs), u"h264.mp4"_qs);
        auto* regler = form.findChild<QSlider*>(u"Bildregler"_qs);
        QVERIFY(regler->isVisible());
        QCOMPARE(regler->maximum(), 299);
        regler->setValue(250);
        QTest::keyClick(&form, Qt::Key_Period);
        QTest::keyClick(&form, Qt::Key_PageUp);
        QCOMPARE(regler->value(), 226);
        QTest::keyClick(&form, Qt::Key_Comma);
        QTest::keyClick(&form, Qt::Key_PageDown);
        QCOMPARE(regler->value(), 250);
        QCOMPARE(form.findChild<QLabel*>(u"Bildanzeige"_qs)->text(), u"Bild 250 · 10 s"_qs);
        const QList<QImage> soll =
            testbilder::ffmpegBilder(quelle, u"select=eq(n\\,250)"_qs, QSize(64, 48));
        QCOMPARE(abweichung(form.findChild<Bildfeld*>(u"Picture1"_qs)->bild(), soll.value(0)), 0);
        form.findChild<QCheckBox*>(u"Check3"_qs)->setChecked(true);
        QTest::mouseClick(formhelfer::knopf(form, u"Command1"_qs), Qt::LeftButton);
        QCOMPARE(testbilder::inhalt(prog.filePath(u"ausgeschnitten"_qs)),
                 QStringList{"h264_000250_V.bmp"});
    }
};

QTEST_MAIN(TestVideoschnitt)
#include "tst_videoschnitt.moc"
