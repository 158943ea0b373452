#pragma once

#include "views/Kacheln.h"

#include <QFutureWatcher>
#include <QList>
#include <QThreadPool>
#include <QWidget>

#include <optional>

class Form1;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSpinBox;
class Kachelfeld;

// The overview: one direction's view of every picture of the main window's
// folder as a grid of tiles, made in the background on all cores. It
// follows the folder, the selected slot, the direction and the tile height;
// a click on a tile previews that picture in the main window.
class Uebersicht final : public QWidget
{
    Q_OBJECT

public:
    explicit Uebersicht(Form1* form);
    ~Uebersicht() override;

    // The pictures shown, and the tile of each once it is made.
    int anzahl() const { return int(m_namen.size()); }
    const schnitt::Kachel* kachel(int i) const;
    bool baut() const;
    // The sheet as "Als Bild speichern" writes it.
    QImage blatt() const;

public slots:
    void neuAufbauen();
    void anhalten();
    void alsBildSpeichern();
    bool blattSpeichern(const QString& pfad);

signals:
    void bildGewaehlt(const QString& name);

protected:
    void showEvent(QShowEvent* ereignis) override;
    void hideEvent(QHideEvent* ereignis) override;
    void resizeEvent(QResizeEvent* ereignis) override;

private:
    void richtungenAnpassen();
    void kachelnAngekommen(int von, int bis);
    void fertig();
    void feldAnpassen();
    void zustandZeigen();

    Form1* m_form;
    QComboBox* m_richtung = nullptr;
    QSpinBox* Kachelhoehe = nullptr;
    QPushButton* Speichern = nullptr;
    QProgressBar* Fortschritt = nullptr;
    QLabel* Zustand = nullptr;
    QScrollArea* m_flaeche = nullptr;
    Kachelfeld* m_feld = nullptr;

    std::optional<schnitt::Kachelvorgabe> m_vorgabe;
    QStringList m_namen;
    QList<std::optional<schnitt::Kachel>> m_kacheln;
    int m_fertig = 0;
    bool m_angehalten = false;
    QThreadPool m_pool;
    QFutureWatcher<schnitt::Kachel> m_beobachter;
};
