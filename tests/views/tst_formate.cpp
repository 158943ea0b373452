// Every picture format in, PNG, JPEG, TIFF and WebP views out, and JPEG
// views cut without re-encoding: the same pixels as the picture saved as
// BMP or decoded by Qt, the source's colour profile carried on, and a clear
// reason for every damaged file.

#include "Testbilder.h"
#include "views/Bildladen.h"
#include "views/Farbprofil.h"
#include "views/JpegVerlustfrei.h"
#include "views/Kodierer.h"
#include "views/Meldungen.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>

using namespace schnitt;

namespace {

QByteArray daten(const QString& name)
{
    return testbilder::testdatei(QStringLiteral("formate/") + name);
}

double psnr(const QImage& ist, const QImage& soll)
{
    double summe = 0;
    for (int i = 0; i < soll.width() * soll.height(); ++i) {
        const QRgb a = ist.pixel(i % soll.width(), i / soll.width());
        const QRgb b = soll.pixel(i % soll.width(), i / soll.width());
        for (int d : {qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b)})
            summe += d * d;
    }
    return 10 * std::log10(255.0 * 255.0 * 3 * soll.width() * soll.height() / summe);
}

} // namespace

class TestFormate final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_ordner;

    QString ablegen(const QString& name, const QByteArray& inhalt)
    {
        return testbilder::schreiben(m_ordner.path(), name, inhalt);
    }
    GeladenesBild laden(const QByteArray& inhalt)
    {
        return bildLaden(ablegen(QStringLiteral("bild"), inhalt));
    }

private slots:
    void gleicheBildpunkte_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QImage>("soll");
        // PNG in every layout, TIFF with every compression, WebP both ways,
        // against their BMP twins.
        const char* paare[][2] = {{"rgb.png", "quelle.bmp"},
                                  {"zeilensprung.png", "quelle.bmp"},
                                  {"palette.png", "palette.bmp"},
                                  {"palette-alpha.png", "palette-alpha.bmp"},
                                  {"grau.png", "grau.bmp"},
                                  {"rgb16.png", "rgb16.bmp"},
                                  {"grau16.png", "grau16.bmp"},
                                  {"alpha.png", "alpha.bmp"},
                                  {"alpha16.png", "alpha.bmp"},
                                  {"ohne.tif", "quelle.bmp"},
                                  {"lzw.tif", "quelle.bmp"},
                                  {"deflate.tif", "quelle.bmp"},
                                  {"kacheln.tif", "quelle.bmp"},
                                  {"jpeg.tif", "jpeg-tif.bmp"},
                                  {"rgb16.tif", "rgb16.bmp"},
                                  {"motorola.tif", "quelle.bmp"},
                                  {"verlustfrei.webp", "quelle.bmp"},
                                  {"alpha.webp", "alpha.bmp"},
                                  {"verlustbehaftet.webp", "verlustbehaftet.bmp"},
                                  {"icc.png", "quelle.bmp"},
                                  {"icc.tif", "quelle.bmp"},
                                  {"icc.webp", "quelle.bmp"}};
        for (const auto& [datei, zwilling] : paare)
            QTest::newRow(datei) << daten(datei) << QImage::fromData(daten(zwilling));
        // BMP, GIF and JPEG against Qt's own decoder.
        auto wieQt = [](const char* name, const QByteArray& inhalt) {
            QTest::newRow(name) << inhalt << QImage::fromData(inhalt);
        };
        const QImage foto = testbilder::fotoaehnlich(173, 119, 7);
        wieQt("BMP", testbilder::kodieren(foto, "BMP"));
        wieQt("1 × 1", testbilder::kodieren(foto.copy(0, 0, 1, 1), "BMP"));
        wieQt("OS/2-BMP 1 × 1, 30 Bytes",
              QByteArray("BM\x1E\0\0\0\0\0\0\0\x1A\0\0\0\x0C\0\0\0\1\0\1\0\1\0\x18\0\x0A\x14\x1E\0",
                         30));
        wieQt("JPEG", testbilder::kodieren(foto, "JPEG", 85));
        wieQt("GIF mit 300 Bildern", testbilder::testdatei("viele.gif"));
        wieQt("BMP mit RLE8", testbilder::testdatei("rle.bmp"));
        // Far smaller than its rows unpacked: no mistake for a cut-off file.
        wieQt("BMP mit RLE8, stark gepackt", testbilder::testdatei("rle-gepackt.bmp"));
        wieQt("JPEG mit Neustartmarken", testbilder::testdatei("neustart.jpg"));
        wieQt("Graustufen-JPEG",
              testbilder::kodieren(foto.convertToFormat(QImage::Format_Grayscale8), "JPEG", 90));
    }
    void gleicheBildpunkte()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(QImage, soll);
        QVERIFY(!soll.isNull());
        // Under a BMP name: the content decides, not the ending.
        const QString pfad = ablegen("bild.bmp", inhalt);
        const GeladenesBild ist = bildLaden(pfad);
        QVERIFY2(ist.ok(), qPrintable(ist.fehler));
        QCOMPARE(ist.bild.format(), QImage::Format_RGB32);
        QCOMPARE(testbilder::ersterUnterschied(ist.bild, soll), QString());
        // A part; of a picture too small for it, the whole.
        const QRect bereich = soll.width() > 40 ? QRect(10, 5, 30, 20) : soll.rect();
        const GeladenesBild teil = bereichLaden(pfad, bereich);
        QVERIFY2(teil.ok(), qPrintable(teil.fehler));
        QCOMPARE(testbilder::ersterUnterschied(teil.bild.copy(bereich.translated(-teil.ursprung)),
                                               soll.copy(bereich)),
                 QString());
        // Asked for no smaller size than the picture's, the preview is the same picture.
        const Vorschaubild v = vorschauLaden(pfad, QSize(626, 469));
        QVERIFY2(v.ok(), qPrintable(v.fehler));
        QCOMPARE(v.vollGroesse, soll.size());
        QCOMPARE(testbilder::ersterUnterschied(v.bild, soll), QString());
        QCOMPARE(groesseLesen(pfad).groesse, soll.size());
        // The profile from Qt's readers, for the whole picture and a part.
        const bool mitProfil = QByteArray(QTest::currentDataTag()).startsWith("icc.");
        QCOMPARE(ist.icc, mitProfil ? daten("profil.icc") : QByteArray());
        QCOMPARE(teil.icc, ist.icc);
    }

    void sechzehnBitGerundet_data()
    {
        QTest::addColumn<QString>("datei");
        QTest::addColumn<bool>("grau");
        QTest::newRow("PNG RGB") << "alle16.png" << false;
        QTest::newRow("PNG grau") << "alle16-grau.png" << true;
        QTest::newRow("TIFF RGB") << "alle16.tif" << false;
    }
    void sechzehnBitGerundet()
    {
        // Each of the 65536 values once: red v, green 65535 − v, blue v with
        // its two bytes swapped.
        QFETCH(QString, datei);
        QFETCH(bool, grau);
        const GeladenesBild b = laden(daten(datei));
        QVERIFY2(b.ok(), qPrintable(b.fehler));
        auto acht = [](int v) { return int(std::lround(v * 255.0 / 65535.0)); };
        for (int v = 0; v < 65536; ++v) {
            const QRgb p = b.bild.pixel(v % 256, v / 256);
            const QRgb soll = grau ? qRgb(acht(v), acht(v), acht(v))
                                   : qRgb(acht(v), acht(65535 - v), acht((v & 255) << 8 | v >> 8));
            QVERIFY2(p == soll, qPrintable(QString::number(v)));
        }
    }

    void farbprofilBehaelter_data()
    {
        // Containers cut down to the bytes the profile reader walks: every
        // edge of a length check, every way a part can be missing or doubled.
        QTest::addColumn<QByteArray>("datei");
        QTest::addColumn<QByteArray>("soll");
        const QByteArray p = "profil-bytes";
        auto le = [](quint32 v, int n) {
            const quint32 l = qToLittleEndian(v);
            return QByteArray(reinterpret_cast<const char*>(&l), n);
        };
        auto be = [](quint32 v, int n) {
            const quint32 b = qToBigEndian(v);
            return QByteArray(reinterpret_cast<const char*>(&b) + 4 - n, n);
        };
        auto zeile = [](const char* name, const QByteArray& datei, const QByteArray& soll) {
            QTest::newRow(name) << datei << soll;
        };

        const QByteArray png("\x89PNG\r\n\x1a\n");
        auto chunk = [&](const char* typ, const QByteArray& inhalt, bool crc = true) {
            return be(quint32(inhalt.size()), 4) + typ + inhalt + (crc ? be(0, 4) : QByteArray());
        };
        const QByteArray gepackt = qCompress(p).mid(4);
        const QByteArray name("a\0\0", 3);
        const QByteArray iccp = chunk("iCCP", name + gepackt);
        zeile("PNG hinter tEXt", png + chunk("tEXt", "k\0v") + iccp, p);
        zeile("PNG bis zum Dateiende", png + chunk("iCCP", name + gepackt, false), p);
        zeile("PNG Chunk länger als die Datei", (png + iccp).chopped(5), {});
        zeile("PNG ohne Namen", png + chunk("iCCP", QByteArray("\0\0", 2) + gepackt), {});
        zeile("PNG Kompression 1", png + chunk("iCCP", QByteArray("a\0\1", 3) + gepackt), {});
        zeile("PNG Name bis zum Ende", png + chunk("iCCP", QByteArray("a\0", 2)), {});
        zeile("PNG hinter IDAT", png + chunk("IDAT", "x") + iccp, {});
        zeile("PNG hinter IEND", png + chunk("IEND", {}) + iccp, {});
        const QByteArray gross(16 * 1024 * 1024, 'p'), ganz = qCompress(gross).mid(4);
        zeile("PNG Profil von 16 MB", png + chunk("iCCP", name + ganz), gross);
        zeile("PNG Profil über 16 MB", png + chunk("iCCP", name + qCompress(gross + 'p').mid(4)),
              {});
        zeile("PNG Datenstrom abgeschnitten", png + chunk("iCCP", name + ganz.chopped(20)), {});

        auto segment = [&](char marke, const QByteArray& inhalt) {
            return "\xFF" + QByteArray(1, marke) + be(quint32(inhalt.size() + 2), 2) + inhalt;
        };
        auto teil = [&](int nummer, int anzahl, const QByteArray& stueck) {
            return segment('\xE2',
                           QByteArray("ICC_PROFILE\0", 12) + char(nummer) + char(anzahl) + stueck);
        };
        const QByteArray soi("\xFF\xD8");
        const QByteArray eins = teil(1, 2, p.left(5)), zwei = teil(2, 2, p.mid(5));
        zeile("JPEG zwei Teile vertauscht", soi + zwei + segment('\xE1', "Exif") + eins, p);
        zeile("JPEG Füllbytes und Einzelmarken",
              soi + "\xFF\xFF\xFF\x01\xFF\xD0\xFF\xD8" + teil(1, 1, p) + "\xFF\xD9", p);
        zeile("JPEG leeres Segment davor", soi + "\xFF\xE0" + be(2, 2) + teil(1, 1, p), p);
        zeile("JPEG ein Byte Profil", soi + teil(1, 1, "x"), "x");
        zeile("JPEG Segment länger als die Datei", soi + teil(1, 1, p).chopped(1), {});
        zeile("JPEG Teil fehlt", soi + eins, {});
        zeile("JPEG Teil ohne Daten", soi + teil(1, 2, {}) + teil(2, 2, p), {});
        zeile("JPEG Teil doppelt", soi + eins + eins + zwei, {});
        zeile("JPEG Teil 0", soi + teil(0, 1, p), {});
        zeile("JPEG Teil 3 von 2", soi + eins + teil(3, 2, p), {});
        zeile("JPEG Anzahl wechselt", soi + eins + teil(2, 3, p), {});
        zeile("JPEG hinter SOS", soi + segment('\xDA', "x") + teil(1, 1, p), {});
        zeile("JPEG Länge 1", soi + "\xFF\xE2\0\1" + teil(1, 1, p), {});

        // One entry before the profile's, which is BYTE (1) or UNDEFINED (7).
        auto tiff = [&](bool intel, quint32 typ, const QByteArray& profil, int kuerzen = 0) {
            auto z = [&](quint32 v, int n) { return intel ? le(v, n) : be(v, n); };
            const bool innen = profil.size() <= 4;
            QByteArray d = QByteArray(intel ? "II" : "MM") + z(42, 2) + z(8, 4) + z(2, 2) +
                           z(256, 2) + z(3, 2) + z(1, 4) + z(7, 4) + z(34675, 2) + z(typ, 2) +
                           z(quint32(profil.size()), 4);
            d += innen ? profil.leftJustified(4, '\0') : z(8 + 2 + 24 + 4, 4);
            d += z(0, 4);
            if (!innen)
                d += profil;
            return d.chopped(kuerzen);
        };
        zeile("TIFF Intel", tiff(true, 7, p), p);
        zeile("TIFF Motorola BYTE", tiff(false, 1, p), p);
        zeile("TIFF vier Bytes im Eintrag am Dateiende", tiff(true, 7, "vier", 4), "vier");
        zeile("TIFF fünf Bytes dahinter", tiff(false, 7, "fuenf"), "fuenf");
        zeile("TIFF Typ SHORT", tiff(true, 3, p), {});
        zeile("TIFF Profil länger als die Datei", tiff(true, 7, p, 1), {});
        zeile("TIFF Verzeichnis abgeschnitten", tiff(false, 7, p).left(8 + 2 + 12 + 11), {});
        zeile("TIFF Profil hinter dem Verzeichnis", tiff(true, 7, p).replace(8, 2, le(1, 2)), {});
        zeile("TIFF Profil von 16 MB", tiff(true, 7, gross), gross);

        auto riff = [&](const char* typ, const QByteArray& inhalt) {
            return QByteArray(typ) + le(quint32(inhalt.size()), 4) + inhalt +
                   QByteArray(inhalt.size() % 2, '\0');
        };
        const QByteArray webp = "RIFF" + le(0, 4) + "WEBP";
        zeile("WebP hinter ungeradem Chunk", webp + riff("VP8X", "abc") + riff("ICCP", p), p);
        zeile("WebP bis zum Dateiende", webp + riff("ICCP", p), p);
        zeile("WebP Profil von 16 MB", webp + riff("ICCP", gross), gross);
        zeile("WebP Chunk länger als die Datei", (webp + riff("ICCP", p)).chopped(1), {});
        zeile("WebP ohne RIFF", "RIFX" + webp.sliced(4) + riff("ICCP", p), {});
    }
    void farbprofilBehaelter()
    {
        QFETCH(QByteArray, datei);
        QFETCH(QByteArray, soll);
        QCOMPARE(farbprofilLesen(datei), soll);
    }

    void kodieren_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("qualitaet"); // 0: none given
        QTest::addColumn<double>("mindestPsnr");
        QTest::addColumn<QByteArray>("profil");
        QTest::addColumn<bool>("mitProfil");
        const int png = int(Ausgabeformat::png), tif = int(Ausgabeformat::tif);
        const int webp = int(Ausgabeformat::webp), jpg = int(Ausgabeformat::jpg);
        const QByteArray rgb = daten("profil.icc");
        // Views are RGB: a grey profile is dropped; 132 bytes, a header and a tag count, are kept.
        const QByteArray grau = QByteArray(rgb).replace(16, 4, "GRAY");
        QTest::newRow("PNG") << png << 0 << 99.0 << rgb << true;
        QTest::newRow("TIFF") << tif << 0 << 99.0 << rgb << true;
        QTest::newRow("TIFF ohne Profil") << tif << 0 << 99.0 << QByteArray() << false;
        QTest::newRow("WebP verlustfrei") << webp << 0 << 99.0 << QByteArray() << false;
        QTest::newRow("WebP Qualität 90") << webp << 90 << 30.0 << rgb << true;
        QTest::newRow("JPEG Standard, 132 Bytes Profil")
            << jpg << 0 << 38.0 << rgb.left(132) << true;
        // Larger than one APP2 segment holds.
        QTest::newRow("JPEG großes Profil")
            << jpg << 90 << 38.0 << rgb + QByteArray(150000, 'p') << true;
        QTest::newRow("JPEG Qualität 1, Graustufenprofil") << jpg << 1 << 15.0 << grau << false;
        QTest::newRow("BMP") << int(Ausgabeformat::bmp) << 0 << 99.0 << rgb << false;
    }
    void kodieren()
    {
        QFETCH(int, format);
        QFETCH(int, qualitaet);
        QFETCH(double, mindestPsnr);
        QFETCH(QByteArray, profil);
        QFETCH(bool, mitProfil);
        // A smooth picture like a photograph, of odd size, so that the chroma
        // and the PNG rows have ragged ends.
        const QImage ansicht = laden(daten("ansicht.png")).bild;
        Kodierung k;
        k.format = Ausgabeformat(format);
        if (qualitaet)
            k.qualitaet = qualitaet;
        k.icc = profil;
        QString fehler;
        const QByteArray datei = schnitt::kodieren(ansicht, k, &fehler);
        QVERIFY2(!datei.isNull(), qPrintable(fehler));
        // The cut's views come as RGB888, the whole picture's as RGB32.
        for (QImage::Format anders : {QImage::Format_RGB888, QImage::Format_ARGB32})
            QCOMPARE(schnitt::kodieren(ansicht.convertToFormat(anders), k), datei);
        const GeladenesBild b = laden(datei);
        QVERIFY2(b.ok(), qPrintable(b.fehler));
        if (mindestPsnr >= 99)
            QCOMPARE(testbilder::ersterUnterschied(b.bild, ansicht), QString());
        else
            QVERIFY2(psnr(b.bild, ansicht) >= mindestPsnr,
                     qPrintable(QString::number(psnr(b.bild, ansicht))));
        QCOMPARE(b.icc, mitProfil ? profil : QByteArray());
        // Only a profile needs WebP's extended container.
        if (k.format == Ausgabeformat::webp)
            QCOMPARE(datei.mid(12, 4) == "VP8X", mitProfil);
        if (k.format == Ausgabeformat::jpg) {
            // Baseline (SOF0) with 4:2:0 chroma, whose blocks are 16 × 16.
            QVERIFY(datei.contains("\xFF\xC0") && !datei.contains("\xFF\xC2"));
            QCOMPARE(jpegRasterLesen(datei).mcu, QSize(16, 16));
        }
    }

    void grenzenDerKodierer()
    {
        // Out of range is refused, never clamped.
        QString fehler;
        for (int q : {0, 101}) {
            QVERIFY(schnitt::kodieren(QImage(8, 8, QImage::Format_RGB32),
                                      {Ausgabeformat::jpg, q, {}}, &fehler)
                        .isNull());
            QCOMPARE(fehler, GrundQualitaet.toString());
        }
        // Wider than BMP, JPEG and WebP allow: no file rather than a broken one.
        for (Ausgabeformat f : {Ausgabeformat::bmp, Ausgabeformat::jpg, Ausgabeformat::webp}) {
            QVERIFY(schnitt::kodieren(QImage(65501, 1, QImage::Format_RGB32), {f, {}, {}}, &fehler)
                        .isNull());
            QCOMPARE(fehler, GrundNichtKodiert.arg(frames::formatName(f)));
        }
    }

    // Half-transparent at 16 bits, stored premultiplied: laid over white as at 8 bits.
    void teiltransparent16()
    {
        const GeladenesBild acht = bildLaden(ablegen("teil.png", daten("teil.png")));
        const GeladenesBild sechzehn = bildLaden(ablegen("teil16.tif", daten("teil16.tif")));
        QVERIFY(acht.ok() && sechzehn.ok());
        const int alpha = qAlpha(QImage::fromData(daten("teil.png")).pixel(0, 8));
        QVERIFY(alpha > 64 && alpha < 192);
        QVERIFY(testbilder::abweichung(sechzehn.bild, acht.bild) <= 1);
    }

    void verlustfreiWieJpegtran_data()
    {
        QTest::addColumn<QString>("datei");
        QTest::addColumn<QList<QRect>>("bereiche");
        // 4:2:0 with a colour profile, 100 × 70: partial blocks at the right and bottom.
        QTest::newRow("4:2:0") << "formate/icc.jpg"
                               << QList<QRect>{{0, 0, 100, 70}, {16, 32, 50, 30}, {48, 16, 52, 54}};
        QTest::newRow("grau") << "formate/grau.jpg" << QList<QRect>{{8, 8, 21, 13}, {96, 64, 4, 6}};
        // An Adobe segment that libjpeg does not write for YCbCr: carried on.
        QTest::newRow("Adobe-Marke") << "formate/adobe.jpg" << QList<QRect>{{16, 16, 32, 32}};
        QTest::newRow("EXIF und Neustartmarken")
            << "gedreht.jpg" << QList<QRect>{{16, 16, 64, 48}, {384, 288, 16, 12}};
        // Rows below the lowest region are never read.
        QTest::newRow("nur oben") << "formate/icc.jpg"
                                  << QList<QRect>{{64, 16, 36, 16}, {16, 0, 32, 8}};
        QTest::newRow("Neustart nach jedem MCU")
            << "neustart.jpg"
            << QList<QRect>{{32, 0, 168, 16}, {176, 48, 24, 72}, {0, 96, 200, 24}};
        QTest::newRow("progressiv")
            << "formate/progressiv.jpg" << QList<QRect>{{48, 0, 16, 16}, {16, 32, 84, 38}};
        QTest::newRow("eine Komponente je Scan")
            << "formate/einzelscans.jpg" << QList<QRect>{{16, 16, 64, 32}, {0, 48, 100, 22}};
        QTest::newRow("4:2:2") << "formate/422.jpg"
                               << QList<QRect>{{16, 8, 84, 62}, {96, 64, 4, 6}};
        QTest::newRow("4:4:4") << "formate/444.jpg" << QList<QRect>{{8, 8, 92, 62}, {40, 24, 8, 8}};
    }
    void verlustfreiWieJpegtran()
    {
        QFETCH(QString, datei);
        QFETCH(QList<QRect>, bereiche);
        const QByteArray quelle = testbilder::testdatei(datei);
        const QString pfad = ablegen("quelle.jpg", quelle);
        QString fehler;
        const QList<QByteArray> schnitte = verlustfreiSchneiden(quelle, bereiche, &fehler);
        QCOMPARE(schnitte.size(), bereiche.size());
        for (qsizetype i = 0; i < bereiche.size(); ++i) {
            const QRect& b = bereiche[i];
            const QString soll = m_ordner.filePath(QStringLiteral("jpegtran-%1.jpg").arg(i));
            const QString crop =
                QString::asprintf("%dx%d+%d+%d", b.width(), b.height(), b.left(), b.top());
            QCOMPARE(
                QProcess::execute("jpegtran", {"-crop", crop, "-perfect", "-outfile", soll, pfad}),
                0);
            const GeladenesBild ist = laden(schnitte[i]);
            QVERIFY2(ist.ok(), qPrintable(ist.fehler));
            QCOMPARE(ist.bild.size(), b.size());
            QCOMPARE(testbilder::ersterUnterschied(ist.bild, bildLaden(soll).bild), QString());
            QCOMPARE(ist.icc, farbprofilLesen(quelle));
            // Every marker once: none lost, none that libjpeg writes doubled.
            for (const char* kennung : {"JFIF", "Adobe", "Exif", "ICC_PROFILE"})
                QCOMPARE(schnitte[i].count(kennung), quelle.count(kennung));
        }
    }

    void verlustfreiNurAufDemRaster_data()
    {
        QTest::addColumn<QString>("datei");
        QTest::addColumn<QRect>("bereich");
        QTest::addColumn<bool>("schneidbar");
        QTest::newRow("4:2:0 auf dem Raster") << "icc.jpg" << QRect(32, 48, 5, 5) << true;
        QTest::newRow("4:2:0 um 8 daneben") << "icc.jpg" << QRect(8, 0, 16, 16) << false;
        QTest::newRow("4:2:0 eine Zeile tiefer") << "icc.jpg" << QRect(0, 1, 16, 16) << false;
        QTest::newRow("grau um 8 versetzt") << "grau.jpg" << QRect(8, 56, 8, 8) << true;
        QTest::newRow("über den Rand") << "grau.jpg" << QRect(96, 0, 5, 8) << false;
        QTest::newRow("oberhalb") << "grau.jpg" << QRect(0, -8, 8, 8) << false;
        QTest::newRow("leer") << "grau.jpg" << QRect(0, 0, 0, 8) << false;
        QTest::newRow("kein JPEG") << "rgb.png" << QRect(0, 0, 8, 8) << false;
    }
    void verlustfreiNurAufDemRaster()
    {
        QFETCH(QString, datei);
        QFETCH(QRect, bereich);
        QFETCH(bool, schneidbar);
        const QByteArray quelle = daten(datei);
        QCOMPARE(verlustfreiSchneidbar(jpegRasterLesen(quelle), bereich), schneidbar);
        QString fehler;
        const QList<QByteArray> schnitte =
            verlustfreiSchneiden(quelle, {QRect(0, 0, 8, 8), bereich}, &fehler);
        QCOMPARE(schnitte.size(), schneidbar ? 2 : 0);
        QCOMPARE(fehler.isEmpty(), schneidbar);
    }

    void kopfOhneBildpunkte()
    {
        // A GIF whose first picture is 0 × 0: the check of the rectangles
        // must not take it for a picture.
        const Bildgroesse g = groesseLesen(ablegen("leer.gif", testbilder::testdatei("leer.gif")));
        QCOMPARE(g.fehler, meldung::GrundBeschaedigt.toString());
        QVERIFY(!g.groesse.isValid());
    }

    void verlustfreiBeschaedigt()
    {
        const QByteArray jpeg = daten("icc.jpg");
        const QRect ecke(0, 0, 16, 16);
        QString fehler;
        QVERIFY(verlustfreiSchneiden(jpeg.chopped(300), {QRect(0, 0, 16, 16)}, &fehler).isEmpty());
        QCOMPARE(fehler, meldung::GrundUnvollstaendig.toString());
        QVERIFY(!jpegRasterLesen(QByteArray()).gueltig());
        // Scan data garbled near the end: libjpeg only warns, and a cut reading it is refused.
        QByteArray verdorben = jpeg;
        verdorben.replace(jpeg.size() - 900, 200, QByteArray(200, '\x55'));
        fehler.clear();
        QVERIFY(verlustfreiSchneiden(verdorben, {QRect(0, 0, 16, 16), QRect(0, 64, 16, 6)}, &fehler)
                    .isEmpty());
        QCOMPARE(fehler, meldung::GrundBeschaedigt.toString());
        // The damage lies below the first row of blocks, which is never read.
        fehler.clear();
        const QList<QByteArray> oben =
            verlustfreiSchneiden(verdorben, {QRect(0, 0, 16, 16)}, &fehler);
        QCOMPARE(oben, verlustfreiSchneiden(jpeg, {QRect(0, 0, 16, 16)}, &fehler));
        QCOMPARE(oben.size(), 1);
        // Cut off in the next row of blocks, the end marker put back: not read either.
        const qsizetype scan = jpeg.indexOf("\xFF\xDA");
        QCOMPARE(verlustfreiSchneiden(jpeg.left(scan + (jpeg.size() - scan) * 3 / 10) + "\xFF\xD9",
                                      {ecke}, &fehler),
                 oben);
        // Whole as far as the end marker goes, yet no usable header.
        fehler.clear();
        QVERIFY(verlustfreiSchneiden(jpeg.left(20) + "\xFF\xD9", {ecke}, &fehler).isEmpty());
        QCOMPARE(fehler, meldung::GrundBeschaedigt.toString());
        // One scan per component, the last one left out: its blocks would stay empty.
        const QByteArray einzeln = daten("einzelscans.jpg");
        fehler.clear();
        QVERIFY(verlustfreiSchneiden(einzeln.left(einzeln.lastIndexOf("\xFF\xDA")) + "\xFF\xD9",
                                     {ecke}, &fehler)
                    .isEmpty());
        QCOMPARE(fehler, meldung::GrundBeschaedigt.toString());
    }

    void verlustfreiSpeichergrenze_data()
    {
        QTest::addColumn<QString>("datei");
        QTest::addColumn<QList<QRect>>("bereiche");
        QTest::addColumn<QString>("grund"); // empty: cut like the region decode
        const QRect ganz(0, 0, 16400, 16400), ecke(0, 0, 16, 16);
        const QString zuGross = meldung::GrundZuGross.toString();
        // A sequential file is read through a window of rows, far larger
        // ones than the limit too; a progressive one is held whole.
        QTest::newRow("16400², oben")
            << "verlauf-riesig.jpg" << QList<QRect>{{8000, 8, 64, 16}} << QString();
        QTest::newRow("16400², zweimal ganz") << "verlauf-riesig.jpg" << QList<QRect>{ganz, ganz}
                                              << zuGross.arg(u"16400", u"16400", u"1024");
        QTest::newRow("60000², ohne die Daten dazu")
            << "riesig.jpg" << QList<QRect>{ecke} << meldung::GrundBeschaedigt.toString();
        QTest::newRow("60000², progressiv") << "formate/riesig-progressiv.jpg" << QList<QRect>{ecke}
                                            << zuGross.arg(u"60000", u"60000", u"1024");
    }
    void verlustfreiSpeichergrenze()
    {
        QFETCH(QString, datei);
        QFETCH(QList<QRect>, bereiche);
        QFETCH(QString, grund);
        const QByteArray quelle = testbilder::testdatei(datei);
        QString fehler;
        const QList<QByteArray> schnitte = verlustfreiSchneiden(quelle, bereiche, &fehler);
        QCOMPARE(fehler, grund);
        QCOMPARE(schnitte.size(), grund.isEmpty() ? 1 : 0);
        if (!grund.isEmpty())
            return;
        const GeladenesBild ist = laden(schnitte.value(0));
        QVERIFY2(ist.ok(), qPrintable(ist.fehler));
        const GeladenesBild soll = bereichLaden(ablegen("riesig.jpg", quelle), bereiche[0]);
        QCOMPARE(testbilder::ersterUnterschied(
                     ist.bild, soll.bild.copy(bereiche[0].translated(-soll.ursprung))),
                 QString());
    }
};

QTEST_GUILESS_MAIN(TestFormate)
#include "tst_formate.moc"
