// k5-transmitter-sim: a K5 transmitter on a pseudo-terminal, for working without one.

#include "signalwatcher.h"
#include "simoptions.h"
#include "simulator.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

constexpr int BadOptionStatus = 2;
constexpr int SetupFailedStatus = 1;

void printLine(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    using namespace Qt::StringLiterals;

    QString error;
    const std::optional<SimOptions> options = SimOptions::parse(app.arguments(), &error);
    if (!options) {
        printLine(stderr, u"k5-transmitter-sim: "_s + error + u'\n');
        return BadOptionStatus;
    }
    if (options->help) {
        printLine(stdout, SimOptions::usage());
        return 0;
    }

    // A reader of the path or the log that goes away must not end the simulator unclean.
    std::signal(SIGPIPE, SIG_IGN);
    SignalWatcher signalWatcher({SIGINT, SIGTERM, SIGHUP});
    QObject::connect(&signalWatcher, &SignalWatcher::caught, &app, &QCoreApplication::quit);

    Simulator simulator(*options);
    if (!simulator.start(&error)) {
        printLine(stderr, u"k5-transmitter-sim: "_s + error + u'\n');
        return SetupFailedStatus;
    }
    const int status = app.exec();
    simulator.stop();
    return status;
}
