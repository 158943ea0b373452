#include "Stapel.h"

#include "Ausschnitt.h"
#include "Bildladen.h"
#include "Meldungen.h"
#include "Panorama.h"
#include "Rig.h"
#include "Speicherbudget.h"
#include "Video.h"
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

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <numeric>
#include <thread>

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
    bool zaehlt = true; // a picture or a frame, not a video's closing line
    qsizetype stapelNr = -1;
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

// Reads one video's selected frames on a thread of its own, a few ahead of
// the cuts, so that decoding and cutting overlap. `wecken` is called after
// every frame and at the end.
class Videoleser final
{
public:
    Videoleser(const QString& pfad, video::Abstand abstand, std::function<void()> wecken)
        : m_wecken(std::move(wecken))
        , m_faden([this, pfad, abstand] { lesen(pfad, abstand); })
    {
    }
    ~Videoleser()
    {
        {
            const std::lock_guard sperre(m_sperre);
            m_halt = true;
        }
        m_platz.notify_all();
        m_faden.join();
    }
    Videoleser(const Videoleser&) = delete;
    Videoleser& operator=(const Videoleser&) = delete;

    // The next frame, if one is ready; `fertig` tells whether none will come.
    std::optional<video::Videobild> nimm(bool* fertig)
    {
        std::optional<video::Videobild> bild;
        {
            const std::lock_guard sperre(m_sperre);
            if (!m_bilder.empty()) {
                bild = std::move(m_bilder.front());
                m_bilder.pop_front();
            }
            *fertig = m_fertig && m_bilder.empty() && !bild;
        }
        m_platz.notify_all();
        return bild;
    }
    // Once fertig: why the video could not be opened, or from which frame on
    // it could not be read.
    QString oeffnenFehler() const { return m_oeffnenFehler; }
    const std::optional<video::Lesefehler>& lesefehler() const { return m_lesefehler; }
    QDateTime erstellt() const { return m_erstellt; }
    qint64 geliefert() const { return m_geliefert; }

private:
    static constexpr std::size_t Vorrat = 2;

    void lesen(const QString& pfad, video::Abstand abstand)
    {
        video::Video v = video::Video::ausDatei(pfad);
        m_oeffnenFehler = v.fehlerBeimOeffnen();
        m_erstellt = v.erstellt().value_or(QDateTime());
        video::Auswahl auswahl(abstand);
        while (m_oeffnenFehler.isEmpty()) {
            {
                std::unique_lock sperre(m_sperre);
                m_platz.wait(sperre, [this] { return m_halt || m_bilder.size() < Vorrat; });
                if (m_halt)
                    break;
            }
            std::optional<video::Videobild> bild = v.naechstesBild(auswahl);
            if (!bild)
                break;
            {
                const std::lock_guard sperre(m_sperre);
                m_bilder.push_back(std::move(*bild));
                ++m_geliefert;
            }
            m_wecken();
        }
        if (m_oeffnenFehler.isEmpty())
            m_lesefehler = v.fehler();
        {
            const std::lock_guard sperre(m_sperre);
            m_fertig = true;
        }
        m_wecken();
    }

    std::function<void()> m_wecken;
    std::mutex m_sperre;
    std::condition_variable m_platz;
    std::deque<video::Videobild> m_bilder;
    bool m_halt = false;
    bool m_fertig = false;
    // Written by the reader before it sets m_fertig, read after.
    QString m_oeffnenFehler;
    std::optional<video::Lesefehler> m_lesefehler;
    QDateTime m_erstellt;
    qint64 m_geliefert = 0;
    std::thread m_faden; // last: started once everything above is there
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

QString ansichtenIn(const QString& zielOrdner)
{
    return meldung::AnsichtenIn.arg(meldung::zeilentauglich(
        QDir::toNativeSeparators(QFileInfo(zielOrdner).absoluteFilePath())));
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
    if (bilder.isEmpty())
        return verlauf;
    // A video counts with the frames it is cut at.
    QList<qint64> bildanzahl(bilder.size(), 1);
    for (qsizetype i = 0; i < bilder.size(); ++i) {
        if (video::istVideodatei(bilder[i].dateiname))
            bildanzahl[i] = video::ausgewaehlteBilder(
                video::Video::ausDatei(QDir(bilder[i].quellOrdner).filePath(bilder[i].dateiname)),
                plan.abstand);
    }
    verlauf.gesamt = int(std::accumulate(bildanzahl.cbegin(), bildanzahl.cend(), qint64(0)));
    if (!plan.schnitte.isEmpty())
        resteEntfernen(bilder, plan.ausgabe.jeRichtung ? plan.schnitte : QList<Schnitt>(),
                       zielOrdner);
    const QList<qsizetype> gleichWie = namensgleiche(bilder);
    // One set of panorama maps for the whole batch; a single picture samples
    // on every core, a batch's pictures take the cores already.
    Schnittplan mitKarten = plan;
    if (!mitKarten.karten)
        mitKarten.karten = std::make_shared<Kartenvorrat>();
    mitKarten.alleKerne = mitKarten.alleKerne || verlauf.gesamt <= 1;
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
    qsizetype naechster = 0;
    auto wecken = [&wecker, &gemeldet] {
        gemeldet.release();
        QMetaObject::invokeMethod(
            &wecker, [] {}, Qt::QueuedConnection);
    };
    // The video at `naechster` while its frames are read; destroyed before
    // the pool and the wake-up object it posts to.
    std::unique_ptr<Videoleser> leser;
    bool erstesBild = true;
    const bool verlustfrei =
        plan.ausgabe.format == frames::Ausgabeformat::jpg && plan.ausgabe.verlustfrei;

    auto starten = [&](qsizetype i) {
        auto fach = std::make_shared<Fach>();
        fach->stapelNr = i;
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
    auto videobildStarten = [&](const Stapelbild& film, video::Videobild bild,
                                const QDateTime& aufnahme, const QString& vorzeile) {
        auto fach = std::make_shared<Fach>();
        fach->stapelNr = naechster;
        pool.start([fach, film, bild, aufnahme, vorzeile, &mitKarten, zielOrdner, wecken] {
            try {
                fach->ergebnis =
                    videobildSchneidenIn(film.dateiname, bild, aufnahme, mitKarten, zielOrdner);
                if (!vorzeile.isEmpty() && fach->ergebnis.fehler.isEmpty())
                    fach->ergebnis.zeilen.prepend(vorzeile);
            } catch (...) {
                fach->ausnahme = std::current_exception();
            }
            fach->fertig.store(true, std::memory_order_release);
            wecken();
        });
        laufend.push_back(std::move(fach));
    };
    // The line that closes a video, where it has one.
    auto videoSchliessen = [&](const Stapelbild& film, const QString& zeile) {
        auto fach = std::make_shared<Fach>();
        fach->stapelNr = naechster;
        fach->ergebnis.dateiname = film.dateiname;
        fach->ergebnis.fehler = zeile;
        fach->zaehlt = false;
        fach->fertig.store(true, std::memory_order_release);
        laufend.push_back(std::move(fach));
    };
    // Starts what the next video frame allows; false while the reader has
    // none ready.
    auto videoWeiter = [&]() -> bool {
        const Stapelbild& film = bilder[naechster];
        if (!leser) {
            leser = std::make_unique<Videoleser>(QDir(film.quellOrdner).filePath(film.dateiname),
                                                 plan.abstand, wecken);
            erstesBild = true;
        }
        bool fertig = false;
        if (std::optional<video::Videobild> bild = leser->nimm(&fertig)) {
            const QDateTime aufnahme =
                leser->erstellt().isValid()
                    ? leser->erstellt().addMSecs(std::llround(bild->zeit.sekunden() * 1000))
                    : QDateTime();
            const QString vorzeile =
                erstesBild && verlustfrei
                    ? meldung::VerlustfreiVideo.arg(meldung::zeilentauglich(film.dateiname))
                    : QString();
            videobildStarten(film, std::move(*bild), aufnahme, vorzeile);
            erstesBild = false;
            return true;
        }
        if (!fertig)
            return false;
        const QString anzeige = meldung::zeilentauglich(film.dateiname);
        if (!leser->oeffnenFehler().isEmpty())
            videoSchliessen(film, meldung::NichtGeladen.arg(anzeige, leser->oeffnenFehler()));
        else if (const auto& f = leser->lesefehler())
            videoSchliessen(film,
                            video::NichtLesbar.arg(anzeige, QString::number(f->abBild), f->grund));
        // Frames a damaged video did not give are not waited for.
        verlauf.gesamt -= int(bildanzahl[naechster] - leser->geliefert());
        leser.reset();
        ++naechster;
        return true;
    };

    for (;;) {
        while (naechster < bilder.size() && !angehalten()) {
            // Frames are large: fewer of them in flight than pictures.
            const bool istVideo =
                video::istVideodatei(bilder[naechster].dateiname) && gleichWie[naechster] < 0;
            if (int(laufend.size()) >= (istVideo ? stapelArbeiter() + 2 : stapelFenster()))
                break;
            if (!istVideo)
                starten(naechster++);
            else if (!videoWeiter())
                break;
        }

        if (!laufend.empty() && laufend.front()->fertig.load(std::memory_order_acquire)) {
            const std::shared_ptr<Fach> fach = std::move(laufend.front());
            laufend.pop_front();
            if (fach->ausnahme)
                std::rethrow_exception(fach->ausnahme);
            if (rig)
                rig->nimm(fach->ergebnis);
            fach->ergebnis.stapelNr = fach->stapelNr;
            if (fach->zaehlt)
                ++verlauf.fertig;
            verlauf.ansichten += int(fach->ergebnis.dateien.size());
            nimm(std::move(fach->ergebnis), verlauf.fertig, verlauf.gesamt);
            continue;
        }
        if (laufend.empty() && (naechster >= bilder.size() || angehalten())) {
            leser.reset();
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
