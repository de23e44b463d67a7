#include "benchparts.h"
#include "benchreport.h"
#include "frame.h"
#include "simulatorprocess.h"

#include <QElapsedTimer>

namespace {

constexpr int Transmitters = 100;
constexpr int PacedTransmitters = 10;
// The program's own time a transmitter, next to the line's: small enough that a real line stays
// what the batch waits for.
constexpr double OwnShareTarget = 0.25;

// Runs the command line; false, with what it said, unless it ended with status 0.
bool RunCli(const QStringList &arguments, QString *output, QString *error)
{
    QProcess process;
    process.start(K5_CLI_PATH, arguments);
    const bool ok = process.waitForFinished(PatienceMs) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    *output = QString::fromUtf8(process.readAllStandardOutput());
    if (!ok)
        *error = arguments.join(u' ') + ": " + QString::fromUtf8(process.readAllStandardError());
    return ok;
}

// count cycles of read, then write CODE --verify, as a shell loop runs them, a new code each;
// the time of each in ms goes to times.
bool Batch(const QStringList &pacing, int count, QList<double> *times, QString *error)
{
    SimulatorProcess sim(QStringList{"--link", "COM1"} + pacing);
    if (!sim.started()) {
        *error = "the simulator did not start: " + sim.log().join(u' ');
        return false;
    }
    // One cycle first, as a warm-up: the program and its libraries come from the disk cache then.
    for (int i = -1; i < count; ++i) {
        const QString code = QString::number((i + 2) * 7919 % 59049);
        QElapsedTimer timer;
        timer.start();
        QString read, written;
        if (!RunCli({"read"}, &read, error) ||
            !RunCli({"write", code, "--verify"}, &written, error))
            return false;
        const qint64 ns = timer.nsecsElapsed();
        if (!written.startsWith("verified " + code + ' ')) {
            *error = QStringLiteral("write %1 --verify printed \"%2\"").arg(code, written);
            return false;
        }
        if (i >= 0)
            *times << double(ns) / 1e6;
    }
    return true;
}

} // namespace

bool MeasureCliBatch(BenchReport &report, QString *error)
{
    report.newTable();
    QList<double> unpacedMs, pacedMs;
    if (!Batch({"--no-pacing"}, Transmitters, &unpacedMs, error) ||
        !Batch({}, PacedTransmitters, &pacedMs, error))
        return false;

    // Everything a cycle puts on the line and gets back: read, write and the write's read-back,
    // each request echoed.
    using namespace Frame;
    const auto bytes = 2 * (ReadCodeRequest().size() +
                            Reply(CodeGroup, ReadCodeCommand, QByteArray(2, 0)).size()) +
                       WriteCodeRequest(0).size() + Reply(CodeGroup, WriteCodeCommand, {}).size();
    const double lineMs = double(bytes) * ByteMs;
    const QString line = QStringLiteral("line %1 ms (%2 bytes)").arg(Figure(lineMs)).arg(bytes);
    const Spread own = Spread::of(unpacedMs);
    const Spread paced = Spread::of(pacedMs);
    const double overhead = paced.median - lineMs;
    report.add("cli_batch", "cli batch, unpaced: one transmitter", "ms", own, line,
               Figure(100 * own.median / lineMs) + "% of the line",
               "<= " + Figure(100 * OwnShareTarget, 0) + "% of the line",
               own.median <= OwnShareTarget * lineMs);
    report.add("cli_batch_paced", "cli batch, paced: one transmitter", "ms", paced, line,
               QStringLiteral("x%1, %2 ms").arg(Figure(paced.median / lineMs, 3), Signed(overhead)),
               "overhead <= " + Figure(OwnShareTarget * lineMs, 0) + " ms",
               overhead <= OwnShareTarget * lineMs);
    report.addSummary(
        QStringLiteral("cli %1 ms/transmitter (line %2 ms, paced x%3)")
            .arg(Figure(own.median), Figure(lineMs), Figure(paced.median / lineMs, 2)));
    return true;
}
