#include "Formhelfer.h"

#include "app/Form1.h"
#include "config/Cp1252.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace formhelfer {

void zeigen(Form1& form)
{
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        qWarning("Hauptfenster wurde nicht angezeigt");
}

QPushButton* knopf(const Form1& form, const QString& name)
{
    return form.findChild<QPushButton*>(name);
}

static void klickeEintrag(QListWidget* liste, const QString& name, bool doppelt)
{
    const QList<QListWidgetItem*> treffer = liste->findItems(name, Qt::MatchExactly);
    if (treffer.isEmpty()) {
        QTest::qFail(qPrintable(u"Kein Eintrag "_qs + name), __FILE__, __LINE__);
        return;
    }
    // Items are laid out lazily; let the view place them before aiming at one.
    liste->doItemsLayout();
    liste->scrollToItem(treffer.front());
    const QPoint mitte = liste->visualItemRect(treffer.front()).center();
    QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, mitte);
    if (doppelt)
        QTest::mouseDClick(liste->viewport(), Qt::LeftButton, {}, mitte);
}

void konfigurationWaehlen(Form1& form, const QString& datei)
{
    QTest::mouseClick(knopf(form, u"Command3"_qs), Qt::LeftButton);
    klickeEintrag(form.findChild<QListWidget*>(u"File2"_qs), datei, false);
}

void bildDoppelklicken(Form1& form, const QString& ordner, const QString& datei)
{
    form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", ordner);
    auto* file1 = form.findChild<QListWidget*>(u"File1"_qs);
    file1->setProperty("path", file1->property("path")); // reread the folder
    klickeEintrag(file1, datei, true);
}

QByteArray konfiguration(const QString& richtung, int top, int left, int width, int height)
{
    return "[" + cp1252::kodieren(richtung) + "]\r\nTop=" + QByteArray::number(top) +
           "\r\nLeft=" + QByteArray::number(left) + "\r\nWidth=" + QByteArray::number(width) +
           "\r\nHeight=" + QByteArray::number(height) + "\r\n";
}

QByteArray beispielKonfiguration()
{
    return konfiguration(u"Vorwärts"_qs, 0, 150, 840, 705) +
           konfiguration(u"Links"_qs, 0, 0, 150, 705) +
           konfiguration(u"Rechts"_qs, 0, 990, 150, 705) +
           konfiguration(u"Zurück"_qs, 705, 0, 1140, 150);
}

} // namespace formhelfer
