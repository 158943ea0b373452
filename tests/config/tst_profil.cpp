#include "config/Cp1252.h"
#include "config/Profil.h"

#include "Dialoghelfer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace profildatei;

class TestProfil final : public QObject
{
    Q_OBJECT

private:
    QByteArray lies(const QString& pfad)
    {
        QFile f(pfad);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void lesenEinesWerts_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("sektion");
        QTest::addColumn<QString>("eintrag");
        QTest::addColumn<QString>("erwartet");

        const QByteArray datei = "[Links]\r\nTop=5\r\nLeer=\r\n Blanks =  7 \r\n"
                                 "Zitat=\"a b\"\r\n;Top=99\r\n[Rechts]\r\nTop=6\r\n";
        QTest::newRow("vorhanden") << datei << "Links"
                                   << "Top"
                                   << "5";
        QTest::newRow("zweite Sektion") << datei << "Rechts"
                                        << "Top"
                                        << "6";
        QTest::newRow("Gross/klein egal") << datei << "LINKS"
                                          << "top"
                                          << "5";
        QTest::newRow("leerer Wert") << datei << "Links"
                                     << "Leer"
                                     << "";
        QTest::newRow("Blanks fallen weg") << datei << "Links"
                                           << "Blanks"
                                           << "7";
        QTest::newRow("Anfuehrungszeichen") << datei << "Links"
                                            << "Zitat"
                                            << "a b";
        QTest::newRow("Schluessel fehlt") << datei << "Links"
                                          << "Height"
                                          << "";
        QTest::newRow("Sektion fehlt") << datei << "Zurück"
                                       << "Top"
                                       << "";
        QTest::newRow("leerer Schluessel ist kein Listenaufruf") << datei << "Links"
                                                                 << ""
                                                                 << "";
        QTest::newRow("nur LF") << QByteArray("[A]\nx=1\ny=2") << "A"
                                << "y"
                                << "2";
        QTest::newRow("nur CR") << QByteArray("[A]\rx=1\ry=2\r") << "A"
                                << "y"
                                << "2";
        QTest::newRow("doppelte Sektion: die erste gilt")
            << QByteArray("[A]\r\nx=1\r\n[A]\r\nx=2\r\n") << "A"
            << "x"
            << "1";
        QTest::newRow("leere Datei") << QByteArray() << "A"
                                     << "x"
                                     << "";
    }
    void lesenEinesWerts()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, sektion);
        QFETCH(QString, eintrag);
        QFETCH(QString, erwartet);
        QCOMPARE(lesenAus(inhalt, sektion, eintrag), erwartet);
    }

    void pufferGrenzen()
    {
        const QByteArray lang = QByteArray(300, 'x');
        QCOMPARE(lesenAus("[A]\r\nk=" + lang, u"A"_qs, u"k"_qs), QString(254, u'x'));
        QCOMPARE(lesenAus("[A]\r\nk=" + QByteArray(254, 'y'), u"A"_qs, u"k"_qs),
                 QString(254, u'y'));
    }

    void schluesselliste()
    {
        const QString liste = lesenAus("[A]\r\nA=1\r\nB=2\r\n", u"A"_qs, QString());
        QCOMPARE(liste.size(), 4);
        QCOMPARE(liste, QStringLiteral("A") + QChar(0) + QStringLiteral("B") + QChar(0));
        QCOMPARE(lesenAus("[A]\r\nA=1\r\n", u"B"_qs, QString()), QString());
        QCOMPARE(lesenAus("[A]\r\n[B]\r\nA=1\r\n", u"A"_qs, QString()), QString());
    }

    void schluessellisteZuLang()
    {
        // Datei1 .. Datei40: the names stop fitting after Datei32.
        QByteArray inhalt = "[Namen]\r\n";
        QString voll;
        for (int i = 1; i <= 40; ++i) {
            inhalt += "Datei" + QByteArray::number(i) + "=x\r\n";
            voll += QStringLiteral("Datei%1").arg(i) + QChar(0);
        }
        const QString liste = lesenAus(inhalt, u"Namen"_qs, QString());
        QCOMPARE(liste.size(), 253);
        QCOMPARE(liste, voll.left(253));
        QCOMPARE(liste.split(QChar(0)).size() - 1, 32);
    }

    void schluessellistePasstGenau()
    {
        // 254 characters of names and zeros plus the closing zero fill the buffer exactly.
        const QString name(253, u'n');
        const QString liste = lesenAus("[A]\r\n" + name.toLatin1() + "=1\r\n", u"A"_qs, QString());
        QCOMPARE(liste.size(), 254);
        const QString zuLang(254, u'n');
        QCOMPARE(lesenAus("[A]\r\n" + zuLang.toLatin1() + "=1\r\n", u"A"_qs, QString()).size(),
                 253);
    }

    void umlauteAlsCp1252()
    {
        QTemporaryDir dir;
        const QString pfad = dir.filePath(u"u.ini"_qs);
        QVERIFY(schreiben(pfad, u"Vorwärts"_qs, u"Top"_qs, u"1"_qs));
        QVERIFY(schreiben(pfad, u"Zurück"_qs, u"Top"_qs, u"2"_qs));
        const QByteArray roh = lies(pfad);
        QVERIFY(roh.contains("[Vorw\xE4rts]"));
        QVERIFY(roh.contains("[Zur\xFC"
                             "ck]"));
        QCOMPARE(lesen(pfad, u"Vorwärts"_qs, u"Top"_qs), u"1"_qs);
        QCOMPARE(lesen(pfad, u"Zurück"_qs, u"Top"_qs), u"2"_qs);
        QCOMPARE(cp1252::dekodieren("\x80\x9F\xE4"), QStringLiteral("€Ÿä"));
        QCOMPARE(cp1252::kodieren(u"€Ÿä☺"), QByteArray("\x80\x9F\xE4?"));
    }

    void schreibenBautDateiAuf()
    {
        QTemporaryDir dir;
        const QString pfad = dir.filePath(u"neu.ini"_qs);
        QVERIFY(schreiben(pfad, u"A"_qs, u"x"_qs, u"1"_qs));
        QVERIFY(schreiben(pfad, u"B"_qs, u"y"_qs, u"2"_qs));
        QVERIFY(schreiben(pfad, u"A"_qs, u"z"_qs, u"3"_qs));
        QVERIFY(schreiben(pfad, u"a"_qs, u"X"_qs, u"4"_qs));
        QCOMPARE(lies(pfad), QByteArray("[A]\r\nx=4\r\nz=3\r\n[B]\r\ny=2\r\n"));
    }

    void schreibenBehaeltAllesAndere()
    {
        QTemporaryDir dir;
        const QString pfad = dir.filePath(u"alt.ini"_qs);
        const QByteArray vorher = "; Kommentar\n[A]\nx = 1\n\n[B]\nq=\"v\"\nr=2";
        schreibeDatei(pfad, vorher);
        QVERIFY(schreiben(pfad, u"B"_qs, u"s"_qs, u"3"_qs));
        QCOMPARE(lies(pfad), QByteArray("; Kommentar\n[A]\nx = 1\n\n[B]\nq=\"v\"\nr=2\r\ns=3\r\n"));
        QVERIFY(schreiben(pfad, u"A"_qs, u"x"_qs, u"9"_qs));
        QCOMPARE(lies(pfad), QByteArray("; Kommentar\n[A]\nx=9\n\n[B]\nq=\"v\"\nr=2\r\ns=3\r\n"));
        QVERIFY(schreiben(pfad, u"A"_qs, u"neu"_qs, u"5"_qs));
        QCOMPARE(lesen(pfad, u"A"_qs, u"neu"_qs), u"5"_qs);
        QCOMPARE(lesen(pfad, u"B"_qs, u"q"_qs), u"v"_qs);
    }

    void fehlschlagLaesstDateiHeil()
    {
        QTemporaryDir dir;
        const QString pfad = dir.filePath(u"fest.ini"_qs);
        schreibeDatei(pfad, "[A]\r\nx=1\r\n");
        QFile::setPermissions(pfad, QFileDevice::ReadOwner);
        QString fehler;
        QVERIFY(!schreiben(pfad, u"A"_qs, u"x"_qs, u"2"_qs, &fehler));
        QVERIFY(fehler.contains(u"fest.ini"_qs));
        QCOMPARE(lies(pfad), QByteArray("[A]\r\nx=1\r\n"));

        QVERIFY(!schreiben(dir.filePath(u"fehlt/neu.ini"_qs), u"A"_qs, u"x"_qs, u"2"_qs, &fehler));
        QVERIFY(fehler.contains(u"neu.ini"_qs));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"fest.ini"_qs});
    }

    void lesenOhneDatei()
    {
        QTemporaryDir dir;
        QCOMPARE(lesen(dir.filePath(u"fehlt.ini"_qs), u"A"_qs, u"x"_qs), QString());
        QCOMPARE(lesen(dir.path(), u"A"_qs, u"x"_qs), QString());
    }
};

QTEST_GUILESS_MAIN(TestProfil)
#include "tst_profil.moc"
