#pragma once

#include <QString>

// The overview sheet from the command line: --uebersicht RICHTUNG --blatt
// DATEI.png [--kachel N], the same pixels as "Als Bild speichern" in the
// overview window.
namespace cli {

struct Aufruf;
struct Auftrag;
class Ausgabe;

// The German line about --uebersicht, --blatt and --kachel that do not go
// together or have a bad value; empty when there is none.
QString uebersichtAufrufPruefen(const Aufruf& aufruf);

// Makes the tiles of every picture on all cores and writes the sheet. Each
// red tile's lines go to the log. Returns 0 when no tile is red and the
// sheet was written, 1 otherwise, 2 when the direction is not configured.
int uebersichtSchreiben(const Auftrag& auftrag, const Aufruf& aufruf, Ausgabe& ausgabe);

} // namespace cli
