#include "Profil.h"

#include "Cp1252.h"
#include "Dateien.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

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

using Art = profildatei::Zeilenart;
using Gelesen = profildatei::Zeileninhalt;

constexpr QByteArrayView Bytereihenfolgemarke("\xEF\xBB\xBF");

using profildatei::Kodierung;

QString dekodiert(QByteArrayView bytes, Kodierung art)
{
    return art == Kodierung::Utf8 ? QString::fromUtf8(bytes) : cp1252::dekodieren(bytes);
}

QByteArray kodiert(QStringView text, Kodierung art)
{
    return art == Kodierung::Utf8 ? text.toUtf8() : cp1252::kodieren(text);
}

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

QString ohneAnfuehrung(QString wert)
{
    if (wert.size() >= 2) {
        const QChar q = wert.front();
        if ((q == u'"' || q == u'\'') && wert.back() == q)
            return wert.sliced(1, wert.size() - 2);
    }
    return wert;
}

Gelesen deute(QByteArrayView roh, Kodierung art)
{
    const QString zeile = beschnitten(dekodiert(roh, art));
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
    const QString wert = zeile.section(u'=', 1);
    g.wert = ohneAnfuehrung(beschnitten(wert));
    g.wertOhneKommentar = g.wert;
    if (g.wert.size() == beschnitten(wert).size()) { // not quoted
        for (qsizetype i = 1; i < wert.size(); ++i) {
            if (wert[i] == u';' && istLeerraum(wert[i - 1])) {
                g.wertOhneKommentar = ohneAnfuehrung(beschnitten(QStringView(wert).left(i)));
                break;
            }
        }
    }
    return g;
}

// Editors that save UTF-8 put a byte order mark in front of the first line;
// it must not hide a section header standing there. Only the reading looks
// past it: the line keeps its bytes when the file is rewritten.
std::vector<Gelesen> deuteAlle(const std::vector<Zeile>& zeilen, Kodierung art)
{
    std::vector<Gelesen> g;
    g.reserve(zeilen.size());
    for (const Zeile& z : zeilen) {
        const bool mitMarke = g.empty() && z.text.startsWith(Bytereihenfolgemarke);
        g.push_back(
            deute(QByteArrayView(z.text).sliced(mitMarke ? Bytereihenfolgemarke.size() : 0), art));
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

Kodierung kodierungVon(QByteArrayView inhalt)
{
    if (inhalt.startsWith(Bytereihenfolgemarke))
        return Kodierung::Utf8;
    if (std::ranges::all_of(inhalt, [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return Kodierung::Cp1252;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString probe = utf8(inhalt);
    return utf8.hasError() ? Kodierung::Cp1252 : Kodierung::Utf8;
}

QString textAus(QByteArrayView inhalt)
{
    const Kodierung art = kodierungVon(inhalt);
    if (art == Kodierung::Utf8 && inhalt.startsWith(Bytereihenfolgemarke))
        inhalt = inhalt.sliced(Bytereihenfolgemarke.size());
    return dekodiert(inhalt, art);
}

std::vector<Zeileninhalt> zeilenDeuten(QByteArrayView inhalt)
{
    return deuteAlle(zerlege(inhalt), kodierungVon(inhalt));
}

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

QString lesenAus(QByteArrayView inhalt, const QString& sektion, const QString& eintrag,
                 Kommentar kommentar)
{
    const std::vector<Zeile> zeilen = zerlege(inhalt);
    const std::vector<Gelesen> g = deuteAlle(zeilen, kodierungVon(inhalt));

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
            return (kommentar == Kommentar::abschneiden ? z.wertOhneKommentar : z.wert)
                .left(Puffergroesse - 1);
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
    // What is added or changed is written as the file is: a UTF-8 file
    // stays UTF-8, every other one Windows-1252.
    const Kodierung art = kodierungVon(inhalt);
    const std::vector<Gelesen> g = deuteAlle(zeilen, art);

    const QByteArray neueZeile = kodiert(eintrag, art) + '=' + kodiert(wert, art);
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
        einfuegen(n, '[' + kodiert(sektion, art) + ']');
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
                zeilen[i].text = kodiert(g[i].name, art) + '=' + kodiert(wert, art);
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
