// The cutting logic on real picture files: exact pixels, names, headings,
// and every fault leaving one clear line without losing what was written.

#include "Testbilder.h"
#include "views/Ausschnitt.h"
#include "views/Bildladen.h"
#include "views/JpegVerlustfrei.h"
#include "views/Meldungen.h"
#include "views/Schneider.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace schnitt;
using frames::Ausgabeformat;

namespace {

// FrameRechteck: Top, Left, Width, Height; the sources are 200 × 120.
const FrameRechteck Links{10, 0, 60, 80};
const FrameRechteck Rechts{10, 140, 60, 80};
const FrameRechteck Vorwaerts{5, 50, 100, 40};
const FrameRechteck Zurueck{100, 70, 80, 50}; // reaches below the picture
const QList<Schnitt> AlleVier{{u'L', Links}, {u'R', Rechts}, {u'V', Vorwaerts}, {u'Z', Zurueck}};
const QString Regel = QStringLiteral("====================");

// The source pixels as Qt decodes them, transparent and outside white.
QImage erwartet(const QString& quelle, const QRect& r)
{
    const QImage bild = QImage(quelle).convertToFormat(QImage::Format_ARGB32);
    QImage soll(r.size(), QImage::Format_RGB32);
    soll.fill(Qt::white);
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x)
            if (bild.valid(r.x() + x, r.y() + y) && qAlpha(bild.pixel(r.x() + x, r.y() + y)))
                soll.setPixel(x, y, bild.pixel(r.x() + x, r.y() + y));
    return soll;
}

} // namespace

class TestSchneider final : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_quellen, m_programm, m_letztedatei;

    QString quelle(const QString& name, quint32 saat, const char* format = "JPEG")
    {
        const QImage foto = testbilder::fotoaehnlich(200, 120, saat);
        return testbilder::schreiben(m_quellen, name,
                                     qstrcmp(format, "GIF") == 0
                                         ? testbilder::testdatei(QStringLiteral("szene.gif"))
                                         : testbilder::kodieren(foto, format, 90));
    }
    QString ausgabe(const QString& name = {}) const
    {
        return QDir(m_programm).filePath(QStringLiteral("ausgeschnitten/") + name);
    }
    QString nativ(const QString& name) const { return QDir::toNativeSeparators(ausgabe(name)); }
    QStringList schneiden(const QString& name, const QList<Schnitt>& schnitte)
    {
        return bildAusschneiden(m_quellen, name, schnitte, m_programm, m_letztedatei).zeilen;
    }

private slots:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        m_quellen = m_tmp->filePath("bilder");
        m_programm = m_tmp->filePath("programm");
        QVERIFY(QDir().mkpath(m_quellen));
        QVERIFY(QDir().mkpath(m_programm));
        m_letztedatei.clear();
    }
    void cleanup()
    {
        // Give the tree back its write bits so that it can be removed.
        QFile::setPermissions(ausgabe(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const QString& name : testbilder::inhalt(ausgabe()))
            QFile::setPermissions(ausgabe(name), QFile::ReadOwner | QFile::WriteOwner);
    }

    void genauDieQuellpixel_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QRect>("r");
        for (const char* format : {"BMP", "JPEG", "GIF"}) {
            QTest::addRow("%s ganz", format) << format << QRect(0, 0, 200, 120);
            QTest::addRow("%s ungerade", format) << format << QRect(37, 23, 101, 77);
            QTest::addRow("%s letztes Pixel", format) << format << QRect(199, 119, 1, 1);
            QTest::addRow("%s über alle Ränder", format) << format << QRect(-3, -4, 209, 131);
        }
        QTest::newRow("ganz daneben") << "BMP" << QRect(-100, -100, 50, 50);
        QTest::newRow("am Rand des Wertebereichs") << "BMP" << QRect(32000, 32000, 767, 3);
        QTest::newRow("negativer Rand") << "BMP" << QRect(-32768, 0, 32767, 2);
    }
    void genauDieQuellpixel()
    {
        QFETCH(QString, format);
        QFETCH(QRect, r);
        // The GIF has a transparent disc in the middle, which must come out white.
        const QString pfad = quelle("szene." + format.toLower(), 21, qPrintable(format));
        const GeladenesBild geladen = bildLaden(pfad);
        QVERIFY2(geladen.ok(), qPrintable(geladen.fehler));
        const QImage ansicht = ausschneiden(
            geladen.bild, {qint16(r.y()), qint16(r.x()), qint16(r.width()), qint16(r.height())});
        QCOMPARE(ansicht.format(), QImage::Format_RGB888);
        QCOMPARE(testbilder::ersterUnterschied(ansicht, erwartet(pfad, r)), QString());
        if (format == u"GIF" && r.contains(100, 60))
            QCOMPARE(ansicht.pixel(QPoint(100, 60) - r.topLeft()), qRgb(255, 255, 255));
        // A palette, or pixels smaller than a byte, are cut as their RGB pixels.
        for (QImage::Format f : {QImage::Format_Indexed8, QImage::Format_Mono}) {
            const QImage anders = geladen.bild.convertToFormat(f);
            QCOMPARE(testbilder::ersterUnterschied(
                         ausschneiden(anders, QPoint(), r),
                         ausschneiden(anders.convertToFormat(QImage::Format_RGB32), QPoint(), r)),
                     QString());
        }
    }

    void dateiname_data()
    {
        QTest::addColumn<QString>("quelle");
        QTest::addColumn<QChar>("buchstabe");
        QTest::addColumn<QString>("ansicht");
        QTest::newRow("einfach") << "szene1.jpg" << QChar(u'V') << "szene1_V.bmp";
        QTest::newRow("Endung groß") << "Halle.BMP" << QChar(u'L') << "Halle_L.bmp";
        QTest::newRow("Buchstabe wie übergeben") << "szene1.jpg" << QChar(u'z') << "szene1_z.bmp";
        QTest::newRow("ohne Punkt") << "haus_xbmp" << QChar(u'V') << "haus__V.bmp";
        QTest::newRow("drei Zeichen") << "bmp" << QChar(u'V') << QString();
        QTest::newRow("nur die Endung") << ".jpg" << QChar(u'V') << "_V.bmp";
    }
    void dateiname()
    {
        QFETCH(QString, quelle);
        QFETCH(QChar, buchstabe);
        QFETCH(QString, ansicht);
        QCOMPARE(ansichtsDateiname(quelle, buchstabe), ansicht);
        QCOMPARE(ansichtsDateiname(quelle, buchstabe).isNull(), ansicht.isNull());
    }

    void ueberschrift_data()
    {
        QTest::addColumn<QString>("vorher");
        QTest::addColumn<bool>("mitUeberschrift");
        QTest::newRow("leer") << "" << true;
        QTest::newRow("gleich") << "szene1.jpg" << false;
        QTest::newRow("andere Schreibweise") << "SZENE1.JPG" << false;
        QTest::newRow("anderes Bild") << "szene2.jpg" << true;
        QTest::newRow("andere Endung") << "szene1.gif" << true;
    }
    void ueberschrift()
    {
        QFETCH(QString, vorher);
        QFETCH(bool, mitUeberschrift);
        quelle("szene1.jpg", 3);
        m_letztedatei = vorher;
        QStringList soll{"Bild RECHTS erstellt"};
        if (mitUeberschrift)
            soll = QStringList{Regel, "szene1.jpg:"} + soll;
        QCOMPARE(schneiden("szene1.jpg", {{u'R', Rechts}}), soll);
        QCOMPARE(m_letztedatei, QStringLiteral("szene1.jpg"));
    }

    void ungueltigeSchnitte()
    {
        quelle("szene1.jpg", 3);
        // "szene1" + "_" + "/" + ".bmp" would name a file in a folder "szene1_".
        const QStringList zeilen = schneiden("szene1.jpg", {{u'L', {10, 0, 0, 80}},
                                                            {u'R', {10, 140, 60, -5}},
                                                            {u'/', Vorwaerts},
                                                            {u'V', Vorwaerts},
                                                            {u'Z', {0, 0, 7, 0}}});
        QCOMPARE(zeilen,
                 QStringList({Regel, "szene1.jpg:",
                              meldung::RahmenUngueltig.arg(u"szene1.jpg", u"Links", u"0", u"80"),
                              meldung::RahmenUngueltig.arg(u"szene1.jpg", u"Rechts", u"60", u"-5"),
                              meldung::BuchstabeUngueltig.arg(u"szene1.jpg", u"/"),
                              "Bild VORWÄRTS erstellt",
                              meldung::RahmenUngueltig.arg(u"szene1.jpg", u"Zurück", u"7", u"0")}));
        QVERIFY(zeilen[2].startsWith(u"Error: szene1.jpg"));
        QCOMPARE(testbilder::inhalt(ausgabe()), QStringList{"szene1_V.bmp"});
        QCOMPARE(testbilder::inhalt(m_programm), QStringList{"ausgeschnitten"});
        // A picture named only by its extension has no base name for its views.
        quelle("jpg", 3);
        QCOMPARE(schneiden("jpg", AlleVier), QStringList{meldung::NameZuKurz.arg(u"jpg")});
        QVERIFY(meldung::NameZuKurz.arg(u"jpg").startsWith(u"Error: jpg "));
    }

    void verlustfreiNurAlsJpeg()
    {
        quelle("szene1.jpg", 7);
        const QRect r(32, 16, 64, 48); // on the 16-pixel grid of Qt's 4:2:0
        QString fehler;
        const QByteArray ohneNeukodierung =
            verlustfreiSchneiden(testbilder::lesen(m_quellen + "/szene1.jpg"), {r}, &fehler)
                .value(0);
        QVERIFY2(!ohneNeukodierung.isEmpty(), qPrintable(fehler));
        for (const auto& [format, verlustfrei] : {std::pair{Ausgabeformat::jpg, true},
                                                  {Ausgabeformat::jpg, false},
                                                  {Ausgabeformat::png, true}}) {
            Schnittplan plan(QList<Schnitt>{{u'V', {16, 32, 64, 48}}});
            plan.ausgabe.format = format;
            plan.ausgabe.verlustfrei = verlustfrei;
            const Bildschnitt b = bildSchneidenIn(m_quellen, "szene1.jpg", plan, ausgabe());
            QCOMPARE(b.dateien.size(), 1);
            const QByteArray datei = testbilder::lesen(b.dateien[0].pfad);
            QCOMPARE(datei == ohneNeukodierung, format == Ausgabeformat::jpg && verlustfrei);
            QCOMPARE(datei.startsWith("\x89PNG"), format == Ausgabeformat::png);
            QCOMPARE(QImage::fromData(datei).size(), r.size());
        }
    }

    void ausgabeordnerIstDatei()
    {
        quelle("szene1.jpg", 5);
        QVERIFY(!testbilder::schreiben(m_programm, "ausgeschnitten", "meine Notizen").isNull());
        QCOMPARE(schneiden("szene1.jpg", AlleVier),
                 QStringList{meldung::OrdnerNichtAngelegt.arg(
                     u"szene1.jpg", QDir::toNativeSeparators(m_programm + "/ausgeschnitten"),
                     meldung::GrundDateiImWeg)});
        QCOMPARE(testbilder::lesen(m_programm + "/ausgeschnitten"), QByteArray("meine Notizen"));
        QCOMPARE(testbilder::inhalt(m_programm), QStringList{"ausgeschnitten"});
        QVERIFY(m_letztedatei.isEmpty());
    }

    void ansichtNichtUeberschreibbar()
    {
        quelle("szene1.jpg", 6);
        QCOMPARE(schneiden("szene1.jpg", {{u'L', Links}, {u'R', Rechts}}).size(), 4);
        const QByteArray linksVorher = testbilder::lesen(ausgabe("szene1_L.bmp"));
        QVERIFY(
            QFile::setPermissions(ausgabe("szene1_L.bmp"), QFile::ReadOwner | QFile::ReadGroup));
        // A folder where the Vorwärts view goes, with a file in it.
        QVERIFY(!testbilder::schreiben(ausgabe("szene1_V.bmp"), "darin.txt", "bleibt").isNull());

        const FrameRechteck kleiner{0, 0, 31, 29};
        const QStringList zeilen =
            schneiden("szene1.jpg", {{u'L', kleiner}, {u'R', kleiner}, {u'V', kleiner}});
        QCOMPARE(zeilen,
                 QStringList({meldung::NichtGeschrieben.arg(nativ("szene1_L.bmp"),
                                                            meldung::GrundDateiSchreibgeschuetzt),
                              "Bild RECHTS erstellt",
                              meldung::NichtGeschrieben.arg(nativ("szene1_V.bmp"),
                                                            meldung::GrundOrdnerImWeg)}));
        QCOMPARE(testbilder::lesen(ausgabe("szene1_L.bmp")), linksVorher);
        QCOMPARE(QImage(ausgabe("szene1_R.bmp")).size(), QSize(31, 29));
        QCOMPARE(testbilder::lesen(ausgabe("szene1_V.bmp/darin.txt")), QByteArray("bleibt"));
        // No temporary file is left beside the views.
        QCOMPARE(testbilder::inhalt(ausgabe()),
                 QStringList({"szene1_L.bmp", "szene1_R.bmp", "szene1_V.bmp"}));
    }

    void schreibgeschuetzterOrdner()
    {
        quelle("szene1.jpg", 7);
        QCOMPARE(schneiden("szene1.jpg", {{u'V', Vorwaerts}}).size(), 3);
        const QByteArray vorher = testbilder::lesen(ausgabe("szene1_V.bmp"));
        QVERIFY(QFile::setPermissions(ausgabe(), QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(schneiden("szene1.jpg", {{u'V', Links}, {u'Z', Zurueck}}),
                 QStringList({meldung::NichtGeschrieben.arg(nativ("szene1_V.bmp"),
                                                            meldung::GrundOrdnerSchreibgeschuetzt),
                              meldung::NichtGeschrieben.arg(
                                  nativ("szene1_Z.bmp"), meldung::GrundOrdnerSchreibgeschuetzt)}));
        QCOMPARE(testbilder::lesen(ausgabe("szene1_V.bmp")), vorher);
        QCOMPARE(testbilder::inhalt(ausgabe()), QStringList{"szene1_V.bmp"});
    }
};

QTEST_GUILESS_MAIN(TestSchneider)
#include "tst_schneider.moc"
