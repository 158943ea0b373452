#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace cli {

// Standard output and standard error of the command line: the log lines, the
// one line about a bad call, and the progress line that a terminal shows.
class Ausgabe final
{
public:
    // With `fortschritt` the progress line is drawn on standard error; it is
    // meant for a terminal, where it is rewritten in place.
    Ausgabe(std::FILE* aus, std::FILE* fehler, bool fortschritt);
    ~Ausgabe();
    Ausgabe(const Ausgabe&) = delete;
    Ausgabe& operator=(const Ausgabe&) = delete;

    static bool istTerminal(std::FILE* datei);

    // A log line to standard output; an "Error: " line also to standard error.
    void zeile(const QString& zeile);
    // A line to standard error only.
    void fehlerzeile(const QString& zeile);
    // `fertig` of `gesamt` pictures are through.
    void fortschritt(int fertig, int gesamt);

private:
    void schreiben(std::FILE* ziel, const QString& zeile);
    void fortschrittLoeschen();

    std::FILE* m_aus;
    std::FILE* m_fehler;
    bool m_mitFortschritt;
    bool m_ausAufSchirm; // standard output shares the terminal with the progress line
    QElapsedTimer m_uhr;
    qint64 m_gezeichnetMs = -1;
    qsizetype m_breite = 0; // of the progress line on screen, 0 when none
};

} // namespace cli
