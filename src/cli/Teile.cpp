#include "Teile.h"

#include "Texte.h"
#include "views/Stapel.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QtEndian>

namespace cli {

std::optional<Teil> teilLesen(const QString& text, QString* fehler)
{
    // ASCII digits only: \d would also take digits of other scripts.
    static const QRegularExpression form(QStringLiteral("^([0-9]+)/([0-9]+)$"));
    const QRegularExpressionMatch m = form.match(text);
    bool kOk = false, nOk = false;
    Teil teil;
    if (m.hasMatch()) {
        teil.k = m.captured(1).toInt(&kOk);
        teil.n = m.captured(2).toInt(&nOk);
    }
    if (!kOk || !nOk) {
        *fehler = text::TeilUngueltig.arg(text);
        return std::nullopt;
    }
    if (teil.k < 1 || teil.k > teil.n) {
        *fehler = text::TeilAusserhalb.arg(text);
        return std::nullopt;
    }
    return teil;
}

int teilNummer(const QString& dateiname, int n)
{
    QString schluessel = schnitt::stammSchluessel(dateiname);
    // A name too short for views writes nothing, but its error line must
    // still stand in exactly one part.
    if (schluessel.isNull())
        schluessel = dateiname.toCaseFolded();
    const QByteArray summe =
        QCryptographicHash::hash(schluessel.toUtf8(), QCryptographicHash::Sha256);
    const quint64 zahl = qFromBigEndian<quint64>(summe.constData());
    return int(zahl % quint64(n)) + 1;
}

} // namespace cli
