#include "bench.h"
#include "simulatorprocess.h"

#include <QElapsedTimer>

namespace {

constexpr int Transmitters = 100;
constexpr int PacedTransmitters = 10;
// The program's own time a transmitter, next to the line's: small enough that a real line stays
// what the batch waits for.
constexpr double OwnShareTarget = 0.25;

// One cycle as a warm-up (the program and its libraries come from the disk cache then), then
// count cycles of read, then write CODE --verify, as a shell loop runs them, a new code each; the
// time of each in ms goes to times.
bool Batch(const QStringList &pacing, int count, QList<double> *times, QString *error)
{
    SimulatorProcess sim(QStringList{"--link", "COM1"} + pacing);
    if (!sim.started()) {
        *error = "the simulator did not start: " + sim.log().join(u' ');
        return false;
    }
    for (int i = -1; i < count; ++i) {
        const QString code = QString::number((i + 2) * 7919 % 59049);
        const QStringList write{"write", code, "--verify"};
        QElapsedTimer timer;
        timer.start();
        const Ran read = RunProcess(K5_CLI_PATH, {"read"});
        const Ran written = read.status ? read : RunProcess(K5_CLI_PATH, write);
        const qint64 ns = timer.nsecsElapsed();
        if (written.status != 0 || !written.out.startsWith("verified " + code + ' ')) {
            *error = (read.status ? "read" : write.join(u' ')) +
                     (written.status ? ": " + written.err : " printed \"" + written.out + '"');
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
    report.tables.emplaceBack();
    QList<double> unpacedMs, pacedMs;
    if (!Batch({"--no-pacing"}, Transmitters, &unpacedMs, error) ||
        !Batch({}, PacedTransmitters, &pacedMs, error))
        return false;

    // Everything a cycle puts on the line and gets back: read, write and the write's read-back,
    // each request echoed.
    const qsizetype bytes = ReadBytes() * 2 + WriteBytes();
    const double lineMs = LineMs(bytes);
    const QString line = QStringLiteral("line %1 ms (%2 bytes)").arg(Figure(lineMs)).arg(bytes);
    const double own = Median(unpacedMs);
    const double paced = Median(pacedMs);
    const double overhead = paced - lineMs;
    report.add("cli_batch", "cli batch, unpaced: one transmitter", "ms", unpacedMs, line,
               Figure(100 * own / lineMs) + "% of the line",
               "<= " + Figure(100 * OwnShareTarget, 0) + "% of the line",
               own <= OwnShareTarget * lineMs);
    report.add("cli_batch_paced", "cli batch, paced: one transmitter", "ms", pacedMs, line,
               QStringLiteral("x%1, %2 ms").arg(Figure(paced / lineMs, 3), Signed(overhead)),
               "overhead <= " + Figure(OwnShareTarget * lineMs, 0) + " ms",
               overhead <= OwnShareTarget * lineMs);
    report.summary << QStringLiteral("cli %1 ms/transmitter (line %2 ms, paced x%3)")
                          .arg(Figure(own), Figure(lineMs), Figure(paced / lineMs, 2));
    return true;
}
