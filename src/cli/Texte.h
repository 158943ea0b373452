#pragma once

#include <QStringView>

// The German texts of the command line that the window does not have. Its
// log lines are the window's own (views/Meldungen.h).
namespace cli::text {

inline constexpr QStringView Programm = u"sichtwerk-schnitt";

inline constexpr QStringView Hilfe =
    u"Aufruf: sichtwerk-schnitt --config DATEI.ini [--richtungen LRVZ] [--ausgabe ORDNER]\n"
    u"                         [--format FORMAT] [--qualitaet N] [--ordner ANORDNUNG]\n"
    u"                         [--rekursiv] [--pruefen] [--abstand N|Ns]\n"
    u"                         [--liste DATEI [--null]] [--teil K/N] [--nur-neue]\n"
    u"                         [--manifest DATEI] [EINGABE…]\n"
    u"       sichtwerk-schnitt --config DATEI.ini --uebersicht RICHTUNG --blatt DATEI.png\n"
    u"                         [--kachel N] [EINGABE…]\n"
    u"\n"
    u"Schneidet die Ansichten aus BMP-, JPEG-, GIF-, PNG-, TIFF- und WebP-Bildern und\n"
    u"aus Bildern von MP4-, MOV-, MKV-, WebM- und AVI-Videos wie „Alle ausschneiden“ im\n"
    u"Fenster: dieselben Dateien, dieselben Zeilen im Protokoll, das hier auf die\n"
    u"Standardausgabe geht (jede „Error: …“-Zeile auch auf die Standardfehlerausgabe).\n"
    u"\n"
    u"  EINGABE            ein Ordner (seine Bilder, wie „Alle ausschneiden“ sie wählt)\n"
    u"                     oder eine Bild- oder Videodatei; mehrere werden in ihrer\n"
    u"                     Reihenfolge geschnitten. Die Ansichten eines Videobilds heißen\n"
    u"                     video_000250_V.bmp (Bildnummer ab 0, mindestens sechs Ziffern)\n"
    u"  --config DATEI     die Rahmen-Konfigurationsdatei; fehlende oder ungültige Werte sind 0\n"
    u"  --richtungen LRVZ  nur diese Richtungen: L Links, R Rechts, V Vorwärts, Z Zurück\n"
    u"                     (Vorgabe: jede Richtung, deren Breite nicht 0 ist); geschnitten\n"
    u"                     wird immer in der Reihenfolge L, R, V, Z\n"
    u"  --ausgabe ORDNER   der Ordner für die Ansichten (Vorgabe: ./ausgeschnitten), wird\n"
    u"                     angelegt, wenn er fehlt\n"
    u"  --format FORMAT    bmp, png, jpg, tif oder webp statt des Formats aus [Ausgabe]\n"
    u"                     der Konfigurationsdatei (Vorgabe dort: bmp)\n"
    u"  --qualitaet N      1 bis 100, für jpg (Vorgabe 90) und webp (ohne: verlustfrei)\n"
    u"  --ordner ANORDNUNG gemeinsam (Vorgabe): alle Ansichten in den Ausgabeordner,\n"
    u"                     bild_V.bmp; je-richtung: jede Richtung in ihren Ordner,\n"
    u"                     V/bild.bmp, dazu kameras.txt und rig.json für Programme, die\n"
    u"                     daraus eine Szene rekonstruieren (statt Ordner= aus [Ausgabe])\n"
    u"  --abstand N|Ns     aus Videos jedes N-te Bild, oder mit s (2s, 0,5s) das erste\n"
    u"                     Bild ab 0, N, 2N … Sekunden (statt Abstand= aus [Video];\n"
    u"                     Vorgabe 1s)\n"
    u"  --rekursiv         auch die Bilder der Unterordner; ihre Ansichten kommen in die\n"
    u"                     gleichen Unterordner des Ausgabeordners\n"
    u"  --pruefen          nichts schneiden: für jedes Bild die Rahmen melden, die nicht\n"
    u"                     ganz im Bild liegen (die Größe steht im Dateikopf)\n"
    u"  --liste DATEI      auch die Bilder, deren Pfade in DATEI stehen, einer je Zeile\n"
    u"                     (- liest die Standardeingabe; leere Zeilen zählen nicht), nach\n"
    u"                     den EINGABEN in der Reihenfolge der Liste. Relative Pfade gelten\n"
    u"                     ab dem aktuellen Ordner. Die Ansichten kommen unter den Ordnerteil\n"
    u"                     des Pfads: fotos/a.jpg → ORDNER/fotos/a_V.bmp, /srv/b.jpg →\n"
    u"                     ORDNER/srv/b_V.bmp. Abgewiesen werden Pfade mit '..' und solche\n"
    u"                     im Ausgabeordner (Ansichten früherer Läufe), außer er enthält\n"
    u"                     den aktuellen Ordner (--ausgabe .)\n"
    u"  --null             die Pfade der Liste sind durch NUL getrennt, wie find -print0\n"
    u"                     sie schreibt (für Namen mit Zeilenumbrüchen)\n"
    u"  --teil K/N         nur Teil K von N (1 ≤ K ≤ N): jedes Bild gehört zu genau einem\n"
    u"                     Teil, bestimmt durch die ersten 8 Bytes des SHA-256 des Pfads\n"
    u"                     seiner Ansichten im Ausgabeordner ohne Richtung und Endung, in\n"
    u"                     Unicode-Kleinschreibung; Bilder, deren Ansichten gleich hießen,\n"
    u"                     landen so im selben Teil. Die N Teile zusammen geben dieselben\n"
    u"                     Dateien wie ein Lauf ohne --teil\n"
    u"  --nur-neue         ein Bild überspringen, dessen Ansichten alle da sind und deren\n"
    u"                     Inhalt jünger ist als das Bild und die Konfigurationsdatei\n"
    u"                     (Nanosekunden; gleich alt zählt als geändert; beim Bild und bei\n"
    u"                     der Datei zählt auch die Zeit ihres Eintrags, die cp -p und\n"
    u"                     rsync -a nicht zurückstellen): „<Bild>: unverändert, übersprungen“\n"
    u"  --manifest DATEI   am Ende (auch nach Strg+C) eine CSV-Datei mit einer Zeile je\n"
    u"                     geschriebener Ansicht: Ansicht (Pfad im Ausgabeordner), Bild (Pfad\n"
    u"                     wie angegeben), Richtung, Left, Top, Width, Height, Bytes, SHA256,\n"
    u"                     Aufnahme (ISO 8601), Breitengrad, Laengengrad, Blickrichtung\n"
    u"                     (Grad; leer, wo das Bild sie nicht nennt).\n"
    u"                     UTF-8, Kopfzeile, Zeilenende LF, Felder mit Komma, \" oder\n"
    u"                     Zeilenumbruch in \"…\" (RFC 4180); die Zeilen in der Folge von\n"
    u"                     LC_ALL=C sort\n"
    u"  --uebersicht RICHTUNG  nichts schneiden, sondern die Ansicht der Richtung (L, R,\n"
    u"                     V, Z oder ihr Name) jedes Bilds verkleinert auf ein Übersichtsblatt\n"
    u"                     schreiben, Bild für Bild wie „Als Bild speichern“ im Fenster\n"
    u"                     „Übersicht“: ein Video mit seinem ersten Bild, ein Bild, das nicht\n"
    u"                     passt oder nicht lesbar ist, als rote Kachel mit dem Grund\n"
    u"  --blatt DATEI.png  wohin das Übersichtsblatt geschrieben wird (PNG)\n"
    u"  --kachel N         Höhe der Kacheln in Pixeln, 60 bis 240 (Vorgabe 120)\n"
    u"  --help             diese Hilfe\n"
    u"\n"
    u"Zwei Bilder, deren Ansichten gleich hießen (ohne Rücksicht auf Groß- und\n"
    u"Kleinschreibung), überschreiben einander nie: das erste wird geschnitten, jedes\n"
    u"spätere bekommt eine „Error: …“-Zeile. Strg+C (SIGINT) oder SIGTERM halten an: kein\n"
    u"weiteres Bild wird begonnen, die begonnenen werden fertig, keine halbe Datei bleibt.\n"
    u"\n"
    u"Mit --liste, --teil, --nur-neue oder --manifest steht vor dem Schluss die Zeile\n"
    u"„Bilder: n ausgeschnitten, n unverändert übersprungen, n mit Fehlern“; ein Pfad der\n"
    u"Liste, der fehlt oder kein Bild ist, bekommt eine „Error: …“-Zeile, die übrigen werden\n"
    u"geschnitten. Alle Kerne, mehrere Rechner, ein Cluster (mehr im README):\n"
    u"  parallel sichtwerk-schnitt --config r.ini --liste l.txt --teil {}/4 \\\n"
    u"      --manifest teil{}.csv ::: 1 2 3 4\n"
    u"  { head -n 1 teil1.csv; tail -q -n +2 teil?.csv | LC_ALL=C sort; } > alle.csv\n"
    u"\n"
    u"Rückgabewert: 0 jedes Bild ausgeschnitten (mit --pruefen: jeder Rahmen passt; mit\n"
    u"--uebersicht: keine Kachel rot), 1 mindestens ein Bild fehlgeschlagen oder abgewiesen,\n"
    u"eine Ansicht ganz außerhalb ihres Bildes oder ein Ordner ohne Bilder (oder ein Rahmen\n"
    u"passt nicht, eine Kachel ist rot),\n"
    u"2 falscher Aufruf, unbrauchbare Konfigurationsdatei oder Liste, 130 nach SIGINT,\n"
    u"143 nach SIGTERM.\n";

// Bad arguments. %1 the option as given.
inline constexpr QStringView OptionUnbekannt = u"Unbekannte Option '%1'";
inline constexpr QStringView WertFehlt = u"Zu %1 fehlt der Wert";
inline constexpr QStringView WertUnerwartet = u"Zu %1 gehört kein Wert";
inline constexpr QStringView Doppelt = u"%1 ist mehrfach angegeben";
inline constexpr QStringView ConfigFehlt = u"--config DATEI fehlt";
inline constexpr QStringView EingabeFehlt =
    u"Keine EINGABE angegeben: ein Ordner, eine Bilddatei oder --liste DATEI";
inline constexpr QStringView AusgabeLeer = u"--ausgabe ohne Ordner";
// %1 the value as given.
inline constexpr QStringView FormatUnbekannt =
    u"Unbekanntes Format '%1' in --format: erlaubt sind bmp, png, jpg, tif und webp";
inline constexpr QStringView QualitaetFalsch = u"--qualitaet %1 liegt nicht zwischen 1 und 100";
inline constexpr QStringView AbstandFalsch =
    u"--abstand '%1' ist weder eine ganze Zahl über 0 noch eine Zeit wie 2s oder 0,5s";
inline constexpr QStringView OrdnerUnbekannt =
    u"Unbekannte Anordnung '%1' in --ordner: erlaubt sind gemeinsam und je-richtung";
// Appended to every line about bad arguments.
inline constexpr QStringView HilfeHinweis = u" (Hilfe: sichtwerk-schnitt --help)";

// %1 the letter as given.
inline constexpr QStringView RichtungUnbekannt =
    u"Unbekannte Richtung '%1' in --richtungen: erlaubt sind L, R, V und Z";
inline constexpr QStringView RichtungenLeer =
    u"--richtungen ohne Richtung: erlaubt sind L, R, V und Z";
// %1 direction, %2 file.
inline constexpr QStringView RichtungNichtFestgelegt =
    u"Die Richtung %1 ist in der Konfigurationsdatei '%2' nicht festgelegt (Width fehlt oder ist "
    u"0)";

// An unusable configuration file. %1 file.
inline constexpr QStringView ConfigNichtDa = u"Die Konfigurationsdatei '%1' existiert nicht";
inline constexpr QStringView ConfigKeineDatei =
    u"Die Konfigurationsdatei '%1' ist keine gewöhnliche Datei";
// %2 reason.
inline constexpr QStringView ConfigNichtLesbar =
    u"Die Konfigurationsdatei '%1' kann nicht gelesen werden: %2";
inline constexpr QStringView ConfigOhneRichtung =
    u"Die Konfigurationsdatei '%1' legt keine Richtung fest (jede Width fehlt oder ist 0)";
inline constexpr QStringView GrundKeineLeserechte = u"keine Leserechte";

// Inputs. %1 path.
inline constexpr QStringView EingabeNichtDa = u"Die Eingabe '%1' existiert nicht";
inline constexpr QStringView EingabeKeinBild =
    u"Die Eingabe '%1' ist kein Bild: der Name endet nicht auf jpg, gif, bmp, .jpeg, .jpe, .png, "
    u".tif, .tiff oder .webp";
inline constexpr QStringView EingabeWederNoch =
    u"Die Eingabe '%1' ist weder ein Ordner noch eine gewöhnliche Datei";
inline constexpr QStringView OrdnerNichtLesbar = u"Der Ordner '%1' kann nicht gelesen werden";

// The progress line. %1 done, %2 all, %3 pictures per second, %4 time left.
inline constexpr QStringView Fortschritt = u"%1 von %2 Bildern, %3 Bilder/s, noch %4";

// Large runs: lists, parts, reruns, the manifest. %1 the value or path as given.
inline constexpr QStringView ListeLeer = u"--liste ohne Datei (- für die Standardeingabe)";
inline constexpr QStringView ManifestLeer = u"--manifest ohne Datei";
inline constexpr QStringView NullOhneListe = u"--null gilt nur mit --liste";
inline constexpr QStringView NurBeimSchneiden = u"%1 gilt nur beim Schneiden, nicht mit --pruefen";
inline constexpr QStringView TeilUngueltig =
    u"--teil '%1' hat nicht die Form K/N aus zwei ganzen Zahlen, etwa 3/8";
inline constexpr QStringView TeilAusserhalb = u"--teil %1: K muss zwischen 1 und N liegen";
// %2 reason.
inline constexpr QStringView ListeNichtLesbar = u"Die Liste '%1' kann nicht gelesen werden: %2";
inline constexpr QStringView ManifestIstOrdner = u"Das Manifest '%1' wäre ein Ordner";
inline constexpr QStringView ManifestOrdnerFehlt =
    u"Der Ordner für das Manifest '%1' existiert nicht";
// A list entry that is not cut; the run goes on. %1 the entry.
inline constexpr QStringView ListeFehlt = u"Error: %1 aus der Liste existiert nicht";
inline constexpr QStringView ListeKeineDatei =
    u"Error: %1 aus der Liste ist keine gewöhnliche Datei";
inline constexpr QStringView ListeKeinBild =
    u"Error: %1 aus der Liste ist kein Bild: der Name endet nicht auf jpg, gif, bmp, .jpeg, .jpe, "
    u".png, .tif, .tiff oder .webp";
inline constexpr QStringView ListeNachAussen =
    u"Error: %1 aus der Liste nicht ausgeschnitten: mit '..' im Pfad könnten seine Ansichten "
    u"außerhalb des Ausgabeordners landen";
inline constexpr QStringView ListeImAusgabeordner =
    u"Error: %1 aus der Liste liegt im Ausgabeordner: Ansichten werden nicht wieder geschnitten";
// %1 the picture as in the log's headings.
inline constexpr QStringView Unveraendert = u"%1: unverändert, übersprungen";
// Before the closing lines. %1 cut, %2 skipped, %3 failed or refused.
inline constexpr QStringView Bilanz =
    u"Bilder: %1 ausgeschnitten, %2 unverändert übersprungen, %3 mit Fehlern";
// %1 file, %2 reason.
inline constexpr QStringView ManifestNichtGeschrieben =
    u"Error: Das Manifest '%1' konnte nicht geschrieben werden: %2";

// The overview sheet. %1 the value as given.
inline constexpr QStringView UebersichtOhneBlatt =
    u"--uebersicht RICHTUNG und --blatt DATEI gehören zusammen";
inline constexpr QStringView KachelOhneUebersicht = u"--kachel gilt nur mit --uebersicht";
inline constexpr QStringView BlattLeer = u"--blatt ohne Datei";
inline constexpr QStringView UebersichtRichtungUnbekannt =
    u"Unbekannte Richtung '%1' in --uebersicht: erlaubt sind L, R, V und Z";
// %2 and %3 the least and the most.
inline constexpr QStringView KachelFalsch = u"--kachel %1 liegt nicht zwischen %2 und %3";
// %1 the option.
inline constexpr QStringView NichtMitUebersicht = u"%1 gilt nicht mit --uebersicht";
// %1 pictures, %2 file.
inline constexpr QStringView BlattGeschrieben = u"Übersicht mit %1 Bildern geschrieben: %2";

} // namespace cli::text
