#pragma once

#include <QString>

namespace beispiel {

inline constexpr const char16_t* Dateiname = u"beispielconfig.ini";

struct Wert
{
    const char16_t* sektion;
    const char16_t* schluessel;
    const char16_t* wert;
};

// Four rectangles that tile a picture of 1140 x 855 pixels: Links, Vorwärts
// and Rechts side by side, 705 high, and Zurück as the strip below them.
inline constexpr Wert werte[] = {
    {u"Vorwärts", u"Top", u"0"},     {u"Vorwärts", u"Left", u"150"},
    {u"Vorwärts", u"Width", u"840"}, {u"Vorwärts", u"Height", u"705"},
    {u"Links", u"Top", u"0"},        {u"Links", u"Left", u"0"},
    {u"Links", u"Width", u"150"},    {u"Links", u"Height", u"705"},
    {u"Rechts", u"Top", u"0"},       {u"Rechts", u"Left", u"990"},
    {u"Rechts", u"Width", u"150"},   {u"Rechts", u"Height", u"705"},
    {u"Zurück", u"Top", u"705"},     {u"Zurück", u"Left", u"0"},
    {u"Zurück", u"Width", u"1140"},  {u"Zurück", u"Height", u"150"},
};

// Sets the sixteen sample values in the file at `pfad`, keeping every other
// entry of an existing file. The file is replaced in one step, so it never
// holds only part of the sample. On failure returns false with a German
// reason in `fehler`.
bool schreiben(const QString& pfad, QString* fehler = nullptr);

} // namespace beispiel
