#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The signature file of an update: the version it is for and the SHA-256 of
// every file the update may place or run, signed with the project's Ed25519
// key. Its format is described in docs/update.md.
namespace update {

inline constexpr auto manifestName = u"signatur.txt";
inline constexpr qint64 hoechstGroesseManifest = 1024 * 1024;

struct Manifest
{
    QString version;
    // Local name of each file and its SHA-256 (32 bytes), in the file's order.
    QList<std::pair<QString, QByteArray>> dateien;
};

// The public key built into the program, or empty when the build has none or
// an unusable one; then no update can be installed.
QByteArray eingebauterSchluessel();

// A key of `laenge` bytes written in base64, or nothing.
std::optional<QByteArray> schluesselAusBase64(QByteArrayView text, qsizetype laenge = 32);

// A new Ed25519 pair: public key (32 bytes) and secret key (64 bytes).
std::pair<QByteArray, QByteArray> neuesSchluesselpaar();

QByteArray sha256(QByteArrayView daten);
std::optional<QByteArray> sha256VonDatei(const QString& pfad);

// The signed text of `manifest`; `geheimerSchluessel` is a secret key as
// neuesSchluesselpaar makes it. Names must be unique and contain no line break.
QByteArray manifestSchreiben(const Manifest& manifest, const QByteArray& geheimerSchluessel);

// Checks the signature with `oeffentlicherSchluessel` before it reads anything
// else of `text`. Nothing, with a German log line in `fehler`, when the key
// is missing, the signature does not hold or the text is not a manifest.
std::optional<Manifest> manifestPruefen(QByteArrayView text,
                                        const QByteArray& oeffentlicherSchluessel,
                                        QString* fehler = nullptr);

// Why the file at `pfad` may not be placed as `name`: not named by the
// manifest, unreadable or with another hash. Empty when it matches.
QString dateiAbweichung(const Manifest& manifest, const QString& name, const QString& pfad);

// The log line for a file that the manifest names and that did not arrive.
QString fehlendeDatei(const QString& name);

} // namespace update
