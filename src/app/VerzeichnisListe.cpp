#include "VerzeichnisListe.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace {
constexpr int PfadRolle = Qt::UserRole;
} // namespace

VerzeichnisListe::VerzeichnisListe(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, &VerzeichnisListe::oeffne);
}

void VerzeichnisListe::setPath(const QString& pfad)
{
    const QString neu = QDir::cleanPath(QFileInfo(pfad).absoluteFilePath());
    if (neu == m_pfad)
        return;
    m_pfad = neu;
    aufbauen();
    emit pathChanged(m_pfad);
}

void VerzeichnisListe::oeffne(QListWidgetItem* eintrag)
{
    if (eintrag)
        setPath(eintrag->data(PfadRolle).toString());
}

void VerzeichnisListe::aufbauen()
{
    clear();
    const QIcon offen = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon zu = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QStringList kette;
    for (QDir d(m_pfad);;) {
        kette.prepend(d.absolutePath());
        if (!d.cdUp())
            break;
    }
    int tiefe = 0;
    QListWidgetItem* aktuell = nullptr;
    for (const QString& ordner : std::as_const(kette)) {
        const QString name =
            QDir(ordner).isRoot() ? QDir::toNativeSeparators(ordner) : QDir(ordner).dirName();
        auto* eintrag = new QListWidgetItem(offen, QString(tiefe * 2, u' ') + name, this);
        eintrag->setData(PfadRolle, ordner);
        aktuell = eintrag;
        ++tiefe;
    }
    const QStringList unterordner =
        QDir(m_pfad).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : unterordner) {
        auto* eintrag = new QListWidgetItem(zu, QString(tiefe * 2, u' ') + name, this);
        eintrag->setData(PfadRolle, QDir(m_pfad).filePath(name));
    }
    setCurrentItem(aktuell);
    scrollToItem(aktuell);
}
