// Views keep where, when and how their picture was taken: the EXIF, GPS and
// XMP of real JPEG, TIFF, PNG and WebP pictures (made with exiftool) read
// back from every view with exiv2 and with exiftool, the size, orientation
// and heading made true for the view, and what would be false left out.

#include "Testbilder.h"
#include "config/FrameKonfig.h"
#include "views/Meldungen.h"
#include "views/Metadaten.h"
#include "views/Rig.h"
#include "views/Schneider.h"
#include "views/Stapel.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <numbers>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

using namespace schnitt;
using frames::Ausgabeformat;

namespace {

// What exiftool reads of each file, by group and name
// ("GPS:GPSImgDirection"), as numbers. One exiftool for the whole test,
// asked through its argument stream: starting it takes longer than reading.
QProcess& exiftoolProzess()
{
    static QProcess p;
    return p;
}

QList<QJsonObject> exiftool(const QStringList& pfade)
{
    QProcess& p = exiftoolProzess();
    if (p.state() == QProcess::NotRunning) {
        p.start(QStringLiteral("exiftool"), {"-stay_open", "True", "-@", "-"});
        p.waitForStarted();
    }
    const QStringList argumente = QStringList{"-j", "-a", "-n", "-G1"} + pfade;
    p.write((argumente.join(u'\n') + u"\n-execute\n"_qs).toUtf8());
    QByteArray ausgabe;
    while (!ausgabe.contains("{ready}\n") && p.waitForReadyRead(30000))
        ausgabe += p.readAllStandardOutput();
    ausgabe.truncate(ausgabe.indexOf("{ready}"));
    QList<QJsonObject> tags;
    for (const QJsonValue& datei : QJsonDocument::fromJson(ausgabe).array())
        tags.append(datei.toObject());
    return tags;
}

QJsonObject exiftool(const QString& pfad)
{
    return exiftool(QStringList{pfad}).value(0);
}

// The tags with which a TIFF describes its own pixels, as exiftool and exiv2
// name them: no metadata.
const QStringList TiffAufbau = {
    "ImageWidth",      "ImageHeight",         "ImageLength",
    "BitsPerSample",   "Compression",         "PhotometricInterpretation",
    "StripOffsets",    "SamplesPerPixel",     "RowsPerStrip",
    "StripByteCounts", "PlanarConfiguration", "Predictor"};

// What exiv2 reads, by key ("Exif.GPSInfo.GPSImgDirection").
QMap<QString, QString> exiv2(const QString& pfad)
{
    auto bild = Exiv2::ImageFactory::open(pfad.toStdString());
    bild->readMetadata();
    QMap<QString, QString> tags;
    for (const Exiv2::Exifdatum& e : bild->exifData()) {
        const QString schluessel = QString::fromStdString(e.key());
        if (!TiffAufbau.contains(schluessel.section(u'.', 2)) || e.groupName() != "Image")
            tags.insert(schluessel, QString::fromStdString(e.toString()));
    }
    for (const Exiv2::Xmpdatum& x : bild->xmpData())
        tags.insert(QString::fromStdString(x.key()), QString::fromStdString(x.toString()));
    return tags;
}

// Only metadata: no file system, no derived values, no TIFF structure.
QStringList eigeneTags(const QJsonObject& o)
{
    const QStringList& tiff = TiffAufbau;
    QStringList tags;
    for (const QString& k : o.keys()) {
        const QString gruppe = k.section(u':', 0, 0);
        if ((gruppe == u"IFD0" && tiff.contains(k.section(u':', 1))) ||
            !(QStringList{"IFD0", "IFD1", "ExifIFD", "GPS", "InteropIFD"}.contains(gruppe) ||
              gruppe.startsWith(u"XMP")))
            continue;
        tags.append(k);
    }
    return tags;
}

// FrameRechteck: Top, Left, Width, Height; the pictures are 96 × 64 as stored
// and turned upright 64 × 96. The corners lie on the 16-pixel grid of their
// JPEG blocks, so that each view can be cut without re-encoding.
const QList<Schnitt> VierRechtecke = {{u'L', {0, 0, 24, 32}, std::nullopt, -90},
                                      {u'R', {16, 32, 30, 20}, std::nullopt, 90},
                                      {u'V', {16, 16, 40, 30}, std::nullopt, 0},
                                      {u'Z', {32, 32, 20, 30}, std::nullopt, 180}};

const QStringList Bewahrt = {"IFD0:Make",
                             "IFD0:Model",
                             "IFD0:Artist",
                             "IFD0:Copyright",
                             "ExifIFD:DateTimeOriginal",
                             "ExifIFD:SubSecTimeOriginal",
                             "ExifIFD:OffsetTimeOriginal",
                             "ExifIFD:UserComment",
                             "ExifIFD:LensModel",
                             "ExifIFD:FocalLength",
                             "ExifIFD:FocalPlaneXResolution",
                             "GPS:GPSLatitude",
                             "GPS:GPSLongitude",
                             "GPS:GPSAltitude",
                             "GPS:GPSTimeStamp",
                             "GPS:GPSDateStamp",
                             "GPS:GPSImgDirectionRef",
                             "XMP-dc:Title",
                             "XMP-dc:Subject"};

} // namespace

class TestMetadaten final : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;

    // A copy of the committed picture, in a folder of its own.
    QString quelle(const QString& name)
    {
        return testbilder::schreiben(m_tmp->filePath(u"quellen"_qs), name,
                                     testbilder::testdatei(u"metadaten/"_qs + name));
    }
    Bildschnitt schneiden(const QString& datei, const Schnittplan& plan)
    {
        return bildSchneidenIn(QFileInfo(datei).path(), QFileInfo(datei).fileName(), plan,
                               m_tmp->filePath(u"aus"_qs));
    }

private slots:
    void init() { m_tmp = std::make_unique<QTemporaryDir>(); }
    void cleanupTestCase()
    {
        exiftoolProzess().write("-stay_open\nFalse\n");
        exiftoolProzess().waitForFinished();
    }

    void ansichten_data()
    {
        QTest::addColumn<QString>("datei");
        QTest::addColumn<Ausgabeformat>("format");
        QTest::addColumn<bool>("verlustfrei");
        QTest::addColumn<bool>("aufrichten");
        for (const char* q : {"jpg", "tif", "png", "webp"})
            for (const char* ziel : {"jpg", "png", "tif", "webp"})
                QTest::addRow("%s als %s", q, ziel)
                    << QStringLiteral("quelle.%1").arg(q)
                    << *frames::formatLesen(QString::fromLatin1(ziel)) << false << false;
        QTest::newRow("ohne Neukodierung") << "quelle.jpg" << Ausgabeformat::jpg << true << false;
        QTest::newRow("aufgerichtet") << "quelle.jpg" << Ausgabeformat::webp << false << true;
        QTest::newRow("aufgerichtet, TIFF") << "quelle.tif" << Ausgabeformat::tif << false << true;
    }
    void ansichten()
    {
        QFETCH(QString, datei);
        QFETCH(Ausgabeformat, format);
        QFETCH(bool, verlustfrei);
        QFETCH(bool, aufrichten);
        Schnittplan plan(VierRechtecke);
        plan.ausgabe.format = format;
        plan.ausgabe.verlustfrei = verlustfrei;
        plan.vorlage.exif = aufrichten;
        const Bildschnitt b = schneiden(quelle(datei), plan);
        QCOMPARE(b.dateien.size(), 4);
        if (verlustfrei)
            QVERIFY(!b.zeilen.join(u'\n').contains(meldung::NeuKodiert));

        QStringList pfade{quelle(datei)};
        for (const Ansichtsdatei& a : b.dateien)
            pfade.append(a.pfad);
        const QList<QJsonObject> gelesen = exiftool(pfade);
        QCOMPARE(gelesen.size(), 5);
        const QJsonObject& q = gelesen[0];
        const QMap<QString, QString> q2 = exiv2(quelle(datei));
        for (qsizetype i = 0; i < b.dateien.size(); ++i) {
            const Ansichtsdatei& a = b.dateien[i];
            const QString richtung = a.buchstabe;
            const QJsonObject& t = gelesen[i + 1];
            for (const QString& tag : Bewahrt)
                QVERIFY2(t.value(tag) == q.value(tag), qPrintable(richtung + u' ' + tag));
            const QMap<QString, QString> t2 = exiv2(a.pfad);
            for (const char* schluessel :
                 {"Exif.Image.Make", "Exif.Photo.DateTimeOriginal", "Exif.Photo.SubSecTimeOriginal",
                  "Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSAltitude", "Exif.Photo.LensModel",
                  "Exif.Photo.UserComment", "Xmp.dc.title"})
                QVERIFY2(t2.value(schluessel) == q2.value(schluessel) && q2.contains(schluessel),
                         qPrintable(richtung + u' ' + schluessel));

            if (format == Ausgabeformat::jpg) {
                const QByteArray bytes = testbilder::lesen(a.pfad);
                QCOMPARE(bytes.count(QByteArrayView("Exif\0\0", 6)), 1);
                QCOMPARE(bytes.count("http://ns.adobe.com/xap/1.0/"), 1);
            }
            QCOMPARE(t.value("ExifIFD:ExifImageWidth").toInt(), a.rechteck.width());
            QCOMPARE(t.value("ExifIFD:ExifImageHeight").toInt(), a.rechteck.height());
            QCOMPARE(t2.value("Exif.Photo.PixelXDimension").toInt(), a.rechteck.width());
            if (format == Ausgabeformat::tif)
                QCOMPARE(t.value("IFD0:ImageWidth").toInt(), a.rechteck.width());
            QCOMPARE(t.value("IFD0:Orientation").toInt(), aufrichten ? 1 : 6);
            const double gier =
                std::find_if(VierRechtecke.cbegin(), VierRechtecke.cend(), [&](const Schnitt& s) {
                    return s.buchstabe == a.buchstabe;
                })->gier;
            QCOMPARE(t.value("GPS:GPSImgDirection").toDouble(), kompass(10 + gier));
            QCOMPARE(t2.value("Exif.GPSInfo.GPSImgDirectionRef"), u"T"_qs);
            QCOMPARE(a.blickrichtung, std::optional(kompass(10 + gier)));

            // The whole picture's thumbnail and field of view are not the view's.
            QVERIFY(q.contains("IFD1:ThumbnailImage") || !datei.endsWith(u"jpg"));
            QVERIFY(!t.contains("IFD1:ThumbnailImage") && !t.contains("IFD1:ThumbnailOffset"));
            QVERIFY(q.contains("ExifIFD:FocalLengthIn35mmFormat"));
            QVERIFY(!t.contains("ExifIFD:FocalLengthIn35mmFormat"));
            QVERIFY(!t2.contains("Exif.Photo.FocalLengthIn35mmFilm"));
        }
        QCOMPARE(b.aufnahme, u"2024-05-01T12:34:56.789+02:00"_qs);
        QCOMPARE(qRound(*b.breitengrad * 1e4), 525163);
        QCOMPARE(qRound(*b.laengengrad * 1e4), 133777);
    }

    void panorama_data()
    {
        QTest::addColumn<double>("blickwinkel");
        QTest::addColumn<double>("gier");
        QTest::addColumn<Ausgabeformat>("format");
        for (double w : {30.0, 90.0, 120.0, 179.0})
            QTest::addRow("%g°", w) << w << -40.0 << Ausgabeformat::jpg;
        // EXIF without XMP where the source has none.
        QTest::newRow("WebP") << 90.0 << -40.0 << Ausgabeformat::webp;
    }
    void panorama()
    {
        QFETCH(double, blickwinkel);
        QFETCH(double, gier);
        const frames::Panoramablick blick{blickwinkel, gier, 10, false};
        QFETCH(Ausgabeformat, format);
        Schnittplan plan({{u'V', {0, 0, 60, 40}, blick, gier}});
        plan.ausgabe.format = format;
        for (const char* datei : {"panorama.jpg", "panorama-ohne.jpg"}) {
            const Bildschnitt b = schneiden(quelle(QString::fromLatin1(datei)), plan);
            QCOMPARE(b.dateien.size(), 1);
            const QJsonObject t = exiftool(b.dateien.at(0).pfad);
            // FocalLength in mm times the focal plane's pixels per mm (cm / 10).
            const double f = t.value("ExifIFD:FocalLength").toDouble() *
                             t.value("ExifIFD:FocalPlaneXResolution").toDouble() / 10;
            const double soll = 30 / std::tan(blickwinkel * std::numbers::pi / 360);
            QVERIFY2(std::abs(f / soll - 1) < 0.001, qPrintable(QString::number(f)));
            QCOMPARE(t.value("ExifIFD:FocalPlaneResolutionUnit").toInt(), 3);
            QCOMPARE(t.value("ExifIFD:FocalPlaneYResolution"),
                     t.value("ExifIFD:FocalPlaneXResolution"));
            QCOMPARE(t.value("ExifIFD:FocalLengthIn35mmFormat").toInt(),
                     qRound(18 / std::tan(blickwinkel * std::numbers::pi / 360)));
            QCOMPARE(b.dateien.at(0).kamera->brennweite, brennweitePixel(60, blickwinkel));
            for (const QString& tag : eigeneTags(t))
                QVERIFY2(!tag.startsWith(u"XMP-GPano"), qPrintable(tag));
            if (QLatin1String(datei) == "panorama.jpg") {
                // The heading comes from the panorama's pose where EXIF has none.
                QCOMPARE(t.value("GPS:GPSImgDirection").toDouble(), kompass(33 + gier));
                QCOMPARE(t.value("XMP-dc:Title").toString(), u"Rundblick"_qs);
                QCOMPARE(t.value("IFD0:Make").toString(), u"Rundum"_qs);
            } else {
                // Nothing is made up; the lens describes the view itself.
                QCOMPARE(eigeneTags(t).size(), 5);
            }
        }
    }

    void ohneMetadaten_data()
    {
        QTest::addColumn<Ausgabeformat>("format");
        for (const char* ziel : {"jpg", "png", "tif", "webp"})
            QTest::newRow(ziel) << *frames::formatLesen(QString::fromLatin1(ziel));
    }
    void ohneMetadaten()
    {
        QFETCH(Ausgabeformat, format);
        Schnittplan plan(VierRechtecke.mid(0, 1));
        plan.ausgabe.format = format;
        const Bildschnitt b = schneiden(quelle(u"ohne.jpg"_qs), plan);
        QCOMPARE(b.dateien.size(), 1);
        QCOMPARE(eigeneTags(exiftool(b.dateien.at(0).pfad)), QStringList());
        QCOMPARE(exiv2(b.dateien.at(0).pfad), (QMap<QString, QString>()));
        QVERIFY(b.aufnahme.isEmpty() && !b.breitengrad && !b.dateien.at(0).blickrichtung);
        QVERIFY(!testbilder::lesen(b.dateien.at(0).pfad).contains(QByteArrayView("Exif\0\0", 6)));
    }

    // An XMP thumbnail shows the whole picture, not the view; the rest of the XMP stays.
    void xmpOhneVorschau()
    {
        const QString datei = quelle(u"quelle.jpg"_qs);
        QCOMPARE(QProcess::execute(u"exiftool"_qs,
                                   {u"-q"_qs, u"-overwrite_original"_qs, datei,
                                    u"-XMP-xmp:Thumbnails={Format=JPEG,Width=8,Height=8}"_qs}),
                 0);
        QVERIFY(exiv2(datei).contains(u"Xmp.xmp.Thumbnails[1]/xmpGImg:width"_qs));
        Schnittplan plan(VierRechtecke.mid(0, 1));
        plan.ausgabe.format = Ausgabeformat::jpg;
        const Bildschnitt b = schneiden(datei, plan);
        QCOMPARE(b.dateien.size(), 1);
        const QStringList schluessel = exiv2(b.dateien.at(0).pfad).keys();
        QVERIFY(schluessel.contains(u"Xmp.dc.title"_qs));
        QCOMPARE(schluessel.filter(u"Thumbnails"_qs), QStringList());
    }

    // Minutes over a zero denominator: no latitude, while the longitude and the
    // rest still go with the view.
    void breiteOhneNenner()
    {
        Schnittplan plan(VierRechtecke.mid(0, 1));
        plan.ausgabe.format = Ausgabeformat::png;
        const Bildschnitt b = schneiden(quelle(u"gps-nenner0.jpg"_qs), plan);
        QCOMPARE(b.breitengrad, std::nullopt);
        QCOMPARE(qRound(b.laengengrad.value_or(0) * 1e4), 133777);
        QCOMPARE(b.aufnahme, u"2024-05-01T12:34:56"_qs);
    }

    void unlesbar_data()
    {
        QTest::addColumn<QString>("datei");
        for (const char* d :
             {"kaputt-schleife.jpg", "kaputt-anzahl.jpg", "kaputt-riesig.jpg", "kaputt-kurz.jpg"})
            QTest::newRow(d) << QString::fromLatin1(d);
    }
    void unlesbar()
    {
        QFETCH(QString, datei);
        Schnittplan plan(VierRechtecke);
        plan.ausgabe.format = Ausgabeformat::jpg;
        plan.ausgabe.verlustfrei = true;
        const Bildschnitt b = schneiden(quelle(datei), plan);
        QCOMPARE(b.fehler, QString());
        QCOMPARE(b.dateien.size(), 4);
        QCOMPARE(b.zeilen.first(), MetadatenUnlesbar.arg(datei));
        QStringList pfade;
        for (const Ansichtsdatei& a : b.dateien) {
            QCOMPARE(QImage(a.pfad).size(), a.rechteck.size());
            pfade.append(a.pfad);
        }
        for (const QJsonObject& t : exiftool(pfade))
            QCOMPARE(eigeneTags(t), QStringList());
    }

    void rig()
    {
        // Two pictures, a rectangle and three panorama views.
        const QString ordner = m_tmp->filePath(u"bilder"_qs);
        QDir().mkpath(ordner);
        // The rectangle's lens is known in each, and differs: it is no camera's.
        for (const auto& [name, aufloesung] : {std::pair{"a.jpg", "500"}, {"b.jpg", "600"}}) {
            const QString datei = QDir(ordner).filePath(QLatin1String(name));
            QFile::copy(quelle(u"panorama.jpg"_qs), datei);
            QCOMPARE(QProcess::execute(u"exiftool"_qs, {u"-q"_qs, u"-overwrite_original"_qs,
                                                        u"-FocalPlaneXResolution="_qs + aufloesung,
                                                        u"-FocalPlaneYResolution="_qs + aufloesung,
                                                        u"-FocalPlaneResolutionUnit=cm"_qs, datei}),
                     0);
        }
        const frames::Panoramablick vorn{90, 20, 5, false}, links{75.5, -70, 0, false},
            hinten{60, 200, -10, false};
        Schnittplan plan({{u'L', {0, 0, 40, 30}, links, -70},
                          {u'R', {3, 10, 20, 12}, std::nullopt, 90},
                          {u'V', {0, 0, 64, 48}, vorn, 20},
                          {u'Z', {0, 0, 30, 30}, hinten, 200}});
        plan.ausgabe.jeRichtung = true;
        plan.ausgabe.format = Ausgabeformat::png;
        const QString ziel = m_tmp->filePath(u"aus"_qs);
        stapelSchneidenIn({{ordner, u"a.jpg"_qs}, {ordner, u"b.jpg"_qs}}, plan, ziel,
                          [](Bildschnitt&&, int, int) {});
        QCOMPARE(testbilder::inhalt(ziel),
                 (QStringList{"L", "R", "V", "Z", "kameras.txt", "rig.json"}));
        QCOMPARE(testbilder::inhalt(ziel + u"/V"_qs), (QStringList{"a.png", "b.png"}));

        // CAMERA_ID MODEL WIDTH HEIGHT fx fy cx cy, numbered as the folders sort.
        QFile kameras(QDir(ziel).filePath(u"kameras.txt"_qs));
        QVERIFY(kameras.open(QIODevice::ReadOnly));
        QMap<int, QStringList> zeilen;
        for (const QByteArray& zeile : kameras.readAll().split('\n'))
            if (!zeile.isEmpty() && !zeile.startsWith('#'))
                zeilen.insert(zeile.split(' ').at(0).toInt(), QString(zeile).split(u' '));
        // No line for the rectangle.
        QCOMPARE(zeilen.keys(), (QList<int>{1, 3, 4}));
        const std::pair<int, frames::Panoramablick> panoramen[] = {
            {1, links}, {3, vorn}, {4, hinten}};
        const QSize groessen[] = {{40, 30}, {}, {64, 48}, {30, 30}};
        for (const auto& [nummer, blick] : panoramen) {
            const QStringList& z = zeilen[nummer];
            const QSize g = groessen[nummer - 1];
            QCOMPARE(z.mid(1, 3), (QStringList{"PINHOLE", QString::number(g.width()),
                                               QString::number(g.height())}));
            const double f = g.width() / 2.0 / std::tan(blick.blickwinkel * std::numbers::pi / 360);
            QCOMPARE(z[4].toDouble(), f);
            QCOMPARE(z[5].toDouble(), f);
            QCOMPARE(z[6].toDouble(), g.width() / 2.0);
            QCOMPARE(z[7].toDouble(), g.height() / 2.0);
        }

        QFile json(QDir(ziel).filePath(u"rig.json"_qs));
        QVERIFY(json.open(QIODevice::ReadOnly));
        const QJsonObject r = QJsonDocument::fromJson(json.readAll()).array().at(0).toObject();
        QCOMPARE(r.value("ref_camera_id").toInt(), 3);
        const QJsonArray liste = r.value("cameras").toArray();
        QCOMPARE(liste.size(), 4);
        for (const QJsonValue& k : liste) {
            const QJsonObject o = k.toObject();
            const int nummer = o.value("camera_id").toInt();
            QCOMPARE(o.value("image_prefix").toString(), QString(u"LRVZ"[nummer - 1]) + u'/');
            const auto eigenes = std::find_if(std::begin(panoramen), std::end(panoramen),
                                              [&](const auto& p) { return p.first == nummer; });
            QCOMPARE(o.contains("rel_qvec"), eigenes != std::end(panoramen));
            if (eigenes == std::end(panoramen))
                continue;
            QCOMPARE(o.value("rel_tvec").toArray(), (QJsonArray{0, 0, 0}));
            const QJsonArray q = o.value("rel_qvec").toArray();
            const double w = q[0].toDouble(), x = q[1].toDouble(), y = q[2].toDouble(),
                         z = q[3].toDouble();
            QVERIFY(std::abs(w * w + x * x + y * y + z * z - 1) < 1e-12);
            // The reference → camera rotation's last row is where the camera
            // looks, in the reference camera's axes (x right, y down, z ahead).
            const double blick[3] = {2 * (x * z - w * y), 2 * (y * z + w * x),
                                     1 - 2 * (x * x + y * y)};
            auto richtung = [](const frames::Panoramablick& b) {
                const double g = b.gier * std::numbers::pi / 180,
                             n = b.nick * std::numbers::pi / 180;
                return std::array<double, 3>{std::sin(g) * std::cos(n), -std::sin(n),
                                             std::cos(g) * std::cos(n)};
            };
            // The camera's direction turned back by the reference's yaw and pitch.
            const auto d = richtung(eigenes->second);
            const double g = -vorn.gier * std::numbers::pi / 180,
                         n = -vorn.nick * std::numbers::pi / 180;
            const double xg = d[0] * std::cos(g) + d[2] * std::sin(g),
                         zg = -d[0] * std::sin(g) + d[2] * std::cos(g);
            const double soll[3] = {xg, d[1] * std::cos(n) - zg * std::sin(n),
                                    d[1] * std::sin(n) + zg * std::cos(n)};
            for (int i = 0; i < 3; ++i)
                QVERIFY2(std::abs(blick[i] - soll[i]) < 1e-9, qPrintable(QString::number(nummer)));
        }
    }
};

QTEST_GUILESS_MAIN(TestMetadaten)
#include "tst_metadaten.moc"
