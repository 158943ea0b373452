#include "app/Form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sichtwerk"));
    Form1 form(QApplication::applicationDirPath(), QUrl(QStringLiteral(SICHTWERK_UPDATE_SERVER)));
    form.show();
    return app.exec();
}
