#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

// The command line as given, before any file is looked at.
struct Aufruf
{
    QString config;
    QString richtungen; // null when not given: every configured direction
    QString ausgabe;    // null when not given
    QString format;     // null when not given: the configuration file's
    QString qualitaet;  // null when not given
    QString ordner;     // null when not given: the configuration file's
    QString abstand;    // null when not given: the configuration file's
    bool rekursiv = false;
    bool pruefen = false;
    bool hilfe = false;
    QStringList eingaben;
    // Large runs (Grosslauf.h); null or false when not given.
    QString liste; // "-" for standard input
    bool nullGetrennt = false;
    QString teil;
    bool nurNeue = false;
    QString manifest;
    // The overview sheet (Uebersichtlauf.h); null when not given.
    QString uebersicht; // the direction
    QString blatt;
    QString kachel;
};

// Reads the arguments that follow the program name. Options take their value
// as the next argument or after "="; "--" ends the options. A --help (or -h)
// before it wins over everything else. On a bad argument returns nothing and puts one German
// line saying why into `fehler`.
std::optional<Aufruf> aufrufLesen(const QStringList& argumente, QString* fehler);

} // namespace cli
