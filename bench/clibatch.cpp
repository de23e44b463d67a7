#include "clibatch.h"

#include "frame.h"
#include "simulatorprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <numeric>

namespace {

// The real line: 2400 baud, 10 bits a byte.
constexpr double ByteMs = 1000.0 / 240;

// The program's own time a transmitter, next to the line's: small enough that a real line stays
// what the batch waits for.
constexpr double OwnShareTarget = 0.25;

// Everything a cycle puts on the line and gets back: read, write, and the write's read-back.
int CycleBytes()
{
    const auto read =
        Frame::ReadCodeRequest().size() +
        Frame::Reply(Frame::CodeGroup, Frame::ReadCodeCommand, QByteArray(2, 0)).size();
    const auto write = Frame::WriteCodeRequest(0).size() +
                       Frame::Reply(Frame::CodeGroup, Frame::WriteCodeCommand, {}).size();
    return int(2 * read + write);
}

// Runs the program; false, with what it said, unless it ended with status 0.
bool RunCli(const QStringList &arguments, QString *output, QString *error)
{
    QProcess process;
    process.start(QStringLiteral(K5_CLI_PATH), arguments);
    if (!process.waitForFinished(SimulatorProcess::PatienceMs) ||
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = arguments.join(u' ') + QStringLiteral(": ") +
                 QString::fromUtf8(process.readAllStandardError()).trimmed();
        return false;
    }
    *output = QString::fromUtf8(process.readAllStandardOutput());
    return true;
}

} // namespace

CliBatch::CliBatch(int transmitters, int paced) : m_transmitters(transmitters), m_paced(paced) {}

bool CliBatch::batch(bool paced, int count, QList<double> *times, QString *error)
{
    QStringList options{QStringLiteral("--link"), QStringLiteral("COM1")};
    if (!paced)
        options << QStringLiteral("--no-pacing");
    SimulatorProcess sim(options);
    if (!sim.started()) {
        *error = QStringLiteral("the simulator did not start: ") + sim.log().join(u' ');
        return false;
    }
    // One cycle first, as a warm-up: the program and its libraries come from the disk cache then.
    for (int i = -1; i < count; ++i) {
        const QString code = QString::number((i + 2) * 7919 % 59049); // a new code each time
        QElapsedTimer timer;
        timer.start();
        QString read, written;
        if (!RunCli({QStringLiteral("read")}, &read, error) ||
            !RunCli({QStringLiteral("write"), code, QStringLiteral("--verify")}, &written, error))
            return false;
        const qint64 ns = timer.nsecsElapsed();
        if (!written.startsWith(QStringLiteral("verified ") + code + u' ')) {
            *error =
                QStringLiteral("write %1 --verify printed \"%2\"").arg(code, written.trimmed());
            return false;
        }
        if (i >= 0)
            *times << double(ns) / 1e6;
    }
    return true;
}

bool CliBatch::run(BenchReport &report, QString *error)
{
    QTemporaryDir config;
    if (!config.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

    QList<double> unpaced, paced;
    if (!batch(false, m_transmitters, &unpaced, error) || !batch(true, m_paced, &paced, error))
        return false;

    const int bytes = CycleBytes();
    const double lineMs = bytes * ByteMs;
    const QString line = QStringLiteral("line %1 ms (%2 bytes)").arg(Figure(lineMs)).arg(bytes);
    const Spread own = Spread::of(unpaced);
    const double share = own.median / lineMs;
    report.add(
        QStringLiteral("cli_batch"),
        {QStringLiteral("cli batch, unpaced: one transmitter"), QStringLiteral("ms"), own, line,
         QStringLiteral("%1% of the line").arg(Figure(100 * share)),
         QStringLiteral("<= %1% of the line").arg(Figure(100 * OwnShareTarget, 0)),
         share <= OwnShareTarget},
        {{QStringLiteral("line_ms"), lineMs},
         {QStringLiteral("bytes"), bytes},
         {QStringLiteral("transmitters"), m_transmitters},
         {QStringLiteral("batch_s"), std::accumulate(unpaced.begin(), unpaced.end(), 0.0) / 1000}});
    const Spread onLine = Spread::of(paced);
    const double overhead = onLine.median - lineMs;
    report.add(
        QStringLiteral("cli_batch_paced"),
        {QStringLiteral("cli batch, paced: one transmitter"), QStringLiteral("ms"), onLine, line,
         QStringLiteral("x%1, +%2 ms").arg(Figure(onLine.median / lineMs, 3), Figure(overhead)),
         QStringLiteral("overhead <= %1 ms").arg(Figure(OwnShareTarget * lineMs, 0)),
         overhead <= OwnShareTarget * lineMs},
        {{QStringLiteral("line_ms"), lineMs},
         {QStringLiteral("transmitters"), m_paced},
         {QStringLiteral("overhead_ms"), overhead}});
    report.addNote(
        QStringLiteral(
            "cli batch: per transmitter, k5-dipswitch-cli read, then write CODE --verify (a write "
            "and its read-back), as two processes one after the other, a new code each time; "
            "from the start of the first process to the end of the second, after one warm-up "
            "cycle. %1 transmitters against the unpaced simulator (the program's own time: "
            "process start, opening and closing the port three times, judging), %2 against the "
            "simulator paced at 1/240 s a byte. The line's limit for one transmitter is its %3 "
            "bytes (requests, their echo and the replies) x 1/240 s.")
            .arg(m_transmitters)
            .arg(m_paced)
            .arg(bytes));
    report.addSummary(
        QStringLiteral("cli %1 ms/transmitter (line %2 ms, paced x%3)")
            .arg(Figure(own.median), Figure(lineMs), Figure(onLine.median / lineMs, 2)));
    return true;
}
