#pragma once

#include <QListWidget>

// A list of the files of one folder that match a pattern such as
// "*.bmp;*.jpg;*.gif", sorted by name. Patterns match without regard to case,
// so "FOTO.JPG" is listed for "*.jpg".
class DateiListe final : public QListWidget
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath)
    Q_PROPERTY(QString pattern READ pattern WRITE setPattern)
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName)

public:
    explicit DateiListe(QWidget* parent = nullptr);

    QString path() const { return m_pfad; }
    void setPath(const QString& pfad);
    QString pattern() const { return m_muster; }
    void setPattern(const QString& muster);
    // The selected name, or "" when nothing is selected.
    QString fileName() const;
    void setFileName(const QString& name);

    // Reads the folder again, keeping the selection where the name is still there.
    void aktualisieren();

private:
    QString m_pfad;
    QString m_muster = QStringLiteral("*.*");
};
