// Any bytes as the update's file list, and any folder value and name pair.
//
// Property: the entry count lies between -1 and 253 (it counts the zeros
// in the reader's buffer of key names), and whatever the update would accept, a bare
// name or a name with a folder value, leads to a place inside the program
// folder: the download target directly in it, the folder and the file of an
// accepted folder value below it.

#include "Fuzzhilfen.h"

#include "config/Profil.h"
#include "update/UpdateListe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

namespace {

const QString Programmordner = QStringLiteral("/opt/sichtwerk/programm");

// Judged by Qt's relative path, not by the prefix test the code itself uses.
bool liegtInnen(const QString& pfad)
{
    const QString relativ = QDir(Programmordner).relativeFilePath(QDir::cleanPath(pfad));
    return !relativ.isEmpty() && relativ != u"." && relativ != u".." &&
           !relativ.startsWith(u"../") && !QDir::isAbsolutePath(relativ);
}

void pruefeEintrag(const QString& pfadWert, const QString& name)
{
    if (!update::istSchlichterDateiname(name))
        return;
    // The download lands under the bare name in the program folder itself.
    const QString ziel = QDir::cleanPath(Programmordner + u'/' + name);
    PRUEFEN(liegtInnen(ziel));
    PRUEFEN(QFileInfo(ziel).path() == Programmordner);
    if (pfadWert.isEmpty())
        return;
    if (const std::optional<update::Ablage> ablage =
            update::ablageFuer(Programmordner, pfadWert, name)) {
        PRUEFEN(liegtInnen(ablage->datei));
        PRUEFEN(ablage->ordner == Programmordner || liegtInnen(ablage->ordner));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse)
{
    static QTemporaryDir ordner;
    static const QString listenPfad = ordner.filePath(QStringLiteral("updatedata.txt"));

    FuzzedDataProvider eingabe(daten, groesse);
    const QString pfadWert = QString::fromUtf8(fuzz::bytes(eingabe.ConsumeRandomLengthString(80)));
    const QString name = QString::fromUtf8(fuzz::bytes(eingabe.ConsumeRandomLengthString(80)));
    pruefeEintrag(pfadWert, name);

    QFile liste(listenPfad);
    const QByteArray inhalt = fuzz::bytes(eingabe.ConsumeRemainingBytesAsString());
    PRUEFEN(liste.open(QIODevice::WriteOnly) && liste.write(inhalt) == inhalt.size());
    liste.close();

    const qint16 anzahl = update::anzahlEintraege(listenPfad);
    PRUEFEN(anzahl >= -1 && anzahl <= profildatei::Puffergroesse - 2);
    // As the update walks the list: on while an entry has a URL.
    for (int nummer = 1; nummer <= 40; ++nummer) {
        const update::ListenEintrag eintrag = update::leseEintrag(listenPfad, nummer);
        pruefeEintrag(eintrag.pfad, eintrag.name);
        if (eintrag.url.isEmpty())
            break;
    }
    return 0;
}
