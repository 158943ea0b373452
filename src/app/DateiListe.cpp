#include "DateiListe.h"

#include <QDir>

DateiListe::DateiListe(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

void DateiListe::setPath(const QString& pfad)
{
    m_pfad = pfad;
    aktualisieren();
}

void DateiListe::setPattern(const QString& muster)
{
    m_muster = muster;
    aktualisieren();
}

QString DateiListe::fileName() const
{
    const QListWidgetItem* eintrag = currentItem();
    return eintrag && eintrag->isSelected() ? eintrag->text() : QString();
}

void DateiListe::setFileName(const QString& name)
{
    const QList<QListWidgetItem*> treffer = findItems(name, Qt::MatchFixedString);
    if (treffer.isEmpty()) {
        setCurrentItem(nullptr);
        clearSelection();
        return;
    }
    setCurrentItem(treffer.front());
    treffer.front()->setSelected(true);
}

void DateiListe::aktualisieren()
{
    const QString gewaehlt = fileName();
    clear();
    if (m_pfad.isEmpty())
        return;
    QDir ordner(m_pfad);
    const QStringList muster = m_muster.split(u';', Qt::SkipEmptyParts);
    // Without QDir::CaseSensitive the patterns match regardless of case.
    const QStringList namen =
        ordner.entryList(muster, QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    addItems(namen);
    if (!gewaehlt.isEmpty())
        setFileName(gewaehlt);
}
