#include "UpdateSkript.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtDebug>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

void entferneAltesUpdateSkript(const QString& programmordner)
{
    const QString pfad = QDir(programmordner).filePath(QString::fromUtf16(update::skriptName));
    if (!QFileInfo(pfad).isFile())
        return;
    QFile skript(pfad);
    if (!skript.remove())
        qWarning().noquote() << QStringLiteral("Datei '%1' konnte nicht gelöscht werden: %2")
                                    .arg(QDir::toNativeSeparators(pfad), skript.errorString());
}

namespace update {

bool starteUpdateSkript(const QString& programmordner, QString* fehler)
{
    QProcess prozess;
    prozess.setWorkingDirectory(programmordner);
#ifdef Q_OS_WIN
    prozess.setProgram(QStringLiteral("cmd"));
    prozess.setArguments({QStringLiteral("/c"), QString::fromUtf16(skriptName)});
    // The script runs while the user goes on working; a minimized window
    // shows that it runs without standing in the way.
    prozess.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* argumente) {
        argumente->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        argumente->startupInfo->wShowWindow = SW_SHOWMINIMIZED;
    });
#else
    prozess.setProgram(QStringLiteral("/bin/sh"));
    prozess.setArguments({QString::fromUtf16(skriptName)});
#endif
    if (prozess.startDetached())
        return true;
    if (fehler)
        *fehler = QStringLiteral("Das Updateskript '%1' konnte nicht gestartet werden: %2")
                      .arg(QDir::toNativeSeparators(
                               QDir(programmordner).filePath(QString::fromUtf16(skriptName))),
                           prozess.errorString());
    return false;
}

} // namespace update
