#include "Ausgabe.h"

#include "Texte.h"
#include "views/Meldungen.h"

#include <QLocale>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace cli {

namespace {

// Redrawn at most this often: a terminal that scrolls thousands of
// rewrites a second would slow the batch down.
constexpr qint64 NeuzeichnenMs = 200;

QString dauer(qint64 sekunden)
{
    const qint64 h = sekunden / 3600, m = sekunden / 60 % 60, s = sekunden % 60;
    const QString ms =
        QStringLiteral("%1:%2").arg(m, h ? 2 : 1, 10, QChar(u'0')).arg(s, 2, 10, QChar(u'0'));
    return h ? QString::number(h) + u':' + ms : ms;
}

} // namespace

Ausgabe::Ausgabe(std::FILE* aus, std::FILE* fehler, bool fortschritt)
    : m_aus(aus)
    , m_fehler(fehler)
    , m_mitFortschritt(fortschritt)
    , m_ausAufSchirm(fortschritt && istTerminal(aus))
{
    m_uhr.start();
}

Ausgabe::~Ausgabe()
{
    fortschrittLoeschen();
    std::fflush(m_aus);
}

bool Ausgabe::istTerminal(std::FILE* datei)
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(datei));
#else
    return isatty(fileno(datei));
#endif
}

void Ausgabe::schreiben(std::FILE* ziel, const QString& zeile)
{
    if (ziel == m_fehler || m_ausAufSchirm)
        fortschrittLoeschen();
    // The local 8-bit encoding is UTF-8 on every Unix system.
    const QByteArray bytes = zeile.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), ziel);
}

void Ausgabe::zeile(const QString& roh)
{
    // One message is one line for whatever reads the output, whatever a
    // file name holds.
    const QString zeile = schnitt::meldung::zeilentauglich(roh);
    schreiben(m_aus, zeile);
    if (zeile.startsWith(schnitt::meldung::Fehleranfang)) {
        // Both streams may end up in one place; the log's order comes first.
        std::fflush(m_aus);
        schreiben(m_fehler, zeile);
    }
}

void Ausgabe::fehlerzeile(const QString& zeile)
{
    schreiben(m_fehler, zeile);
}

void Ausgabe::fortschritt(int fertig, int gesamt)
{
    if (!m_mitFortschritt)
        return;
    const qint64 ms = m_uhr.elapsed();
    // A line that was wiped for a log line comes back at once.
    if (fertig < gesamt && m_breite > 0 && ms - m_gezeichnetMs < NeuzeichnenMs)
        return;
    m_gezeichnetMs = ms;
    const double jeSekunde = ms > 0 ? fertig * 1000.0 / double(ms) : 0;
    const QString rest =
        jeSekunde > 0 ? dauer(qint64((gesamt - fertig) / jeSekunde + 0.5)) : QStringLiteral("?");
    const QString zeile =
        text::Fortschritt.arg(QString::number(fertig), QString::number(gesamt),
                              QLocale(QLocale::German).toString(jeSekunde, 'f', 1), rest);
    std::fflush(m_aus);
    // Padded, so that a shorter line covers the longer one before it.
    const QByteArray bytes = '\r' + zeile.leftJustified(m_breite).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_fehler);
    std::fflush(m_fehler);
    m_breite = zeile.size();
}

void Ausgabe::fortschrittLoeschen()
{
    if (m_breite == 0)
        return;
    const QByteArray leer = '\r' + QByteArray(m_breite, ' ') + '\r';
    std::fwrite(leer.constData(), 1, size_t(leer.size()), m_fehler);
    std::fflush(m_fehler);
    m_breite = 0;
}

} // namespace cli
