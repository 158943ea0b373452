// sichtwerk-schnitt: the batch of "Alle ausschneiden" from a terminal or a
// script, without a window.

#include "Aufruf.h"
#include "Ausgabe.h"
#include "Schnittlauf.h"
#include "Texte.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // No window and no screen: decoding and the thread pool need no more.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(cli::text::Programm.toString());

    cli::Ausgabe ausgabe(stdout, stderr, cli::Ausgabe::istTerminal(stderr));
    auto abbrechen = [&ausgabe](const QString& warum) {
        ausgabe.fehlerzeile(cli::text::Programm.toString() + QStringLiteral(": ") + warum);
        return 2;
    };
    QString fehler;
    const auto aufruf = cli::aufrufLesen(QCoreApplication::arguments().mid(1), &fehler);
    if (!aufruf)
        return abbrechen(fehler);
    if (aufruf->hilfe) {
        std::fputs(cli::text::Hilfe.toString().toLocal8Bit().constData(), stdout);
        return 0;
    }
    const auto auftrag = cli::auftragErstellen(*aufruf, &fehler);
    if (!auftrag)
        return abbrechen(fehler);
    return aufruf->pruefen ? cli::pruefen(*auftrag, ausgabe) : cli::schneiden(*auftrag, ausgabe);
}
