// Frame configuration files as they turn up in practice: damaged, huge, with
// foreign line ends, written as UTF-8, or gone. Loading one shows nothing,
// writes nothing, leaves its bytes as they were, and every value that cannot
// be read is 0.

#include "app/Form1.h"
#include "config/Cp1252.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using formhelfer::konfiguration;

namespace {

// Bytes as written, NULs included.
template <qsizetype N> QByteArray roh(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QByteArray muell(qsizetype laenge)
{
    QByteArray b(laenge, '\0');
    QRandomGenerator zufall(1252);
    zufall.fillRange(reinterpret_cast<quint32*>(b.data()), laenge / 4);
    return b;
}

QByteArray alleVier()
{
    return konfiguration(u"Vorwärts"_qs, 0, 150, 840, 705) +
           konfiguration(u"Links"_qs, 0, 0, 150, 705) +
           konfiguration(u"Rechts"_qs, 0, 990, 150, 705) +
           konfiguration(u"Zurück"_qs, 705, 0, 1140, 150);
}
const QList<int> AlleVier{0, 150, 840, 705, 0, 0, 150, 705, 0, 990, 150, 705, 705, 0, 1140, 150};

QList<int> nurLinksUndRechts(QList<int> werte)
{
    for (int i : {0, 1, 2, 3, 12, 13, 14, 15})
        werte[i] = 0;
    return werte;
}

QByteArray mitZeilenende(QByteArray inhalt, const char* ende)
{
    return inhalt.replace("\r\n", ende);
}

} // namespace

class TestSchlechteKonfig final : public QObject
{
    Q_OBJECT

private slots:
    void laden_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<bool>("geloescht");
        // Vorwärts, Links, Rechts, Zurück, each Top, Left, Width, Height.
        QTest::addColumn<QList<int>>("erwartet");
        const QList<int> null(16, 0);
        const QByteArray megabyte(1 << 20, '7');

        QTest::newRow("Binärmüll") << muell(64 * 1024) << false << null;
        QTest::newRow("Müll, dann eine gültige Sektion")
            << muell(4096) + "\r\n" + konfiguration(u"Links"_qs, 1, 2, 3, 4) << false
            << QList<int>{0, 0, 0, 0, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("Zeilen von 1 MB")
            << ";" + megabyte + "\r\n" + konfiguration(u"Links"_qs, 1, 2, 3, 4) +
                   "[Rechts]\r\nWidth=" + megabyte + "\r\nTop=5\r\n"
            << false << QList<int>{0, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("NUL-Bytes")
            << roh("[Links]\r\nTop=\0\r\nLeft=2\0\r\nWid\0th=9\r\nWidth=150\r\n\0\0\r\n"
                   "Height=705\r\n[Rech\0ts]\r\nWidth=5\r\n")
            << false << QList<int>{0, 0, 0, 0, 0, 0, 150, 705, 0, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("ohne Zeilenenden")
            << QByteArray("[Links]Top=1 Left=2 Width=3 Height=4 [Rechts] Width=5") << false << null;
        QTest::newRow("nur CR") << mitZeilenende(alleVier(), "\r") << false << AlleVier;
        QTest::newRow("nur LF") << mitZeilenende(alleVier(), "\n") << false << AlleVier;
        QTest::newRow("gemischte Zeilenenden")
            << QByteArray("[Links]\rTop=1\nLeft=2\r\nWidth=3\n\rHeight=4\r[Rechts]\nWidth=5")
            << false << QList<int>{0, 0, 0, 0, 1, 2, 3, 4, 0, 0, 5, 0, 0, 0, 0, 0};
        // The first section of a name counts, and in it the first key.
        QTest::newRow("doppelte Sektionen und Schlüssel")
            << QByteArray("[Links]\r\nWidth=150\r\nwidth=99\r\nTop=1\r\n[Rechts]\r\nWidth=7\r\n"
                          "[LINKS]\r\nHeight=705\r\nWidth=1\r\n")
            << false << QList<int>{0, 0, 0, 0, 1, 0, 150, 0, 0, 0, 7, 0, 0, 0, 0, 0};
        // The file is Windows-1252: "ä" written as UTF-8 reads as "Ã¤", so
        // "[Vorwärts]" and "[Zurück]" are other sections then.
        QTest::newRow("UTF-8 mit Umlauten")
            << QString::fromLatin1(alleVier()).toUtf8() << false << nurLinksUndRechts(AlleVier);
        QTest::newRow("UTF-8 mit Bytereihenfolgemarke")
            << "\xEF\xBB\xBF" + konfiguration(u"Links"_qs, 1, 2, 3, 4) +
                   QStringLiteral("[Zurück]\r\nWidth=9\r\n").toUtf8()
            << false << QList<int>{0, 0, 0, 0, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("nach dem Einlesen gelöscht") << alleVier() << true << null;
    }

    void laden()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(bool, geloescht);
        QFETCH(QList<int>, erwartet);

        QTemporaryDir dir;
        const QString pfad = dir.filePath(u"config.ini"_qs);
        schreibeDatei(pfad, inhalt);
        // Slot 1 takes "config.ini" at start; HolConfig reads it again.
        Form1 form(dir.path(), QUrl());
        if (geloescht)
            QVERIFY(QFile::remove(pfad));
        form.HolConfig(1);

        QList<int> ist;
        for (const RichtungsInfo& r : richtungen) {
            const FrameRechteck f = form.rechteck(r.richtung);
            ist << f.top << f.left << f.width << f.height;
        }
        QCOMPARE(ist, erwartet);
        QCOMPARE(protokollZeilen(form).size(), 3); // the start lines only
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 geloescht ? QStringList() : QStringList{u"config.ini"_qs});
        if (!geloescht) {
            QFile datei(pfad);
            QVERIFY(datei.open(QIODevice::ReadOnly));
            QCOMPARE(datei.readAll(), inhalt);
        }
    }
};

QTEST_MAIN(TestSchlechteKonfig)
#include "tst_schlechtekonfig.moc"
