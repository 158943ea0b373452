#include "Signatur.h"

#include <QFile>
#include <QSet>

#include <sodium.h>

#include <algorithm>
#include <cctype>

#ifndef SICHTWERK_UPDATE_KEY
#define SICHTWERK_UPDATE_KEY ""
#endif

namespace update {

namespace {

constexpr QByteArrayView kopfzeile = "Sichtwerk-Signatur 1";
constexpr QByteArrayView versionsMarke = "Version: ";
constexpr QByteArrayView signaturMarke = "Signatur: ";

bool bereit()
{
    // Once per process (a static is made thread-safely); fails only without entropy.
    static const bool geladen = sodium_init() >= 0;
    return geladen;
}

QString melden(QString* fehler, const QString& text)
{
    if (fehler)
        *fehler = text;
    return text;
}

QString fehlerhaft(int zeile)
{
    return QStringLiteral("Updatefehler: Signaturdatei fehlerhaft in Zeile %1").arg(zeile);
}

bool istHex(QByteArrayView text)
{
    // isxdigit is one of the few character classes that no locale changes.
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

} // namespace

std::optional<QByteArray> schluesselAusBase64(QByteArrayView text, qsizetype laenge)
{
    const auto ergebnis = QByteArray::fromBase64Encoding(text.trimmed().toByteArray(),
                                                         QByteArray::AbortOnBase64DecodingErrors);
    if (!ergebnis || ergebnis.decoded.size() != laenge)
        return std::nullopt;
    return ergebnis.decoded;
}

QByteArray eingebauterSchluessel()
{
    return schluesselAusBase64(SICHTWERK_UPDATE_KEY, crypto_sign_PUBLICKEYBYTES)
        .value_or(QByteArray());
}

std::pair<QByteArray, QByteArray> neuesSchluesselpaar()
{
    QByteArray oeffentlich(crypto_sign_PUBLICKEYBYTES, '\0');
    QByteArray geheim(crypto_sign_SECRETKEYBYTES, '\0');
    if (!bereit())
        return {};
    crypto_sign_keypair(reinterpret_cast<unsigned char*>(oeffentlich.data()),
                        reinterpret_cast<unsigned char*>(geheim.data()));
    return {oeffentlich, geheim};
}

QByteArray sha256(QByteArrayView daten)
{
    QByteArray hash(crypto_hash_sha256_BYTES, '\0');
    if (!bereit())
        return {};
    crypto_hash_sha256(reinterpret_cast<unsigned char*>(hash.data()),
                       reinterpret_cast<const unsigned char*>(daten.data()),
                       static_cast<unsigned long long>(daten.size()));
    return hash;
}

std::optional<QByteArray> sha256VonDatei(const QString& pfad)
{
    QFile datei(pfad);
    if (!bereit() || !datei.open(QIODevice::ReadOnly))
        return std::nullopt;
    crypto_hash_sha256_state zustand;
    crypto_hash_sha256_init(&zustand);
    QByteArray stueck(1 << 20, Qt::Uninitialized);
    qint64 gelesen = 0;
    while ((gelesen = datei.read(stueck.data(), stueck.size())) > 0)
        crypto_hash_sha256_update(&zustand,
                                  reinterpret_cast<const unsigned char*>(stueck.constData()),
                                  static_cast<unsigned long long>(gelesen));
    // 0 is the end of the file, -1 a read error.
    if (gelesen < 0)
        return std::nullopt;
    QByteArray hash(crypto_hash_sha256_BYTES, '\0');
    crypto_hash_sha256_final(&zustand, reinterpret_cast<unsigned char*>(hash.data()));
    return hash;
}

QByteArray manifestSchreiben(const Manifest& manifest, const QByteArray& geheimerSchluessel)
{
    QByteArray text = kopfzeile.toByteArray() + '\n';
    text += versionsMarke.toByteArray() + manifest.version.trimmed().toUtf8() + '\n';
    for (const auto& [name, hash] : manifest.dateien)
        text += hash.toHex() + "  " + name.toUtf8() + '\n';
    QByteArray signatur(crypto_sign_BYTES, '\0');
    if (!bereit() || geheimerSchluessel.size() != crypto_sign_SECRETKEYBYTES)
        return {};
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signatur.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(text.constData()),
                         static_cast<unsigned long long>(text.size()),
                         reinterpret_cast<const unsigned char*>(geheimerSchluessel.constData()));
    return text + signaturMarke.toByteArray() + signatur.toBase64() + '\n';
}

std::optional<Manifest> manifestPruefen(QByteArrayView text,
                                        const QByteArray& oeffentlicherSchluessel, QString* fehler)
{
    if (oeffentlicherSchluessel.size() != crypto_sign_PUBLICKEYBYTES || !bereit()) {
        melden(fehler, QStringLiteral("Updatefehler: kein Schlüssel für Updates eingebaut"));
        return std::nullopt;
    }
    // The signature is the last line and covers every byte before it.
    QByteArrayView rest = text;
    if (rest.endsWith('\n'))
        rest.chop(1);
    if (rest.endsWith('\r'))
        rest.chop(1);
    const qsizetype beginn = rest.lastIndexOf('\n') + 1;
    const QByteArrayView letzte = rest.sliced(beginn);
    const QByteArrayView signiert = text.first(beginn);
    const int anzahl = static_cast<int>(signiert.count('\n')) + 1;
    if (!letzte.startsWith(signaturMarke)) {
        melden(fehler, fehlerhaft(anzahl));
        return std::nullopt;
    }
    const auto signatur =
        schluesselAusBase64(letzte.sliced(signaturMarke.size()), crypto_sign_BYTES);
    if (!signatur ||
        crypto_sign_verify_detached(
            reinterpret_cast<const unsigned char*>(signatur->constData()),
            reinterpret_cast<const unsigned char*>(signiert.data()),
            static_cast<unsigned long long>(signiert.size()),
            reinterpret_cast<const unsigned char*>(oeffentlicherSchluessel.constData())) != 0) {
        melden(fehler, QStringLiteral("Updatefehler: Signatur ungültig"));
        return std::nullopt;
    }

    // Signed by us, yet read as strictly as any other input.
    Manifest manifest;
    QSet<QString> namen;
    const QList<QByteArray> zeilen = signiert.toByteArray().split('\n');
    for (qsizetype i = 0; i + 1 < zeilen.size(); ++i) {
        QByteArrayView zeile = zeilen[i];
        if (zeile.endsWith('\r'))
            zeile.chop(1);
        const int nummer = static_cast<int>(i) + 1;
        bool gut = false;
        if (i == 0) {
            gut = zeile == kopfzeile;
        } else if (i == 1) {
            gut = zeile.startsWith(versionsMarke);
            manifest.version =
                QString::fromUtf8(zeile.sliced(gut ? versionsMarke.size() : 0)).trimmed();
        } else {
            const qsizetype hexLaenge = 2 * crypto_hash_sha256_BYTES;
            const QString name = QString::fromUtf8(zeile.sliced(qMin(zeile.size(), hexLaenge + 2)));
            gut = zeile.size() > hexLaenge + 2 && istHex(zeile.first(hexLaenge)) &&
                  zeile.sliced(hexLaenge, 2) == "  " && !namen.contains(name);
            if (gut) {
                namen.insert(name);
                manifest.dateien.append(
                    {name, QByteArray::fromHex(zeile.first(hexLaenge).toByteArray())});
            }
        }
        if (!gut) {
            melden(fehler, fehlerhaft(nummer));
            return std::nullopt;
        }
    }
    if (zeilen.size() < 3 || manifest.version.isEmpty()) {
        melden(fehler, fehlerhaft(static_cast<int>(zeilen.size())));
        return std::nullopt;
    }
    return manifest;
}

QString dateiAbweichung(const Manifest& manifest, const QString& name, const QString& pfad)
{
    for (const auto& [gelistet, hash] : manifest.dateien) {
        if (gelistet != name)
            continue;
        if (sha256VonDatei(pfad) == hash)
            return {};
        return QStringLiteral("Updatefehler: Datei '%1' stimmt nicht mit der Signatur überein")
            .arg(name);
    }
    return QStringLiteral("Updatefehler: Datei '%1' ist nicht signiert").arg(name);
}

QString fehlendeDatei(const QString& name)
{
    return QStringLiteral("Updatefehler: Datei '%1' fehlt, obwohl die Signatur sie nennt")
        .arg(name);
}

} // namespace update
