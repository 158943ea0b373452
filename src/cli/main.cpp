// sichtwerk-schnitt: the batch of "Alle ausschneiden" from a terminal or a
// script, without a window.

#include "Aufruf.h"
#include "Ausgabe.h"
#include "Schnittlauf.h"
#include "Texte.h"

#include "Uebersichtlauf.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Set by SIGINT or SIGTERM: the batch starts no further picture, finishes
// those in work and says how far it came. A second signal changes nothing,
// as the pictures in work take only a moment and must not be left half done.
std::atomic<bool> halt{false};
volatile std::sig_atomic_t haltSignal = 0;
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void anhalten(int signal)
{
    if (haltSignal == 0)
        haltSignal = signal;
    halt.store(true);
}

void anhaltenBeiSignal()
{
#ifdef Q_OS_WIN
    std::signal(SIGINT, anhalten);
    std::signal(SIGTERM, anhalten);
#else
    struct sigaction aktion = {};
    aktion.sa_handler = anhalten;
    sigemptyset(&aktion.sa_mask);
    aktion.sa_flags = SA_RESTART;
    sigaction(SIGINT, &aktion, nullptr);
    sigaction(SIGTERM, &aktion, nullptr);
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    // No window and no screen: decoding and the thread pool need no more.
    // The overview sheet draws the pictures' names, which takes the font
    // database of a GUI application, never a screen.
    bool mitSchrift = false;
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        mitSchrift |= std::strncmp(argv[i], "--uebersicht", 12) == 0;
    if (mitSchrift)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        mitSchrift ? std::make_unique<QGuiApplication>(argc, argv)
                   : std::make_unique<QCoreApplication>(argc, argv);
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
    if (aufruf->pruefen)
        return cli::pruefen(*auftrag, ausgabe);
    if (!aufruf->uebersicht.isNull())
        return cli::uebersichtSchreiben(*auftrag, *aufruf, ausgabe);
    anhaltenBeiSignal();
    const int code = cli::schneiden(*auftrag, ausgabe, &halt);
    // As a shell reports a program ended by that signal.
    return haltSignal != 0 ? 128 + haltSignal : code;
}
