// k5-dipswitch-cli: the window's exchanges with a K5 transmitter from the command line, for
// scripts, batches and the production line; and the port links, so that nobody needs ln.

#include "clioptions.h"
#include "clireport.h"
#include "portcommands.h"
#include "transmittercommands.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// A program started without descriptor 0, 1 or 2 would get one of them for the next file it
// opens: the serial device, onto which its output and its log would then go. Each missing one is
// taken up by /dev/null before anything else is opened. Standard output read-only, so that the
// answer written there fails and its loss shows in the exit status; standard error writable, as
// whoever closed it chose not to see the log and the error line, which the exit status sums up.
void OccupyStandardDescriptors()
{
#ifndef Q_OS_WIN
    // The lowest free descriptor is the one opened, and those below fd are open by then.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            ::open("/dev/null", fd == STDERR_FILENO ? O_WRONLY : O_RDONLY);
    }
#endif
}

CliReport Run(const CliOptions &options)
{
    switch (options.command) {
    case Command::Read:
        return ReadCommand(options.line);
    case Command::Write:
        return WriteCommand(options.line, options.code, options.verify);
    case Command::Version:
        return VersionCommand(options.line);
    case Command::Ports:
        return ListPorts();
    case Command::Map:
        return MapPort(options.mapPortNumber, options.mapDevice);
    case Command::Unmap:
        return UnmapPort(options.mapPortNumber);
    case Command::Help:
    case Command::ShowVersion:
        break;
    }
    CliReport report(options.commandName);
    report.lines << (options.command == Command::Help
                         ? CliOptions::helpText().chopped(1) // Publish ends the line itself
                         : QCoreApplication::applicationName() + u' ' +
                               QCoreApplication::applicationVersion());
    report.fields.insert(u"text"_s, report.lines.constFirst());
    return report;
}

} // namespace

int main(int argc, char *argv[])
{
    OccupyStandardDescriptors();
    const QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("k5-dipswitch-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(K5_VERSION));
    // The link logs the ports it opens and why one failed; the error line says what matters, in
    // one line. The log stays in reach: QT_LOGGING_RULES="k5.*=true" overrides this.
    QLoggingCategory::setFilterRules(QStringLiteral("k5.*.debug=false\nk5.*.warning=false"));
    CliOptions options;
    QString error;
    if (!options.parse(QCoreApplication::arguments(), &error)) {
        CliReport report(options.commandName);
        report.outcome = Outcome::BadUsage;
        report.error = error;
        return Publish(report, options.json);
    }
    return Publish(Run(options), options.json);
}
