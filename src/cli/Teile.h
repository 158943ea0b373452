#pragma once

#include <QString>

#include <optional>

namespace cli {

// Part K of N of a run (--teil K/N), for as many processes, machines or
// cluster jobs as there are parts.
struct Teil
{
    int k = 1;
    int n = 1;
};

// Reads "K/N" with whole numbers 1 ≤ K ≤ N. On a bad value returns nothing
// and puts one German line saying why into `fehler`.
std::optional<Teil> teilLesen(const QString& text, QString* fehler);

// The part (1 … n) a picture belongs to, from its Stapelbild::dateiname: the
// first 8 bytes of the SHA-256 of its key, read big-endian, modulo n, plus 1.
// The key is stammSchluessel, the case-folded path of its views without
// direction and extension: pictures whose views would clash share it, so
// they always land in the same part, and the clash check of each part
// covers every clash across parts. The same on every machine and every run.
int teilNummer(const QString& dateiname, int n);

} // namespace cli
