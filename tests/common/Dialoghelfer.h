#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class Form1;
class QTemporaryDir;

// Answers the next modal message box from the event loop, the way a user
// would, and records what it showed.
struct GeseheneBox
{
    QString titel;
    QString text;
    QMessageBox::Icon symbol = QMessageBox::NoIcon;
    int knoepfe = 0;
    bool gesehen = false;
};

// Watches for modal message boxes until the returned object is destroyed;
// each one is recorded and closed with `antwort` (OK when not given).
class BoxBeobachter
{
public:
    explicit BoxBeobachter(QMessageBox::StandardButton antwort = QMessageBox::Ok);
    ~BoxBeobachter();
    const QList<GeseheneBox>& boxen() const;

private:
    struct Daten;
    std::unique_ptr<Daten> d;
};

// Writes a file for a test and gives back its path.
QString schreibeDatei(const QString& pfad, const QByteArray& inhalt);

// The log's lines as the user sees them.
QStringList protokollZeilen(const Form1& form);
