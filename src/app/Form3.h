#pragma once

#include "update/Download.h"
#include "update/Stufe.h"
#include "update/UpdateSkript.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>

class QLabel;
class QTimer;
class Rechteck;

// The update window. It stays hidden during the version check and shows the
// progress while the files of an update are fetched; its timers then make the
// success text blink and hand over to the update script.
class Form3 final : public QWidget
{
    Q_OBJECT

public:
    // `updateserver` is the base address in front of the server paths.
    Form3(const QString& programmordner, const QUrl& updateserver, QWidget* parent = nullptr);

    // The running version as the main window shows it, e.g. "1,300".
    void setzeLaufendeVersion(const QString& version);
    // What ends the program after the script has been started. By default
    // the process ends at once, without any further handlers.
    void setzeBeenden(std::function<void()> beenden);
    void setzeDownloadGrenzen(const update::DownloadGrenzen& grenzen);
    // The public key that every update must be signed with; by default the
    // one built in. An empty key refuses every update.
    void setzeSchluessel(const QByteArray& schluessel);

public slots:
    // Asks the server for its version and, when it is newer, offers the
    // update. Returns when the check and any update dialogue are over.
    void Updatetest();
    // Hand-over: starts the update script and ends the program.
    void Timer1_Timer();
    // Blinks the success text.
    void Timer2_Timer();

signals:
    // Why an update was refused, as one line for the activity log.
    void protokollieren(const QString& zeile);

private:
    void Updateausfuehren();
    void HolVersion(const QString& Dateiname);
    QList<update::Platzierung> Dateistufe(const QString& listenPfad, const QString& stufe);
    void ablehnen(const QString& grund, const QString& stufe);
    QString imProgrammordner(const QString& name) const;
    int frage(const QString& titel, const QString& text);
    void fehlermeldung(const QString& text);

    QString m_programmordner;
    QUrl m_updateserver;
    QString m_laufendeVersion;
    QString serverversion;
    update::DownloadGrenzen m_grenzen;
    QByteArray m_schluessel;
    std::function<void()> m_beenden;

    // Controls, named as in the designer.
    QTimer* Timer2 = nullptr;
    QTimer* Timer1 = nullptr;
    QLabel* Label2 = nullptr;
    Rechteck* Shape2 = nullptr;
    Rechteck* Shape1 = nullptr;
    QLabel* Label1 = nullptr;
};
