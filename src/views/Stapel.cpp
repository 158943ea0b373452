#include "Stapel.h"

#include "Ausschnitt.h"
#include "Bildladen.h"
#include "Meldungen.h"
#include "Panorama.h"
#include "Rig.h"
#include "Speicherbudget.h"
#include "config/Dateien.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QObject>
#include <QSemaphore>
#include <QSet>
#include <QThread>
#include <QThreadPool>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <deque>
#include <exception>
#include <memory>

namespace schnitt {

namespace {

// One picture in flight. The worker fills the result, then sets `fertig`,
// then wakes the waiting thread: in that order, so that whoever sees the
// wake-up also sees the result.
struct Fach
{
    Bildschnitt ergebnis;
    std::exception_ptr ausnahme;
    std::atomic<bool> fertig{false};
};

// Temporary files of a killed run in the folders this batch writes into.
void resteEntfernen(const QList<Stapelbild>& bilder, const QList<Schnitt>& schnitte,
                    const QString& zielOrdner)
{
    QSet<QString> ordner;
    for (const Stapelbild& b : bilder) {
        const qsizetype trenner = b.dateiname.lastIndexOf(u'/');
        ordner.insert(trenner < 0 ? QString() : b.dateiname.left(trenner));
    }
    for (const QString& teil : ordner) {
        const QString pfad = teil.isEmpty() ? zielOrdner : QDir(zielOrdner).filePath(teil);
        if (QFileInfo(pfad).isDir())
            dateien::zwischendateienEntfernen(pfad);
        // The folders of a rig's directions, and the rig's own files.
        for (const Schnitt& s : schnitte) {
            if (const QString unten = QDir(pfad).filePath(s.buchstabe); QFileInfo(unten).isDir())
                dateien::zwischendateienEntfernen(unten);
        }
    }
}

// Every picture of a batch takes buffers of the same few sizes: the file,
// its decoded part, the views' bytes. Handed back to the system after each
// picture and taken anew for the next, every page of them was faulted in
// again; that was a third of the batch's kernel time. Kept by the allocator
// instead, they are reused; the budget bounds how much that can be, and the
// batch hands it back at its end.
class SpeicherBehalten final
{
public:
    SpeicherBehalten()
    {
#ifdef __GLIBC__
        static const bool eingestellt = [] {
            mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
            mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
            return true;
        }();
        Q_UNUSED(eingestellt);
#endif
    }
    ~SpeicherBehalten()
    {
#ifdef __GLIBC__
        malloc_trim(0);
#endif
    }
    SpeicherBehalten(const SpeicherBehalten&) = delete;
    SpeicherBehalten& operator=(const SpeicherBehalten&) = delete;
};

} // namespace

QString stammSchluessel(const QString& dateiname)
{
    const qsizetype trenner = dateiname.lastIndexOf(u'/');
    const QString stamm = ansichtsStamm(dateiname.mid(trenner + 1));
    if (stamm.isNull())
        return {};
    return (dateiname.left(trenner + 1) + stamm).toCaseFolded();
}

QList<qsizetype> namensgleiche(const QList<Stapelbild>& bilder)
{
    QList<qsizetype> erster(bilder.size(), -1);
    QHash<QString, qsizetype> gesehen;
    gesehen.reserve(bilder.size());
    for (qsizetype i = 0; i < bilder.size(); ++i) {
        const QString schluessel = stammSchluessel(bilder[i].dateiname);
        if (schluessel.isNull())
            continue;
        const auto it = gesehen.constFind(schluessel);
        if (it != gesehen.cend())
            erster[i] = *it;
        else
            gesehen.insert(schluessel, i);
    }
    return erster;
}

QString namensgleichZeile(const Stapelbild& spaeter, const Stapelbild& frueher)
{
    return meldung::NameGleich.arg(meldung::zeilentauglich(spaeter.dateiname),
                                   meldung::zeilentauglich(frueher.dateiname));
}

QStringList stapelSchlusszeilen(const Stapelverlauf& verlauf)
{
    const QString mitte = verlauf.abgebrochen
                              ? meldung::Abgebrochen.arg(QString::number(verlauf.fertig),
                                                         QString::number(verlauf.gesamt))
                              : meldung::Fertig.toString();
    QStringList zeilen{meldung::Trennlinie.toString(), mitte, meldung::Schlusslinie.toString()};
    if (!verlauf.rigFehler.isEmpty())
        zeilen.prepend(verlauf.rigFehler);
    return zeilen;
}

int stapelArbeiter()
{
    // Every view is flushed to the disk before it replaces the old file; while
    // one worker waits for the disk, a second one per core keeps it busy.
    return qBound(2, 2 * QThread::idealThreadCount(), 8);
}

int stapelFenster()
{
    return 2 * stapelArbeiter();
}

Stapelverlauf
stapelSchneiden(const QString& quellOrdner, const QStringList& dateien, const Schnittplan& plan,
                const QString& programmOrdner,
                const std::function<void(Bildschnitt&& ergebnis, int fertig, int gesamt)>& nimm,
                const Stapeloptionen& optionen)
{
    QList<Stapelbild> bilder;
    bilder.reserve(dateien.size());
    for (const QString& name : dateien)
        bilder.append({quellOrdner, name});
    return stapelSchneidenIn(bilder, plan, ausgabeOrdner(programmOrdner), nimm, optionen);
}

Stapelverlauf
stapelSchneidenIn(const QList<Stapelbild>& bilder, const Schnittplan& plan,
                  const QString& zielOrdner,
                  const std::function<void(Bildschnitt&& ergebnis, int fertig, int gesamt)>& nimm,
                  const Stapeloptionen& optionen)
{
    Stapelverlauf verlauf;
    verlauf.gesamt = int(bilder.size());
    if (verlauf.gesamt == 0)
        return verlauf;
    if (!plan.schnitte.isEmpty())
        resteEntfernen(bilder, plan.ausgabe.jeRichtung ? plan.schnitte : QList<Schnitt>(),
                       zielOrdner);
    const QList<qsizetype> gleichWie = namensgleiche(bilder);
    // One set of panorama maps for the whole batch; a single picture samples
    // on every core, a batch's pictures take the cores already.
    Schnittplan mitKarten = plan;
    if (!mitKarten.karten)
        mitKarten.karten = std::make_shared<Kartenvorrat>();
    mitKarten.alleKerne = mitKarten.alleKerne || verlauf.gesamt == 1;
    auto angehalten = [&optionen] {
        return optionen.halt && optionen.halt->load(std::memory_order_acquire);
    };

    // Workers wake the waiting thread by posting to this object. It is
    // declared before the pool, so that the pool's destructor, which waits
    // for every worker, runs first, also when `nimm` throws.
    QObject wecker;
    const SpeicherBehalten behalten;
    // The same for a thread without an event loop: one release per picture.
    QSemaphore gemeldet;
    // The pictures in work share this memory, whatever the number of workers.
    Speicherbudget budget(qint64(SpeichergrenzeMB) * 1024 * 1024);
    QThreadPool pool;
    pool.setMaxThreadCount(stapelArbeiter());
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();

    std::optional<Rig> rig;
    if (plan.ausgabe.jeRichtung && !plan.schnitte.isEmpty())
        rig.emplace(plan.schnitte);
    std::deque<std::shared_ptr<Fach>> laufend; // in the order of `bilder`
    int naechster = 0;

    auto starten = [&](qsizetype i) {
        auto fach = std::make_shared<Fach>();
        if (gleichWie[i] >= 0) {
            // Its views would replace those of the earlier picture.
            fach->ergebnis.dateiname = bilder[i].dateiname;
            fach->ergebnis.fehler = namensgleichZeile(bilder[i], bilder[gleichWie[i]]);
            fach->fertig.store(true, std::memory_order_release);
            laufend.push_back(std::move(fach));
            return;
        }
        const Stapelbild bild = bilder[i];
        pool.start([fach, bild, &mitKarten, zielOrdner, &wecker, &gemeldet, &budget] {
            try {
                fach->ergebnis = bildSchneidenIn(bild.quellOrdner, bild.dateiname, mitKarten,
                                                 zielOrdner, Dekodierung::nurBenoetigt, &budget);
            } catch (...) {
                fach->ausnahme = std::current_exception();
            }
            fach->fertig.store(true, std::memory_order_release);
            gemeldet.release();
            // A queued call wakes the waiting thread's event dispatcher; an
            // empty one is all it takes.
            QMetaObject::invokeMethod(
                &wecker, [] {}, Qt::QueuedConnection);
        });
        laufend.push_back(std::move(fach));
    };

    for (;;) {
        while (naechster < verlauf.gesamt && int(laufend.size()) < stapelFenster() && !angehalten())
            starten(naechster++);

        if (!laufend.empty() && laufend.front()->fertig.load(std::memory_order_acquire)) {
            const std::shared_ptr<Fach> fach = std::move(laufend.front());
            laufend.pop_front();
            if (fach->ausnahme)
                std::rethrow_exception(fach->ausnahme);
            if (rig)
                rig->nimm(fach->ergebnis);
            nimm(std::move(fach->ergebnis), ++verlauf.fertig, verlauf.gesamt);
            continue;
        }
        if (laufend.empty()) {
            // Asked to stop while pictures were in work, even the last ones.
            verlauf.abgebrochen = angehalten();
            // Rewritten by every run, from the views it cut.
            if (rig)
                rig->schreiben(zielOrdner, &verlauf.rigFehler);
            return verlauf;
        }

        if (dispatcher) {
            // Returns as soon as any event arrives; a worker that finished
            // between the check above and this call has already posted its
            // wake-up, so none is missed.
            dispatcher->processEvents(optionen.ereignisse | QEventLoop::WaitForMoreEvents);
        } else {
            // A thread without an event loop has nothing to keep turning.
            // A release left over from a picture already handed over only
            // makes the loop look once more.
            gemeldet.acquire();
        }
    }
}

} // namespace schnitt
