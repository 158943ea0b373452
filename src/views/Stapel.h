#pragma once

#include "Schneider.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace schnitt {

// How many pictures a batch cuts at the same time: two per core, at most 8.
int stapelArbeiter();

// How many pictures a batch holds at most at once, from the start of their
// decoding until they are handed over: twice the workers, so that a slow
// picture at the head does not idle the others, and never more, whatever the
// folder size.
int stapelFenster();

// Cuts the pictures `dateien` (bare names in `quellOrdner`) with the cuts
// `schnitte` on a thread pool, at most stapelFenster() pictures decoded or in
// flight at once, and hands each result to `nimm` ON THE CALLING THREAD,
// strictly in the order of `dateien`, so that the caller's log and
// `letztedatei` bookkeeping (protokollieren) come out exactly as in a
// sequential run. A JPEG is decoded only as far as the cuts reach
// (Dekodierung::nurBenoetigt): `bild` may be a part, `vollGroesse` is the
// picture's size. A picture is not started while an earlier one with the same
// base name (compared without regard to case) is still being cut, so that the
// later one's views replace the earlier one's as they would one after the
// other. While it waits for workers the calling thread's event loop turns for
// paint and timer events only (QEventLoop::ExcludeUserInputEvents): a window
// repaints but takes no user input. `fertig` counts the pictures handed over
// so far (1 … gesamt).
void stapelSchneiden(
    const QString& quellOrdner, const QStringList& dateien, const QList<Schnitt>& schnitte,
    const QString& programmOrdner,
    const std::function<void(Bildschnitt&& ergebnis, int fertig, int gesamt)>& nimm);

// One picture of a batch that reads from several folders.
struct Stapelbild
{
    QString quellOrdner;
    QString dateiname; // as for bildSchneidenIn, possibly with a folder part
};

// The same for pictures from any folders, in the order of `bilder`, with
// the views in `zielOrdner` as bildSchneidenIn puts them. Pictures whose
// views would land on the same files wait for each other as above.
void stapelSchneidenIn(
    const QList<Stapelbild>& bilder, const QList<Schnitt>& schnitte, const QString& zielOrdner,
    const std::function<void(Bildschnitt&& ergebnis, int fertig, int gesamt)>& nimm);

} // namespace schnitt
