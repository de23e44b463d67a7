// k5-dipswitch-cli: the window's exchanges with a K5 transmitter from the command line, for
// scripts, batches and the production line; and the port links, so that nobody needs ln.

#include "cliprogram.h"

#include <QCoreApplication>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("k5-dipswitch-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(K5_VERSION));
    // The link logs the ports it opens and why one failed; the error line says what matters, in
    // one line. The log stays in reach: QT_LOGGING_RULES="k5.*=true" overrides this.
    QLoggingCategory::setFilterRules(QStringLiteral("k5.*.debug=false\nk5.*.warning=false"));
    return RunCli(QCoreApplication::arguments());
}
