#pragma once

#include <QStringView>

// The German texts of the command line that the window does not have. Its
// log lines are the window's own (views/Meldungen.h).
namespace cli::text {

inline constexpr QStringView Programm = u"sichtwerk-schnitt";

inline constexpr QStringView Hilfe =
    u"Aufruf: sichtwerk-schnitt --config DATEI.ini [--richtungen LRVZ] [--ausgabe ORDNER]\n"
    u"                         [--format FORMAT] [--qualitaet N] [--rekursiv] [--pruefen]\n"
    u"                         EINGABE…\n"
    u"\n"
    u"Schneidet die Ansichten aus BMP-, JPEG-, GIF-, PNG-, TIFF- und WebP-Bildern wie\n"
    u"„Alle ausschneiden“ im\n"
    u"Fenster: dieselben Dateien, dieselben Zeilen im Protokoll, das hier auf die\n"
    u"Standardausgabe geht (jede „Error: …“-Zeile auch auf die Standardfehlerausgabe).\n"
    u"\n"
    u"  EINGABE            ein Ordner (seine Bilder, wie „Alle ausschneiden“ sie wählt)\n"
    u"                     oder eine Bilddatei; mehrere werden in ihrer Reihenfolge geschnitten\n"
    u"  --config DATEI     die Rahmen-Konfigurationsdatei; fehlende oder ungültige Werte sind 0\n"
    u"  --richtungen LRVZ  nur diese Richtungen: L Links, R Rechts, V Vorwärts, Z Zurück\n"
    u"                     (Vorgabe: jede Richtung, deren Breite nicht 0 ist); geschnitten\n"
    u"                     wird immer in der Reihenfolge L, R, V, Z\n"
    u"  --ausgabe ORDNER   der Ordner für die Ansichten (Vorgabe: ./ausgeschnitten), wird\n"
    u"                     angelegt, wenn er fehlt\n"
    u"  --format FORMAT    bmp, png, jpg, tif oder webp statt des Formats aus [Ausgabe]\n"
    u"                     der Konfigurationsdatei (Vorgabe dort: bmp)\n"
    u"  --qualitaet N      1 bis 100, für jpg (Vorgabe 90) und webp (ohne: verlustfrei)\n"
    u"  --rekursiv         auch die Bilder der Unterordner; ihre Ansichten kommen in die\n"
    u"                     gleichen Unterordner des Ausgabeordners\n"
    u"  --pruefen          nichts schneiden: für jedes Bild die Rahmen melden, die nicht\n"
    u"                     ganz im Bild liegen (die Größe steht im Dateikopf)\n"
    u"  --help             diese Hilfe\n"
    u"\n"
    u"Zwei Bilder, deren Ansichten gleich hießen (ohne Rücksicht auf Groß- und\n"
    u"Kleinschreibung), überschreiben einander nie: das erste wird geschnitten, jedes\n"
    u"spätere bekommt eine „Error: …“-Zeile. Strg+C (SIGINT) oder SIGTERM halten an: kein\n"
    u"weiteres Bild wird begonnen, die begonnenen werden fertig, keine halbe Datei bleibt.\n"
    u"\n"
    u"Rückgabewert: 0 jedes Bild ausgeschnitten (mit --pruefen: jeder Rahmen passt),\n"
    u"1 mindestens ein Bild fehlgeschlagen oder abgewiesen (oder ein Rahmen passt nicht),\n"
    u"2 falscher Aufruf oder unbrauchbare Konfigurationsdatei, 130 nach SIGINT,\n"
    u"143 nach SIGTERM.\n";

// Bad arguments. %1 the option as given.
inline constexpr QStringView OptionUnbekannt = u"Unbekannte Option '%1'";
inline constexpr QStringView WertFehlt = u"Zu %1 fehlt der Wert";
inline constexpr QStringView WertUnerwartet = u"Zu %1 gehört kein Wert";
inline constexpr QStringView Doppelt = u"%1 ist mehrfach angegeben";
inline constexpr QStringView ConfigFehlt = u"--config DATEI fehlt";
inline constexpr QStringView EingabeFehlt =
    u"Keine EINGABE angegeben: ein Ordner oder eine Bilddatei";
inline constexpr QStringView AusgabeLeer = u"--ausgabe ohne Ordner";
// %1 the value as given.
inline constexpr QStringView FormatUnbekannt =
    u"Unbekanntes Format '%1' in --format: erlaubt sind bmp, png, jpg, tif und webp";
inline constexpr QStringView QualitaetFalsch = u"--qualitaet %1 liegt nicht zwischen 1 und 100";
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

} // namespace cli::text
