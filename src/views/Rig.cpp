#include "Rig.h"

#include "Meldungen.h"
#include "config/Dateien.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace schnitt {

namespace {

using Quaternion = std::array<double, 4>; // w, x, y, z

Quaternion mal(const Quaternion& a, const Quaternion& b)
{
    return {a[0] * b[0] - a[1] * b[1] - a[2] * b[2] - a[3] * b[3],
            a[0] * b[1] + a[1] * b[0] + a[2] * b[3] - a[3] * b[2],
            a[0] * b[2] - a[1] * b[3] + a[2] * b[0] + a[3] * b[1],
            a[0] * b[3] + a[1] * b[2] - a[2] * b[1] + a[3] * b[0]};
}

// From a camera's coordinates into the reference frame: turned about the
// vertical axis by the yaw, then up about its own horizontal axis by the
// pitch. With y pointing down, a pitch up turns about +x by the pitch.
Quaternion lage(double gier, double nick)
{
    const double g = gier * std::numbers::pi / 360, n = nick * std::numbers::pi / 360;
    return mal({std::cos(g), 0, std::sin(g), 0}, {std::cos(n), std::sin(n), 0, 0});
}

QString zahl(double wert)
{
    return QString::number(wert, 'g', 17);
}

} // namespace

Rig::Rig(const QList<Schnitt>& schnitte)
{
    for (const Schnitt& s : schnitte) {
        Eintrag e;
        e.schnitt = s;
        m_eintraege.append(e);
    }
    std::sort(m_eintraege.begin(), m_eintraege.end(), [](const Eintrag& a, const Eintrag& b) {
        return a.schnitt.buchstabe < b.schnitt.buchstabe;
    });
}

void Rig::nimm(const Bildschnitt& bild)
{
    for (Eintrag& e : m_eintraege) {
        const auto datei =
            std::find_if(bild.dateien.cbegin(), bild.dateien.cend(), [&](const Ansichtsdatei& d) {
                return d.buchstabe == e.schnitt.buchstabe;
            });
        if (datei == bild.dateien.cend())
            continue;
        if (!e.gesehen) {
            e.linse = datei->kamera;
            e.gesehen = true;
        }
        e.einheitlich = e.einheitlich && datei->kamera && e.linse == datei->kamera;
    }
}

QList<Rig::Kamera> Rig::kameras() const
{
    QList<Kamera> ergebnis;
    for (const Eintrag& e : m_eintraege) {
        Kamera k{int(ergebnis.size()) + 1, e.schnitt.buchstabe, std::nullopt, e.schnitt.panorama};
        if (e.gesehen && e.einheitlich)
            k.linse = e.linse;
        ergebnis.append(k);
    }
    return ergebnis;
}

QByteArray Rig::kamerasText() const
{
    const QList<Kamera> alle = kameras();
    const auto mitLinse =
        std::count_if(alle.cbegin(), alle.cend(), [](const Kamera& k) { return k.linse; });
    QString text = QStringLiteral("# Camera list with one line of data per camera:\n"
                                  "#   CAMERA_ID, MODEL, WIDTH, HEIGHT, PARAMS[]\n"
                                  "# Number of cameras: %1\n")
                       .arg(mitLinse);
    for (const Kamera& k : alle) {
        if (!k.linse)
            continue;
        const Lochkamera& l = *k.linse;
        text += QStringLiteral("%1 PINHOLE %2 %3 %4 %4 %5 %6\n")
                    .arg(QString::number(k.nummer), QString::number(l.groesse.width()),
                         QString::number(l.groesse.height()), zahl(l.brennweite), zahl(l.cx),
                         zahl(l.cy));
    }
    return text.toUtf8();
}

QByteArray Rig::rigJson() const
{
    const QList<Kamera> alle = kameras();
    // Vorwärts is the reference where it is cut, else the first camera.
    const auto bezug = std::find_if(alle.cbegin(), alle.cend(),
                                    [](const Kamera& k) { return k.buchstabe == u'V'; });
    const Kamera& ref = bezug != alle.cend() ? *bezug : alle.first();
    QJsonArray kameraListe;
    for (const Kamera& k : alle) {
        QJsonObject o{{QStringLiteral("camera_id"), k.nummer},
                      {QStringLiteral("image_prefix"), QString(k.buchstabe) + u'/'}};
        // Only a panorama's views are turned by a known angle; a rig of
        // cameras has its turns estimated.
        if (k.panorama && ref.panorama) {
            const auto q =
                drehung(k.panorama->gier, k.panorama->nick, ref.panorama->gier, ref.panorama->nick);
            o.insert(QStringLiteral("rel_qvec"), QJsonArray{q[0], q[1], q[2], q[3]});
            o.insert(QStringLiteral("rel_tvec"), QJsonArray{0, 0, 0});
        }
        kameraListe.append(o);
    }
    const QJsonArray rigs{QJsonObject{{QStringLiteral("ref_camera_id"), ref.nummer},
                                      {QStringLiteral("cameras"), kameraListe}}};
    return QJsonDocument(rigs).toJson(QJsonDocument::Indented);
}

std::array<double, 4> Rig::drehung(double gier, double nick, double bezugGier, double bezugNick)
{
    // Reference coordinates into the camera's: the camera's attitude undone
    // after the reference's is applied.
    Quaternion q = lage(gier, nick);
    q = {q[0], -q[1], -q[2], -q[3]};
    q = mal(q, lage(bezugGier, bezugNick));
    // One sign for the same turn, so that files compare.
    if (q[0] < 0)
        q = {-q[0], -q[1], -q[2], -q[3]};
    return q;
}

bool Rig::schreiben(const QString& ordner, QString* fehlerzeile) const
{
    if (m_eintraege.isEmpty())
        return true;
    const std::pair<QStringView, QByteArray> dateien[] = {{KamerasDatei, kamerasText()},
                                                          {RigDatei, rigJson()}};
    for (const auto& [name, inhalt] : dateien) {
        dateien::Zwischendatei datei(QDir(ordner).filePath(name.toString()));
        if (!datei.oeffnen() || !datei.schreiben(inhalt) || !datei.abschliessen()) {
            *fehlerzeile = meldung::NichtGeschrieben.arg(
                meldung::zeilentauglich(QDir::toNativeSeparators(datei.pfad())), datei.grund());
            return false;
        }
    }
    return true;
}

} // namespace schnitt
