// k5-transmitter-sim: a K5 transmitter on a pseudo-terminal, for working without one.

#include "simoptions.h"
#include "simoutput.h"
#include "simulator.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>

enum ExitStatus { SetupFailedStatus = 1, BadOptionStatus = 2 };

int main(int argc, char *argv[])
{
    // SIGINT, SIGTERM and SIGHUP end the event loop, so that the link is removed on the way out:
    // blocked before any thread starts, they wait on a descriptor that the loop watches.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&endSignals, number);
    ::sigprocmask(SIG_BLOCK, &endSignals, nullptr);
    // A reader of the path or the log that goes away must not end the simulator unclean.
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    QString error;
    const std::optional<SimOptions> options = SimOptions::parse(app.arguments(), &error);
    if (!options) {
        printProblem(error);
        return BadOptionStatus;
    }
    if (!options->infoText.isEmpty()) {
        std::fputs(qPrintable(options->infoText), stdout);
        return 0;
    }

    const int signalEvents = ::signalfd(-1, &endSignals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signalEvents < 0) {
        printProblem(systemError("signalfd"));
        return SetupFailedStatus;
    }
    const QSocketNotifier signalNotifier(signalEvents, QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &QCoreApplication::quit);

    Simulator simulator(*options);
    if (!simulator.start(&error)) {
        printProblem(error);
        return SetupFailedStatus;
    }
    return QCoreApplication::exec();
}
