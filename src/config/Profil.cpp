#include "Profil.h"

#include "Cp1252.h"
#include "Dateien.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <ranges>
#include <span>
#include <vector>

namespace {

struct Zeile
{
    QByteArray text;    // without the line end
    QByteArray umbruch; // the line end as it stood in the file ("" for the last line)
};

enum class Art { Leer, Kommentar, Sektion, Eintrag };

struct Gelesen
{
    Art art = Art::Leer;
    QString name; // section or key name
    QString wert;
};

std::vector<Zeile> zerlege(QByteArrayView inhalt)
{
    std::vector<Zeile> zeilen;
    qsizetype anfang = 0;
    const qsizetype n = inhalt.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = inhalt[i];
        if (c != '\r' && c != '\n')
            continue;
        qsizetype ende = i + 1;
        if (c == '\r' && inhalt.sliced(ende).startsWith('\n'))
            ++ende;
        zeilen.push_back({inhalt.sliced(anfang, i - anfang).toByteArray(),
                          inhalt.sliced(i, ende - i).toByteArray()});
        anfang = ende;
        i = ende - 1;
    }
    if (anfang < n)
        zeilen.push_back({inhalt.sliced(anfang).toByteArray(), {}});
    return zeilen;
}

bool istLeerraum(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString beschnitten(QStringView s)
{
    while (!s.isEmpty() && istLeerraum(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && istLeerraum(s.back()))
        s.chop(1);
    return s.toString();
}

Gelesen deute(const QByteArray& roh)
{
    const QString zeile = beschnitten(cp1252::dekodieren(roh));
    Gelesen g;
    if (zeile.isEmpty())
        return g;
    if (zeile.startsWith(u';')) {
        g.art = Art::Kommentar;
        return g;
    }
    if (zeile.startsWith(u'[')) {
        g.art = Art::Sektion;
        // Up to the first ']', or to the end where there is none.
        g.name = beschnitten(zeile.sliced(1).section(u']', 0, 0));
        return g;
    }
    // A line without '=' is a key without a value.
    g.art = Art::Eintrag;
    g.name = beschnitten(zeile.section(u'=', 0, 0));
    g.wert = beschnitten(zeile.section(u'=', 1));
    if (g.wert.size() >= 2) {
        const QChar q = g.wert.front();
        if ((q == u'"' || q == u'\'') && g.wert.back() == q)
            g.wert = g.wert.sliced(1, g.wert.size() - 2);
    }
    return g;
}

// Editors that save UTF-8 put a byte order mark in front of the first line;
// it must not hide a section header standing there. Only the reading looks
// past it: the line keeps its bytes when the file is rewritten.
std::vector<Gelesen> deuteAlle(const std::vector<Zeile>& zeilen)
{
    constexpr QByteArrayView Bytereihenfolgemarke("\xEF\xBB\xBF");
    std::vector<Gelesen> g;
    g.reserve(zeilen.size());
    for (const Zeile& z : zeilen) {
        const bool mitMarke = g.empty() && z.text.startsWith(Bytereihenfolgemarke);
        g.push_back(deute(mitMarke ? z.text.sliced(Bytereihenfolgemarke.size()) : z.text));
    }
    return g;
}

bool gleicherName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The index range [anfang, ende) of the lines that belong to a section, its
// header excluded.
struct Bereich
{
    qsizetype anfang;
    qsizetype ende;
};

// The lines of the first section of that name; nothing when there is none.
std::optional<Bereich> findeSektion(const std::vector<Gelesen>& g, const QString& sektion)
{
    const auto kopf = std::ranges::find_if(g, [&](const Gelesen& z) {
        return z.art == Art::Sektion && gleicherName(z.name, sektion);
    });
    if (kopf == g.end())
        return std::nullopt;
    const auto ende =
        std::find_if(kopf + 1, g.end(), [](const Gelesen& z) { return z.art == Art::Sektion; });
    return Bereich{kopf + 1 - g.begin(), ende - g.begin()};
}

QString fehlerText(const QString& pfad, const QString& grund)
{
    return QStringLiteral("Datei '%1' konnte nicht geschrieben werden: %2")
        .arg(QDir::toNativeSeparators(pfad), grund);
}

} // namespace

namespace profildatei {

bool schreibgeschuetzt(const QString& pfad)
{
    const QFileInfo info(pfad);
    if (!info.exists())
        return false;
    // The mode bits count even for an administrator, like the read-only
    // attribute on Windows: a file or folder nobody may write stays as it is.
    constexpr auto schreibbits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !(info.permissions() & schreibbits) || !info.isWritable();
}

QString lesenAus(QByteArrayView inhalt, const QString& sektion, const QString& eintrag)
{
    const std::vector<Zeile> zeilen = zerlege(inhalt);
    const std::vector<Gelesen> g = deuteAlle(zeilen);

    const std::optional<Bereich> bereich = findeSektion(g, sektion);
    if (!bereich)
        return {};
    const auto sektionsZeilen =
        std::span(g).subspan(bereich->anfang, bereich->ende - bereich->anfang);

    if (eintrag.isNull()) {
        QString liste;
        for (const Gelesen& z : sektionsZeilen) {
            if (z.art == Art::Eintrag) {
                liste += z.name;
                liste += QChar(u'\0');
            }
        }
        // The list and one more zero must fit the buffer; otherwise the
        // buffer ends in two zeros after the name cut in part.
        if (liste.size() + 1 > Puffergroesse)
            liste.truncate(Puffergroesse - 2);
        return liste;
    }

    for (const Gelesen& z : sektionsZeilen) {
        if (z.art == Art::Eintrag && gleicherName(z.name, eintrag))
            return z.wert.left(Puffergroesse - 1);
    }
    return {};
}

QString lesen(const QString& pfad, const QString& sektion, const QString& eintrag)
{
    QFile datei(pfad);
    if (!datei.open(QIODevice::ReadOnly))
        return {};
    return lesenAus(datei.readAll(), sektion, eintrag);
}

QByteArray mitWert(QByteArrayView inhalt, const QString& sektion, const QString& eintrag,
                   const QString& wert)
{
    std::vector<Zeile> zeilen = zerlege(inhalt);
    const std::vector<Gelesen> g = deuteAlle(zeilen);

    const QByteArray neueZeile = cp1252::kodieren(eintrag) + '=' + cp1252::kodieren(wert);
    const QByteArray umbruch = "\r\n";
    auto einfuegen = [&](qsizetype vor, QByteArray text) {
        // The line before the new one may have been the file's last one,
        // without a line end of its own.
        if (vor > 0 && zeilen[vor - 1].umbruch.isEmpty())
            zeilen[vor - 1].umbruch = umbruch;
        zeilen.insert(zeilen.begin() + vor, Zeile{std::move(text), umbruch});
    };

    const std::optional<Bereich> bereich = findeSektion(g, sektion);
    if (!bereich) {
        const auto n = static_cast<qsizetype>(zeilen.size());
        einfuegen(n, '[' + cp1252::kodieren(sektion) + ']');
        einfuegen(n + 1, neueZeile);
    } else {
        // After the section's last entry, or right after its header.
        qsizetype neuBei = bereich->anfang;
        bool ersetzt = false;
        for (qsizetype i = bereich->anfang; i < bereich->ende; ++i) {
            if (g[i].art != Art::Eintrag)
                continue;
            if (gleicherName(g[i].name, eintrag)) {
                // The key keeps the spelling it has in the file.
                zeilen[i].text = cp1252::kodieren(g[i].name) + '=' + cp1252::kodieren(wert);
                ersetzt = true;
                break;
            }
            neuBei = i + 1;
        }
        if (!ersetzt)
            einfuegen(neuBei, neueZeile);
    }

    QByteArray ergebnis;
    for (const Zeile& z : zeilen)
        ergebnis += z.text + z.umbruch;
    return ergebnis;
}

bool aendern(const QString& pfad, const std::function<QByteArray(QByteArray)>& aenderung,
             QString* fehler)
{
    auto scheitern = [&](const QString& grund) {
        if (fehler)
            *fehler = fehlerText(pfad, grund);
        return false;
    };

    QByteArray alt;
    if (QFileInfo::exists(pfad)) {
        if (schreibgeschuetzt(pfad))
            return scheitern(QStringLiteral("die Datei ist schreibgeschützt"));
        QString grund;
        alt = dateien::lesen(pfad, &grund);
        if (alt.isNull())
            return scheitern(grund);
    }

    if (schreibgeschuetzt(QFileInfo(pfad).absolutePath()))
        return scheitern(QStringLiteral("der Ordner ist schreibgeschützt"));
    dateien::Zwischendatei neu(pfad);
    if (!neu.oeffnen() || !neu.schreiben(aenderung(std::move(alt))) || !neu.abschliessen())
        return scheitern(neu.grund());
    return true;
}

bool schreiben(const QString& pfad, const QString& sektion, const QString& eintrag,
               const QString& wert, QString* fehler)
{
    return aendern(
        pfad, [&](QByteArray alt) { return mitWert(alt, sektion, eintrag, wert); }, fehler);
}

} // namespace profildatei
