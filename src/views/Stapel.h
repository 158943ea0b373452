#pragma once

#include "Schneider.h"

#include <QEventLoop>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace schnitt {

// How many pictures a batch cuts at the same time: two per core, at most 8.
int stapelArbeiter();

// How many pictures a batch holds at most at once, from the start of their
// decoding until they are handed over: twice the workers, so that a slow
// picture at the head does not idle the others, and never more, whatever the
// folder size.
int stapelFenster();

// What a batch did.
struct Stapelverlauf
{
    int fertig = 0; // pictures handed over
    int gesamt = 0;
    bool abgebrochen = false; // asked to stop before the last picture was handed over
    int ansichten = 0;        // views written
    // A batch with a folder per direction could not write its rig's files.
    QString rigFehler;
};

struct Stapeloptionen
{
    // When it turns true (from any thread, an event handler or a signal
    // handler), no further picture is started; the pictures in work are
    // finished and handed over as usual.
    const std::atomic<bool>* halt = nullptr;
    // What the calling thread's event loop handles while the batch waits for
    // its workers. By default a window repaints but takes no user input.
    QEventLoop::ProcessEventsFlags ereignisse = QEventLoop::ExcludeUserInputEvents;
};

// One picture of a batch.
struct Stapelbild
{
    QString quellOrdner;
    QString dateiname; // as for bildSchneidenIn, possibly with a folder part
};

// What the views of a picture are named by, without direction and type, as
// a key: the folder part and stem of `dateiname` ("tal/Bild" of
// "tal/Bild.jpg"), case folded. Two pictures of one batch write the same view
// files exactly when their keys are equal; the file system may ignore case,
// so case is ignored here too. Null for a picture that writes nothing.
QString stammSchluessel(const QString& dateiname);

// For each picture of `bilder`, the index of the first picture before it
// whose views would be written to the same files (their names equal without
// regard to case, as the output folder may compare them), or -1.
QList<qsizetype> namensgleiche(const QList<Stapelbild>& bilder);

// The error line that stands in place of picture `spaeter`, whose views would
// be named like those of `frueher`.
QString namensgleichZeile(const Stapelbild& spaeter, const Stapelbild& frueher);

// Cuts the pictures `dateien` (bare names in `quellOrdner`) with the cuts
// `plan` on a thread pool, at most stapelFenster() pictures decoded or in
// flight at once, and hands each result to `nimm` ON THE CALLING THREAD,
// strictly in the order of `dateien`, so that the caller's log and
// `letztedatei` bookkeeping (protokollieren) come out exactly as in a
// sequential run. A JPEG is decoded only as far as the cuts reach
// (Dekodierung::nurBenoetigt): `bild` may be a part, `vollGroesse` is the
// picture's size. A picture whose views would replace those of an earlier
// one (namensgleiche) is not cut; its result carries the error line
// instead. Before the first picture, temporary files that a killed run left
// in the output folders are removed. `fertig` counts the pictures handed
// over so far (1 … gesamt).
Stapelverlauf
stapelSchneiden(const QString& quellOrdner, const QStringList& dateien, const Schnittplan& plan,
                const QString& programmOrdner,
                const std::function<void(Bildschnitt&& ergebnis, int fertig, int gesamt)>& nimm,
                const Stapeloptionen& optionen = {});

// The same for pictures from any folders, in the order of `bilder`, with
// the views in `zielOrdner` as bildSchneidenIn puts them.
Stapelverlauf
stapelSchneidenIn(const QList<Stapelbild>& bilder, const Schnittplan& plan,
                  const QString& zielOrdner,
                  const std::function<void(Bildschnitt&& ergebnis, int fertig, int gesamt)>& nimm,
                  const Stapeloptionen& optionen = {});

// The lines that close a batch: "Fertig!" between its rules, or, for a
// stopped one, how far it came.
QStringList stapelSchlusszeilen(const Stapelverlauf& verlauf);
// "Ansichten in <folder>": where the views went, the folder absolute, so that
// views written below a hidden program folder can be found.
QString ansichtenIn(const QString& zielOrdner);

} // namespace schnitt
