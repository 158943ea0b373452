#include "Stapel.h"

#include "Ausschnitt.h"
#include "Bildladen.h"
#include "Speicherbudget.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QObject>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <deque>
#include <exception>
#include <memory>

namespace schnitt {

namespace {

// Two pictures of one batch write the same view files exactly when their
// base names, folder part included, are equal; the file system may ignore
// case, so case is ignored here too.
QString stammSchluessel(const QString& dateiname)
{
    if (dateiname.size() - dateiname.lastIndexOf(u'/') - 1 < Endungslaenge)
        return {}; // such a picture writes nothing
    return dateiname.chopped(Endungslaenge).toCaseFolded();
}

// One picture in flight. The worker fills the result, then sets `fertig`,
// then wakes the waiting thread: in that order, so that whoever sees the
// wake-up also sees the result.
struct Fach
{
    Bildschnitt ergebnis;
    std::exception_ptr ausnahme;
    std::atomic<bool> fertig{false};
};

struct Auftrag
{
    std::shared_ptr<Fach> fach;
    QString stamm;
};

} // namespace

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

void stapelSchneiden(
    const QString& quellOrdner, const QStringList& dateien, const QList<Schnitt>& schnitte,
    const QString& programmOrdner,
    const std::function<void(Bildschnitt&& ergebnis, int fertig, int gesamt)>& nimm)
{
    QList<Stapelbild> bilder;
    bilder.reserve(dateien.size());
    for (const QString& name : dateien)
        bilder.append({quellOrdner, name});
    stapelSchneidenIn(bilder, schnitte, ausgabeOrdner(programmOrdner), nimm);
}

void stapelSchneidenIn(
    const QList<Stapelbild>& bilder, const QList<Schnitt>& schnitte, const QString& zielOrdner,
    const std::function<void(Bildschnitt&& ergebnis, int fertig, int gesamt)>& nimm)
{
    const int gesamt = int(bilder.size());
    if (gesamt == 0)
        return;

    // Workers wake the waiting thread by posting to this object. It is
    // declared before the pool, so that the pool's destructor, which waits
    // for every worker, runs first, also when `nimm` throws.
    QObject wecker;
    // The same for a thread without an event loop: one release per picture.
    QSemaphore gemeldet;
    // The pictures in work share this memory, whatever the number of workers.
    Speicherbudget budget(qint64(SpeichergrenzeMB) * 1024 * 1024);
    QThreadPool pool;
    pool.setMaxThreadCount(stapelArbeiter());
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();

    std::deque<Auftrag> laufend; // in the order of `dateien`
    int naechster = 0;
    int fertig = 0;

    auto stammInArbeit = [&laufend](const QString& stamm) {
        if (stamm.isEmpty())
            return false;
        for (const Auftrag& a : laufend) {
            if (a.stamm == stamm && !a.fach->fertig.load(std::memory_order_acquire))
                return true;
        }
        return false;
    };
    auto starten = [&](const Stapelbild& bild) {
        auto fach = std::make_shared<Fach>();
        pool.start([fach, bild, schnitte, zielOrdner, &wecker, &gemeldet, &budget] {
            try {
                fach->ergebnis = bildSchneidenIn(bild.quellOrdner, bild.dateiname, schnitte,
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
        laufend.push_back({std::move(fach), stammSchluessel(bild.dateiname)});
    };

    while (fertig < gesamt) {
        while (naechster < gesamt && int(laufend.size()) < stapelFenster() &&
               !stammInArbeit(stammSchluessel(bilder[naechster].dateiname)))
            starten(bilder[naechster++]);

        if (!laufend.empty() && laufend.front().fach->fertig.load(std::memory_order_acquire)) {
            const std::shared_ptr<Fach> fach = std::move(laufend.front().fach);
            laufend.pop_front();
            if (fach->ausnahme)
                std::rethrow_exception(fach->ausnahme);
            nimm(std::move(fach->ergebnis), ++fertig, gesamt);
            continue;
        }

        if (dispatcher) {
            // Returns as soon as any event arrives; a worker that finished
            // between the check above and this call has already posted its
            // wake-up, so none is missed.
            dispatcher->processEvents(QEventLoop::ExcludeUserInputEvents |
                                      QEventLoop::WaitForMoreEvents);
        } else {
            // A thread without an event loop has nothing to keep turning.
            // A release left over from a picture already handed over only
            // makes the loop look once more.
            gemeldet.acquire();
        }
    }
}

} // namespace schnitt
