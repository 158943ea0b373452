#include "Testbilder.h"
#include "views/Ausschnitt.h"
#include "views/Bildladen.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace schnitt;

class TestAusschnitt final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void innenGleichQuelle_data();
    void innenGleichQuelle();
    void ausserhalbFuellfarbe_data();
    void ausserhalbFuellfarbe();
    void ohneFlaecheKeinBild_data();
    void ohneFlaecheKeinBild();
    void bmpMit24Bit();
    void dateiname_data();
    void dateiname();
    void meldungJeBuchstabe_data();
    void meldungJeBuchstabe();

private:
    QTemporaryDir m_ordner;
    QString m_quellen[3]; // BMP, JPEG, GIF of the same scene
};

namespace {

constexpr int Breite = 240;
constexpr int Hoehe = 160;

FrameRechteck rechteck(int left, int top, int width, int height)
{
    return {qint16(top), qint16(left), qint16(width), qint16(height)};
}

} // namespace

void TestAusschnitt::initTestCase()
{
    QVERIFY(m_ordner.isValid());
    const QImage foto = testbilder::fotoaehnlich(Breite, Hoehe, 21);
    m_quellen[0] =
        testbilder::schreiben(m_ordner.path(), "szene.bmp", testbilder::kodieren(foto, "BMP"));
    m_quellen[1] =
        testbilder::schreiben(m_ordner.path(), "szene.jpg", testbilder::kodieren(foto, "JPEG", 88));
    m_quellen[2] = testbilder::schreiben(
        m_ordner.path(), "szene.gif", testbilder::gifKodieren(testbilder::mitPalette(foto, false)));
    for (const QString& pfad : m_quellen)
        QVERIFY(!pfad.isEmpty());
}

void TestAusschnitt::innenGleichQuelle_data()
{
    QTest::addColumn<int>("quelle");
    QTest::addColumn<QRect>("rechteck");

    const std::pair<const char*, QRect> faelle[] = {
        {"ganzes Bild", QRect(0, 0, Breite, Hoehe)},
        {"erstes Pixel", QRect(0, 0, 1, 1)},
        {"letztes Pixel", QRect(Breite - 1, Hoehe - 1, 1, 1)},
        {"ungerade Mitte", QRect(37, 23, 101, 77)},
        {"Streifen am rechten Rand", QRect(Breite - 13, 0, 13, Hoehe)},
        {"Zeile am unteren Rand", QRect(0, Hoehe - 1, Breite, 1)},
    };
    const char* formate[] = {"BMP", "JPEG", "GIF"};
    for (int q = 0; q < 3; ++q) {
        for (const auto& [name, r] : faelle)
            QTest::addRow("%s, %s", formate[q], name) << q << r;
    }
}

void TestAusschnitt::innenGleichQuelle()
{
    QFETCH(int, quelle);
    QFETCH(QRect, rechteck);

    const GeladenesBild geladen = bildLaden(m_quellen[quelle]);
    QVERIFY2(geladen.ok(), qPrintable(geladen.fehler));
    const QImage ansicht = ausschneiden(
        geladen.bild, ::rechteck(rechteck.x(), rechteck.y(), rechteck.width(), rechteck.height()));
    QCOMPARE(ansicht.format(), QImage::Format_RGB888);
    QCOMPARE(ansicht.size(), rechteck.size());
    const QString unterschied =
        testbilder::ersterUnterschied(ansicht, QImage(m_quellen[quelle]).copy(rechteck));
    QVERIFY2(unterschied.isEmpty(), qPrintable(unterschied));
}

void TestAusschnitt::ausserhalbFuellfarbe_data()
{
    QTest::addColumn<QRect>("rechteck");

    QTest::newRow("links hinaus") << QRect(-10, 20, 50, 30);
    QTest::newRow("oben hinaus") << QRect(15, -7, 40, 20);
    QTest::newRow("rechts und unten hinaus") << QRect(Breite - 20, Hoehe - 5, 60, 25);
    QTest::newRow("rundum größer") << QRect(-3, -4, Breite + 9, Hoehe + 11);
    QTest::newRow("ganz rechts daneben") << QRect(Breite, 0, 30, 30);
    QTest::newRow("ganz links oben daneben") << QRect(-100, -100, 50, 50);
    QTest::newRow("fern am Rand des Wertebereichs") << QRect(32000, 32000, 767, 3);
    QTest::newRow("negativer Rand bis ins Bild") << QRect(-32768, 0, 32767 /*ends at -2*/, 2);
}

void TestAusschnitt::ausserhalbFuellfarbe()
{
    QFETCH(QRect, rechteck);

    const QImage quelle = QImage(m_quellen[0]).convertToFormat(QImage::Format_RGB32);
    const QImage ansicht = ausschneiden(
        quelle, ::rechteck(rechteck.x(), rechteck.y(), rechteck.width(), rechteck.height()));
    QCOMPARE(ansicht.size(), rechteck.size());

    QImage soll(rechteck.size(), QImage::Format_RGB32);
    for (int y = 0; y < soll.height(); ++y) {
        for (int x = 0; x < soll.width(); ++x) {
            const QPoint p = rechteck.topLeft() + QPoint(x, y);
            soll.setPixel(x, y, quelle.valid(p) ? quelle.pixel(p) : qRgb(255, 255, 255));
        }
    }
    const QString unterschied = testbilder::ersterUnterschied(ansicht, soll);
    QVERIFY2(unterschied.isEmpty(), qPrintable(unterschied));
}

void TestAusschnitt::ohneFlaecheKeinBild_data()
{
    QTest::addColumn<int>("breite");
    QTest::addColumn<int>("hoehe");

    QTest::newRow("Breite 0") << 0 << 10;
    QTest::newRow("Höhe 0") << 10 << 0;
    QTest::newRow("Breite negativ") << -5 << 10;
    QTest::newRow("Höhe negativ") << 10 << -32768;
}

void TestAusschnitt::ohneFlaecheKeinBild()
{
    QFETCH(int, breite);
    QFETCH(int, hoehe);
    QVERIFY(ausschneiden(QImage(m_quellen[0]), rechteck(5, 5, breite, hoehe)).isNull());
}

void TestAusschnitt::bmpMit24Bit()
{
    const QImage quelle = QImage(m_quellen[1]);
    // An odd width makes the rows need padding to four bytes.
    const QImage ansicht = ausschneiden(quelle, rechteck(11, 9, 33, 17));
    const QString pfad = QDir(m_ordner.path()).filePath("ansicht.bmp");
    QString fehler;
    QVERIFY2(ansichtSpeichern(ansicht, pfad, &fehler), qPrintable(fehler));

    const QByteArray d = testbilder::lesen(pfad);
    QVERIFY(d.size() >= 54);
    const auto* b = reinterpret_cast<const uchar*>(d.constData());
    QCOMPARE(d.left(2), QByteArray("BM"));
    QCOMPARE(qFromLittleEndian<quint32>(b + 2), quint32(d.size()));
    QCOMPARE(qFromLittleEndian<qint32>(b + 18), 33);
    QCOMPARE(qFromLittleEndian<qint32>(b + 22), 17);
    QCOMPARE(qFromLittleEndian<quint16>(b + 28), quint16(24)); // bits per pixel
    QCOMPARE(qFromLittleEndian<quint32>(b + 30), quint32(0));  // uncompressed
    const quint32 anfang = qFromLittleEndian<quint32>(b + 10);
    QCOMPARE(quint32(d.size()), anfang + 17 * 100); // 33 × 3 bytes padded to 100

    const QString unterschied =
        testbilder::ersterUnterschied(QImage(pfad), quelle.copy(11, 9, 33, 17));
    QVERIFY2(unterschied.isEmpty(), qPrintable(unterschied));
}

void TestAusschnitt::dateiname_data()
{
    QTest::addColumn<QString>("quelle");
    QTest::addColumn<QChar>("buchstabe");
    QTest::addColumn<QString>("ansicht");

    QTest::newRow("szene1.jpg, V") << "szene1.jpg" << QChar(u'V') << "szene1_V.bmp";
    QTest::newRow("Endung groß") << "Halle.BMP" << QChar(u'L') << "Halle_L.bmp";
    QTest::newRow("Buchstabe klein") << "szene1.jpg" << QChar(u'z') << "szene1_z.bmp";
    QTest::newRow("Punkte im Namen") << "a.b.c.gif" << QChar(u'R') << "a.b.c_R.bmp";
    QTest::newRow("ohne Punkt") << "haus_xbmp" << QChar(u'V') << "haus__V.bmp";
    QTest::newRow("Umlaute und Blanks") << "Brücke Süd.jpg" << QChar(u'Z') << "Brücke Süd_Z.bmp";
    QTest::newRow("nur Endung") << ".jpg" << QChar(u'V') << "_V.bmp";
    QTest::newRow("drei Zeichen") << "bmp" << QChar(u'V') << QString();
    QTest::newRow("leer") << "" << QChar(u'V') << QString();
}

void TestAusschnitt::dateiname()
{
    QFETCH(QString, quelle);
    QFETCH(QChar, buchstabe);
    QFETCH(QString, ansicht);

    QCOMPARE(ansichtsDateiname(quelle, buchstabe), ansicht);
    QCOMPARE(ansichtsDateiname(quelle, buchstabe).isNull(), ansicht.isNull());
    QCOMPARE(ausgabeOrdner(QStringLiteral("/opt/sw")), QStringLiteral("/opt/sw/ausgeschnitten"));
}

void TestAusschnitt::meldungJeBuchstabe_data()
{
    QTest::addColumn<QChar>("buchstabe");
    QTest::addColumn<QString>("meldung");

    QTest::newRow("V") << QChar(u'V') << "Bild VORWÄRTS erstellt";
    QTest::newRow("v") << QChar(u'v') << "Bild VORWÄRTS erstellt";
    QTest::newRow("L") << QChar(u'L') << "Bild LINKS erstellt";
    QTest::newRow("r") << QChar(u'r') << "Bild RECHTS erstellt";
    QTest::newRow("z") << QChar(u'z') << "Bild ZURÜCK erstellt";
    QTest::newRow("X") << QChar(u'X') << QString();
}

void TestAusschnitt::meldungJeBuchstabe()
{
    QFETCH(QChar, buchstabe);
    QFETCH(QString, meldung);
    QCOMPARE(erstelltMeldung(buchstabe), meldung);
}

QTEST_GUILESS_MAIN(TestAusschnitt)
#include "tst_ausschnitt.moc"
