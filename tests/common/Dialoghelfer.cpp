#include "Dialoghelfer.h"

#include "app/Form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QTimer>

struct BoxBeobachter::Daten
{
    QMessageBox::StandardButton antwort;
    QList<GeseheneBox> boxen;
    QTimer timer;
};

BoxBeobachter::BoxBeobachter(QMessageBox::StandardButton antwort)
    : d(std::make_unique<Daten>())
{
    d->antwort = antwort;
    d->timer.setInterval(20);
    QObject::connect(&d->timer, &QTimer::timeout, [daten = d.get()] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        GeseheneBox g;
        g.titel = box->windowTitle();
        g.text = box->text();
        g.symbol = box->icon();
        g.knoepfe = static_cast<int>(box->buttons().size());
        g.gesehen = true;
        daten->boxen.append(g);
        QAbstractButton* knopf = box->button(daten->antwort);
        if (!knopf)
            knopf = box->buttons().value(0);
        if (knopf)
            knopf->click();
        else
            box->reject();
    });
    d->timer.start();
}

BoxBeobachter::~BoxBeobachter() = default;

const QList<GeseheneBox>& BoxBeobachter::boxen() const
{
    return d->boxen;
}

QString schreibeDatei(const QString& pfad, const QByteArray& inhalt)
{
    QFile f(pfad);
    if (f.open(QIODevice::WriteOnly))
        f.write(inhalt);
    return pfad;
}

QStringList protokollZeilen(const Form1& form)
{
    const QObject* text1 = form.findChild<QObject*>(QStringLiteral("Text1"));
    return text1 ? text1->property("text").toString().split(QStringLiteral("\r\n")) : QStringList();
}
