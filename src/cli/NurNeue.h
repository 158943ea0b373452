#pragma once

#include "views/Schneider.h"
#include "views/Stapel.h"

#include <QString>

#include <optional>

namespace cli {

// When a regular file last changed, in nanoseconds since 1970. With
// `mitEintrag` the later of its content's time (st_mtim) and its entry's
// (st_ctim): cp -p, rsync -a, tar and unzip put an older content time on a
// file they replace, but its entry's time is always that of the change.
// Nothing when it is missing or no regular file.
std::optional<qint64> aenderungszeit(const QString& pfad, bool mitEintrag);

// Where the batch puts the view `buchstabe` of the picture `dateiname`
// (Stapelbild::dateiname) in `zielOrdner`, as bildSchneidenIn names it, or
// of the frame `bildNr` of the video `dateiname`. Null when the name is too
// short for views.
QString ansichtsPfad(const QString& zielOrdner, const QString& dateiname, QChar buchstabe,
                     const frames::Ausgabe& ausgabe, std::optional<qint64> bildNr = std::nullopt);

// Whether --nur-neue skips the picture: every view the plan would give it
// exists (in the plan's format) and its content is newer, strictly, than both the picture's change
// (aenderungszeit with its entry) and `configZeit`. Equal times count as
// changed: on a file system with coarser times a view written just after
// the picture was touched may carry the same time. Only a few stat calls;
// nothing is decoded. A plan with a cut that cannot give a view never skips,
// so that its error line comes again.
bool unveraendert(const schnitt::Stapelbild& bild, const schnitt::Schnittplan& plan,
                  const QString& zielOrdner, qint64 configZeit);

} // namespace cli
