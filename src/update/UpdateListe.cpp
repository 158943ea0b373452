#include "UpdateListe.h"

#include "config/Profil.h"

#include <QDir>
#include <QFileInfo>

namespace update {

namespace {

QString schluessel(int nummer)
{
    return QStringLiteral("Datei%1").arg(nummer);
}

bool liegtIn(const QString& pfad, const QString& basis)
{
    return pfad == basis || pfad.startsWith(basis.endsWith(u'/') ? basis : basis + u'/');
}

// The real place of `pfad` as far as it exists, so that a link inside the
// program folder cannot lead a write outside it.
QString kanonischSoweitVorhanden(const QString& pfad)
{
    QString vorhanden = QDir::cleanPath(pfad);
    QString rest;
    while (!QFileInfo::exists(vorhanden)) {
        const qsizetype schnitt = vorhanden.lastIndexOf(u'/');
        if (schnitt <= 0)
            return QDir::cleanPath(pfad);
        rest.prepend(vorhanden.sliced(schnitt));
        vorhanden.truncate(schnitt);
    }
    return QFileInfo(vorhanden).canonicalFilePath() + rest;
}

} // namespace

qint16 anzahlEintraege(const QString& listenPfad)
{
    const QString namen = profildatei::lesen(listenPfad, QStringLiteral("Namen"), QString());
    if (namen.isEmpty())
        return -1;
    // Each key name ends with a NUL, so the NULs count the keys; a list cut
    // by the buffer loses the NUL of its last, partial name.
    return static_cast<qint16>(namen.count(QChar(u'\0')));
}

ListenEintrag leseEintrag(const QString& listenPfad, int nummer)
{
    const QString s = schluessel(nummer);
    return {profildatei::lesen(listenPfad, QStringLiteral("Namen"), s),
            profildatei::lesen(listenPfad, QStringLiteral("URL"), s),
            profildatei::lesen(listenPfad, QStringLiteral("Pfad"), s)};
}

QList<ListenEintrag> alleEintraege(const QString& listenPfad)
{
    QList<ListenEintrag> eintraege;
    do {
        eintraege.append(leseEintrag(listenPfad, static_cast<int>(eintraege.size()) + 1));
    } while (!eintraege.back().url.isEmpty());
    return eintraege;
}

bool istSchlichterDateiname(const QString& name)
{
    if (name.isEmpty())
        return false;
    bool nurPunkte = true;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
        if (c != u'.')
            nurPunkte = false;
    }
    return !nurPunkte;
}

std::optional<Ablage> ablageFuer(const QString& programmordner, const QString& pfadWert,
                                 const QString& name)
{
    QString wert = pfadWert;
    wert.replace(u'\\', u'/');
    // Joined as text, a value without a leading separator would name a
    // sibling of the program folder.
    if (!wert.startsWith(u'/'))
        return std::nullopt;
    const QStringList schritte = wert.split(u'/', Qt::SkipEmptyParts);
    for (const QString& schritt : schritte) {
        if (!istSchlichterDateiname(schritt))
            return std::nullopt;
    }
    const QString basis = QDir::cleanPath(programmordner);
    Ablage ablage{QDir::cleanPath(basis + wert), QDir::cleanPath(basis + wert + name)};
    if (!liegtIn(ablage.ordner, basis) || !liegtIn(ablage.datei, basis) || ablage.datei == basis)
        return std::nullopt;
    return ablage;
}

bool bleibtImProgrammordner(const QString& programmordner, const QString& pfad)
{
    const QString echteBasis = QFileInfo(QDir::cleanPath(programmordner)).canonicalFilePath();
    return !echteBasis.isEmpty() && liegtIn(kanonischSoweitVorhanden(pfad), echteBasis);
}

} // namespace update
