#include "NurNeue.h"

#include "views/Ausschnitt.h"
#include "views/Video.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <QDateTime>
#include <QFileInfo>
#else
#include <sys/stat.h>
#endif

#include <algorithm>
#include <limits>

namespace cli {

std::optional<qint64> aenderungszeit(const QString& pfad, bool mitEintrag)
{
#ifdef Q_OS_WIN
    const QFileInfo info(pfad);
    if (!info.isFile())
        return std::nullopt;
    qint64 ms = info.lastModified().toMSecsSinceEpoch();
    if (mitEintrag)
        ms = std::max(ms, info.metadataChangeTime().toMSecsSinceEpoch());
    return ms * 1000000;
#else
    struct stat st;
    if (::stat(QFile::encodeName(pfad).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return mitEintrag ? std::max(ns(st.st_mtim), ns(st.st_ctim)) : ns(st.st_mtim);
#endif
}

QString ansichtsPfad(const QString& zielOrdner, const QString& dateiname, QChar buchstabe,
                     const frames::Ausgabe& ausgabe, std::optional<qint64> bildNr)
{
    // The one place besides the engine that names views: what bildSchneidenIn
    // and videobildSchneidenIn do with the folder part and the stem.
    const qsizetype nameAb = dateiname.lastIndexOf(u'/') + 1;
    const QString stamm = bildNr ? schnitt::videobildStamm(dateiname.mid(nameAb), *bildNr)
                                 : schnitt::ansichtsStamm(dateiname.mid(nameAb));
    if (stamm.isNull())
        return {};
    return QDir(zielOrdner)
        .filePath(dateiname.left(nameAb) +
                  schnitt::ansichtsName(stamm, buchstabe, ausgabe.format, ausgabe.jeRichtung));
}

bool unveraendert(const schnitt::Stapelbild& bild, const schnitt::Schnittplan& plan,
                  const QString& zielOrdner, qint64 configZeit)
{
    const QList<schnitt::Schnitt>& schnitte = plan.schnitte;
    const QString quelle = QDir(bild.quellOrdner).filePath(bild.dateiname);
    // A picture that cannot be looked at counts as changed: no view is newer.
    const qint64 bildZeit =
        aenderungszeit(quelle, /*mitEintrag=*/true).value_or(std::numeric_limits<qint64>::max());
    const qint64 grenze = std::max(bildZeit, configZeit);
    // A video's views are those of every frame it is cut at; one that cannot
    // be opened counts as changed.
    QList<std::optional<qint64>> bildNummern{std::nullopt};
    if (schnitt::video::istVideodatei(bild.dateiname)) {
        bildNummern.clear();
        const schnitt::video::Video v = schnitt::video::Video::ausDatei(quelle);
        if (!v.fehlerBeimOeffnen().isEmpty())
            return false;
        schnitt::video::Auswahl auswahl(plan.abstand);
        for (qint64 n = 0; n < v.bildanzahl(); ++n) {
            if (auswahl(n, v.zeit(n)))
                bildNummern.append(n);
        }
    }
    for (const schnitt::Schnitt& s : schnitte) {
        if (!schnitt::buchstabeZulaessig(s.buchstabe) || s.rechteck.width <= 0 ||
            s.rechteck.height <= 0)
            return false;
        for (const std::optional<qint64>& nr : bildNummern) {
            const QString pfad =
                ansichtsPfad(zielOrdner, bild.dateiname, s.buchstabe, plan.ausgabe, nr);
            const auto zeit = pfad.isNull() ? std::nullopt : aenderungszeit(pfad, false);
            if (!zeit || *zeit <= grenze)
                return false;
        }
    }
    return true;
}

} // namespace cli
