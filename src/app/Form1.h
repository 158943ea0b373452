#pragma once

#include "config/FrameKonfig.h"
#include "config/FrameRechteck.h"
#include "views/Panorama.h"
#include "views/Stapel.h"
#include "views/Video.h"

#include <QFont>
#include <QList>
#include <QPointF>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <QPointer>

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class Bildfeld;
class DateiListe;
class Form3;
class Protokollfeld;
class Uebersicht;
class Umrissfeld;
class Vergleichsfeld;
class VerzeichnisListe;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

// The main window. Constructing it runs the start-up (Form_Load), so the
// window is in its working state before it is first shown.
class Form1 final : public QWidget
{
    Q_OBJECT

public:
    Form1(const QString& programmordner, const QUrl& updateserver, QWidget* parent = nullptr);
    ~Form1() override;

    // The rectangles of the selected frame slot; only HolConfig writes them.
    qint16 Vorwärts_T = 0, Vorwärts_L = 0, Vorwärts_W = 0, Vorwärts_H = 0;
    qint16 Links_T = 0, Links_L = 0, Links_W = 0, Links_H = 0;
    qint16 Rechts_T = 0, Rechts_L = 0, Rechts_W = 0, Rechts_H = 0;
    qint16 Zurück_T = 0, Zurück_L = 0, Zurück_W = 0, Zurück_H = 0;

    qint16 Frame = 1;          // selected slot, 1 to 9
    bool frameauswahl = false; // a picked file waits for the slot it replaces
    bool bildgeladen = false;  // a picture has been previewed
    QString letztedatei;       // file of the last log heading

    // 0 when the value was written; otherwise 1, with the German reason in `fehler`.
    qint32 SchreibINI(const QString& Dateiname, const QString& DieSektion,
                      const QString& DerEintrag, const QString& wert, QString* fehler = nullptr);
    QString HolINIString(const QString& Dateiname, const QString& DieSektion,
                         const QString& DerEintrag) const;
    void HolConfig(int slotnummer);
    void SchreibProtokoll(const QString& zeile);

    QString programmordner() const { return m_programmordner; }
    FrameRechteck rechteck(Richtung r) const;
    // What the selected slot's file says beyond the sixteen values.
    const frames::FrameKonfiguration& konfiguration() const { return m_konfiguration; }
    Form3* form3() const { return m_form3; }
    // What Exit and the window's close button do; tests replace it.
    void setzeBeenden(std::function<void()> beenden);
    // Ctrl with a digit: shows or hides the frames of that filled slot
    // (1–9) dashed over the preview, to compare them with the selected
    // slot's. Nothing is selected, cut or saved.
    void vergleichUmschalten(int slot);
    QList<int> vergleiche() const;

public slots:
    void Form_Load();
    void Form_KeyDown(qint16 KeyCode, qint16 Shift);
    void Dir1_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click(qint16 Index);
    void Command8_Click();
    void File1_DblClick();
    void File2_Click();
    // Opens the overview of the folder's pictures (Form1Uebersicht.cpp).
    void Command9_Click();

    void framewahl(qint16 Nummerauswahl);
    void Framesmakieren(qint16 Framenummer);
    void Framesberechnen();
    void Rahmensetzen(qint16 Top, qint16 Left, qint16 Width, qint16 Height, qint16 Nummer);
    void Ladebalkenzeigen(bool zeigen);
    void SchreibBeispielconfig();
    void SchneideBild(const QString& Richtung, qint16 Left, qint16 Top, qint16 Width, qint16 Height,
                      const QString& Dateiname);
    // The frame of the previewed video to show: exactly that one, not the
    // keyframe before it.
    void videobildZeigen(qint64 nummer);

signals:
    // The selected slot's file has been read (again).
    void konfigurationGeladen();

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;
    void closeEvent(QCloseEvent* ereignis) override;

private:
    void steuerelementeAnlegen();
    void tabReihenfolgeSetzen();
    void slot1Start();
    void nachricht(const QString& text);
    QPushButton* slotKnopf(int index) const;
    QCheckBox* checkFuer(Richtung r) const;
    void setzeRechteck(Richtung r, const FrameRechteck& rechteck);
    // The ticked directions with their rectangles, read from the boxes now.
    std::array<std::optional<FrameRechteck>, 4> angehakt() const;
    // The cuts with what the selected slot's file says about views.
    schnitt::Schnittplan schnittplan(QList<schnitt::Schnitt> schnitte) const;
    // Logs what loading the slot's file found worth saying.
    void konfigurationMelden();
    // Logs the likely mistakes of the file put into `slot`, by line.
    void befundeMelden(int slot);
    // True, with its line logged again, when the slot's file makes every
    // cut impossible.
    bool ausgabeUnbrauchbar();
    void schnittZeigen(const QStringList& zeilen, const QImage& bild, QSize vollGroesse);
    // Cuts on the batch engine; with `haltbar` Escape stops it.
    schnitt::Stapelverlauf schneideBilder(const QString& ordner, const QStringList& namen,
                                          bool haltbar);
    void fortschrittZeigen(int fertig, int gesamt);
    // Before a batch: whether the frames fit every picture by its header, or
    // the user wants the batch all the same; what does not fit is logged.
    bool passtOderTrotzdem(const QString& ordner, const QStringList& namen);
    // False, with its log line, when no direction is ticked: a cut would do nothing.
    bool richtungAngehakt();
    // Keys and clicks that came while views were cut, in their order; they
    // are handled once the cut is over.
    bool eingabeAufschieben(QObject* objekt, QEvent* ereignis);
    void eingabenNachholen();
    // The preview of a video: its frame slider, the keys that step, and the
    // cut of the frame on show.
    bool videoZeigen(const QString& pfad, const QString& name);
    // A picture or video frame is on show: the log says so, frames and buttons follow.
    void vorschauGeladen(const QString& name);
    void videoSchliessen();
    bool videoTaste(int taste);
    qint64 abstandsbild(qint64 von, int richtung) const;
    // The views written.
    int videobildAusschneiden();
    std::unique_ptr<schnitt::video::Video> m_video;
    QString m_videoName; // its name in File1's folder
    qint64 m_videobild = 0;

    // Frames taken with the mouse or nudged with the keys (Form1Rahmen.cpp).
    struct Rahmenzug
    {
        int index = -1;
        int kanten = 0;      // the edges being dragged; none: the whole frame moves
        QPointF start;       // global position of the press
        QRect vorher, jetzt; // in the picture's pixels
        QFont schrift;       // the label's own, given back when it is let go
    };
    void rahmenAnordnen();
    // The previewed picture's size, upright, and a frame of the file in its
    // pixels (scaled where the file says so).
    QSize bildGroesse() const;
    QRect wirksamesRechteck(const FrameRechteck& f) const;
    void rahmenPlatzieren(const QRect& r, int nummer);
    bool rahmenMaus(QObject* objekt, QEvent* ereignis);
    bool rahmenTaste(int taste, Qt::KeyboardModifiers mod);
    bool rahmenBearbeitbar() const;
    // A frame as the picture shows it, and in the units of its file.
    QRect rahmenImBild(int index) const;
    FrameRechteck rahmenInDatei(int index) const;
    FrameRechteck inDatei(const QRect& r) const;
    void rahmenAktivieren(int index);
    // Into `datei` of the program folder, by default the selected slot's file.
    void rahmenSpeichern(int index, const FrameRechteck& neu, bool merken, QString datei = {});

    // Panorama views set up on the picture (Form1Panorama.cpp); `index` in
    // the order of `richtungen`.
    struct Panoramazug
    {
        int index = -1;
        QPointF start; // global position of the press
        frames::Panoramablick vorher, jetzt;
    };
    // A configured panorama direction's view, where the previewed picture is
    // a 2:1 panorama.
    std::optional<schnitt::panorama::Blick> panoramaBlick(int index) const;
    bool istPanorama(Richtung r) const;
    void umrisseAnordnen();
    bool panoramaMaus(QObject* objekt, QEvent* ereignis);
    bool panoramaTaste(int taste, Qt::KeyboardModifiers mod);
    void panoramaAktivieren(int index);
    void panoramaSpeichern(Richtung richtung, const frames::Panoramablick& neu, bool merken,
                           QString datei = {});

    QString m_programmordner;
    QUrl m_updateserver;
    frames::FrameKonfiguration m_konfiguration; // of the selected slot, as HolConfig read it
    std::function<void()> m_beenden;
    Form3* m_form3 = nullptr;
    QObject* m_uebergabeTimer = nullptr; // the update hand-over timer of Form3
    bool m_schneidet = false;            // views are being cut
    bool m_haltbar = false;              // ... by a batch that Escape stops
    std::atomic<bool> m_halt{false};     // Escape was pressed during that batch
    bool m_beendenNachStapel = false;    // the window was closed during a cut
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> m_aufgeschoben;
    int m_aktiverRahmen = -1; // the frame the arrow keys nudge
    std::optional<Rahmenzug> m_zug;
    Umrissfeld* m_umrissfeld = nullptr;                     // the panorama views over the preview
    Vergleichsfeld* m_vergleichsfeld = nullptr;             // other slots' frames over it
    std::map<int, frames::FrameKonfiguration> m_vergleiche; // by slot, as read when shown
    void vergleicheAnordnen();
    int m_aktivesPanorama = -1; // the view the arrow keys turn
    std::optional<Panoramazug> m_panoramazug;
    int m_radRest = 0; // wheel turn short of a notch
    // Saved changes of the frame editor, the latest last: the file, the
    // direction and the rectangle before, or a panorama view's angles.
    struct Rahmenaenderung
    {
        QString datei;
        Richtung richtung;
        FrameRechteck vorher;
        std::optional<frames::Panoramablick> panorama;
    };
    void aenderungMerken(Rahmenaenderung aenderung);
    QList<Rahmenaenderung> m_rahmenVerlauf;

    // Controls, named as in the designer.
    Bildfeld* Picture1 = nullptr;
    Bildfeld* Picture2 = nullptr;
    Bildfeld* Picture3 = nullptr;
    Bildfeld* Picture4 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    std::array<QPushButton*, 9> Command7{};
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr; // "Übersicht"
    Uebersicht* m_uebersicht = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check4 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Ladebalken = nullptr;
    QProgressBar* Fortschritt = nullptr; // pictures done of a batch, under "Lade..."
    QLabel* Version = nullptr;
    QSlider* Bildregler = nullptr; // the frames of a previewed video
    QLabel* Bildanzeige = nullptr; // its frame number and time
    std::array<QLabel*, 4> Rahmen{};
    Protokollfeld* Text1 = nullptr;
    DateiListe* File1 = nullptr;
    DateiListe* File2 = nullptr;
    VerzeichnisListe* Dir1 = nullptr;
};
