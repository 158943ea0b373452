// A Qt plugin for scripts that start the window where nobody can look at it,
// for example an installed copy under the offscreen platform: started as
//   QT_PLUGIN_PATH=build/plugins Sichtwerk -plugin fensterprotokoll
// the program prints the lines of its log on standard output once its main
// window is shown, and ends. The program knows nothing of the plugin; Qt loads
// it, as it loads input plugins, from the "generic" folder of QT_PLUGIN_PATH.

#include <QCoreApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QWidget>

#include <cstdio>

namespace {

class Protokollausgabe final : public QObject
{
public:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override
    {
        auto* fenster = qobject_cast<QWidget*>(objekt);
        if (m_fertig || ereignis->type() != QEvent::Show || !fenster || !fenster->isWindow())
            return false;
        // Text1 is the log; its "text" holds the lines joined by CR LF.
        const QObject* protokoll = fenster->findChild<QObject*>(QStringLiteral("Text1"));
        if (!protokoll)
            return false;
        m_fertig = true;
        const QStringList zeilen =
            protokoll->property("text").toString().split(QStringLiteral("\r\n"));
        std::fputs((zeilen.join(u'\n') + u'\n').toUtf8().constData(), stdout);
        std::fflush(stdout);
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
        return false;
    }

private:
    bool m_fertig = false;
};

} // namespace

class Fensterprotokoll final : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "fensterprotokoll.json")

public:
    QObject* create(const QString&, const QString&) override
    {
        auto* ausgabe = new Protokollausgabe;
        QCoreApplication::instance()->installEventFilter(ausgabe);
        return ausgabe;
    }
};

#include "fensterprotokoll.moc"
