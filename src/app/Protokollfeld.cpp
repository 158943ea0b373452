#include "Protokollfeld.h"

#include <QScrollBar>
#include <QTextCursor>

namespace {
QString zurAnzeige(QString text)
{
    // The document takes '\n' as its paragraph break; a bare CR would show as a glyph.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}
} // namespace

Protokollfeld::Protokollfeld(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setUndoRedoEnabled(false);
}

void Protokollfeld::setText(const QString& text)
{
    m_zeilen = text.split(QStringLiteral("\r\n"));
    setPlainText(zurAnzeige(text));
    endeZeigen();
}

void Protokollfeld::zeileAnhaengen(const QString& zeile)
{
    m_zeilen.append(zeile.split(QStringLiteral("\r\n")));
    appendPlainText(zurAnzeige(zeile));
    endeZeigen();
}

void Protokollfeld::zeilenAnhaengen(const QStringList& zeilen)
{
    if (zeilen.isEmpty())
        return;
    for (const QString& zeile : zeilen)
        m_zeilen.append(zeile.split(QStringLiteral("\r\n")));
    appendPlainText(zurAnzeige(zeilen.join(u'\n')));
    endeZeigen();
}

void Protokollfeld::endeZeigen()
{
    // The newest line is always in view, even when the user had scrolled up.
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}
