// Reads, folders and replacing writes as they fail on a real file system,
// each with the system's reason in German; and which leftover temporary
// files a new batch may remove.

#include "config/Dateien.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>

class TestDateien final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

    QString pfad(const QString& name) const { return QDir(m_tmp.path()).filePath(name); }
    QString schreiben(const QString& name, const QByteArray& inhalt)
    {
        QFile f(pfad(name));
        return f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size() ? f.fileName()
                                                                                : QString();
    }

private slots:
    // A write over the size limit then fails as on a full disk.
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    // Each failure with its reason; "" where the step succeeds.
    void gruende_data()
    {
        QTest::addColumn<QString>("vorgang");
        QTest::addColumn<QString>("ziel");
        QTest::addColumn<QString>("grund");
        auto zeile = [](const char* name, const char* vorgang, const QString& ziel,
                        const char* grund) {
            QTest::newRow(name) << QString::fromUtf8(vorgang) << ziel << QString::fromUtf8(grund);
        };
        const QString lang(300, u'x');
        zeile("lesen: fehlt", "lesen", u"weg.jpg"_qs, "die Datei existiert nicht");
        zeile("lesen: Ordner", "lesen", u"ordner"_qs, "an ihrer Stelle steht ein Ordner");
        // Its size is given as 0, like that of a pipe; it is read whole all the same.
        zeile("lesen: Größe unbekannt", "lesen", u"/proc/self/cmdline"_qs, "");
        zeile("Ordner: schon da", "ordner", u"ordner/voll"_qs, "");
        zeile("Ordner: zwei neue", "ordner", u"neu/unten"_qs, "");
        zeile("Ordner: Datei im Weg", "ordner", u"datei"_qs, "an seiner Stelle steht eine Datei");
        zeile("Ordner: Datei im Pfad", "ordner", u"datei/unten/tiefer"_qs,
              "ein Teil des Pfads ist kein Ordner");
        zeile("Ordner: zu lang", "ordner", lang, "der Name ist zu lang");
        zeile("schreiben: Ordner fehlt", "schreiben", u"fehlt/a.bmp"_qs,
              "ein Ordner des Pfads fehlt");
        zeile("schreiben: zu lang", "schreiben", lang + u".bmp"_qs, "der Name ist zu lang");
        zeile("schreiben: Ordner im Weg", "schreiben", u"ordner"_qs,
              "an ihrer Stelle steht ein Ordner");
        // The second byte goes over the limit, as on a full disk.
        zeile("schreiben: zu groß", "zu groß", u"ordner/a.bmp"_qs,
              "die Datei wäre zu groß für das Dateisystem");
    }
    void gruende()
    {
        QFETCH(QString, vorgang);
        QFETCH(QString, ziel);
        QFETCH(QString, grund);
        QVERIFY(QDir().mkpath(pfad(u"ordner/voll"_qs)));
        QVERIFY(!schreiben(u"datei"_qs, "x").isEmpty());
        QString ist;
        if (vorgang == u"lesen") {
            QFile f(pfad(ziel));
            const QByteArray inhalt = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            QCOMPARE(dateien::lesen(pfad(ziel), &ist), inhalt);
        } else if (vorgang == u"ordner") {
            QCOMPARE(dateien::ordnerAnlegen(pfad(ziel), &ist), grund.isEmpty());
        } else {
            // Each step is tried: a failed one is not made good by the next.
            rlimit alt{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &alt), 0);
            rlimit grenze = alt;
            grenze.rlim_cur = vorgang == u"zu groß" ? 1 : alt.rlim_cur;
            dateien::Zwischendatei d(pfad(ziel));
            d.oeffnen();
            setrlimit(RLIMIT_FSIZE, &grenze);
            d.schreiben("BM");
            setrlimit(RLIMIT_FSIZE, &alt);
            QVERIFY(!d.abschliessen());
            ist = d.grund();
        }
        QCOMPARE(ist, grund);
        // A failed write leaves nothing behind, the folder in the way included.
        QCOMPARE(QDir(pfad(u"ordner"_qs))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{u"voll"_qs});
    }

    void ersetzen()
    {
        const QString ziel = schreiben(u"a.bmp"_qs, "alt");
        QVERIFY(QFile::setPermissions(ziel, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup));
        const QFileDevice::Permissions rechte = QFile::permissions(ziel);
        {
            dateien::Zwischendatei abgebrochen(ziel);
            QVERIFY(abgebrochen.oeffnen() && abgebrochen.schreiben("halb"));
        }
        QCOMPARE(QDir(m_tmp.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{u"a.bmp"_qs, u"datei"_qs}));
        dateien::Zwischendatei d(ziel);
        // Through the device for writers, which must not seek back: it only appends.
        QVERIFY(d.oeffnen() && d.geraet()->write("neu") == 3 && d.geraet()->isSequential());
        QVERIFY(d.abschliessen());
        QString grund;
        QCOMPARE(dateien::lesen(ziel, &grund), QByteArray("neu"));
        QCOMPARE(QFile::permissions(ziel), rechte);
    }

    void resteEntfernen()
    {
        // This machine's mark, as a write in progress shows it.
        QVERIFY(QDir().mkpath(pfad(u"reste"_qs)));
        dateien::Zwischendatei offen(pfad(u"reste/a.bmp"_qs));
        QVERIFY(offen.oeffnen());
        const QStringList laufend = QDir(pfad(u"reste"_qs)).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(laufend.size(), 1);
        const QString kennung = laufend.first().section(u'-', 2, 2);
        QProcess beendet;
        beendet.start(u"true"_qs);
        QVERIFY(beendet.waitForStarted());
        const qint64 pid = beendet.processId();
        QVERIFY(beendet.waitForFinished());
        const auto name = [&](qint64 pid, const QString& rechner) {
            return QStringLiteral(".sichtwerk-%1-%2-0000abcd.teil").arg(pid).arg(rechner);
        };
        const QString tot = name(pid, kennung);
        const QString fremd = name(pid, u"00000000"_qs);
        // Process 1 always runs, even where this user may not signal it.
        const QString init = name(1, kennung);
        for (const QString& n : {tot, fremd, init, u".sichtwerk-notiz.teil"_qs, u"b.teil"_qs})
            QVERIFY(!schreiben(u"reste/"_qs + n, "x").isEmpty());
        QVERIFY(dateien::istZwischendatei(tot));

        QCOMPARE(dateien::zwischendateienEntfernen(pfad(u"reste"_qs)), 1);
        // The running write, another machine's recent file and user files stay.
        QStringList bleiben = laufend;
        bleiben << fremd << init << u".sichtwerk-notiz.teil"_qs << u"b.teil"_qs;
        bleiben.sort();
        QCOMPARE(QDir(pfad(u"reste"_qs)).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 bleiben);
    }
};

QTEST_GUILESS_MAIN(TestDateien)
#include "tst_dateien.moc"
