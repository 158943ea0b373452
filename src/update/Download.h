#pragma once

#include <QString>
#include <QUrl>

#include <chrono>

namespace update {

// What a download came to. Only Erfolg (0) means that the whole body is on
// disk; callers that merely ask "did it work" compare with 0.
enum class DownloadErgebnis : int {
    Erfolg = 0,
    UngueltigeAdresse,
    Verbindungsfehler,
    HttpFehler,
    Zeitueberschreitung,
    ZuGross,
    Unvollstaendig,
    Schreibfehler,
};

// A silent server must not hang the program: the download gives up when the
// answer does not begin within `verbindung`, or when no data arrives for
// `stillstand` once it has begun.
struct DownloadGrenzen
{
    std::chrono::milliseconds verbindung{10'000};
    std::chrono::milliseconds stillstand{20'000};
    qint64 hoechstGroesse = -1; // bytes; a longer body is a failure. -1: no cap
};

// Fetches `url` (http or https, redirects followed) into the file `zielPfad`
// and blocks until it is done, without handling user input meanwhile.
// The body is written beside the target and replaces it in one step only
// when the whole body of a 2xx answer has arrived, so that a failed or
// cut-off download leaves an existing file of that name as it was.
// On failure `fehler` (when given) gets a German reason.
DownloadErgebnis herunterladen(const QUrl& url, const QString& zielPfad,
                               const DownloadGrenzen& grenzen = {}, QString* fehler = nullptr);

// The server's base address and a path joined as text, the base without its
// trailing slash. An empty or invalid base gives an invalid URL, which
// herunterladen refuses at once.
QUrl serverUrl(const QUrl& basis, const QString& pfad);

} // namespace update
