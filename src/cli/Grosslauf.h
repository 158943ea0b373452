#pragma once

#include <QString>
#include <QStringList>

#include <atomic>

namespace cli {

struct Aufruf;
struct Auftrag;
class Ausgabe;

// What a run over a large archive adds to a plain one: pictures from a
// list, one part of them, reruns that skip what is unchanged and a manifest
// of the views written. A plain run has none of it and goes the plain way.
struct Grosslauf
{
    bool aktiv = false; // any of --liste, --teil, --nur-neue, --manifest
    bool nurNeue = false;
    QString config;
    QString manifest; // null: none
    // Error lines of list entries that are not cut, for the log before the
    // pictures.
    QStringList vorab;
    // Each picture's path for the manifest, in the order of Auftrag::bilder;
    // null where it is the source folder joined with the name.
    QStringList angaben;
};

// The German line about options that do not go together or a bad --teil;
// empty when there is none.
QString grosslaufAufrufPruefen(const Aufruf& aufruf);

// Adds the pictures of --liste to those of the EINGABEN and keeps only those
// of --teil. On an unreadable list or an unusable manifest path returns false
// with one German line in `fehler`; nothing has been written then.
bool grosslaufErgaenzen(const Aufruf& aufruf, Auftrag& auftrag, QString* fehler);

// schneiden for a run with auftrag.gross.aktiv: the Error lines of the list
// first, then with --nur-neue a line for each unchanged picture, then the
// batch, the manifest, a line counting the pictures and the closing lines.
int grosslaufSchneiden(const Auftrag& auftrag, Ausgabe& ausgabe, const std::atomic<bool>* halt);

} // namespace cli
