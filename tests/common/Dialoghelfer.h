#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>

class Form1;

// What a modal message box showed.
struct GeseheneBox
{
    QString titel;
    QString text;
    QMessageBox::Icon symbol = QMessageBox::NoIcon;
    QMessageBox::StandardButtons knoepfe;
    QMessageBox::StandardButton standard = QMessageBox::NoButton;
};

// While it lives, answers every modal message box the way a user would: with
// `antwort` where the box has that button, otherwise with its first button,
// so that no box can block a test. Each box is recorded.
class BoxBeobachter final
{
public:
    explicit BoxBeobachter(QMessageBox::StandardButton antwort = QMessageBox::Ok);
    const QList<GeseheneBox>& boxen() const { return m_boxen; }

private:
    QList<GeseheneBox> m_boxen;
    QTimer m_timer;
};

// Writes a file for a test, making its folder, and gives back its path.
QString schreibeDatei(const QString& pfad, const QByteArray& inhalt);

// Everything below `ordner`, sorted: folders by their relative path, files as
// "path=content", so one comparison shows what was written where.
QStringList baum(const QString& ordner);

// The log's lines as the user sees them.
QStringList protokollZeilen(const Form1& form);
