// Frames set up on the picture: a frame label taken with the mouse moves or,
// near an edge or corner, resizes; the arrow keys nudge the last one touched.
// Every change goes into the selected slot's file at once.

#include "Form1.h"

#include "Bildfeld.h"
#include "Umrissfeld.h"
#include "config/FrameKonfig.h"
#include "config/FrameSlots.h"
#include "views/Geometrie.h"
#include "views/Overlay.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>

#include <cmath>

namespace {

constexpr int Griffbreite = 5;     // pixels from an edge that take the edge
constexpr int VerlaufGrenze = 100; // undo steps kept
enum Kante { KanteLinks = 1, KanteRechts = 2, KanteOben = 4, KanteUnten = 8 };

int kantenBei(QPoint p, QSize groesse)
{
    int kanten = 0;
    if (p.x() >= groesse.width() - Griffbreite)
        kanten |= KanteRechts;
    else if (p.x() < Griffbreite)
        kanten |= KanteLinks;
    if (p.y() >= groesse.height() - Griffbreite)
        kanten |= KanteUnten;
    else if (p.y() < Griffbreite)
        kanten |= KanteOben;
    return kanten;
}

Qt::CursorShape zeiger(int kanten)
{
    const bool waagrecht = kanten & (KanteLinks | KanteRechts);
    const bool senkrecht = kanten & (KanteOben | KanteUnten);
    if (waagrecht && senkrecht) {
        // Top left and bottom right share one slant, the other two corners the other.
        const bool fallend = ((kanten & KanteLinks) != 0) == ((kanten & KanteOben) != 0);
        return fallend ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    if (waagrecht)
        return Qt::SizeHorCursor;
    return senkrecht ? Qt::SizeVerCursor : Qt::SizeAllCursor;
}

qint16 knapp(qint64 v)
{
    return static_cast<qint16>(std::clamp<qint64>(v, -32768, 32767));
}

// `r` with its dragged edges moved by dx, dy pixels; at least 1 × 1. The
// limits are those of a file's values, or, for a frame scaled to a larger
// picture, wider ones.
QRect verschoben(const QRect& r, int kanten, int dx, int dy, qint64 grenze)
{
    auto k = [grenze](qint64 v) { return int(std::clamp<qint64>(v, -grenze - 1, grenze)); };
    qint64 links = r.left(), oben = r.top(), breite = r.width(), hoehe = r.height();
    const qint64 rechts = links + breite, unten = oben + hoehe;
    if (kanten == 0)
        return QRect(k(links + dx), k(oben + dy), int(breite), int(hoehe));
    if (kanten & KanteLinks)
        links = k(std::min<qint64>(links + dx, rechts - 1));
    if (kanten & (KanteLinks | KanteRechts))
        breite = k(std::max<qint64>(1, (kanten & KanteRechts ? rechts + dx : rechts) - links));
    if (kanten & KanteOben)
        oben = k(std::min<qint64>(oben + dy, unten - 1));
    if (kanten & (KanteOben | KanteUnten))
        hoehe = k(std::max<qint64>(1, (kanten & KanteUnten ? unten + dy : unten) - oben));
    return QRect(int(links), int(oben), int(breite), int(hoehe));
}

FrameRechteck verschoben(const FrameRechteck& f, int kanten, int dx, int dy)
{
    const QRect r = verschoben(QRect(f.left, f.top, f.width, f.height), kanten, dx, dy, 32767);
    return {knapp(r.top()), knapp(r.left()), knapp(r.width()), knapp(r.height())};
}

Richtung richtungVon(int index)
{
    for (const RichtungsInfo& i : richtungen) {
        if (i.rahmenIndex == index)
            return i.richtung;
    }
    return Richtung::Vorwaerts;
}

QString rahmenText(Richtung r, const FrameRechteck& f)
{
    return QStringLiteral("%1\n%2, %3, %4 × %5")
        .arg(QString::fromUtf16(info(r).name))
        .arg(f.left)
        .arg(f.top)
        .arg(f.width)
        .arg(f.height);
}

} // namespace

bool Form1::rahmenBearbeitbar() const
{
    return bildgeladen && !m_schneidet && Frame >= 1 && Frame <= frameslots::AnzahlSlots &&
           !framedateien[Frame].isEmpty();
}

QRect Form1::rahmenImBild(int index) const
{
    const FrameRechteck f = rechteck(richtungVon(index));
    if (f.konfiguriert())
        return wirksamesRechteck(f);
    // Shown at its design place: the rectangle that place stands for, by the
    // inverse of the overlay's factors.
    const QRect g = Rahmen[index]->geometry();
    const auto [fx, fy] = overlay::faktoren(Picture1->size(), Picture3->size());
    return QRect(int(std::lround(g.left() * fx)), int(std::lround(g.top() * fy)),
                 int(std::max(1L, std::lround(g.width() * fx))),
                 int(std::max(1L, std::lround(g.height() * fy))));
}

FrameRechteck Form1::rahmenInDatei(int index) const
{
    const FrameRechteck f = rechteck(richtungVon(index));
    return f.konfiguriert() ? f : inDatei(rahmenImBild(index));
}

FrameRechteck Form1::inDatei(const QRect& r) const
{
    return schnitt::inDateiEinheiten(r, m_konfiguration.vorlage, bildGroesse());
}

void Form1::rahmenAktivieren(int index)
{
    // One frame or panorama view at a time takes the arrow keys.
    m_aktivesPanorama = -1;
    m_umrissfeld->setzeAktiv(-1);
    m_aktiverRahmen = index;
    for (int i = 0; i < int(Rahmen.size()); ++i)
        Rahmen[i]->setLineWidth(i == index ? 3 : 1);
}

bool Form1::rahmenMaus(QObject* objekt, QEvent* ereignis)
{
    const QEvent::Type art = ereignis->type();
    if (art != QEvent::MouseButtonPress && art != QEvent::MouseMove &&
        art != QEvent::MouseButtonRelease)
        return false;
    const auto* maus = static_cast<QMouseEvent*>(ereignis);
    const auto it = std::find(Rahmen.begin(), Rahmen.end(), objekt);
    const int index = it == Rahmen.end() ? -1 : int(it - Rahmen.begin());

    if (art == QEvent::MouseButtonPress && index < 0) {
        // A click outside the preview ends the editing.
        auto* w = qobject_cast<QWidget*>(objekt);
        if ((m_aktiverRahmen >= 0 || m_aktivesPanorama >= 0) && w && w != Picture3 &&
            !Picture3->isAncestorOf(w))
            rahmenAktivieren(-1);
        return false;
    }
    if (m_zug && art == QEvent::MouseMove) {
        const QPointF d = maus->globalPosition() - m_zug->start;
        const auto [fx, fy] = overlay::faktoren(Picture1->size(), Picture3->size());
        // In the picture's pixels; a frame scaled to a larger picture may
        // reach beyond a file's values, which inDatei brings back.
        const qint64 grenze = m_konfiguration.vorlage.skalieren ? qint64(1) << 30 : 32767;
        m_zug->jetzt =
            verschoben(m_zug->vorher, m_zug->kanten, int(std::lround(d.x() * double(fx))),
                       int(std::lround(d.y() * double(fy))), grenze);
        QLabel* label = Rahmen[m_zug->index];
        label->setGeometry(
            overlay::aufPixel(overlay::skaliert(m_zug->jetzt, Picture1->size(), Picture3->size())));
        // The numbers the file will hold.
        label->setText(rahmenText(richtungVon(m_zug->index), inDatei(m_zug->jetzt)));
        return true;
    }
    if (m_zug && art == QEvent::MouseButtonRelease && maus->button() == Qt::LeftButton) {
        const Rahmenzug zug = *m_zug;
        m_zug.reset();
        Rahmen[zug.index]->setText(QString::fromUtf16(info(richtungVon(zug.index)).name));
        Rahmen[zug.index]->setFont(zug.schrift);
        rahmenSpeichern(zug.index, inDatei(zug.jetzt), true);
        return true;
    }
    if (index < 0 || !rahmenBearbeitbar())
        return false;
    if (art == QEvent::MouseMove) {
        Rahmen[index]->setCursor(
            zeiger(kantenBei(maus->position().toPoint(), Rahmen[index]->size())));
        return false;
    }
    if (art != QEvent::MouseButtonPress || maus->button() != Qt::LeftButton)
        return false;
    const QRect f = rahmenImBild(index);
    m_zug = Rahmenzug{index,
                      kantenBei(maus->position().toPoint(), Rahmen[index]->size()),
                      maus->globalPosition(),
                      f,
                      f,
                      Rahmen[index]->font()};
    rahmenAktivieren(index);
    // Smaller while dragged, so that the numbers fit into a narrow frame.
    QFont klein = m_zug->schrift;
    klein.setPointSizeF(klein.pointSizeF() * 0.7);
    Rahmen[index]->setFont(klein);
    Rahmen[index]->setText(rahmenText(richtungVon(index), inDatei(f)));
    return true;
}

bool Form1::rahmenTaste(int taste, Qt::KeyboardModifiers mod)
{
    if (taste == Qt::Key_Z && mod == Qt::ControlModifier) {
        if (m_rahmenVerlauf.isEmpty() || !rahmenBearbeitbar())
            return false;
        // Back into the file it was made in, whichever slot is selected now.
        const Rahmenaenderung a = m_rahmenVerlauf.takeLast();
        if (a.panorama)
            panoramaSpeichern(a.richtung, *a.panorama, false, a.datei);
        else
            rahmenSpeichern(info(a.richtung).rahmenIndex, a.vorher, false, a.datei);
        return true;
    }
    if (m_aktiverRahmen < 0 || m_zug || !rahmenBearbeitbar())
        return false;
    int dx = 0, dy = 0;
    switch (taste) {
    case Qt::Key_Left:
        dx = -1;
        break;
    case Qt::Key_Right:
        dx = 1;
        break;
    case Qt::Key_Up:
        dy = -1;
        break;
    case Qt::Key_Down:
        dy = 1;
        break;
    default:
        return false;
    }
    // A step is one unit of the file, also where frames are scaled to the picture.
    const FrameRechteck f = rahmenInDatei(m_aktiverRahmen);
    const bool groesse = mod & Qt::ShiftModifier;
    rahmenSpeichern(m_aktiverRahmen,
                    groesse ? verschoben(f, (dx ? KanteRechts : 0) | (dy ? KanteUnten : 0), dx, dy)
                            : verschoben(f, 0, dx, dy),
                    true);
    return true;
}

void Form1::aenderungMerken(Rahmenaenderung aenderung)
{
    m_rahmenVerlauf.append(std::move(aenderung));
    if (m_rahmenVerlauf.size() > VerlaufGrenze)
        m_rahmenVerlauf.removeFirst();
}

void Form1::rahmenSpeichern(int index, const FrameRechteck& neu, bool merken, QString datei)
{
    const Richtung richtung = richtungVon(index);
    const FrameRechteck vorher = rechteck(richtung);
    if (datei.isEmpty())
        datei = framedateien[Frame];
    const QString name = QString::fromUtf16(info(richtung).name);
    QString fehler;
    // A file without [Vorlage] learns the size of the picture its frames are
    // set up on, with Anpassen=nein, so that its use stays as it was.
    // A frame put down unchanged leaves the file as it was.
    std::optional<QSize> vorlage;
    if (!m_konfiguration.vorlage.vorhanden && datei == framedateien[Frame] && neu != vorher)
        vorlage = bildGroesse();
    if (frames::rechteckSchreiben(m_programmordner + u'/' + datei, richtung, neu, &fehler,
                                  vorlage)) {
        if (merken)
            aenderungMerken({datei, richtung, vorher, std::nullopt});
        SchreibProtokoll(QStringLiteral("Rahmen %1 in '%2' gespeichert: Top %3, Left %4, "
                                        "Width %5, Height %6")
                             .arg(name, datei)
                             .arg(neu.top)
                             .arg(neu.left)
                             .arg(neu.width)
                             .arg(neu.height));
    } else {
        SchreibProtokoll(
            QStringLiteral("Error: Rahmen %1 nicht gespeichert: %2").arg(name, fehler));
    }
    // The file decides: after a failure the frame goes back to what it holds.
    HolConfig(Frame);
    rahmenAnordnen();
}
