#pragma once

#include <QString>

#include <array>

// The program-wide table of frame slot files. Entries 1 to 9 hold the bare
// file names of slots 1 to 9 ("" = free); entry 10 holds a file waiting for
// the user to name the slot it is to replace. Entry 0 is unused so that the
// indexes are the slot numbers the user sees.
inline std::array<QString, 11> framedateien;

namespace frameslots {

inline constexpr int AnzahlSlots = 9;
inline constexpr int Wartend = 10;

// The lowest free slot (1 to 9), or 10 when all nine are filled.
inline int ersterFreier()
{
    for (int i = 1; i <= AnzahlSlots; ++i) {
        if (framedateien[i].isEmpty())
            return i;
    }
    return Wartend;
}

inline void alleLeeren()
{
    framedateien.fill(QString());
}

} // namespace frameslots
