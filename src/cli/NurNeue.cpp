#include "NurNeue.h"

#include "views/Ausschnitt.h"

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
                     const frames::Ausgabe& ausgabe)
{
    // The one place besides the engine that names views: what bildSchneidenIn
    // does with its folder part and ansichtsDateiname.
    const qsizetype nameAb = dateiname.lastIndexOf(u'/') + 1;
    const QString name = schnitt::ansichtsDateiname(dateiname.mid(nameAb), buchstabe,
                                                     ausgabe.format, ausgabe.jeRichtung);
    if (name.isNull())
        return {};
    return QDir(zielOrdner).filePath(dateiname.left(nameAb) + name);
}

bool unveraendert(const schnitt::Stapelbild& bild, const schnitt::Schnittplan& plan,
                  const QString& zielOrdner, qint64 configZeit)
{
    const QList<schnitt::Schnitt>& schnitte = plan.schnitte;
    // A picture that cannot be looked at counts as changed: no view is newer.
    const qint64 bildZeit =
        aenderungszeit(QDir(bild.quellOrdner).filePath(bild.dateiname), /*mitEintrag=*/true)
            .value_or(std::numeric_limits<qint64>::max());
    const qint64 grenze = std::max(bildZeit, configZeit);
    for (const schnitt::Schnitt& s : schnitte) {
        if (!schnitt::buchstabeZulaessig(s.buchstabe) || s.rechteck.width <= 0 ||
            s.rechteck.height <= 0)
            return false;
        const QString pfad = ansichtsPfad(zielOrdner, bild.dateiname, s.buchstabe, plan.ausgabe);
        const auto zeit = pfad.isNull() ? std::nullopt : aenderungszeit(pfad, false);
        if (!zeit || *zeit <= grenze)
            return false;
    }
    return true;
}

} // namespace cli
