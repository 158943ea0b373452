#pragma once

#include "Schneider.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace schnitt {

// The views of a batch with a folder per direction, seen as the pictures of
// a camera rig: what its cameras are and how they are turned to each other,
// in the files a reconstruction program reads ("kameras.txt" in the text
// format of its camera list, "rig.json" in that of its rig bundle adjuster).
class Rig final
{
public:
    explicit Rig(const QList<Schnitt>& schnitte);

    // Takes note of the views of one cut picture.
    void nimm(const Bildschnitt& bild);

    // One camera per direction: its number (the directions' folders in the
    // order of their names, as the program numbers them when it gives each
    // folder its own camera), its letter, and its lens where every view of
    // it had the same.
    struct Kamera
    {
        int nummer = 0;
        QChar buchstabe;
        std::optional<Lochkamera> linse;
        std::optional<frames::Panoramablick> panorama;
    };
    QList<Kamera> kameras() const;

    QByteArray kamerasText() const;
    QByteArray rigJson() const;

    // Both files into `ordner`, each whole or not at all. On failure returns
    // false with the "Error: " line in `fehlerzeile`.
    bool schreiben(const QString& ordner, QString* fehlerzeile) const;

    // The rotation from the reference camera's coordinates into those of a
    // camera turned by `gier` (to the right) and `nick` (up), as a unit
    // quaternion w, x, y, z; x right, y down, z ahead.
    static std::array<double, 4> drehung(double gier, double nick, double bezugGier,
                                         double bezugNick);

private:
    struct Eintrag
    {
        Schnitt schnitt;
        bool gesehen = false;
        bool einheitlich = true;
        std::optional<Lochkamera> linse;
    };
    QList<Eintrag> m_eintraege; // in the order of their letters
};

inline constexpr QStringView KamerasDatei = u"kameras.txt";
inline constexpr QStringView RigDatei = u"rig.json";

} // namespace schnitt
