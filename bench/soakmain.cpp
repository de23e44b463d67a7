// k5-soak: a long run of exchanges in one window against transmitter simulators, some of them
// playing faults; checks every outcome and watches open descriptors and memory for growth.
// Prints a table; writes the figures as JSON and the summary line's part to files.
//
//     k5-soak [--exchanges N] [--seed S] [--json FILE] [--summary FILE]
//
// Exit code 0 when every exchange ended as expected and nothing grew, 1 otherwise, 2 for bad
// options.

#include "benchmain.h"
#include "benchreport.h"
#include "soak.h"

#include <QApplication>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    BenchMain bench("k5-soak");
    const QCommandLineOption exchanges(QStringLiteral("exchanges"),
                                       QStringLiteral("Exchanges in all, warm-up included."),
                                       QStringLiteral("N"), QStringLiteral("2000"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the order of the ports."),
                                  QStringLiteral("S"), QStringLiteral("5"));
    bench.parse(app, {exchanges, seed});
    bool countOk = false, seedOk = false;
    const int count = bench.value(exchanges).toInt(&countOk);
    const uint seedValue = bench.value(seed).toUInt(&seedOk);
    // Enough for the warm-up and a sample after it.
    if (!countOk || count < 200 || !seedOk)
        return bench.fail(QStringLiteral("--exchanges wants a number from 200 on, --seed a number"),
                          2);

    // The link's debug lines and its warnings about the ports that fail on purpose (the missing
    // device, the hangups) would bury the table; every outcome is checked instead.
    QLoggingCategory::setFilterRules(QStringLiteral("k5.*.debug=false\nk5.link.warning=false"));

    BenchReport report;
    QString error;
    Soak soak(count, seedValue);
    const bool ok = soak.run(report, &error);
    // Figures are there when the run got through its exchanges, even when it then failed.
    if (!report.json().value(QStringLiteral("summary")).toString().isEmpty()) {
        if (const int code = bench.publish(report))
            return code;
    }
    return ok ? 0 : bench.fail(error);
}
