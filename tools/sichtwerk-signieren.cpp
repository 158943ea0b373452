// The server operator's side of the update signature:
//   sichtwerk-signieren schluessel DATEI
//     makes a key pair, writes the secret key to DATEI (readable by its owner
//     only) and prints the public key for SICHTWERK_UPDATE_KEY;
//   sichtwerk-signieren signieren DATEI SERVERORDNER
//     signs the release laid out below SERVERORDNER as the server serves it
//     and writes SERVERORDNER/wandelbuch/Sichtwerk/signatur.txt.

#include "update/Signatur.h"
#include "update/UpdateListe.h"
#include "update/VersionDatei.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include <cstdio>

namespace {

const QString releaseOrdner = QStringLiteral("/wandelbuch/Sichtwerk/");

int fehler(const QString& text)
{
    std::fprintf(stderr, "sichtwerk-signieren: %s\n", qPrintable(text));
    return 1;
}

int schluesselMachen(const QString& pfad)
{
    // An existing key may be the only copy; it is never overwritten.
    if (QFileInfo::exists(pfad) || QFileInfo(pfad).isSymLink())
        return fehler(QStringLiteral("'%1' gibt es schon").arg(pfad));
    const auto [oeffentlich, geheim] = update::neuesSchluesselpaar();
    if (geheim.isEmpty())
        return fehler(QStringLiteral("kein Schlüssel erzeugt"));
    QFile datei(pfad);
    // Created with the owner's rights only, so the key is never readable by others.
    if (!datei.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                    QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        datei.write(geheim.toBase64() + '\n') < 0 || !datei.flush())
        return fehler(QStringLiteral("'%1' nicht geschrieben: %2").arg(pfad, datei.errorString()));
    datei.close();
    std::printf("%s\n", oeffentlich.toBase64().constData());
    return 0;
}

int signieren(const QString& schluesselPfad, const QString& serverordner)
{
    QFile schluesselDatei(schluesselPfad);
    if (!schluesselDatei.open(QIODevice::ReadOnly))
        return fehler(QStringLiteral("'%1' nicht lesbar: %2")
                          .arg(schluesselPfad, schluesselDatei.errorString()));
    const auto geheim = update::schluesselAusBase64(schluesselDatei.readAll(), 64);
    if (!geheim)
        return fehler(QStringLiteral("'%1' ist kein geheimer Schlüssel").arg(schluesselPfad));

    const QString basis = QDir::cleanPath(serverordner) + releaseOrdner;
    QFile versionsDatei(basis + QStringLiteral("version.txt"));
    const auto version = versionsDatei.open(QIODevice::ReadOnly)
                             ? update::versionsText(versionsDatei.readAll())
                             : std::nullopt;
    if (!version || !update::versionsZahl(*version))
        return fehler(QStringLiteral("'%1' nennt keine Version").arg(versionsDatei.fileName()));

    update::Manifest manifest{version->trimmed(), {}};
    auto aufnehmen = [&](const QString& name, const QString& pfad) {
        const auto hash = update::sha256VonDatei(pfad);
        if (hash)
            manifest.dateien.append({name, *hash});
        return hash.has_value();
    };
    if (!aufnehmen(QStringLiteral("Sichtwerk.dxe"), basis + QStringLiteral("Sichtwerk.txt")))
        return fehler(QStringLiteral("keine Programmdatei '%1Sichtwerk.txt'").arg(basis));
    aufnehmen(QStringLiteral("update.cmd"), basis + QStringLiteral("update.txt"));
    const QString liste = basis + QStringLiteral("updatedata.txt");
    if (aufnehmen(QStringLiteral("updatedata.txt"), liste)) {
        for (const update::ListenEintrag& eintrag : update::alleEintraege(liste)) {
            if (eintrag.name.isEmpty())
                continue;
            const bool schonDa =
                std::any_of(manifest.dateien.cbegin(), manifest.dateien.cend(),
                            [&](const auto& datei) { return datei.first == eintrag.name; });
            if (schonDa)
                return fehler(QStringLiteral("'%1' steht zweimal im Release").arg(eintrag.name));
            const QString pfad = QUrl(eintrag.url).path();
            if (!update::istSchlichterDateiname(eintrag.name) || pfad.isEmpty() ||
                pfad.split(u'/').contains(QStringLiteral("..")) ||
                !aufnehmen(eintrag.name, QDir::cleanPath(serverordner) + pfad))
                return fehler(QStringLiteral("Eintrag '%1' (%2): keine Datei unter '%3'")
                                  .arg(eintrag.name, eintrag.url, serverordner));
        }
    }

    const QByteArray text = update::manifestSchreiben(manifest, *geheim);
    QSaveFile aus(basis + QString::fromUtf16(update::manifestName));
    if (text.isEmpty() || !aus.open(QIODevice::WriteOnly) || aus.write(text) < 0 || !aus.commit())
        return fehler(QStringLiteral("'%1' nicht geschrieben").arg(aus.fileName()));
    std::printf("%s: Version %s, %d Dateien\n", qPrintable(aus.fileName()),
                qPrintable(manifest.version), static_cast<int>(manifest.dateien.size()));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = QCoreApplication::arguments();
    if (a.size() == 3 && a[1] == u"schluessel")
        return schluesselMachen(a[2]);
    if (a.size() == 4 && a[1] == u"signieren")
        return signieren(a[2], a[3]);
    std::fprintf(stderr, "Aufruf: sichtwerk-signieren schluessel DATEI\n"
                         "       sichtwerk-signieren signieren DATEI SERVERORDNER\n");
    return 2;
}
