#include "Stufe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

namespace update {

namespace {

// Makes `ordner` one level at a time and notes each level it made.
bool ordnerMachen(const QString& ordner, QStringList& gemacht)
{
    QStringList fehlend;
    QString pfad = QDir::cleanPath(ordner);
    // A file or link in the way needs no test of its own: it can only be the
    // first level to make, and mkdir refuses a name that is taken.
    while (!QFileInfo(pfad).isDir()) {
        fehlend.prepend(pfad);
        const QString oben = QFileInfo(pfad).path();
        if (oben == pfad)
            return false;
        pfad = oben;
    }
    for (const QString& stufe : fehlend) {
        if (!QDir().mkdir(stufe))
            return false;
        gemacht.append(stufe);
    }
    return true;
}

} // namespace

std::optional<QString> stufeAnlegen(const QString& programmordner, QString* fehler)
{
    const QString stufe = QDir::cleanPath(programmordner) + u'/' + QString::fromUtf16(stufenName);
    const QFileInfo info(stufe);
    // A link is removed as a link, never followed.
    if (info.isSymLink() || info.isFile())
        QFile::remove(stufe);
    else if (info.isDir())
        QDir(stufe).removeRecursively();
    // mkdir also refuses whatever could not be removed.
    if (!QDir().mkdir(stufe)) {
        if (fehler)
            *fehler = QStringLiteral("Updatefehler: Ordner '%1' konnte nicht angelegt werden")
                          .arg(QDir::toNativeSeparators(stufe));
        return std::nullopt;
    }
    return stufe;
}

void stufeEntfernen(const QString& stufe)
{
    if (!QDir(stufe).removeRecursively())
        qWarning().noquote() << QStringLiteral("Ordner '%1' konnte nicht ganz gelöscht werden")
                                    .arg(QDir::toNativeSeparators(stufe));
}

bool allePlatzieren(const QList<Platzierung>& plan, const QString& stufe, QString* fehler)
{
    struct Getan
    {
        QString ziel;
        QString beiseite; // empty: there was no file before
    };
    QList<Getan> getan;
    QStringList gemacht;
    const QString ablage = stufe + QStringLiteral("/.vorher");
    auto zuruecknehmen = [&](const QString& grund) {
        for (auto it = getan.crbegin(); it != getan.crend(); ++it) {
            QFile::remove(it->ziel);
            if (!it->beiseite.isEmpty() && !QFile::rename(it->beiseite, it->ziel))
                qWarning().noquote()
                    << QStringLiteral("Datei '%1' konnte nicht zurückgelegt werden")
                           .arg(QDir::toNativeSeparators(it->ziel));
        }
        for (auto it = gemacht.crbegin(); it != gemacht.crend(); ++it)
            QDir().rmdir(*it);
        if (fehler)
            *fehler = grund;
        return false;
    };

    if (!QDir().mkpath(ablage))
        return zuruecknehmen(
            QStringLiteral("Updatefehler: Ordner '%1' konnte nicht angelegt werden")
                .arg(QDir::toNativeSeparators(ablage)));
    for (qsizetype i = 0; i < plan.size(); ++i) {
        const Platzierung& p = plan[i];
        const QString anzeige = QDir::toNativeSeparators(p.ziel);
        if (!ordnerMachen(QFileInfo(p.ziel).path(), gemacht))
            return zuruecknehmen(
                QStringLiteral("Updatefehler: Ordner für '%1' konnte nicht angelegt werden")
                    .arg(anzeige));
        const QFileInfo vorher(p.ziel);
        if (vorher.isDir() && !vorher.isSymLink())
            return zuruecknehmen(
                QStringLiteral("Updatefehler: '%1' ist ein Ordner, keine Datei").arg(anzeige));
        Getan schritt{p.ziel, {}};
        if (vorher.exists() || vorher.isSymLink()) {
            schritt.beiseite = ablage + u'/' + QString::number(i);
            if (!QFile::rename(p.ziel, schritt.beiseite))
                return zuruecknehmen(
                    QStringLiteral("Updatefehler: Datei '%1' konnte nicht ersetzt werden")
                        .arg(anzeige));
        }
        if (!QFile::rename(p.quelle, p.ziel)) {
            if (!schritt.beiseite.isEmpty())
                QFile::rename(schritt.beiseite, p.ziel);
            return zuruecknehmen(
                QStringLiteral("Updatefehler: Datei '%1' konnte nicht geschrieben werden")
                    .arg(anzeige));
        }
        getan.append(schritt);
    }
    return true;
}

} // namespace update
