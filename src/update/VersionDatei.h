#pragma once

#include <QByteArrayView>
#include <QLocale>
#include <QString>

#include <optional>

namespace update {

// The version file is a few bytes; anything far larger is not a version file.
inline constexpr qint64 hoechstGroesseVersionsdatei = 64 * 1024;

// The last line of a text in the Windows code page. A line ends at CR LF or at
// a lone CR; a lone LF stays inside its line, as the line input that wrote
// such files always treated it. A text ending with a line break has the line
// before the break as its last line; an empty text has an empty last line.
QString letzteZeile(QByteArrayView inhalt);

// The version text of a version file: its last line without the first nine
// characters (a label such as "Version: "), or nothing when the last line is
// shorter than ten characters and thus holds no version at all.
std::optional<QString> versionsText(QByteArrayView inhalt);

// A version text read as a single-precision number with the conventions of
// `gebietsschema` ("1,300" is 1.3 under German and 1300 under English
// conventions). Blanks around the number do no harm; anything else that is
// not a finite number gives nothing.
std::optional<float> versionsZahl(const QString& text, const QLocale& gebietsschema = QLocale());

// True only when both texts are numbers and the server's is strictly greater.
bool istNeuer(const QString& serverversion, const QString& laufendeVersion,
              const QLocale& gebietsschema = QLocale());

} // namespace update
