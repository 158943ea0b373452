#pragma once

#include <QString>
#include <QStringView>

// The German texts that cutting writes into the activity log. Placeholders are
// filled with QStringView::arg in one pass, so a file name that itself holds
// "%1" is shown as it is.
namespace schnitt::meldung {

inline constexpr QStringView Trennlinie = u"====================";             // 20 signs
inline constexpr QStringView Schlusslinie = u"=============================="; // 30 signs
inline constexpr QStringView Fertig = u"Fertig!";
// In place of "Fertig!" when the batch was stopped. %1 pictures handed over,
// %2 all of the batch.
inline constexpr QStringView Abgebrochen = u"Abgebrochen nach %1 von %2 Bildern.";
// Follows the file name directly, without a blank.
inline constexpr QStringView Ueberschrift = u"%1:";
inline constexpr QStringView VideobildUeberschrift = u"%1 Bild %2 (%3 s):";

// Every error line below starts with this; a line of the log that does not
// is no error.
inline constexpr QStringView Fehleranfang = u"Error: ";

// One line for a whole picture; neither a heading nor a view line follows.
// %1 source file name, %2 reason.
inline constexpr QStringView NichtGeladen = u"Error: %1 konnte nicht geladen werden: %2";
// %1 source file name.
inline constexpr QStringView NameZuKurz =
    u"Error: %1 hat einen zu kurzen Namen, um daraus Ansichten zu benennen";
// %1 source file name, %2 output folder, %3 reason.
inline constexpr QStringView OrdnerNichtAngelegt =
    u"Error: %1 nicht ausgeschnitten, Ordner '%2' konnte nicht angelegt werden: %3";

// In place of a picture whose views would have replaced those of a picture
// before it in the same batch. %1 that picture, %2 the one before.
inline constexpr QStringView NameGleich =
    u"Error: %1 nicht ausgeschnitten: seine Ansichten hießen wie die von %2";

// After the heading of a picture whose frames were scaled to its size. %1
// the picture, %2 its width, %3 its height.
inline constexpr QStringView Skaliert = u"%1: Rahmen skaliert auf %2 × %3";
// Appended to a view's line when it was decoded and encoded again although
// views without re-encoding were asked for.
inline constexpr QStringView NeuKodiert = u" (neu kodiert)";
inline constexpr QStringView VerlustfreiVideo =
    u"%1: Verlustfrei gilt nur für JPEG-Bilder; die Bilder des Videos werden neu kodiert";

// The fit check. %1 file, %2 direction, %3 Left, %4 Top, %5 Width, %6
// Height, %7 picture width, %8 picture height.
inline constexpr QStringView PasstNicht =
    u"%1: Rahmen %2 (Left %3, Top %4, Width %5, Height %6) liegt nicht ganz im Bild (%7 × %8)";
// %1 file, %2 and %3 its size, %4 and %5 the reference size.
inline constexpr QStringView GroesseAnders =
    u"%1: das Bild ist %2 × %3 groß, die Rahmen gelten für %4 × %5 ([Vorlage], Anpassen=nein)";
// %1 pictures checked, %2 "17 passen" or "1 passt", %3 the same of those not
// fitting, %4 unreadable.
inline constexpr QStringView Pruefsumme = u"Geprüft: %1 Bilder, %2, %3 nicht, %4 nicht lesbar";

// A panorama view of a picture that is not twice as wide as high. %1 file,
// %2 direction, %3 width, %4 height.
inline constexpr QStringView KeinPanorama =
    u"Error: %1, %2: das Bild ist mit %3 × %4 Pixeln kein Panorama im Seitenverhältnis 2:1";

// A rectangle with no pixel in the picture: its view would be all white. %1
// file, %2 direction, %3 Left, %4 Top, %5 Width, %6 Height, %7 picture width,
// %8 picture height.
inline constexpr QStringView GanzAusserhalb =
    u"Error: %1, %2: Rahmen (Left %3, Top %4, Width %5, Height %6) liegt ganz außerhalb des "
    u"Bildes (%7 × %8); keine Ansicht gespeichert";

// Runs that cannot cut anything. %1 the folder.
inline constexpr QStringView KeineRichtung = u"Keine Richtung ausgewählt.";
inline constexpr QStringView KeineBilder = u"Keine Bilder im Ordner %1.";
// After a cut or a batch that wrote views. %1 the folder they went to.
inline constexpr QStringView AnsichtenIn = u"Ansichten in %1";

// One line for a single view. %1 source file name, %2 direction, %3 width,
// %4 height.
inline constexpr QStringView RahmenUngueltig =
    u"Error: %1, %2: Rahmen mit Breite %3 und Höhe %4 kann nicht ausgeschnitten werden";
// %1 source file name, %2 the letter as passed.
inline constexpr QStringView BuchstabeUngueltig =
    u"Error: %1: '%2' ist kein gültiger Richtungsbuchstabe für einen Dateinamen";
// %1 source file name, %2 direction, %3 width, %4 height.
inline constexpr QStringView KeinSpeicher =
    u"Error: %1, %2: kein Speicher für eine Ansicht von %3 × %4 Pixeln";
// %1 output file, %2 reason.
inline constexpr QStringView NichtGeschrieben =
    u"Error: Datei '%1' konnte nicht geschrieben werden: %2";

// Reasons.
inline constexpr QStringView GrundFehlt = u"die Datei existiert nicht";
inline constexpr QStringView GrundKeineDatei = u"das ist keine gewöhnliche Datei";
inline constexpr QStringView GrundLeer = u"die Datei ist leer";
inline constexpr QStringView GrundFormat =
    u"die Datei ist kein BMP-, JPEG-, GIF-, PNG-, TIFF- oder WebP-Bild";
inline constexpr QStringView GrundUnvollstaendig = u"die Bilddaten sind unvollständig";
inline constexpr QStringView GrundBeschaedigt = u"die Bilddaten sind beschädigt";
// %1 width, %2 height, %3 the limit in megabytes.
inline constexpr QStringView GrundZuGross =
    u"das Bild ist mit %1 × %2 Pixeln größer als die Grenze von %3 MB";
inline constexpr QStringView GrundUnbekannt = u"unbekannter Fehler";
inline constexpr QStringView GrundDateiSchreibgeschuetzt = u"die Datei ist schreibgeschützt";
inline constexpr QStringView GrundOrdnerSchreibgeschuetzt = u"der Ordner ist schreibgeschützt";
inline constexpr QStringView GrundOrdnerImWeg = u"an ihrer Stelle steht ein Ordner";
inline constexpr QStringView GrundDateiImWeg = u"an seiner Stelle steht eine Datei";

// A file name as it may stand in a log line: each control character (a line
// break among them) shown as '?', so that one message stays one line.
inline QString zeilentauglich(QString name)
{
    for (QChar& c : name) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u'?';
    }
    return name;
}

} // namespace schnitt::meldung
