#include "Dialoghelfer.h"

#include "app/Form1.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QPushButton>

BoxBeobachter::BoxBeobachter(QMessageBox::StandardButton antwort)
{
    // Polled, because the box runs its own event loop inside the code under test.
    m_timer.callOnTimeout([this, antwort] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        m_boxen.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                        box->standardButton(box->defaultButton())});
        QAbstractButton* knopf = box->button(antwort);
        if (!knopf)
            knopf = box->buttons().value(0);
        knopf->click();
    });
    m_timer.start(20);
}

QString schreibeDatei(const QString& pfad, const QByteArray& inhalt)
{
    QDir().mkpath(QFileInfo(pfad).absolutePath());
    QFile f(pfad);
    if (!f.open(QIODevice::WriteOnly) || f.write(inhalt) != inhalt.size())
        qWarning("Testdatei %s nicht geschrieben", qPrintable(pfad));
    return pfad;
}

QStringList baum(const QString& ordner)
{
    QStringList liste;
    QDirIterator it(ordner, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        const QString name = QDir(ordner).relativeFilePath(f.fileName());
        liste.append(it.fileInfo().isDir() || !f.open(QIODevice::ReadOnly)
                         ? name
                         : name + u'=' + QString::fromUtf8(f.readAll()));
    }
    liste.sort();
    return liste;
}

QStringList protokollZeilen(const Form1& form)
{
    return form.findChild<QObject*>(QStringLiteral("Text1"))
        ->property("text")
        .toString()
        .split(QStringLiteral("\r\n"));
}
