// Damaged and odd picture files through the three ways a user meets them:
// the preview (double-click), the single cut and the batch. Each gives its
// one clear line or the right views, the window stays usable, the batch goes
// on with the next picture, and no file claiming a huge size is ever
// allocated.

#include "app/Form1.h"
#include "views/Meldungen.h"
#include "views/Schneider.h"
#include "views/Stapel.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace formhelfer;
namespace meldung = schnitt::meldung;

namespace {

// Links only, larger than the 1 × 1 picture and smaller than the others.
const QRect Links(0, 0, 40, 30);

struct Fall
{
    QString name;
    QByteArray inhalt;
    QString grund; // empty: the picture is good
};

// A GIF of several hundred frames; only the first one counts.
QByteArray vieleBilder(int anzahl)
{
    constexpr qsizetype Kopf = 13 + 3 * 256; // header, screen, global colour table
    QByteArray gif;
    for (int i = 0; i < anzahl; ++i) {
        const QByteArray einzeln = testbilder::gifKodieren(
            testbilder::mitPalette(testbilder::fotoaehnlich(64, 48, quint32(100 + i)), false));
        if (i == 0)
            gif = einzeln.left(Kopf);
        gif += einzeln.sliced(Kopf, einzeln.size() - Kopf - 1);
    }
    return gif + ';';
}

// Built once: the GIF of many frames takes a moment.
const QList<Fall>& faelle()
{
    static const QList<Fall> alle = [] {
        const QImage foto = testbilder::fotoaehnlich(64, 48, 7);
        const QByteArray jpeg = testbilder::kodieren(foto, "JPEG", 90);
        return QList<Fall>{
            {u"leer.jpg"_qs, {}, meldung::GrundLeer.toString()},
            {u"halb.jpg"_qs, jpeg.left(jpeg.size() / 2), meldung::GrundUnvollstaendig.toString()},
            {u"text.gif"_qs, "Dies ist kein Bild.\r\n", meldung::GrundFormat.toString()},
            {u"riesig.bmp"_qs, testbilder::bmpKopf(60000, 60000),
             meldung::GrundUnvollstaendig.toString()},
            {u"riesig.gif"_qs, testbilder::gifKopf(60000, 60000),
             meldung::GrundZuGross.arg(u"60000", u"60000", u"1024")},
            {u"viele.gif"_qs, vieleBilder(300), {}},
            {u"punkt.bmp"_qs, testbilder::kodieren(testbilder::fotoaehnlich(1, 1, 3), "BMP"), {}},
            {u"GROSS.JPG"_qs, jpeg, {}},
        };
    }();
    return alle;
}

// The Links view as it must come out: the source pixels, white where the
// rectangle leaves the picture.
QImage sollAnsicht(const QString& quelle)
{
    const QImage bild = QImage(quelle).convertToFormat(QImage::Format_RGB32);
    QImage soll(Links.size(), QImage::Format_RGB32);
    soll.fill(Qt::white);
    for (int y = 0; y < soll.height(); ++y)
        for (int x = 0; x < soll.width(); ++x)
            if (bild.valid(x, y))
                soll.setPixel(x, y, bild.pixel(x, y));
    return soll;
}

QString ansicht(const QString& name)
{
    return name.chopped(4) + u"_L.bmp"_qs;
}

qint64 spitzeKB()
{
    QFile status(u"/proc/self/status"_qs);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& zeile : status.readAll().split('\n'))
        if (zeile.startsWith("VmHWM:"))
            return zeile.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

} // namespace

class TestSchlechteBilder final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prog;
    QTemporaryDir m_bilder;

    QString ausgabe(const QString& name = {}) const
    {
        return m_prog.filePath(u"ausgeschnitten/"_qs + name);
    }
    QStringList zeilenFuer(const Fall& f, bool geschnitten) const
    {
        if (!f.grund.isEmpty())
            return {meldung::NichtGeladen.arg(f.name, f.grund)};
        if (!geschnitten)
            return {f.name + u" geladen..."_qs, u"Frames neu berechnet..."_qs};
        return {QString(20, u'='), f.name + u':', u"Bild LINKS erstellt"_qs};
    }
    void pruefeAnsicht(const Fall& f)
    {
        if (f.grund.isEmpty()) {
            QCOMPARE(testbilder::ersterUnterschied(QImage(ausgabe(ansicht(f.name))),
                                                   sollAnsicht(m_bilder.filePath(f.name))),
                     QString());
        } else {
            QVERIFY(!QFile::exists(ausgabe(ansicht(f.name))));
        }
    }

private slots:
    void init()
    {
        for (QTemporaryDir* d : {&m_prog, &m_bilder}) {
            QDir(d->path()).removeRecursively();
            QDir().mkpath(d->path());
        }
        schreibeDatei(
            m_prog.filePath(u"config.ini"_qs),
            konfiguration(u"Links"_qs, Links.top(), Links.left(), Links.width(), Links.height()));
    }

    void vorschauUndEinzelschnitt_data()
    {
        QTest::addColumn<int>("nummer");
        const QList<Fall>& alle = faelle();
        for (int i = 0; i < alle.size(); ++i)
            QTest::newRow(qPrintable(alle[i].name)) << i;
    }

    void vorschauUndEinzelschnitt()
    {
        QFETCH(int, nummer);
        const Fall f = faelle().at(nummer);
        testbilder::schreiben(m_bilder.path(), u"gut.bmp"_qs,
                              testbilder::kodieren(testbilder::fotoaehnlich(120, 90, 1), "BMP"));
        QVERIFY(!testbilder::schreiben(m_bilder.path(), f.name, f.inhalt).isEmpty());

        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        bildDoppelklicken(form, m_bilder.path(), u"gut.bmp"_qs);
        QVERIFY(form.bildgeladen);
        const QSize vorher = form.findChild<QWidget*>(u"Picture1"_qs)->size();
        form.findChild<QCheckBox*>(u"Check1"_qs)->setChecked(true);

        qsizetype zeilen = protokollZeilen(form).size();
        bildDoppelklicken(form, m_bilder.path(), f.name);
        QCOMPARE(protokollZeilen(form).mid(zeilen), zeilenFuer(f, false));
        QVERIFY(form.bildgeladen);
        // A picture that failed leaves the one shown before in place.
        if (!f.grund.isEmpty())
            QCOMPARE(form.findChild<QWidget*>(u"Picture1"_qs)->size(), vorher);

        zeilen = protokollZeilen(form).size();
        form.Command1_Click();
        QCOMPARE(protokollZeilen(form).mid(zeilen), zeilenFuer(f, true));
        pruefeAnsicht(f);
    }

    void stapelGehtUeberAlleWeiter()
    {
        const QList<Fall>& alle = faelle();
        for (const Fall& f : alle)
            QVERIFY(!testbilder::schreiben(m_bilder.path(), f.name, f.inhalt).isEmpty());
        const qint64 spitzeVorher = spitzeKB();

        Form1 form(m_prog.path(), QUrl());
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        form.findChild<QCheckBox*>(u"Check1"_qs)->setChecked(true);
        const qsizetype vorher = protokollZeilen(form).size();
        form.Command6_Click();

        QStringList erwartet;
        for (const QString& name : QDir(m_bilder.path()).entryList(QDir::Files, QDir::Name)) {
            const auto f = std::find_if(alle.begin(), alle.end(),
                                        [&](const Fall& k) { return k.name == name; });
            QVERIFY(f != alle.end());
            erwartet += zeilenFuer(*f, true);
            pruefeAnsicht(*f);
        }
        erwartet += {QString(20, u'='), u"Fertig!"_qs, QString(30, u'=')};
        QCOMPARE(protokollZeilen(form).mid(vorher), erwartet);
        // Headers claiming 60000 × 60000 pixels (14 GB) never reach an
        // allocation; everything else here is a few kilobytes.
        if (spitzeVorher > 0)
            QVERIFY2(spitzeKB() - spitzeVorher < 256 * 1024,
                     qPrintable(QString::number(spitzeKB())));
    }

    void geloeschtZwischenListeUndSchnitt()
    {
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            testbilder::schreiben(m_bilder.path(), QLatin1String(name),
                                  testbilder::kodieren(testbilder::fotoaehnlich(64, 48, 2), "BMP"));
        const QStringList liste = schnitt::bilderFuerStapel(m_bilder.path());
        QVERIFY(QFile::remove(m_bilder.filePath(u"b.bmp"_qs)));

        QStringList protokoll;
        QString letztedatei;
        schnitt::stapelSchneiden(m_bilder.path(), liste, {{u'L', {0, 0, 40, 30}}}, m_prog.path(),
                                 [&](schnitt::Bildschnitt&& ergebnis, int, int) {
                                     protokoll += schnitt::protokollieren(ergebnis, letztedatei);
                                 });
        QCOMPARE(protokoll,
                 (QStringList{QString(20, u'='), u"a.bmp:"_qs, u"Bild LINKS erstellt"_qs,
                              meldung::NichtGeladen.arg(u"b.bmp", meldung::GrundFehlt),
                              QString(20, u'='), u"c.bmp:"_qs, u"Bild LINKS erstellt"_qs}));
        QCOMPARE(testbilder::inhalt(ausgabe()), (QStringList{u"a_L.bmp"_qs, u"c_L.bmp"_qs}));
    }
};

QTEST_MAIN(TestSchlechteBilder)
#include "tst_schlechtebilder.moc"
