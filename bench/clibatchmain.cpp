// k5-cli-bench: a batch of transmitters programmed and verified with k5-dipswitch-cli against
// the transmitter simulator, timed per transmitter against the line's own time.
//
//     k5-cli-bench [--transmitters N] [--paced N] [--json FILE] [--summary FILE]
//
// Exit code 0 when every cycle was measured (whether or not it meets its target), 1 when one
// failed, 2 for bad options.

#include "benchmain.h"
#include "clibatch.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    BenchMain bench("k5-cli-bench");
    const QCommandLineOption transmitters(QStringLiteral("transmitters"),
                                          QStringLiteral("Cycles against the unpaced simulator."),
                                          QStringLiteral("N"), QStringLiteral("100"));
    const QCommandLineOption paced(
        QStringLiteral("paced"), QStringLiteral("Cycles against the simulator paced at 2400 baud."),
        QStringLiteral("N"), QStringLiteral("10"));
    bench.parse(app, {transmitters, paced});
    bool transmittersOk = false, pacedOk = false;
    const int count = bench.value(transmitters).toInt(&transmittersOk);
    const int pacedCount = bench.value(paced).toInt(&pacedOk);
    if (!transmittersOk || !pacedOk || count < 1 || pacedCount < 1)
        return bench.fail(QStringLiteral("--transmitters and --paced want positive numbers"), 2);

    BenchReport report;
    QString error;
    CliBatch batch(count, pacedCount);
    if (!batch.run(report, &error))
        return bench.fail(error);
    return bench.publish(report);
}
