#pragma once

#include <QListWidget>

// A folder chooser in the classic style: the chain of folders from the root
// down to the current one, then the current folder's subfolders. A
// double-click (or Enter) on an entry opens that folder.
class VerzeichnisListe final : public QListWidget
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged)

public:
    explicit VerzeichnisListe(QWidget* parent = nullptr);

    QString path() const { return m_pfad; }
    // Emits pathChanged only when the folder really changes.
    void setPath(const QString& pfad);

signals:
    void pathChanged(const QString& pfad);

private:
    void aufbauen();
    void oeffne(QListWidgetItem* eintrag);

    QString m_pfad;
};
