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
                     frames::Ausgabeformat format)
{
    // The one place besides the engine that names views: what bildSchneidenIn
    // does with its folder part and ansichtsDateiname.
    const qsizetype trenner = dateiname.lastIndexOf(u'/');
    const QString name = schnitt::ansichtsDateiname(dateiname.mid(trenner + 1), buchstabe, format);
    if (name.isNull())
        return {};
    const QString ordner =
        trenner < 0 ? zielOrdner : QDir(zielOrdner).filePath(dateiname.left(trenner));
    return QDir(ordner).filePath(name);
}

bool unveraendert(const schnitt::Stapelbild& bild, const schnitt::Schnittplan& plan,
                  const QString& zielOrdner, qint64 configZeit)
{
    const QList<schnitt::Schnitt>& schnitte = plan.schnitte;
    const auto bildZeit =
        aenderungszeit(QDir(bild.quellOrdner).filePath(bild.dateiname), /*mitEintrag=*/true);
    if (!bildZeit || schnitte.isEmpty())
        return false;
    const qint64 grenze = std::max(*bildZeit, configZeit);
    for (const schnitt::Schnitt& s : schnitte) {
        if (!schnitt::buchstabeZulaessig(s.buchstabe) || s.rechteck.width <= 0 ||
            s.rechteck.height <= 0)
            return false;
        const QString pfad =
            ansichtsPfad(zielOrdner, bild.dateiname, s.buchstabe, plan.ausgabe.format);
        const auto zeit = pfad.isNull() ? std::nullopt : aenderungszeit(pfad, false);
        if (!zeit || *zeit <= grenze)
            return false;
    }
    return true;
}

} // namespace cli
