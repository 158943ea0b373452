#include "Testbilder.h"
#include "views/Meldungen.h"
#include "views/Schneider.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace schnitt;

// Every fault leaves one clear line, loses nothing already written and lets
// the next picture go on.
class TestSchnittfehler final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void nichtDekodierbar_data();
    void nichtDekodierbar();
    void rahmenOhneFlaeche();
    void nameZuKurz();
    void ausgabeordnerIstDatei();
    void schreibgeschuetzteAnsicht();
    void schreibgeschuetzterOrdner();
    void ordnerStattAnsicht();
    void buchstabeMitPfadzeichen();
    void stapelGehtWeiter();

private:
    QString quelle(const QString& name, quint32 saat);
    QString ausgabe(const QString& name = {}) const
    {
        return QDir(m_programm).filePath(QStringLiteral("ausgeschnitten/") + name);
    }
    QString nativ(const QString& name) const { return QDir::toNativeSeparators(ausgabe(name)); }
    QStringList schneiden(const QString& name, const QList<Schnitt>& schnitte)
    {
        return bildAusschneiden(m_quellen, name, schnitte, m_programm, m_letztedatei).zeilen;
    }

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_quellen;
    QString m_programm;
    QString m_letztedatei;
};

namespace {

const FrameRechteck Links{10, 0, 60, 80};
const FrameRechteck Rechts{10, 140, 60, 80};
const FrameRechteck Vorwaerts{5, 50, 100, 40};
const FrameRechteck Zurueck{60, 70, 80, 50};
const QList<Schnitt> AlleVier{{u'L', Links}, {u'R', Rechts}, {u'V', Vorwaerts}, {u'Z', Zurueck}};
const QString Regel = QStringLiteral("====================");

} // namespace

void TestSchnittfehler::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_quellen = m_tmp->filePath("bilder");
    m_programm = m_tmp->filePath("programm");
    QVERIFY(QDir().mkpath(m_quellen));
    QVERIFY(QDir().mkpath(m_programm));
    m_letztedatei.clear();
}

void TestSchnittfehler::cleanup()
{
    // Give the temporary tree back its write bits so that it can be removed.
    QFile::setPermissions(ausgabe(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const QString& name : testbilder::inhalt(ausgabe()))
        QFile::setPermissions(ausgabe(name), QFile::ReadOwner | QFile::WriteOwner);
    m_tmp.reset();
}

QString TestSchnittfehler::quelle(const QString& name, quint32 saat)
{
    return testbilder::schreiben(
        m_quellen, name,
        testbilder::kodieren(testbilder::fotoaehnlich(200, 120, saat), "JPEG", 90));
}

void TestSchnittfehler::nichtDekodierbar_data()
{
    QTest::addColumn<QByteArray>("inhalt");
    QTest::addColumn<QString>("grund");

    const QByteArray jpeg = testbilder::kodieren(testbilder::fotoaehnlich(200, 120, 1), "JPEG", 90);
    QTest::newRow("Text") << QByteArray("Hallo\n") << meldung::GrundFormat.toString();
    QTest::newRow("abgeschnitten")
        << jpeg.left(jpeg.size() * 2 / 3) << meldung::GrundUnvollstaendig.toString();
    QTest::newRow("leer") << QByteArray() << meldung::GrundLeer.toString();
}

void TestSchnittfehler::nichtDekodierbar()
{
    QFETCH(QByteArray, inhalt);
    QFETCH(QString, grund);

    // An earlier good cut of a picture with the same name must survive.
    quelle("szene1.jpg", 2);
    QCOMPARE(schneiden("szene1.jpg", AlleVier).size(), 6);
    const QByteArray frueher = testbilder::lesen(ausgabe("szene1_L.bmp"));
    QVERIFY(!frueher.isEmpty());

    QVERIFY(!testbilder::schreiben(m_quellen, "szene1.jpg", inhalt).isNull());
    m_letztedatei = QStringLiteral("vorher.jpg");
    const Schnittprotokoll p =
        bildAusschneiden(m_quellen, "szene1.jpg", AlleVier, m_programm, m_letztedatei);

    QCOMPARE(p.zeilen, QStringList{meldung::NichtGeladen.arg(u"szene1.jpg", grund)});
    QVERIFY(p.zeilen.first().startsWith(u"Error: szene1.jpg "));
    QVERIFY(p.bild.isNull());
    QCOMPARE(m_letztedatei, QStringLiteral("vorher.jpg"));
    QCOMPARE(testbilder::lesen(ausgabe("szene1_L.bmp")), frueher);
    QCOMPARE(testbilder::inhalt(ausgabe()).size(), 4);
}

void TestSchnittfehler::rahmenOhneFlaeche()
{
    quelle("szene1.jpg", 3);
    const QStringList zeilen = schneiden("szene1.jpg", {{u'L', {10, 0, 0, 80}},
                                                        {u'R', {10, 140, 60, -5}},
                                                        {u'V', Vorwaerts},
                                                        {u'Z', {0, 0, -1, 0}}});
    QCOMPARE(zeilen,
             QStringList({Regel, "szene1.jpg:",
                          meldung::RahmenUngueltig.arg(u"szene1.jpg", u"Links", u"0", u"80"),
                          meldung::RahmenUngueltig.arg(u"szene1.jpg", u"Rechts", u"60", u"-5"),
                          "Bild VORWÄRTS erstellt",
                          meldung::RahmenUngueltig.arg(u"szene1.jpg", u"Zurück", u"-1", u"0")}));
    QVERIFY(zeilen[2].startsWith(u"Error: szene1.jpg"));
    QCOMPARE(testbilder::inhalt(ausgabe()), QStringList{"szene1_V.bmp"});
    QCOMPARE(m_letztedatei, QStringLiteral("szene1.jpg"));
}

void TestSchnittfehler::nameZuKurz()
{
    // "gif" is a picture name to the batch, but has no base name.
    quelle("gif", 4);
    m_letztedatei = QStringLiteral("vorher.jpg");
    QCOMPARE(schneiden("gif", AlleVier), QStringList{meldung::NameZuKurz.arg(u"gif")});
    QVERIFY(meldung::NameZuKurz.arg(u"gif").startsWith(u"Error: gif "));
    QCOMPARE(m_letztedatei, QStringLiteral("vorher.jpg"));
    QVERIFY(testbilder::inhalt(ausgabe()).isEmpty());
}

void TestSchnittfehler::ausgabeordnerIstDatei()
{
    quelle("szene1.jpg", 5);
    QVERIFY(!testbilder::schreiben(m_programm, "ausgeschnitten", "meine Notizen").isNull());

    const QStringList zeilen = schneiden("szene1.jpg", AlleVier);
    QCOMPARE(zeilen, QStringList{meldung::OrdnerNichtAngelegt.arg(
                         u"szene1.jpg", QDir::toNativeSeparators(m_programm + "/ausgeschnitten"),
                         meldung::GrundDateiImWeg)});
    QVERIFY(zeilen.first().startsWith(u"Error: szene1.jpg "));
    QCOMPARE(testbilder::lesen(m_programm + "/ausgeschnitten"), QByteArray("meine Notizen"));
    QCOMPARE(testbilder::inhalt(m_programm), QStringList{"ausgeschnitten"});
    QVERIFY(m_letztedatei.isEmpty());
}

void TestSchnittfehler::schreibgeschuetzteAnsicht()
{
    quelle("szene1.jpg", 6);
    QCOMPARE(schneiden("szene1.jpg", {{u'L', Links}, {u'R', Rechts}}).size(), 4);
    const QByteArray linksVorher = testbilder::lesen(ausgabe("szene1_L.bmp"));
    const QByteArray rechtsVorher = testbilder::lesen(ausgabe("szene1_R.bmp"));
    QVERIFY(QFile::setPermissions(ausgabe("szene1_L.bmp"), QFile::ReadOwner | QFile::ReadGroup));

    const FrameRechteck kleiner{0, 0, 31, 29};
    m_letztedatei.clear();
    const QStringList zeilen = schneiden("szene1.jpg", {{u'L', kleiner}, {u'R', kleiner}});
    QCOMPARE(zeilen, QStringList({Regel, "szene1.jpg:",
                                  meldung::NichtGeschrieben.arg(
                                      nativ("szene1_L.bmp"), meldung::GrundDateiSchreibgeschuetzt),
                                  "Bild RECHTS erstellt"}));
    QCOMPARE(testbilder::lesen(ausgabe("szene1_L.bmp")), linksVorher);
    QVERIFY(testbilder::lesen(ausgabe("szene1_R.bmp")) != rechtsVorher);
    QCOMPARE(QImage(ausgabe("szene1_R.bmp")).size(), QSize(31, 29));
    QCOMPARE(testbilder::inhalt(ausgabe()), QStringList({"szene1_L.bmp", "szene1_R.bmp"}));
}

void TestSchnittfehler::schreibgeschuetzterOrdner()
{
    quelle("szene1.jpg", 7);
    QCOMPARE(schneiden("szene1.jpg", {{u'V', Vorwaerts}}).size(), 3);
    const QByteArray vorher = testbilder::lesen(ausgabe("szene1_V.bmp"));
    QVERIFY(QFile::setPermissions(ausgabe(), QFile::ReadOwner | QFile::ExeOwner));

    const QStringList zeilen = schneiden("szene1.jpg", {{u'V', Links}, {u'Z', Zurueck}});
    QCOMPARE(zeilen,
             QStringList({meldung::NichtGeschrieben.arg(nativ("szene1_V.bmp"),
                                                        meldung::GrundOrdnerSchreibgeschuetzt),
                          meldung::NichtGeschrieben.arg(nativ("szene1_Z.bmp"),
                                                        meldung::GrundOrdnerSchreibgeschuetzt)}));
    QCOMPARE(testbilder::lesen(ausgabe("szene1_V.bmp")), vorher);
    QCOMPARE(testbilder::inhalt(ausgabe()), QStringList{"szene1_V.bmp"});
}

void TestSchnittfehler::ordnerStattAnsicht()
{
    quelle("szene1.jpg", 8);
    QVERIFY(QDir().mkpath(ausgabe("szene1_V.bmp")));
    QVERIFY(!testbilder::schreiben(ausgabe("szene1_V.bmp"), "darin.txt", "bleibt").isNull());

    const QStringList zeilen = schneiden("szene1.jpg", {{u'V', Vorwaerts}, {u'Z', Zurueck}});
    QCOMPARE(zeilen, QStringList({Regel, "szene1.jpg:",
                                  meldung::NichtGeschrieben.arg(nativ("szene1_V.bmp"),
                                                                meldung::GrundOrdnerImWeg),
                                  "Bild ZURÜCK erstellt"}));
    QCOMPARE(testbilder::lesen(ausgabe("szene1_V.bmp/darin.txt")), QByteArray("bleibt"));
    QCOMPARE(testbilder::inhalt(ausgabe()), QStringList({"szene1_V.bmp", "szene1_Z.bmp"}));
}

void TestSchnittfehler::buchstabeMitPfadzeichen()
{
    quelle("szene1.jpg", 9);
    // "szene1" + "_" + "/" + ".bmp" would name a file in a folder "szene1_".
    const QStringList zeilen =
        schneiden("szene1.jpg", {{u'/', Vorwaerts}, {u'.', Vorwaerts}, {u'V', Vorwaerts}});
    QCOMPARE(zeilen,
             QStringList(
                 {Regel, "szene1.jpg:", meldung::BuchstabeUngueltig.arg(u"szene1.jpg", u"/"),
                  meldung::BuchstabeUngueltig.arg(u"szene1.jpg", u"."), "Bild VORWÄRTS erstellt"}));
    QCOMPARE(testbilder::inhalt(ausgabe()), QStringList{"szene1_V.bmp"});
    QCOMPARE(testbilder::inhalt(m_programm), QStringList{"ausgeschnitten"});
}

void TestSchnittfehler::stapelGehtWeiter()
{
    quelle("a.jpg", 10);
    const QByteArray jpeg = testbilder::lesen(quelle("b.jpg", 11));
    testbilder::schreiben(m_quellen, "b.jpg", jpeg.left(jpeg.size() / 2));
    quelle("c.jpg", 12);
    quelle("jpg", 13);

    QStringList protokoll;
    for (const QString& name : bilderFuerStapel(m_quellen))
        protokoll += schneiden(name, {{u'L', Links}, {u'Z', Zurueck}});

    QCOMPARE(protokoll,
             QStringList({Regel, "a.jpg:", "Bild LINKS erstellt", "Bild ZURÜCK erstellt",
                          meldung::NichtGeladen.arg(u"b.jpg", meldung::GrundUnvollstaendig), Regel,
                          "c.jpg:", "Bild LINKS erstellt", "Bild ZURÜCK erstellt",
                          meldung::NameZuKurz.arg(u"jpg")}));
    QCOMPARE(m_letztedatei, QStringLiteral("c.jpg"));
    QCOMPARE(testbilder::inhalt(ausgabe()),
             QStringList({"a_L.bmp", "a_Z.bmp", "c_L.bmp", "c_Z.bmp"}));
}

QTEST_GUILESS_MAIN(TestSchnittfehler)
#include "tst_schnittfehler.moc"
