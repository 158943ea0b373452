// Measures the batch cut, the preview decode, the activity log and the cost
// of saving a view, each in its own mode; bench/run drives it and compares
// the batch with other tools. Output is one "key=value" line per mode, so a
// script can read it.

#include "Korpus.h"

#include "app/Form1.h"
#include "app/Protokollfeld.h"
#include "config/Beispielconfig.h"
#include "config/FrameKonfig.h"
#include "views/Ausschnitt.h"
#include "views/Bildladen.h"
#include "views/Schneider.h"
#include "views/Stapel.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

int verwendung()
{
    std::fprintf(stderr, "Aufruf:\n"
                         "  sichtwerk-bench korpus BILDORDNER CONFIGDATEI\n"
                         "  sichtwerk-bench stapel BILDORDNER CONFIGDATEI PROGRAMMORDNER "
                         "[--nacheinander]\n"
                         "  sichtwerk-bench vorschau JPEG [--ziel BREITExHOEHE] [--runden N] "
                         "[--ohne-voll]\n"
                         "  sichtwerk-bench grossjpeg DATEI BREITE HOEHE [--progressiv]\n"
                         "  sichtwerk-bench protokoll [--zeilen N]\n"
                         "  sichtwerk-bench fenster BILDORDNER PROGRAMMORDNER\n"
                         "  sichtwerk-bench speichern NEUER_ORDNER [--ansichten N]\n");
    return 2;
}

// Peak resident memory of this process so far, in KiB.
long spitzenSpeicherKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& zeile : status.readAll().split('\n')) {
        if (zeile.startsWith("VmHWM:"))
            return zeile.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

QString option(const QStringList& argumente, const QString& name, const QString& vorgabe)
{
    const qsizetype i = argumente.indexOf(name);
    return i >= 0 && i + 1 < argumente.size() ? argumente[i + 1] : vorgabe;
}

double median(QList<double> werte)
{
    std::sort(werte.begin(), werte.end());
    const qsizetype n = werte.size();
    return n % 2 ? werte[n / 2] : (werte[n / 2 - 1] + werte[n / 2]) / 2;
}

int korpusErzeugen(const QStringList& a)
{
    if (a.size() < 2)
        return verwendung();
    QString fehler;
    if (!beispiel::schreiben(a[1], &fehler)) {
        std::fprintf(stderr, "%s\n", qPrintable(fehler));
        return 1;
    }
    return korpus::erzeugen(a[0]) ? 0 : 1;
}

// What "Alle ausschneiden" does, without the window: the folder's pictures,
// every configured direction ticked, the log lines collected in order.
int stapel(const QStringList& a)
{
    if (a.size() < 3)
        return verwendung();
    const QString ordner = a[0];
    const QString programm = a[2];
    const bool nacheinander = a.contains(QStringLiteral("--nacheinander"));

    QElapsedTimer uhr;
    uhr.start();
    const std::array<FrameRechteck, 4> rechtecke = frames::laden(a[1]);
    std::array<std::optional<FrameRechteck>, 4> angehakt;
    for (size_t i = 0; i < rechtecke.size(); ++i) {
        if (rechtecke[i].konfiguriert())
            angehakt[i] = rechtecke[i];
    }
    const QList<schnitt::Schnitt> schnitte = schnitt::schnitteFuer(angehakt);
    const QStringList bilder = schnitt::bilderFuerStapel(ordner);

    QString letztedatei;
    QStringList protokoll;
    schnitt::Stapelverlauf verlauf;
    verlauf.fertig = verlauf.gesamt = int(bilder.size());
    if (nacheinander) {
        // The loop the window ran before the batch engine: for comparison.
        for (const QString& name : bilder)
            protokoll +=
                schnitt::bildAusschneiden(ordner, name, schnitte, programm, letztedatei).zeilen;
    } else {
        verlauf = schnitt::stapelSchneiden(
            ordner, bilder, schnitte, programm, [&](schnitt::Bildschnitt&& ergebnis, int, int) {
                protokoll += schnitt::protokollieren(ergebnis, letztedatei);
            });
    }
    protokoll += schnitt::stapelSchlusszeilen(verlauf);
    const double sekunden = uhr.nsecsElapsed() / 1e9;

    const QStringList fehler = protokoll.filter(QRegularExpression(QStringLiteral("^Error: ")));
    for (const QString& zeile : fehler)
        std::fprintf(stderr, "%s\n", qPrintable(zeile));
    std::printf("modus=%s bilder=%lld ansichten=%lld zeilen=%lld fehler=%lld sekunden=%.3f "
                "bilder_je_s=%.1f vmhwm_kb=%ld\n",
                nacheinander ? "nacheinander" : "parallel", qlonglong(bilder.size()),
                qlonglong(bilder.size() * schnitte.size()), qlonglong(protokoll.size()),
                qlonglong(fehler.size()), sekunden, bilder.size() / sekunden, spitzenSpeicherKb());
    return fehler.isEmpty() && !bilder.isEmpty() ? 0 : 1;
}

// The preview's decode of a large JPEG against the full decode it replaced.
int vorschau(const QStringList& a)
{
    if (a.isEmpty())
        return verwendung();
    const QString pfad = a[0];
    // The preview box's inner drawing area: 630 × 473 less its frame.
    const QStringList ziel =
        option(a, QStringLiteral("--ziel"), QStringLiteral("626x469")).split(QLatin1Char('x'));
    const QSize zielGroesse(ziel.value(0).toInt(), ziel.value(1).toInt());
    const int runden =
        std::max(3, option(a, QStringLiteral("--runden"), QStringLiteral("7")).toInt());

    // A picture above the limit has no full decode to compare with.
    const bool ohneVoll = a.contains(QStringLiteral("--ohne-voll"));

    QList<double> voll, klein;
    QSize vollGroesse, kleinGroesse;
    for (int i = 0; i < runden; ++i) {
        QElapsedTimer uhr;
        uhr.start();
        schnitt::GeladenesBild g;
        if (ohneVoll)
            g.bild = QImage(1, 1, QImage::Format_RGB32);
        else
            g = schnitt::bildLaden(pfad);
        voll.append(uhr.nsecsElapsed() / 1e6);
        uhr.restart();
        const schnitt::Vorschaubild v = schnitt::vorschauLaden(pfad, zielGroesse);
        klein.append(uhr.nsecsElapsed() / 1e6);
        if (!g.ok() || !v.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(g.ok() ? v.fehler : g.fehler));
            return 1;
        }
        vollGroesse = ohneVoll ? v.vollGroesse : g.bild.size();
        kleinGroesse = v.bild.size();
    }
    const double mv = median(voll), mk = median(klein);
    if (ohneVoll) {
        std::printf("bild=%dx%d vorschau=%dx%d runden=%d vorschau_ms=%.1f vmhwm_kb=%ld\n",
                    vollGroesse.width(), vollGroesse.height(), kleinGroesse.width(),
                    kleinGroesse.height(), runden, mk, spitzenSpeicherKb());
        return 0;
    }
    std::printf("bild=%dx%d vorschau=%dx%d runden=%d voll_ms=%.1f vorschau_ms=%.1f "
                "verhaeltnis=%.3f\n",
                vollGroesse.width(), vollGroesse.height(), kleinGroesse.width(),
                kleinGroesse.height(), runden, mv, mk, mk / mv);
    return 0;
}

// Appends lines to the activity log and compares the time of the first and
// the last 10,000: a log whose append cost grows with its length would
// slow down every long batch.
int protokoll(const QStringList& a)
{
    const int zeilen =
        std::max(20000, option(a, QStringLiteral("--zeilen"), QStringLiteral("100000")).toInt());
    constexpr int Block = 10000;
    Protokollfeld feld;
    feld.resize(600, 300);
    feld.show();
    QCoreApplication::processEvents();

    QList<double> bloecke;
    QElapsedTimer uhr;
    uhr.start();
    const QString texte[] = {
        QStringLiteral("===================="),   QStringLiteral("szene042.jpg:"),
        QStringLiteral("Bild LINKS erstellt"),    QStringLiteral("Bild RECHTS erstellt"),
        QStringLiteral("Bild VORWÄRTS erstellt"), QStringLiteral("Bild ZURÜCK erstellt")};
    for (int i = 0; i < zeilen; ++i) {
        feld.zeileAnhaengen(texte[i % 6]);
        if ((i + 1) % Block == 0) {
            // The window repaints while a batch runs; so does this.
            QCoreApplication::processEvents();
            bloecke.append(uhr.nsecsElapsed() / 1e6);
            uhr.restart();
        }
    }
    QString liste;
    for (double b : bloecke)
        liste += QString::number(b, 'f', 0) + u',';
    liste.chop(1);
    std::printf("zeilen=%d erste_%d_ms=%.1f letzte_%d_ms=%.1f verhaeltnis=%.2f bloecke_ms=%s\n",
                zeilen, Block, bloecke.first(), Block, bloecke.last(),
                bloecke.last() / bloecke.first(), qPrintable(liste));
    return 0;
}

// Views of the sample size (840 × 705) saved in four ways, each into a
// fresh folder under new names: as the program saves (encoding, QSaveFile:
// write beside, flush to disk, rename), and the same ready-made bytes with
// QSaveFile, written beside and renamed without the flush, and written
// straight into the file.
int speichern(const QStringList& a)
{
    if (a.isEmpty())
        return verwendung();
    const QDir ordner(a[0]);
    const int anzahl =
        std::max(8, option(a, QStringLiteral("--ansichten"), QStringLiteral("200")).toInt());
    const QImage ansicht = schnitt::ausschneiden(korpus::szene(1140, 855, 7), {0, 150, 840, 705});
    QByteArray bmp;
    {
        QBuffer puffer(&bmp);
        puffer.open(QIODevice::WriteOnly);
        QImageWriter(&puffer, "bmp").write(ansicht);
    }

    auto messen = [&](const QString& art, auto&& speichern) {
        const QDir hier(ordner.filePath(art));
        if (!QDir().mkpath(hier.path()))
            return -1.0;
        QElapsedTimer uhr;
        uhr.start();
        for (int i = 0; i < anzahl; ++i) {
            if (!speichern(hier.filePath(QStringLiteral("ansicht%1_V.bmp").arg(i))))
                return -1.0;
        }
        return uhr.nsecsElapsed() / 1e6 / anzahl;
    };
    const double programm = messen(QStringLiteral("programm"), [&](const QString& pfad) {
        QString fehler;
        return schnitt::ansichtSpeichern(ansicht, pfad, &fehler);
    });
    const double sicher = messen(QStringLiteral("qsavefile"), [&](const QString& pfad) {
        QSaveFile datei(pfad);
        return datei.open(QIODevice::WriteOnly) && datei.write(bmp) == bmp.size() && datei.commit();
    });
    const double umbenannt = messen(QStringLiteral("umbenennen"), [&](const QString& pfad) {
        QFile datei(pfad + QStringLiteral(".neu"));
        if (!datei.open(QIODevice::WriteOnly) || datei.write(bmp) != bmp.size())
            return false;
        datei.close();
        return std::rename(qPrintable(datei.fileName()), qPrintable(pfad)) == 0;
    });
    const double direkt = messen(QStringLiteral("direkt"), [&](const QString& pfad) {
        QFile datei(pfad);
        return datei.open(QIODevice::WriteOnly) && datei.write(bmp) == bmp.size();
    });
    std::printf("ansichten=%d bytes=%lld programm_ms=%.2f qsavefile_ms=%.2f "
                "umbenennen_ohne_sync_ms=%.2f direkt_ms=%.2f\n",
                anzahl, qlonglong(bmp.size()), programm, sicher, umbenannt, direkt);
    return std::min({programm, sicher, umbenannt, direkt}) < 0 ? 1 : 0;
}

} // namespace

// "Alle ausschneiden" in the real window (shown offscreen): the batch with
// its log, progress bar and repaints, every configured direction ticked. The
// program folder must hold config.ini.
int fenster(const QStringList& a)
{
    if (a.size() < 2)
        return verwendung();
    Form1 form(a[1], QUrl());
    form.show();
    QCoreApplication::processEvents();
    form.findChild<QWidget*>(QStringLiteral("Dir1"))->setProperty("path", a[0]);
    const std::pair<Richtung, const char*> kaestchen[] = {{Richtung::Links, "Check1"},
                                                          {Richtung::Rechts, "Check2"},
                                                          {Richtung::Vorwaerts, "Check3"},
                                                          {Richtung::Zurueck, "Check4"}};
    for (const auto& [r, name] : kaestchen)
        form.findChild<QCheckBox*>(QLatin1String(name))
            ->setChecked(form.rechteck(r).konfiguriert());
    const auto* log = form.findChild<Protokollfeld*>(QStringLiteral("Text1"));
    const qsizetype vorher = log->zeilen().size();
    QElapsedTimer uhr;
    uhr.start();
    form.Command6_Click();
    const double sekunden = uhr.nsecsElapsed() / 1e9;
    // What the window's own thread spent, beside the workers: the log, the
    // progress bar and the repaints.
    timespec cpu{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    const QStringList zeilen = log->zeilen().mid(vorher);
    const qsizetype fehler = zeilen.filter(QRegularExpression(QStringLiteral("^Error: "))).size();
    std::printf("modus=fenster zeilen=%lld fehler=%lld sekunden=%.3f hauptthread_cpu_s=%.3f "
                "vmhwm_kb=%ld\n",
                qlonglong(zeilen.size()), qlonglong(fehler), sekunden,
                double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9, spitzenSpeicherKb());
    return fehler == 0 && zeilen.value(zeilen.size() - 2) == u"Fertig!" ? 0 : 1;
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString modus = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    // Only the log needs widgets; the rest runs as the window's code runs,
    // under a GUI application, but without the widgets' extra memory.
    std::unique_ptr<QCoreApplication> app;
    if (modus == u"protokoll" || modus == u"fenster")
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QGuiApplication>(argc, argv);
    const QStringList argumente = QCoreApplication::arguments().mid(2);

    if (modus == u"korpus")
        return korpusErzeugen(argumente);
    if (modus == u"stapel")
        return stapel(argumente);
    if (modus == u"vorschau")
        return vorschau(argumente);
    if (modus == u"protokoll")
        return protokoll(argumente);
    if (modus == u"fenster")
        return fenster(argumente);
    if (modus == u"speichern")
        return speichern(argumente);
    if (modus == u"grossjpeg" && argumente.size() >= 3)
        return korpus::grossesJpeg(argumente[0], argumente[1].toInt(), argumente[2].toInt(),
                                   argumente.contains(QStringLiteral("--progressiv")))
                   ? 0
                   : 1;
    return verwendung();
}
