#pragma once

#include "FrameRechteck.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace frames {

// A value of a frame configuration file as a 16-bit number: a decimal number
// in the given locale's notation, a fraction rounded half to even. Empty text,
// text that is no number and numbers outside -32768..32767 give nothing.
std::optional<qint16> zahlLesen(const QString& text, const QLocale& locale = QLocale());

// The key names of the four values in the order they are read.
inline constexpr std::array<const char16_t*, 4> schluessel = {u"Top", u"Left", u"Width", u"Height"};

// Writes the four values of `rechteck` into the section of `richtung` in the
// file at `pfad`, in one replacement of the file: it never holds only some of
// the new values, and every other section and entry stays as it was. On
// failure returns false with a German reason naming the file in `fehler`.
bool rechteckSchreiben(const QString& pfad, Richtung richtung, const FrameRechteck& rechteck,
                       QString* fehler = nullptr);

// The four rectangles of the file at `pfad`, in the order of `richtungen`.
// Every missing or unusable value reads as 0; nothing is reported.
std::array<FrameRechteck, 4> laden(const QString& pfad);

} // namespace frames
