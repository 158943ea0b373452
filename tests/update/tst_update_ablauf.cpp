// The update dialogue after a newer version has been found, against a real
// HTTP server on 127.0.0.1: the answer, the program file, the file list and
// its entries, the progress shown in the update window, and the arming of
// the hand-over.

#include "UpdateTestHilfen.h"

#include "update/Form3.h"
#include "update/Rechteck.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QtTest>

namespace {

// The bar width after `erfolge` downloads of `n`, added up the way the
// program does it: in double, stored as float.
float balken(int erfolge, int n)
{
    float breite = 0.0f;
    for (int i = 0; i < erfolge; ++i)
        breite = static_cast<float>(static_cast<double>(breite) + 100.0 / n);
    return breite;
}

} // namespace

class TestUpdateAblauf final : public QObject
{
    Q_OBJECT

private:
    // One update run from the version check on; the question is answered
    // with `antworten.first()`, later boxes with the rest.
    struct Lauf
    {
        Testordner ordner;
        TestHttpServer server;
        std::unique_ptr<Form3> form;
        int beendet = 0;
        QList<Meldung> meldungen;

        Lauf()
        {
            QVERIFY(server.starten());
            neueVersionAnbieten(server);
        }

        QString url(const QString& pfad) const { return server.url(pfad).toString(); }

        void starten(QList<QMessageBox::StandardButton> antworten = {QMessageBox::Yes},
                     const update::DownloadGrenzen& grenzen = {})
        {
            form = std::make_unique<Form3>(ordner.programmordner, server.basisUrl());
            form->setzeLaufendeVersion(QStringLiteral("1,300"));
            form->setzeDownloadGrenzen(grenzen);
            form->setzeBeenden([this] { ++beendet; });
            MeldungsBeantworter beantworter(std::move(antworten));
            form->Updatetest();
            meldungen = beantworter.meldungen;
        }

        QLabel* label(const char* name) const { return form->findChild<QLabel*>(name); }
        QTimer* timer(const char* name) const { return form->findChild<QTimer*>(name); }
        float balkenBreite() const
        {
            return form->findChild<Rechteck*>(QStringLiteral("Shape2"))->breite();
        }
        QStringList meldungsTexte() const
        {
            QStringList texte;
            for (const Meldung& m : meldungen)
                texte.append(m.text);
            return texte;
        }
    };

    static void pruefeFehlerbox(const Meldung& m, const QString& text)
    {
        QCOMPARE(m.text, text);
        QCOMPARE(m.titel, QStringLiteral("Error"));
        QCOMPARE(m.symbol, QMessageBox::Critical);
        QCOMPARE(m.knoepfe, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    static void pruefeScharf(const Lauf& lauf)
    {
        QVERIFY(lauf.timer("Timer1")->isActive());
        QVERIFY(lauf.timer("Timer2")->isActive());
        QCOMPARE(lauf.label("Label1")->text(), QStringLiteral("Update erfolgreich!"));
        QCOMPARE(lauf.beendet, 0);
    }

private slots:
    void initTestCase()
    {
        nurDirekteVerbindungen();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void init()
    {
        // Downloads must land in the program folder, whatever the working
        // directory; an empty one shows any stray file.
        QVERIFY(m_arbeitsordner.isValid());
        QVERIFY(QDir::setCurrent(m_arbeitsordner.path()));
    }

    void cleanup() { QCOMPARE(Testordner::eintraegeUnter(m_arbeitsordner.path()), QStringList()); }

    void antwortNeinLaedtNichts()
    {
        Lauf lauf;
        lauf.server.bedienen(serverListe, updateListe({{1, "a.dat", lauf.url("/a"), ""}}));
        lauf.starten({QMessageBox::No});
        QCOMPARE(lauf.meldungsTexte(), QStringList{textFrage});
        QCOMPARE(lauf.server.angefragtePfade(), QStringList{serverVersion});
        QCOMPARE(lauf.ordner.alles(), QStringList{QStringLiteral("Programm")});
        QVERIFY(!lauf.form->isVisible());
        QVERIFY(!lauf.timer("Timer1")->isActive());
        QVERIFY(!lauf.timer("Timer2")->isActive());
    }

    void programmdateiFehlt()
    {
        Lauf lauf;
        lauf.server.entfernen(serverProgramm);
        lauf.server.bedienen(serverListe, updateListe({{1, "a.dat", lauf.url("/a"), ""}}));
        lauf.starten();
        QCOMPARE(lauf.meldungen.size(), 2);
        pruefeFehlerbox(lauf.meldungen[1], QStringLiteral("Update fehlgeschlagen"));
        QVERIFY(!lauf.form->isVisible());
        QVERIFY(!lauf.timer("Timer1")->isActive());
        QVERIFY(!lauf.timer("Timer2")->isActive());
        QCOMPARE(lauf.label("Label1")->text(), QStringLiteral("Update..."));
        QCOMPARE(lauf.server.anfragen(serverSkript), 0);
        QCOMPARE(lauf.server.anfragen(serverListe), 0);
    }

    void dateilisteFehlt()
    {
        Lauf lauf;
        lauf.starten();
        QCOMPARE(lauf.meldungsTexte(), QStringList{textFrage});
        QVERIFY(!lauf.form->isVisible());
        pruefeScharf(lauf);
        QCOMPARE(leseDatei(lauf.ordner.imProgramm(QStringLiteral("Sichtwerk.dxe"))),
                 QByteArray("neues Programm"));
        QCOMPARE(leseDatei(lauf.ordner.imProgramm(QStringLiteral("update.cmd"))),
                 QByteArray("echo skript\n"));
        QCOMPARE(lauf.ordner.alles(),
                 (QStringList{"Programm", "Programm/Sichtwerk.dxe", "Programm/update.cmd"}));
    }

    void dreiEintraegeAlleGeholt()
    {
        Lauf lauf;
        lauf.server.bedienen("/d/eins.dat", "1");
        lauf.server.bedienen("/d/zwei.dat", "22");
        lauf.server.bedienen("/d/drei.dat", "333");
        lauf.server.bedienen(serverListe,
                             updateListe({{1, "eins.dat", lauf.url("/d/eins.dat"), ""},
                                          {2, "zwei.dat", lauf.url("/d/zwei.dat"), ""},
                                          {3, "drei.dat", lauf.url("/d/drei.dat"), ""}}));
        lauf.starten();
        QCOMPARE(lauf.meldungsTexte(), QStringList{textFrage});
        QVERIFY(lauf.form->isVisible());
        QCOMPARE(lauf.label("Label2")->text(), QStringLiteral("Datei: 3/3 'drei.dat'"));
        QCOMPARE(lauf.balkenBreite(), balken(3, 3));
        QVERIFY(qAbs(lauf.balkenBreite() - 100.0f) < 1e-4f);
        pruefeScharf(lauf);
        QCOMPARE(leseDatei(lauf.ordner.imProgramm("eins.dat")), QByteArray("1"));
        QCOMPARE(leseDatei(lauf.ordner.imProgramm("zwei.dat")), QByteArray("22"));
        QCOMPARE(leseDatei(lauf.ordner.imProgramm("drei.dat")), QByteArray("333"));
        QVERIFY(!QFile::exists(lauf.ordner.imProgramm("updatedata.txt")));
    }

    void lueckeBeiDatei3EndetDieListe()
    {
        Lauf lauf;
        lauf.server.bedienen("/d/1", "1");
        lauf.server.bedienen("/d/2", "2");
        lauf.server.bedienen("/d/4", "4");
        lauf.server.bedienen(serverListe, updateListe({{1, "a.dat", lauf.url("/d/1"), ""},
                                                       {2, "b.dat", lauf.url("/d/2"), ""},
                                                       {4, "d.dat", lauf.url("/d/4"), ""}}));
        lauf.starten();
        QCOMPARE(lauf.meldungsTexte(), QStringList{textFrage});
        QCOMPARE(lauf.label("Label2")->text(), QStringLiteral("Datei: 2/3 'b.dat'"));
        QCOMPARE(lauf.balkenBreite(), balken(2, 3));
        QVERIFY(qAbs(lauf.balkenBreite() - 200.0f / 3.0f) < 1e-3f);
        QCOMPARE(lauf.server.anfragen("/d/4"), 0);
        QVERIFY(!QFile::exists(lauf.ordner.imProgramm("d.dat")));
        pruefeScharf(lauf);
    }

    void eintragOhneUrlIstDerLetzte()
    {
        Lauf lauf;
        lauf.server.bedienen("/d/1", "1");
        lauf.server.bedienen("/d/3", "3");
        lauf.server.bedienen(serverListe, updateListe({{1, "a.dat", lauf.url("/d/1"), ""},
                                                       {2, "b.dat", "", ""},
                                                       {3, "c.dat", lauf.url("/d/3"), ""}}));
        lauf.starten();
        QCOMPARE(lauf.meldungen.size(), 2);
        pruefeFehlerbox(lauf.meldungen[1], QStringLiteral("Updatefehler bei Datei 'b.dat'"));
        QCOMPARE(lauf.label("Label2")->text(), QStringLiteral("Datei: 1/3 'a.dat'"));
        QCOMPARE(lauf.balkenBreite(), balken(1, 3));
        QCOMPARE(lauf.server.anfragen("/d/3"), 0);
        QVERIFY(!QFile::exists(lauf.ordner.imProgramm("updatedata.txt")));
        pruefeScharf(lauf);
    }

    void ohneNamenWirdNichtsGeholt_data()
    {
        QTest::addColumn<QByteArray>("liste");
        QTest::newRow("leere Sektion Namen")
            << QByteArray("[Namen]\r\n[URL]\r\nDatei1=%1\r\n[Pfad]\r\n");
        QTest::newRow("ohne Sektion Namen") << QByteArray("[URL]\r\nDatei1=%1\r\n");
        QTest::newRow("leere Datei") << QByteArray();
    }

    void ohneNamenWirdNichtsGeholt()
    {
        QFETCH(QByteArray, liste);
        Lauf lauf;
        lauf.server.bedienen("/d/1", "1");
        lauf.server.bedienen(serverListe, liste.replace("%1", lauf.url("/d/1").toLatin1()));
        lauf.starten();
        QCOMPARE(lauf.meldungsTexte(), QStringList{textFrage});
        QVERIFY(lauf.form->isVisible());
        QCOMPARE(lauf.label("Label2")->text(), QStringLiteral("Datei: 0/-1"));
        QCOMPARE(lauf.balkenBreite(), 0.0f);
        QCOMPARE(lauf.server.anfragen("/d/1"), 0);
        QCOMPARE(lauf.ordner.alles(),
                 (QStringList{"Programm", "Programm/Sichtwerk.dxe", "Programm/update.cmd"}));
        pruefeScharf(lauf);
    }

    void hoechstens32EintraegeGezaehlt()
    {
        // The key list of 40 names does not fit the reader's buffer; the
        // count stops at 32 and the bar runs past the track.
        Lauf lauf;
        std::vector<TestEintrag> eintraege;
        for (int i = 1; i <= 40; ++i) {
            const QString pfad = QStringLiteral("/d/%1").arg(i);
            lauf.server.bedienen(pfad, QByteArray::number(i));
            eintraege.push_back({i, QStringLiteral("f%1.dat").arg(i), lauf.url(pfad), ""});
        }
        lauf.server.bedienen(serverListe, updateListe(eintraege));
        lauf.starten();
        QCOMPARE(lauf.meldungsTexte(), QStringList{textFrage});
        QCOMPARE(lauf.label("Label2")->text(), QStringLiteral("Datei: 40/32 'f40.dat'"));
        QCOMPARE(lauf.balkenBreite(), balken(40, 32));
        QCOMPARE(leseDatei(lauf.ordner.imProgramm("f40.dat")), QByteArray("40"));
    }

    void fehlgeschlageneEintraegeLassenAltesStehen_data()
    {
        QTest::addColumn<QString>("fall");
        QTest::newRow("404") << "404";
        QTest::newRow("abgeschnitten") << "abgeschnitten";
        QTest::newRow("Server antwortet nie") << "nie";
    }

    void fehlgeschlageneEintraegeLassenAltesStehen()
    {
        QFETCH(QString, fall);
        Lauf lauf;
        if (fall == u"abgeschnitten")
            lauf.server.abschneiden("/d/b", QByteArray(30000, 'n'), 10000);
        else if (fall == u"nie")
            lauf.server.nieAntworten("/d/b");
        lauf.server.bedienen("/d/c", "neu c");
        lauf.server.bedienen(serverListe, updateListe({{1, "b.dat", lauf.url("/d/b"), ""},
                                                       {2, "c.dat", lauf.url("/d/c"), ""}}));
        QVERIFY(schreibeDatei(lauf.ordner.imProgramm("b.dat"), "altes b"));

        update::DownloadGrenzen grenzen;
        grenzen.verbindung = std::chrono::milliseconds(300);
        grenzen.stillstand = std::chrono::milliseconds(300);
        QElapsedTimer uhr;
        uhr.start();
        lauf.starten({QMessageBox::Yes}, grenzen);
        QVERIFY2(uhr.elapsed() < 5000, qPrintable(QString::number(uhr.elapsed())));
        QCOMPARE(lauf.meldungen.size(), 2);
        pruefeFehlerbox(lauf.meldungen[1], QStringLiteral("Updatefehler bei Datei 'b.dat'"));
        QCOMPARE(leseDatei(lauf.ordner.imProgramm("b.dat")), QByteArray("altes b"));
        // The loop goes on with the next entry.
        QCOMPARE(leseDatei(lauf.ordner.imProgramm("c.dat")), QByteArray("neu c"));
        QCOMPARE(lauf.label("Label2")->text(), QStringLiteral("Datei: 1/2 'c.dat'"));
        QCOMPARE(lauf.balkenBreite(), balken(1, 2));
        pruefeScharf(lauf);
    }

private:
    QTemporaryDir m_arbeitsordner;
};

QTEST_MAIN(TestUpdateAblauf)
#include "tst_update_ablauf.moc"
