#include "Cp1252.h"

#include <algorithm>
#include <array>

namespace {

// 0x80..0x9F: the only range where Windows-1252 differs from Latin-1.
// Five codes are undefined; Windows maps them to the C1 controls of the same value.
constexpr std::array<char16_t, 32> obereTabelle = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

namespace cp1252 {

QString dekodieren(QByteArrayView bytes)
{
    QString text;
    text.resize(bytes.size());
    QChar* ziel = text.data();
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *ziel++ = (b >= 0x80 && b < 0xA0) ? QChar(obereTabelle[b - 0x80]) : QChar(b);
    }
    return text;
}

QByteArray kodieren(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(static_cast<char>(u));
            continue;
        }
        const auto stelle = std::ranges::find(obereTabelle, u);
        bytes.append(stelle == obereTabelle.end()
                         ? '?'
                         : static_cast<char>(0x80 + (stelle - obereTabelle.begin())));
    }
    return bytes;
}

} // namespace cp1252
