#include "app/Form1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sichtwerk"));

    // The user interface is German whatever the system's language, so Qt's
    // own buttons ("Ja", "Nein") are German too.
    QTranslator qtTexte;
    if (qtTexte.load(QStringLiteral("qtbase_de"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexte);

    Form1 form(QApplication::applicationDirPath(), QUrl(QStringLiteral(SICHTWERK_UPDATE_SERVER)));
    form.show();
    return app.exec();
}
