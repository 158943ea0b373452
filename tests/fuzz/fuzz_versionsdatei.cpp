// Any bytes as the version file from the server.
//
// Property: the last line is the text after the last line end (CR LF or a
// lone CR) once one line end at the very end is set aside; it holds no CR;
// the version text is that line less its first nine characters and exists
// only for a line of ten or more; a number read from it is finite; and no
// version is newer than itself, nor are two versions each newer than the
// other.

#include "Fuzzhilfen.h"

#include "config/Cp1252.h"
#include "update/VersionDatei.h"

#include <QLocale>

#include <cmath>

namespace {

QByteArrayView erwarteteLetzteZeile(QByteArrayView d)
{
    if (d.endsWith("\r\n"))
        d.chop(2);
    else if (d.endsWith('\r'))
        d.chop(1);
    const qsizetype cr = d.lastIndexOf('\r');
    if (cr < 0)
        return d;
    const qsizetype anfang = cr + 1 < d.size() && d[cr + 1] == '\n' ? cr + 2 : cr + 1;
    return d.sliced(anfang);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse)
{
    const QByteArrayView inhalt(daten, static_cast<qsizetype>(groesse));
    const QString zeile = update::letzteZeile(inhalt);
    PRUEFEN(!zeile.contains(u'\r'));
    PRUEFEN(cp1252::kodieren(zeile) == erwarteteLetzteZeile(inhalt).toByteArray());

    const std::optional<QString> text = update::versionsText(inhalt);
    PRUEFEN(text.has_value() == (zeile.size() >= 10));
    if (!text)
        return 0;
    PRUEFEN(*text == zeile.sliced(9));

    static const QLocale deutsch(QLocale::German, QLocale::Germany);
    static const QLocale englisch(QLocale::English, QLocale::UnitedStates);
    for (const QLocale& gebiet : {deutsch, englisch}) {
        if (const std::optional<float> zahl = update::versionsZahl(*text, gebiet))
            PRUEFEN(std::isfinite(*zahl));
        const QString laufend = QStringLiteral("1,300");
        PRUEFEN(!update::istNeuer(*text, *text, gebiet));
        PRUEFEN(!(update::istNeuer(*text, laufend, gebiet) &&
                  update::istNeuer(laufend, *text, gebiet)));
    }
    return 0;
}
