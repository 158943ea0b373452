// Reading the version file and the version check: which last line counts,
// how the number is read under German and English conventions, and the
// whole check against a real HTTP server on 127.0.0.1.

#include "UpdateTestHilfen.h"

#include "update/Form3.h"
#include "update/VersionDatei.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QtTest>

namespace {

const QLocale deutsch(QLocale::German, QLocale::Germany);
const QLocale englisch(QLocale::English, QLocale::UnitedStates);

} // namespace

class TestVersion final : public QObject
{
    Q_OBJECT

private:
    TestHttpServer m_server;

    // Runs the check against the server's version file; the question, if it
    // comes, is answered with No. Gives the boxes that came up.
    QList<Meldung> pruefen(const QByteArray& versionsdatei, Testordner& ordner,
                           const QString& laufend = QStringLiteral("1,300"))
    {
        m_server.bedienen(serverVersion, versionsdatei);
        Form3 form(ordner.programmordner, m_server.basisUrl());
        form.setzeLaufendeVersion(laufend);
        int beendet = 0;
        form.setzeBeenden([&] { ++beendet; });
        MeldungsBeantworter beantworter({QMessageBox::No});
        form.Updatetest();
        [&] {
            QVERIFY(!form.isVisible());
            QCOMPARE(beendet, 0);
        }();
        return beantworter.meldungen;
    }

private slots:
    void initTestCase()
    {
        nurDirekteVerbindungen();
        QVERIFY(m_server.starten());
        m_server.bedienen(serverProgramm, "neues Programm");
    }

    void init() { QLocale::setDefault(deutsch); }

    void letzteZeile_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("erwartet");

        QTest::newRow("leer") << QByteArray() << QString();
        QTest::newRow("eine Zeile ohne Umbruch") << QByteArray("abc") << "abc";
        QTest::newRow("CR LF trennt") << QByteArray("a\r\nb") << "b";
        QTest::newRow("einzelnes CR trennt") << QByteArray("a\rb") << "b";
        QTest::newRow("einzelnes LF trennt nicht") << QByteArray("a\nb") << "a\nb";
        QTest::newRow("ein Umbruch am Ende") << QByteArray("a\r\nb\r\n") << "b";
        QTest::newRow("CR am Ende") << QByteArray("a\rb\r") << "b";
        QTest::newRow("zwei Umbrüche am Ende") << QByteArray("a\r\n\r\n") << "";
        QTest::newRow("nur ein Umbruch") << QByteArray("\r\n") << "";
        QTest::newRow("CR vor CR LF") << QByteArray("a\r\r\nb") << "b";
        QTest::newRow("LF nach CR LF bleibt") << QByteArray("a\r\n\n") << "\n";
        QTest::newRow("Windows-1252")
            << QByteArray("x\r\nVersion: 1,3 \xe4") << u"Version: 1,3 ä"_qs;
    }

    void letzteZeile()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, erwartet);
        QCOMPARE(update::letzteZeile(inhalt), erwartet);
    }

    void versionsText_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<bool>("vorhanden");
        QTest::addColumn<QString>("erwartet");

        QTest::newRow("neun Zeichen übersprungen")
            << QByteArray("Version: 1,301") << true << "1,301";
        QTest::newRow("beliebige neun Zeichen") << QByteArray("#########2") << true << "2";
        QTest::newRow("zehn Zeichen") << QByteArray("Version: 2") << true << "2";
        QTest::newRow("neun Zeichen") << QByteArray("Version: ") << false << QString();
        QTest::newRow("kurz") << QByteArray("1,5") << false << QString();
        QTest::newRow("leer") << QByteArray() << false << QString();
        QTest::newRow("kurze letzte Zeile")
            << QByteArray("Version: 2,0\r\nx") << false << QString();
    }

    void versionsText()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(bool, vorhanden);
        QFETCH(QString, erwartet);
        const std::optional<QString> text = update::versionsText(inhalt);
        QCOMPARE(text.has_value(), vorhanden);
        if (vorhanden)
            QCOMPARE(*text, erwartet);
    }

    void versionsZahl_data()
    {
        QTest::addColumn<QLocale>("gebiet");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("zahl");
        QTest::addColumn<float>("wert");

        QTest::newRow("de Komma") << deutsch << "1,300" << true << 1.3f;
        QTest::newRow("de ganze Zahl") << deutsch << "2" << true << 2.0f;
        QTest::newRow("de Leerzeichen") << deutsch << "  1,301 " << true << 1.301f;
        QTest::newRow("de Punkt gruppiert") << deutsch << "1.300" << true << 1300.0f;
        QTest::newRow("de jenseits einfacher Genauigkeit")
            << deutsch << "1,3000000001" << true << 1.3f;
        QTest::newRow("en Komma gruppiert") << englisch << "1,300" << true << 1300.0f;
        QTest::newRow("en Punkt") << englisch << "1.301" << true << 1.301f;
        QTest::newRow("Wort") << deutsch << "neu" << false << 0.0f;
        QTest::newRow("leer") << deutsch << "" << false << 0.0f;
        QTest::newRow("Zahl mit Rest") << deutsch << "1,3b" << false << 0.0f;
        QTest::newRow("unendlich") << englisch << "inf" << false << 0.0f;
        QTest::newRow("keine Zahl") << englisch << "nan" << false << 0.0f;
        QTest::newRow("zu groß für float") << englisch << "1e50" << false << 0.0f;
    }

    void versionsZahl()
    {
        QFETCH(QLocale, gebiet);
        QFETCH(QString, text);
        QFETCH(bool, zahl);
        QFETCH(float, wert);
        const std::optional<float> gelesen = update::versionsZahl(text, gebiet);
        QCOMPARE(gelesen.has_value(), zahl);
        if (zahl)
            QCOMPARE(*gelesen, wert);
    }

    void updateNurBeiNeuererVersion_data()
    {
        QTest::addColumn<QLocale>("gebiet");
        QTest::addColumn<QByteArray>("datei");
        QTest::addColumn<bool>("frage");

        QTest::newRow("1,301") << deutsch << QByteArray("Version: 1,301") << true;
        QTest::newRow("1,3") << deutsch << QByteArray("Version: 1,3") << false;
        QTest::newRow("1,30") << deutsch << QByteArray("Version: 1,30") << false;
        QTest::newRow("1,300") << deutsch << QByteArray("Version: 1,300") << false;
        QTest::newRow("1,2") << deutsch << QByteArray("Version: 1,2") << false;
        QTest::newRow("2") << deutsch << QByteArray("Version: 2") << true;
        QTest::newRow("gleich in einfacher Genauigkeit")
            << deutsch << QByteArray("Version: 1,30000001") << false;
        QTest::newRow("beliebiger Vorspann") << deutsch << QByteArray("123456789 1,5") << true;
        QTest::newRow("Leerzeichen um die Zahl")
            << deutsch << QByteArray("Version:    1,5   ") << true;
        QTest::newRow("nur die letzte Zeile zählt, niedriger")
            << deutsch << QByteArray("Version: 9,0\r\nVersion: 1,2") << false;
        QTest::newRow("nur die letzte Zeile zählt, höher")
            << deutsch << QByteArray("Version: 1,0\r\nVersion: 1,5") << true;
        QTest::newRow("einzelnes CR trennt")
            << deutsch << QByteArray("Version: 1,0\rVersion: 2,0") << true;
        QTest::newRow("einzelnes LF ist eine Zeile")
            << deutsch << QByteArray("Version: 1,0\nVersion: 2,0") << false;
        QTest::newRow("ein Umbruch am Ende") << deutsch << QByteArray("Version: 2,0\r\n") << true;
        QTest::newRow("zwei Umbrüche am Ende")
            << deutsch << QByteArray("Version: 2,0\r\n\r\n") << false;
        QTest::newRow("kurze letzte Zeile")
            << deutsch << QByteArray("Version: 2,0\r\n2,0") << false;
        QTest::newRow("genau neun Zeichen") << deutsch << QByteArray("Version: ") << false;
        QTest::newRow("leere Datei") << deutsch << QByteArray() << false;
        QTest::newRow("keine Zahl") << deutsch << QByteArray("Version: neu") << false;
        QTest::newRow("en 1,301 über 1300") << englisch << QByteArray("Version: 1,301") << true;
        QTest::newRow("en 2 unter 1300") << englisch << QByteArray("Version: 2") << false;
        QTest::newRow("en 1,300.5") << englisch << QByteArray("Version: 1,300.5") << true;
        QTest::newRow("en 1,300 gleich") << englisch << QByteArray("Version: 1,300") << false;
    }

    void updateNurBeiNeuererVersion()
    {
        QFETCH(QLocale, gebiet);
        QFETCH(QByteArray, datei);
        QFETCH(bool, frage);
        QLocale::setDefault(gebiet);

        Testordner ordner;
        const int programmVorher = m_server.anfragen(serverProgramm);
        const QList<Meldung> meldungen = pruefen(datei, ordner);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(meldungen.size(), frage ? 1 : 0);
        if (frage) {
            const Meldung& m = meldungen.first();
            QCOMPARE(m.titel, QStringLiteral("Update"));
            QCOMPARE(m.text, textFrage);
            QCOMPARE(m.symbol, QMessageBox::NoIcon);
            QCOMPARE(m.knoepfe, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(m.standard, QMessageBox::Yes);
        }
        // Answered No or never asked: nothing fetched beyond the version file,
        // and that is gone again.
        QCOMPARE(m_server.anfragen(serverProgramm), programmVorher);
        QCOMPARE(ordner.alles(), QStringList{QStringLiteral("Programm")});
    }

    void versionsdateiFehlt()
    {
        Testordner ordner;
        m_server.entfernen(serverVersion);
        Form3 form(ordner.programmordner, m_server.basisUrl());
        form.setzeLaufendeVersion(QStringLiteral("1,300"));
        MeldungsBeantworter beantworter;
        form.Updatetest();
        QVERIFY(beantworter.meldungen.isEmpty());
        QCOMPARE(ordner.alles(), QStringList{QStringLiteral("Programm")});
    }

    void alteVersionsdateiBleibtBeiFehlschlag()
    {
        // A file of that name that was there before the check is not the
        // server's; a failed check neither reads nor deletes it.
        Testordner ordner;
        QVERIFY(schreibeDatei(ordner.imProgramm(QStringLiteral("Version.txt")), "Version: 9,9"));
        m_server.entfernen(serverVersion);
        Form3 form(ordner.programmordner, m_server.basisUrl());
        form.setzeLaufendeVersion(QStringLiteral("1,300"));
        MeldungsBeantworter beantworter;
        form.Updatetest();
        QVERIFY(beantworter.meldungen.isEmpty());
        QCOMPARE(leseDatei(ordner.imProgramm(QStringLiteral("Version.txt"))),
                 QByteArray("Version: 9,9"));
    }

    void riesigeVersionsdateiIstKeine()
    {
        Testordner ordner;
        TestHttpServer::Antwort riesig;
        riesig.erzeugt = qint64(32) << 20;
        m_server.setzeAntwort(serverVersion, riesig);
        Form3 form(ordner.programmordner, m_server.basisUrl());
        form.setzeLaufendeVersion(QStringLiteral("1,300"));
        MeldungsBeantworter beantworter;
        QElapsedTimer uhr;
        uhr.start();
        form.Updatetest();
        QVERIFY(uhr.elapsed() < 5000);
        QVERIFY(beantworter.meldungen.isEmpty());
        QCOMPARE(ordner.alles(), QStringList{QStringLiteral("Programm")});
    }

    void stummerServerHaeltNichtAuf()
    {
        Testordner ordner;
        m_server.nieAntworten(serverVersion);
        Form3 form(ordner.programmordner, m_server.basisUrl());
        form.setzeLaufendeVersion(QStringLiteral("1,300"));
        update::DownloadGrenzen grenzen;
        grenzen.verbindung = std::chrono::milliseconds(300);
        grenzen.stillstand = std::chrono::milliseconds(300);
        form.setzeDownloadGrenzen(grenzen);
        MeldungsBeantworter beantworter;
        QElapsedTimer uhr;
        uhr.start();
        form.Updatetest();
        QVERIFY2(uhr.elapsed() < 3000, qPrintable(QString::number(uhr.elapsed())));
        QVERIFY(beantworter.meldungen.isEmpty());
        QCOMPARE(ordner.alles(), QStringList{QStringLiteral("Programm")});
    }

    void ohneServeradresseKeineAnfrage_data()
    {
        QTest::addColumn<QUrl>("basis");
        QTest::newRow("leer") << QUrl();
        QTest::newRow("ungültig") << QUrl(QStringLiteral("http://[::1"));
        QTest::newRow("nur Pfad") << QUrl(QStringLiteral("/wandelbuch"));
    }

    void ohneServeradresseKeineAnfrage()
    {
        QFETCH(QUrl, basis);
        m_server.bedienen(serverVersion, "Version: 9,0");
        const int vorher = m_server.anfragenGesamt();
        Testordner ordner;
        Form3 form(ordner.programmordner, basis);
        form.setzeLaufendeVersion(QStringLiteral("1,300"));
        MeldungsBeantworter beantworter;
        form.Updatetest();
        QVERIFY(beantworter.meldungen.isEmpty());
        QCOMPARE(m_server.anfragenGesamt(), vorher);
    }
};

QTEST_MAIN(TestVersion)
#include "tst_update_version.moc"
