#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

class QCryptographicHash;
class QIODevice;

// File operations whose failures are told in German with the operating
// system's own reason ("auf dem Datenträger ist kein Platz mehr"). Qt's
// errorString() is English and often only "Unknown error", which hides the
// one fact a user can act on.
namespace dateien {

// The reason for the error number `fehlernummer` (errno). `beimLesen` says
// that a file was to be read: a missing entry is then the file itself, not a
// folder of the path.
QString grund(int fehlernummer, bool beimLesen = false);

// The whole file. On failure returns a null array and the reason in `grund`.
QByteArray lesen(const QString& pfad, QString* grund);

// Makes the folder and every missing folder above it. On failure returns
// false and the reason in `grund`.
bool ordnerAnlegen(const QString& pfad, QString* grund);

// A file written beside its target under a name no user file has, flushed to
// the disk and only then put in the target's place, so that the target is
// either the old file or the whole new one, whatever happens meanwhile. A
// write that was not finished (failure, abandon, destruction) leaves nothing
// behind; one whose process was killed leaves a file that
// zwischendateienEntfernen recognises.
class Zwischendatei final
{
public:
    explicit Zwischendatei(const QString& ziel);
    ~Zwischendatei();
    Zwischendatei(const Zwischendatei&) = delete;
    Zwischendatei& operator=(const Zwischendatei&) = delete;

    bool oeffnen();
    bool schreiben(QByteArrayView daten);
    // For writers that stream into a device; a failure it reports is
    // recorded as with schreiben.
    QIODevice* geraet();
    // Flushes to the disk and replaces the target. The new file keeps the
    // permissions of the file it replaces.
    bool abschliessen();
    void verwerfen();

    // The German reason of the first failure.
    const QString& grund() const { return m_grund; }
    const QString& pfad() const { return m_ziel; }

    // Bytes written so far; with pruefsummeBilden() before the first write,
    // their SHA-256 once finished.
    qint64 geschrieben() const { return m_geschrieben; }
    void pruefsummeBilden();
    QByteArray pruefsumme() const;

private:
    class Geraet;
    bool scheitern(int fehlernummer);

    QString m_ziel;
    QString m_teil; // the name it is written under
    QString m_grund;
    int m_fd = -1;
    qint64 m_geschrieben = 0;
    std::unique_ptr<Geraet> m_geraet;
    std::unique_ptr<QCryptographicHash> m_summe;
};

// Whether `name` (without folder) is that of a Zwischendatei.
bool istZwischendatei(const QString& name);

// Removes the Zwischendateien in `ordner` (not below it) that a run left
// which no longer writes: one of this machine whose process has ended, or
// any older than an hour. Files of runs still writing, also those of other
// processes into the same folder, stay. Returns how many were removed.
int zwischendateienEntfernen(const QString& ordner);

} // namespace dateien
