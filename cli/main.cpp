// k5-dipswitch-cli: the window's exchanges with a K5 transmitter from the command line, for
// scripts, batches and the production line; and the port links, so that nobody needs ln.

#include "cliprogram.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

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
    return RunCli(QCoreApplication::arguments());
}
