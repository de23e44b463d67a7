// k5-bench: the window's exchanges against the transmitter simulator and the tool's start-up,
// measured. Prints a table; writes the figures as JSON and the summary line's part to files.
//
//     k5-bench [--runs N] [--json FILE] [--summary FILE]
//
// Exit code 0 when every figure was measured (whether or not it meets its target), 1 when a
// measurement failed, 2 for bad options.

#include "benchmain.h"
#include "benchreport.h"
#include "exchangebench.h"
#include "startupbench.h"

#include <QApplication>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    BenchMain bench("k5-bench");
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Measured runs a figure."),
                                  QStringLiteral("N"), QStringLiteral("20"));
    bench.parse(app, {runs});
    bool ok = false;
    const int count = bench.value(runs).toInt(&ok);
    if (!ok || count < 1)
        return bench.fail(QStringLiteral("--runs wants a positive number"), 2);

    // The link's debug lines (a port opened) would bury the table.
    QLoggingCategory::setFilterRules(QStringLiteral("k5.*.debug=false"));

    BenchReport report;
    QString error;
    ExchangeBench exchanges(count);
    StartupBench startup(QStringLiteral(K5_STARTUP_FORM1_PATH),
                         QStringLiteral(K5_STARTUP_MINIMAL_PATH), count);
    if (!exchanges.run(report, &error) || !startup.run(report, &error))
        return bench.fail(error);
    return bench.publish(report);
}
