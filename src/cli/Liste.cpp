#include "Liste.h"

#include "Texte.h"
#include "config/Dateien.h"
#include "views/Meldungen.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <ranges>
#include <string_view>

#include <cerrno>
#include <cstdio>

namespace cli {

std::optional<QByteArray> listeLesen(const QString& pfad, QString* fehler)
{
    QString grund;
    QByteArray inhalt;
    if (pfad == u"-") {
        // Read through the open descriptor: /dev/stdin cannot be opened
        // again where standard input is a socket.
        QFile ein;
        errno = 0;
        if (ein.open(stdin, QIODevice::ReadOnly))
            inhalt = ein.readAll();
        if (ein.error() != QFileDevice::NoError)
            grund = dateien::grund(errno, true);
    } else {
        inhalt = dateien::lesen(pfad, &grund);
    }
    if (!grund.isEmpty()) {
        *fehler = text::ListeNichtLesbar.arg(
            schnitt::meldung::zeilentauglich(QDir::toNativeSeparators(pfad)), grund);
        return std::nullopt;
    }
    return inhalt;
}

QStringList listeZerlegen(const QByteArray& inhalt, bool nullGetrennt)
{
    const std::string_view bytes(inhalt.constData(), size_t(inhalt.size()));
    QStringList pfade;
    for (const auto teil : std::views::split(bytes, nullGetrennt ? '\0' : '\n')) {
        std::string_view eintrag(teil.begin(), teil.end());
        if (!nullGetrennt && eintrag.ends_with('\r'))
            eintrag.remove_suffix(1);
        if (!eintrag.empty())
            pfade.append(QFile::decodeName(QByteArray(eintrag.data(), qsizetype(eintrag.size()))));
    }
    return pfade;
}

std::optional<schnitt::Stapelbild> listenbild(const QString& angabe)
{
    const QString pfad = QDir::fromNativeSeparators(angabe);
    // The root with every slash after it ("/", "//server", "C:/"), which
    // the views' path leaves out.
    static const QRegularExpression wurzelForm(QStringLiteral("^[^/]*/+"));
    const qsizetype ab = QDir::isAbsolutePath(pfad)
                             ? std::max<qsizetype>(wurzelForm.match(pfad).capturedEnd(), 0)
                             : 0;
    QStringList teile = pfad.mid(ab).split(u'/', Qt::SkipEmptyParts);
    teile.removeAll(QStringLiteral("."));
    // Resolving "a/../b" to "b" by the text would be wrong where "a" is a
    // link; refused, whatever it resolves to.
    if (teile.contains(QStringLiteral("..")))
        return std::nullopt;
    const QString dateiname = teile.join(u'/');
    const QString wurzel = ab == 0 ? QStringLiteral(".") : pfad.left(ab);
    // The list's own string where it is already clean, so that a long list
    // holds each path once.
    return schnitt::Stapelbild{wurzel, dateiname == angabe ? angabe : dateiname};
}

} // namespace cli
