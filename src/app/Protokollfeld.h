#pragma once

#include <QPlainTextEdit>
#include <QStringList>

// The activity log. Its text is the lines joined by CR LF, never ending in a
// line break. Lines are appended to the document instead of re-setting the
// whole text, so a long batch does not slow down with the log's length.
class Protokollfeld final : public QPlainTextEdit
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit Protokollfeld(QWidget* parent = nullptr);

    QString text() const { return m_zeilen.join(QStringLiteral("\r\n")); }
    void setText(const QString& text);
    void zeileAnhaengen(const QString& zeile);
    // Several lines at once, laid out in one go: as many appends of one line
    // each, only faster.
    void zeilenAnhaengen(const QStringList& zeilen);
    const QStringList& zeilen() const { return m_zeilen; }

private:
    void endeZeigen();

    QStringList m_zeilen;
};
