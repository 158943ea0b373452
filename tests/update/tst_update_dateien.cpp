// Where the listed files of an update end up: folder values in Windows
// style, folders made or reused, and names or folders from the list that
// would place files outside the program folder, which are refused.

#include "UpdateTestHilfen.h"

#include "update/Form3.h"
#include "update/UpdateListe.h"

#include <QLabel>
#include <QtTest>

class TestUpdateDateien final : public QObject
{
    Q_OBJECT

private:
    TestHttpServer m_server;

    // Runs a whole update with the given list; every question is answered
    // with Yes and every error box with OK. Gives the texts of the boxes
    // after the question.
    QStringList aktualisieren(const Testordner& ordner, const std::vector<TestEintrag>& eintraege)
    {
        m_server.bedienen(serverListe, updateListe(eintraege));
        Form3 form(ordner.programmordner, m_server.basisUrl());
        form.setzeLaufendeVersion(QStringLiteral("1,300"));
        form.setzeBeenden([] {});
        MeldungsBeantworter beantworter({QMessageBox::Yes});
        form.Updatetest();
        QStringList texte;
        for (const Meldung& m : beantworter.meldungen)
            texte.append(m.text);
        if (!texte.isEmpty() && texte.first() == textFrage)
            texte.removeFirst();
        else
            texte.prepend(QStringLiteral("(keine Frage)"));
        return texte;
    }

    QString url(const QString& pfad) const { return m_server.url(pfad).toString(); }

private slots:
    void initTestCase()
    {
        nurDirekteVerbindungen();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(m_server.starten());
        neueVersionAnbieten(m_server);
        m_server.bedienen("/d/neu", "neuer Inhalt");
        m_server.bedienen("/d/zwei", "zweite Datei");
    }

    void schlichteDateinamen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("erlaubt");

        QTest::newRow("einfach") << "plugin.dll" << true;
        QTest::newRow("Umlaut und Leerzeichen") << "Ärger mit Datei.txt" << true;
        QTest::newRow("Punkt am Anfang") << ".versteckt" << true;
        QTest::newRow("zwei Punkte im Namen") << "a..b" << true;
        QTest::newRow("leer") << "" << false;
        QTest::newRow("Punkt") << "." << false;
        QTest::newRow("zwei Punkte") << ".." << false;
        QTest::newRow("drei Punkte") << "..." << false;
        QTest::newRow("Schrägstrich") << "a/b" << false;
        QTest::newRow("Backslash") << "a\\b" << false;
        QTest::newRow("nach oben, Windows") << "..\\boese.txt" << false;
        QTest::newRow("nach oben") << "../boese.txt" << false;
        QTest::newRow("Wurzel") << "/etc/passwd" << false;
        QTest::newRow("Laufwerk") << "C:boese.txt" << false;
        QTest::newRow("Laufwerk mit Wurzel") << "C:\\boese.txt" << false;
        QTest::newRow("UNC") << "\\\\server\\freigabe" << false;
        QTest::newRow("Datenstrom") << "datei.txt:strom" << false;
        QTest::newRow("Tabulator") << "a\tb" << false;
        QTest::newRow("Zeilenende") << "a\nb" << false;
        QTest::newRow("DEL") << "a\x7f" << false;
    }

    void schlichteDateinamen()
    {
        QFETCH(QString, name);
        QFETCH(bool, erlaubt);
        QCOMPARE(update::istSchlichterDateiname(name), erlaubt);
    }

    void ordnerwerte_data()
    {
        QTest::addColumn<QString>("wert");
        QTest::addColumn<QString>("ordner"); // relative to the program folder; "-" = refused
        QTest::addColumn<QString>("datei");

        QTest::newRow("Windows-Stil") << "\\plugins\\"
                                      << "plugins"
                                      << "plugins/x.dll";
        QTest::newRow("zwei Ebenen") << "\\a\\b\\"
                                     << "a/b"
                                     << "a/b/x.dll";
        QTest::newRow("Schrägstriche") << "/a/b/"
                                       << "a/b"
                                       << "a/b/x.dll";
        QTest::newRow("doppelte Trenner") << "\\\\a\\\\"
                                          << "a"
                                          << "a/x.dll";
        QTest::newRow("nur Trenner") << "\\"
                                     << ""
                                     << "x.dll";
        // Joined as text: without the closing separator the name is glued on.
        QTest::newRow("ohne schließenden Trenner") << "\\plugins"
                                                   << "plugins"
                                                   << "pluginsx.dll";
        QTest::newRow("ohne führenden Trenner") << "plugins\\"
                                                << "-"
                                                << "";
        QTest::newRow("nach oben") << "\\..\\"
                                   << "-"
                                   << "";
        QTest::newRow("nach oben, tief") << "\\a\\..\\..\\b\\"
                                         << "-"
                                         << "";
        QTest::newRow("nach oben ohne Trenner") << "..\\"
                                                << "-"
                                                << "";
        QTest::newRow("Punkt") << "\\.\\"
                               << "-"
                               << "";
        QTest::newRow("Laufwerk") << "\\C:\\Windows\\"
                                  << "-"
                                  << "";
        QTest::newRow("Laufwerk vorn") << "C:\\Windows\\"
                                       << "-"
                                       << "";
        QTest::newRow("Steuerzeichen") << "\\a\x01\\"
                                       << "-"
                                       << "";
    }

    void ordnerwerte()
    {
        QFETCH(QString, wert);
        QFETCH(QString, ordner);
        QFETCH(QString, datei);
        const QString basis = QStringLiteral("/srv/Programm");
        const std::optional<update::Ablage> ablage =
            update::ablageFuer(basis, wert, QStringLiteral("x.dll"));
        QCOMPARE(ablage.has_value(), ordner != u"-");
        if (!ablage)
            return;
        QCOMPARE(ablage->ordner, ordner.isEmpty() ? basis : basis + u'/' + ordner);
        QCOMPARE(ablage->datei, basis + u'/' + datei);
    }

    void dateiErsetztDieImVorhandenenOrdner()
    {
        Testordner ordner;
        QVERIFY(QDir().mkpath(ordner.imProgramm("plugins")));
        QVERIFY(
            schreibeDatei(ordner.imProgramm("plugins/p.dll"), "alte Fassung, länger als die neue"));
        QVERIFY(schreibeDatei(ordner.imProgramm("plugins/bleibt.dll"), "unberührt"));
        QCOMPARE(aktualisieren(ordner, {{1, "p.dll", url("/d/neu"), "\\plugins\\"}}),
                 QStringList());
        QCOMPARE(leseDatei(ordner.imProgramm("plugins/p.dll")), QByteArray("neuer Inhalt"));
        QCOMPARE(leseDatei(ordner.imProgramm("plugins/bleibt.dll")), QByteArray("unberührt"));
        QVERIFY(!QFile::exists(ordner.imProgramm("p.dll")));
    }

    void fehlenderOrdnerWirdAngelegt_data()
    {
        QTest::addColumn<QString>("wert");
        QTest::addColumn<QString>("ziel");
        QTest::newRow("eine Ebene") << "\\daten\\"
                                    << "daten/f.dat";
        QTest::newRow("mehrere Ebenen") << "\\daten\\karten\\nord\\"
                                        << "daten/karten/nord/f.dat";
        QTest::newRow("Schrägstriche") << "/daten/"
                                       << "daten/f.dat";
    }

    void fehlenderOrdnerWirdAngelegt()
    {
        QFETCH(QString, wert);
        QFETCH(QString, ziel);
        Testordner ordner;
        QCOMPARE(aktualisieren(ordner, {{1, "f.dat", url("/d/neu"), wert}}), QStringList());
        QCOMPARE(leseDatei(ordner.imProgramm(ziel)), QByteArray("neuer Inhalt"));
        QVERIFY(!QFile::exists(ordner.imProgramm("f.dat")));
    }

    void ordnerwertProgrammordnerLaesstDieDateiDort()
    {
        Testordner ordner;
        QCOMPARE(aktualisieren(ordner, {{1, "f.dat", url("/d/neu"), "\\"}}), QStringList());
        QCOMPARE(leseDatei(ordner.imProgramm("f.dat")), QByteArray("neuer Inhalt"));
    }

    void fehlgeschlagenerDownloadMitOrdner()
    {
        // Nothing arrived, so there is nothing to move: one error box for
        // the download and nothing else.
        Testordner ordner;
        QCOMPARE(aktualisieren(ordner, {{1, "f.dat", url("/d/fehlt"), "\\daten\\"},
                                        {2, "g.dat", url("/d/zwei"), ""}}),
                 QStringList{QStringLiteral("Updatefehler bei Datei 'f.dat'")});
        QVERIFY(!QFile::exists(ordner.imProgramm("daten/f.dat")));
        QVERIFY(!QFile::exists(ordner.imProgramm("f.dat")));
        QCOMPARE(leseDatei(ordner.imProgramm("g.dat")), QByteArray("zweite Datei"));
    }

    void unsichereNamenAbgelehnt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("..\\") << "..\\boese.txt";
        QTest::newRow("../") << "../boese.txt";
        QTest::newRow("tiefer nach oben") << "..\\..\\boese.txt";
        QTest::newRow("Unterordner") << "sub/boese.txt";
        QTest::newRow("zwei Punkte") << "..";
        QTest::newRow("Punkt") << ".";
        QTest::newRow("Laufwerk") << "C:boese.txt";
        QTest::newRow("Wurzel") << "/boese.txt";
        QTest::newRow("Wurzel, Windows") << "\\boese.txt";
        QTest::newRow("Steuerzeichen") << "boese\x01.txt";
    }

    void unsichereNamenAbgelehnt()
    {
        QFETCH(QString, name);
        Testordner ordner;
        const int vorher = m_server.anfragen("/d/neu");
        QCOMPARE(aktualisieren(ordner,
                               {{1, name, url("/d/neu"), ""}, {2, "gut.dat", url("/d/zwei"), ""}}),
                 QStringList{QStringLiteral("Updatefehler bei Datei '") + name + u'\''});
        QCOMPARE(m_server.anfragen("/d/neu"), vorher);
        // The next entry is still fetched, and nothing else lies anywhere.
        QCOMPARE(ordner.alles(), (QStringList{"Programm", "Programm/Sichtwerk.dxe",
                                              "Programm/gut.dat", "Programm/update.cmd"}));
    }

    void ordnerNachAussenAbgelehnt_data()
    {
        QTest::addColumn<QString>("wert");
        QTest::newRow("\\..\\") << "\\..\\";
        QTest::newRow("..\\") << "..\\";
        QTest::newRow("tief nach oben") << "\\a\\..\\..\\";
        QTest::newRow("Geschwisterordner") << "nebenan\\";
        QTest::newRow("Laufwerk") << "\\C:\\";
        QTest::newRow("Steuerzeichen") << "\\a\tb\\";
    }

    void ordnerNachAussenAbgelehnt()
    {
        QFETCH(QString, wert);
        Testordner ordner;
        const int vorher = m_server.anfragen("/d/neu");
        QCOMPARE(aktualisieren(ordner, {{1, "f.dat", url("/d/neu"), wert},
                                        {2, "gut.dat", url("/d/zwei"), ""}}),
                 QStringList{QStringLiteral("Updatefehler bei Datei 'f.dat'")});
        QCOMPARE(m_server.anfragen("/d/neu"), vorher);
        QCOMPARE(ordner.alles(), (QStringList{"Programm", "Programm/Sichtwerk.dxe",
                                              "Programm/gut.dat", "Programm/update.cmd"}));
    }

    void verknuepfungNachAussenAbgelehnt_data()
    {
        QTest::addColumn<QString>("wert");
        QTest::newRow("Verknüpfung selbst") << "\\plugins\\";
        QTest::newRow("neuer Ordner darunter") << "\\plugins\\neu\\";
    }

    void verknuepfungNachAussenAbgelehnt()
    {
        // A link inside the program folder that points outside must not
        // carry a file, or a new folder, out of it.
        QFETCH(QString, wert);
        Testordner ordner;
        const QString draussen = ordner.wurzel.path() + QStringLiteral("/draussen");
        QVERIFY(QDir().mkpath(draussen));
        QVERIFY(QFile::link(draussen, ordner.imProgramm("plugins")));
        QCOMPARE(aktualisieren(ordner, {{1, "f.dat", url("/d/neu"), wert}}),
                 QStringList{QStringLiteral("Updatefehler bei Datei 'f.dat'")});
        QCOMPARE(Testordner::eintraegeUnter(draussen), QStringList());
        // The file stays where it was fetched to.
        QCOMPARE(leseDatei(ordner.imProgramm("f.dat")), QByteArray("neuer Inhalt"));
    }

    void zielIstEinOrdner()
    {
        // A folder in the way of the file: an error, and the folder stays.
        Testordner ordner;
        QVERIFY(QDir().mkpath(ordner.imProgramm("daten/f.dat/innen")));
        QCOMPARE(aktualisieren(ordner, {{1, "f.dat", url("/d/neu"), "\\daten\\"}}),
                 QStringList{QStringLiteral("Updatefehler bei Datei 'f.dat'")});
        QVERIFY(QFileInfo(ordner.imProgramm("daten/f.dat/innen")).isDir());
        QCOMPARE(leseDatei(ordner.imProgramm("f.dat")), QByteArray("neuer Inhalt"));
    }
};

QTEST_MAIN(TestUpdateDateien)
#include "tst_update_dateien.moc"
