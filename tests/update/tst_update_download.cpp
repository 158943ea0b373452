// The blocking download against a real HTTP server on 127.0.0.1: what counts
// as success, that failures never touch an existing file, redirects, and the
// time limits that keep a silent server from hanging the program.

#include "UpdateTestHilfen.h"

#include "update/Download.h"

#include <QElapsedTimer>
#include <QtTest>

using update::DownloadErgebnis;
using update::DownloadGrenzen;

Q_DECLARE_METATYPE(DownloadErgebnis)

namespace {

DownloadGrenzen kurzeGrenzen()
{
    DownloadGrenzen g;
    g.verbindung = std::chrono::milliseconds(400);
    g.stillstand = std::chrono::milliseconds(400);
    return g;
}

} // namespace

class TestDownload final : public QObject
{
    Q_OBJECT

private:
    TestHttpServer m_server;

private slots:
    void initTestCase()
    {
        nurDirekteVerbindungen();
        QVERIFY(m_server.starten());
    }

    void ganzerInhaltKommtAn_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<qint64>("erzeugt");

        QTest::newRow("Text mit CR LF") << 200 << QByteArray("Version: 1,301\r\n") << qint64(-1);
        QTest::newRow("alle Bytewerte") << 200 << [] {
            QByteArray b;
            for (int i = 0; i < 256; ++i)
                b.append(static_cast<char>(i));
            return b;
        }() << qint64(-1);
        QTest::newRow("leerer Inhalt") << 200 << QByteArray() << qint64(-1);
        QTest::newRow("204 ohne Inhalt") << 204 << QByteArray() << qint64(-1);
        QTest::newRow("drei Megabyte in Stücken") << 200 << QByteArray() << qint64(3 << 20);
    }

    void ganzerInhaltKommtAn()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, inhalt);
        QFETCH(qint64, erzeugt);
        if (erzeugt >= 0) {
            m_server.grossBedienen(QStringLiteral("/datei"), erzeugt);
            inhalt = TestHttpServer::erzeugterInhalt(erzeugt);
        } else {
            m_server.bedienen(QStringLiteral("/datei"), inhalt, status);
        }
        Testordner ordner;
        const QString ziel = ordner.imProgramm(QStringLiteral("ziel.bin"));
        QVERIFY(schreibeDatei(ziel, "alter Inhalt, der ersetzt wird"));

        QString fehler;
        QCOMPARE(update::herunterladen(m_server.url(QStringLiteral("/datei")), ziel, {}, &fehler),
                 DownloadErgebnis::Erfolg);
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        QCOMPARE(leseDatei(ziel), inhalt);
        // Nothing of the download is left beside the file.
        QCOMPARE(Testordner::eintraegeUnter(ordner.programmordner),
                 QStringList{QStringLiteral("ziel.bin")});
    }

    void fehlschlagLaesstAlteDateiStehen_data()
    {
        QTest::addColumn<QString>("fall");
        QTest::addColumn<DownloadErgebnis>("erwartet");

        QTest::newRow("404") << "404" << DownloadErgebnis::HttpFehler;
        QTest::newRow("500") << "500" << DownloadErgebnis::HttpFehler;
        QTest::newRow("unbekannter Pfad") << "fehlt" << DownloadErgebnis::HttpFehler;
        QTest::newRow("Inhalt mittendrin abgeschnitten")
            << "abgeschnitten" << DownloadErgebnis::Verbindungsfehler;
        QTest::newRow("Server verstummt mitten im Inhalt")
            << "stockt" << DownloadErgebnis::Zeitueberschreitung;
        QTest::newRow("Server antwortet nie") << "nie" << DownloadErgebnis::Zeitueberschreitung;
        QTest::newRow("zu groß laut Länge") << "gross" << DownloadErgebnis::ZuGross;
        QTest::newRow("zu groß ohne Längenangabe")
            << "grossOhneLaenge" << DownloadErgebnis::ZuGross;
        QTest::newRow("Umleitungsschleife") << "schleife" << DownloadErgebnis::HttpFehler;
    }

    void fehlschlagLaesstAlteDateiStehen()
    {
        QFETCH(QString, fall);
        QFETCH(DownloadErgebnis, erwartet);

        const QString pfad = QStringLiteral("/fall/") + fall;
        DownloadGrenzen grenzen = kurzeGrenzen();
        if (fall == u"404")
            m_server.bedienen(pfad, "gibt es nicht", 404);
        else if (fall == u"500")
            m_server.bedienen(pfad, "kaputt", 500);
        else if (fall == u"abgeschnitten")
            m_server.abschneiden(pfad, QByteArray(10000, 'n'), 4000);
        else if (fall == u"stockt")
            m_server.stocken(pfad, QByteArray(10000, 'n'), 4000);
        else if (fall == u"nie")
            m_server.nieAntworten(pfad);
        else if (fall == u"gross" || fall == u"grossOhneLaenge") {
            m_server.grossBedienen(pfad, qint64(64) << 20, fall == u"gross");
            grenzen.hoechstGroesse = 64 * 1024;
        } else if (fall == u"schleife") {
            m_server.umleiten(pfad, QStringLiteral("/fall/schleife2"));
            m_server.umleiten(QStringLiteral("/fall/schleife2"), pfad);
        }

        Testordner ordner;
        const QString ziel = ordner.imProgramm(QStringLiteral("Sichtwerk.dxe"));
        const QByteArray alt = "das bisherige Programm";
        QVERIFY(schreibeDatei(ziel, alt));

        QElapsedTimer uhr;
        uhr.start();
        QString fehler;
        QCOMPARE(update::herunterladen(m_server.url(pfad), ziel, grenzen, &fehler), erwartet);
        // Generous against a loaded machine, far below the default limits.
        QVERIFY2(uhr.elapsed() < 5000, qPrintable(QString::number(uhr.elapsed())));
        QVERIFY(fehler.contains(QDir::toNativeSeparators(ziel)));
        QCOMPARE(leseDatei(ziel), alt);
        QCOMPARE(Testordner::eintraegeUnter(ordner.programmordner),
                 QStringList{QStringLiteral("Sichtwerk.dxe")});
    }

    void umleitungWirdGefolgt_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("ziel");

        QTest::newRow("302 absolut") << 302 << QStringLiteral("http://127.0.0.1:%1/neu");
        QTest::newRow("301 relativ") << 301 << QStringLiteral("/neu");
        QTest::newRow("307 über eine zweite Umleitung") << 307 << QStringLiteral("/zwischen");
    }

    void umleitungWirdGefolgt()
    {
        QFETCH(int, status);
        QFETCH(QString, ziel);
        TestHttpServer server;
        QVERIFY(server.starten());
        if (ziel.contains(u"%1"))
            ziel = ziel.arg(server.port());
        server.umleiten(QStringLiteral("/alt"), ziel, status);
        server.umleiten(QStringLiteral("/zwischen"), QStringLiteral("/neu"), 302);
        server.bedienen(QStringLiteral("/neu"), "am neuen Ort");

        Testordner ordner;
        const QString datei = ordner.imProgramm(QStringLiteral("d.txt"));
        QString fehler;
        QCOMPARE(update::herunterladen(server.url(QStringLiteral("/alt")), datei, {}, &fehler),
                 DownloadErgebnis::Erfolg);
        QCOMPARE(leseDatei(datei), QByteArray("am neuen Ort"));
        QCOMPARE(server.anfragen(QStringLiteral("/alt")), 1);
        QCOMPARE(server.anfragen(QStringLiteral("/neu")), 1);
    }

    void umleitungsSchleifeEndetBald()
    {
        TestHttpServer server;
        QVERIFY(server.starten());
        server.umleiten(QStringLiteral("/a"), QStringLiteral("/a"));
        Testordner ordner;
        QVERIFY(update::herunterladen(server.url(QStringLiteral("/a")),
                                      ordner.imProgramm(QStringLiteral("x"))) !=
                DownloadErgebnis::Erfolg);
        QVERIFY(server.anfragen(QStringLiteral("/a")) >= 2);
        // Qt may repeat a request on a closed connection; the limit of ten
        // redirects still ends it soon.
        QVERIFY(server.anfragen(QStringLiteral("/a")) <= 25);
    }

    void keinServerAmPort()
    {
        quint16 port = 0;
        {
            TestHttpServer weg;
            QVERIFY(weg.starten());
            port = weg.port();
        }
        Testordner ordner;
        const QString ziel = ordner.imProgramm(QStringLiteral("x"));
        QCOMPARE(update::herunterladen(QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(port)),
                                       ziel, kurzeGrenzen()),
                 DownloadErgebnis::Verbindungsfehler);
        QVERIFY(!QFile::exists(ziel));
    }

    void ungueltigeAdresseScheitertSofort_data()
    {
        QTest::addColumn<QString>("adresse");
        QTest::newRow("leer") << QString();
        QTest::newRow("nur Pfad") << QStringLiteral("/wandelbuch/Sichtwerk/version.txt");
        QTest::newRow("ohne Rechner") << QStringLiteral("http:///version.txt");
        QTest::newRow("ftp") << QStringLiteral("ftp://127.0.0.1:%1/version.txt");
        QTest::newRow("lokale Datei") << QStringLiteral("file:///etc/hostname");
        QTest::newRow("kein URL") << QStringLiteral("::kaputt::");
    }

    void ungueltigeAdresseScheitertSofort()
    {
        QFETCH(QString, adresse);
        if (adresse.contains(u"%1"))
            adresse = adresse.arg(m_server.port());
        const int vorher = m_server.anfragenGesamt();
        Testordner ordner;
        const QString ziel = ordner.imProgramm(QStringLiteral("Version.txt"));
        QVERIFY(schreibeDatei(ziel, "alt"));
        QCOMPARE(update::herunterladen(QUrl(adresse), ziel), DownloadErgebnis::UngueltigeAdresse);
        QCOMPARE(m_server.anfragenGesamt(), vorher);
        QCOMPARE(leseDatei(ziel), QByteArray("alt"));
    }

    void zielOrdnerFehlt()
    {
        m_server.bedienen(QStringLiteral("/da"), "Inhalt");
        Testordner ordner;
        const QString ziel = ordner.imProgramm(QStringLiteral("fehlt/ziel.txt"));
        QCOMPARE(update::herunterladen(m_server.url(QStringLiteral("/da")), ziel),
                 DownloadErgebnis::Schreibfehler);
        QVERIFY(!QFile::exists(ziel));
    }

    void serverUrlVerbindetAlsText_data()
    {
        QTest::addColumn<QString>("basis");
        QTest::addColumn<QString>("erwartet");

        const QString pfad = QStringLiteral("/wandelbuch/Sichtwerk/version.txt");
        QTest::newRow("ohne Schrägstrich") << "http://127.0.0.1:8080"
                                           << "http://127.0.0.1:8080" + pfad;
        QTest::newRow("mit Schrägstrich") << "http://127.0.0.1:8080/"
                                          << "http://127.0.0.1:8080" + pfad;
        QTest::newRow("mit Unterordner") << "http://127.0.0.1/spiegel/"
                                         << "http://127.0.0.1/spiegel" + pfad;
        QTest::newRow("leer") << ""
                              << "";
    }

    void serverUrlVerbindetAlsText()
    {
        QFETCH(QString, basis);
        QFETCH(QString, erwartet);
        const QUrl url =
            update::serverUrl(QUrl(basis), QStringLiteral("/wandelbuch/Sichtwerk/version.txt"));
        QCOMPARE(url.toString(), erwartet);
        QCOMPARE(url.isValid() && !url.isRelative(), !erwartet.isEmpty());
    }
};

QTEST_MAIN(TestDownload)
#include "tst_update_download.moc"
