#include "Befunde.h"

#include "Dateien.h"
#include "FrameKonfig.h"
#include "Profil.h"

#include <QLocale>
#include <QRect>

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <vector>

namespace frames {

namespace {

enum class Wert { Zahl, Ganzzahl, Dezimal, Wort };

struct Eintragsart
{
    const char16_t* name;
    Wert wert;
};

struct Abschnittsart
{
    const char16_t* name;
    std::vector<Eintragsart> eintraege;
};

const std::vector<Eintragsart> richtungsEintraege = {
    {u"Top", Wert::Zahl},     {u"Left", Wert::Zahl},           {u"Width", Wert::Zahl},
    {u"Height", Wert::Zahl},  {u"Blickwinkel", Wert::Dezimal}, {u"Gier", Wert::Dezimal},
    {u"Nick", Wert::Dezimal}, {u"Interpolation", Wert::Wort}};

const std::array<Abschnittsart, 7> abschnitte = {{
    {u"Vorwärts", richtungsEintraege},
    {u"Links", richtungsEintraege},
    {u"Rechts", richtungsEintraege},
    {u"Zurück", richtungsEintraege},
    {u"Ausgabe",
     {{u"Format", Wert::Wort},
      {u"Qualitaet", Wert::Ganzzahl},
      {u"Verlustfrei", Wert::Wort},
      {u"Ordner", Wert::Wort}}},
    {u"Vorlage",
     {{u"Breite", Wert::Ganzzahl},
      {u"Hoehe", Wert::Ganzzahl},
      {u"Anpassen", Wert::Wort},
      {u"Ausrichtung", Wert::Wort}}},
    {u"Video", {{u"Abstand", Wert::Wort}}},
}};

// A name or value as a log line can show it: one line, and not endless.
QString gezeigt(QString text)
{
    constexpr qsizetype Hoechstens = 40;
    if (text.size() > Hoechstens)
        text = text.left(Hoechstens) + u'…';
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    return text;
}

bool gleich(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The known name closest to `name`, where it is one or two slips away.
template <typename Liste, typename Name>
std::optional<QString> gemeint(const QString& name, const Liste& liste, Name nameVon)
{
    std::optional<QString> bester;
    int abstand = 3;
    for (const auto& e : liste) {
        const QString kandidat = QString::fromUtf16(nameVon(e));
        const int d = tippAbstand(name, kandidat);
        if (d < abstand) {
            abstand = d;
            bester = kandidat;
        }
    }
    return bester;
}

bool istZahl(const QString& text, Wert art)
{
    bool ok = false;
    switch (art) {
    case Wert::Zahl:
        // As the frames are read: in the notation of the default locale.
        QLocale().toDouble(text, &ok);
        break;
    case Wert::Ganzzahl:
        text.toLongLong(&ok);
        break;
    case Wert::Dezimal:
        QLocale::c().toDouble(QString(text).replace(u',', u'.'), &ok);
        break;
    case Wert::Wort:
        return true;
    }
    return ok;
}

} // namespace

int tippAbstand(QStringView a, QStringView b)
{
    // Damerau-Levenshtein (optimal string alignment) over case-folded letters.
    const QString x = a.toString().toCaseFolded();
    const QString y = b.toString().toCaseFolded();
    const qsizetype n = x.size();
    const qsizetype m = y.size();
    std::vector<std::vector<int>> d(size_t(n + 1), std::vector<int>(size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[i][0] = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        d[0][j] = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            const int kosten = x[i - 1] == y[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + kosten});
            if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[n][m];
}

QStringList befunde(const QString& pfad, const QString& anzeige)
{
    QString grund;
    const QByteArray inhalt = dateien::lesen(pfad, &grund);
    if (inhalt.isNull())
        return {};
    const std::vector<profildatei::Zeileninhalt> zeilen = profildatei::zeilenDeuten(inhalt);

    std::vector<std::pair<int, QString>> funde; // line, text
    auto melden = [&](qsizetype index, const QString& text) {
        funde.emplace_back(int(index + 1), text);
    };
    // The line of each direction's first section, where its frame comes from.
    std::array<qsizetype, 4> richtungsZeile;
    richtungsZeile.fill(-1);

    const Abschnittsart* abschnitt = nullptr;
    bool unbekannterAbschnitt = false;
    for (qsizetype i = 0; i < qsizetype(zeilen.size()); ++i) {
        const profildatei::Zeileninhalt& z = zeilen[size_t(i)];
        if (z.art == profildatei::Zeilenart::Sektion) {
            const auto treffer = std::ranges::find_if(
                abschnitte, [&](const Abschnittsart& a) { return gleich(z.name, a.name); });
            abschnitt = treffer == abschnitte.end() ? nullptr : &*treffer;
            unbekannterAbschnitt = !abschnitt;
            if (abschnitt) {
                const auto r = treffer - abschnitte.begin();
                if (r < 4 && richtungsZeile[size_t(r)] < 0)
                    richtungsZeile[size_t(r)] = i;
                continue;
            }
            QString text = QStringLiteral("[%1] ist kein bekannter Abschnitt").arg(gezeigt(z.name));
            if (const auto g = gemeint(z.name, abschnitte, [](const auto& a) { return a.name; }))
                text += QStringLiteral(" (gemeint: [%1]?)").arg(*g);
            melden(i, text);
            continue;
        }
        // An unknown section's entries are its finding's.
        if (z.art != profildatei::Zeilenart::Eintrag || unbekannterAbschnitt)
            continue;
        if (!abschnitt) {
            melden(i, QStringLiteral("'%1' steht vor jedem Abschnitt").arg(gezeigt(z.name)));
            continue;
        }
        const auto eintrag = std::ranges::find_if(
            abschnitt->eintraege, [&](const Eintragsart& e) { return gleich(z.name, e.name); });
        if (eintrag == abschnitt->eintraege.end()) {
            QString text = QStringLiteral("'%1' ist kein bekannter Eintrag").arg(gezeigt(z.name));
            if (const auto g = gemeint(z.name, abschnitt->eintraege,
                                       [](const Eintragsart& e) { return e.name; }))
                text += QStringLiteral(" (gemeint: %1?)").arg(*g);
            melden(i, text);
            continue;
        }
        const QString wert = z.wertOhneKommentar.trimmed();
        if (wert.isEmpty())
            continue; // as good as not given
        if (!istZahl(wert, eintrag->wert)) {
            melden(i, QStringLiteral("%1: '%2' ist keine Zahl").arg(z.name, gezeigt(wert)));
            continue;
        }
        const bool masz = gleich(z.name, u"Width") || gleich(z.name, u"Height");
        if (masz && abschnitt - abschnitte.data() < 4 && QLocale().toDouble(wert) < 0)
            melden(i, QStringLiteral("%1: %2 ist negativ").arg(z.name, wert));
    }

    // The frames as the file is read: where two overlap, and where one leaves
    // the picture the file was set up on.
    const FrameKonfiguration k = konfigurationLesen(pfad);
    std::array<std::optional<QRect>, 4> rechtecke;
    for (size_t r = 0; r < 4; ++r) {
        const FrameRechteck& f = k.rahmen[r];
        if (!k.panorama[r] && f.width > 0 && f.height > 0 && richtungsZeile[r] >= 0)
            rechtecke[r] = QRect(f.left, f.top, f.width, f.height);
    }
    const QRect vorlage(0, 0, int(std::min<qint64>(k.vorlage.breite, INT_MAX)),
                        int(std::min<qint64>(k.vorlage.hoehe, INT_MAX)));
    for (size_t r = 0; r < 4; ++r) {
        if (!rechtecke[r])
            continue;
        const QString name = QString::fromUtf16(richtungen[r].name);
        for (size_t s = 0; s < 4; ++s) {
            // Told once, at the section that comes later in the file.
            if (s == r || !rechtecke[s] || richtungsZeile[s] > richtungsZeile[r] ||
                !rechtecke[r]->intersects(*rechtecke[s]))
                continue;
            melden(richtungsZeile[r], QStringLiteral("Rahmen %1 überlappt Rahmen %2")
                                          .arg(name, QString::fromUtf16(richtungen[s].name)));
        }
        if (!vorlage.isEmpty() && !vorlage.contains(*rechtecke[r]))
            melden(richtungsZeile[r],
                   QStringLiteral("Rahmen %1 (Left %2, Top %3, Width %4, Height %5) liegt nicht "
                                  "ganz in der Vorlage (%6 × %7)")
                       .arg(name)
                       .arg(rechtecke[r]->left())
                       .arg(rechtecke[r]->top())
                       .arg(rechtecke[r]->width())
                       .arg(rechtecke[r]->height())
                       .arg(vorlage.width())
                       .arg(vorlage.height()));
    }

    std::ranges::stable_sort(funde, {}, &std::pair<int, QString>::first);
    QStringList zeilenText;
    for (const auto& [zeile, text] : funde)
        zeilenText.append(
            QStringLiteral("%1, Zeile %2: %3").arg(anzeige, QString::number(zeile), text));
    return zeilenText;
}

} // namespace frames
