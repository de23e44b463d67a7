#include "bench.h"
#include "benchwindow.h"
#include "frame.h"
#include "simulatorprocess.h"
#include "statustexts.h"

#include <QRandomGenerator>

#include <cmath>
#include <span>

namespace {

constexpr double ReplyLimitMs = 500;
// Targets.
constexpr double OverheadTargetMs = 2;
constexpr double CpuTargetPercent = 2;
constexpr double LimitToleranceMs = 5;

double Ms(qint64 ns)
{
    return double(ns) / 1e6;
}

// An exchange, with the instants at which the simulator had the whole request (and started its
// echo) and had sent the reply's last byte.
struct Run : BenchWindow::Click
{
    qint64 rxNs = -1, txNs = -1;
};

struct Kind
{
    QString name;
    BenchWindow::Exchange exchange;
    QString ok;          // the final text expected; empty: any but the version's error text
    qsizetype bytes = 0; // echoed and replied, but for the version's text; 0: no reply expected
    QList<Run> runs = {};
};

// Against the simulator on COM1 with options, logging, runs each kind's exchange as a warm-up,
// then runs more, each clicked and awaited until its text came and the simulator has seen the
// port closed. Then 20 to 29 ms pass, so that the clicks do not fall in step with the
// simulator's own timing. The simulator's log lines are looked at as they come in, on the
// steady clock.
bool Collect(BenchWindow &window, const QStringList &options, std::span<Kind> kinds, int runs,
             QString *error)
{
    qsizetype taken = 0;
    int closed = 0;
    Run run;
    SimulatorProcess sim(options + QStringList{"--log", "--link", "COM1"});
    QObject::connect(&sim.process(), &QProcess::readyReadStandardError, &sim.process(), [&] {
        const QStringList lines = sim.log();
        for (; taken < lines.size(); ++taken) {
            run.rxNs = lines[taken].startsWith(u"rx ") ? ClockNs() : run.rxNs;
            run.txNs = lines[taken].startsWith(u"tx ") ? ClockNs() : run.txNs;
            closed += lines[taken] == u"closed" ? 1 : 0;
        }
        window.wake();
    });
    if (!sim.started()) {
        *error = "the simulator did not start: " + sim.log().join(u' ');
        return false;
    }
    for (Kind &kind : kinds) {
        for (int i = -1; i < runs; ++i) {
            run = Run();
            const int closedBefore = closed;
            const bool ended =
                window.click(kind.exchange, &run, [&] { return closed > closedBefore; });
            if (!ended ||
                (kind.ok.isEmpty() ? run.text == StatusText::VersionError : run.text != kind.ok) ||
                run.rxNs < 0 || (kind.bytes > 0 && run.txNs < run.rxNs)) {
                *error = QStringLiteral("%1 ended with \"%2\"").arg(kind.name, run.text);
                return false;
            }
            if (i >= 0)
                kind.runs << run;
            QTest::qWait(QRandomGenerator::global()->bounded(20, 30));
        }
    }
    return true;
}

} // namespace

bool MeasureExchanges(BenchReport &report, int runs, QString *error)
{
    report.tables.emplaceBack();
    BenchWindow window;
    using namespace Frame;
    Kind kinds[] = {
        {"read", BenchWindow::Read, StatusText::ReadOk, ReadBytes()},
        {"write", BenchWindow::Write, StatusText::WriteOk, WriteBytes()},
        {"version", BenchWindow::Version, QString(),
         (ReadVersionRequest() + Reply(VersionGroup, ReadVersionCommand, QByteArray(2, 0))).size()},
    };
    // Paced: every byte takes the line's byte time.
    if (!window.open(error) || !Collect(window, {}, kinds, runs, error))
        return false;

    qint64 waitCpuNs = 0, waitNs = 0;
    QList<double> waitPercents, ownTimes;
    for (Kind &kind : kinds) {
        if (kind.ok.isEmpty()) // one byte a character
            kind.bytes += kind.runs.front().text.toLatin1().size();
        const double minimum = LineMs(kind.bytes);
        QList<double> totals;
        for (const Run &r : std::as_const(kind.runs)) {
            totals << Ms(r.textNs - r.clickNs);
            // The click's handler, and the last reply byte to the final text.
            ownTimes << Ms(r.handledNs - r.clickNs) + Ms(r.textNs - r.txNs);
            waitCpuNs += r.cpuNs - r.handlerCpuNs;
            waitNs += r.textNs - r.handledNs;
            waitPercents << 100.0 * double(r.cpuNs - r.handlerCpuNs) /
                                double(r.textNs - r.handledNs);
        }
        const double median = Median(totals);
        const double ratio = median / minimum;
        const double overhead = median - minimum;
        report.add(kind.name, kind.name + ": click to final text", "ms", totals,
                   QStringLiteral("%1 ms (%2 bytes)").arg(Figure(minimum)).arg(kind.bytes),
                   QStringLiteral("x%1, %2 ms").arg(Figure(ratio, 3), Signed(overhead)),
                   QStringLiteral("overhead <= %1 ms").arg(OverheadTargetMs),
                   overhead <= OverheadTargetMs);
        report.summary << QStringLiteral("%1 x%2").arg(kind.name, Figure(ratio, 3));
    }

    const double own = Median(ownTimes);
    report.add("window_own", "exchanges: the window's own time", "ms", ownTimes,
               "handler + reply to text", Signed(own, 2) + " ms",
               QStringLiteral("<= %1 ms").arg(OverheadTargetMs), own <= OverheadTargetMs);
    const double waitCpu = 100.0 * double(waitCpuNs) / double(waitNs);
    report.add("cpu", "CPU while waiting, per exchange", "%", waitPercents, "busy wait 100%",
               QStringLiteral("%1% of %2 ms").arg(Figure(waitCpu, 2), Figure(Ms(waitNs), 0)),
               QStringLiteral("<= %1%").arg(CpuTargetPercent), waitCpu <= CpuTargetPercent);
    report.summary << QStringLiteral("cpu %1%").arg(Figure(waitCpu));

    // The time limit, unpaced, so that the echo follows the simulator's rx log line at once.
    Kind read[] = {{"read without reply", BenchWindow::Read, StatusText::ReadError}};
    if (!Collect(window, {"--no-pacing", "--fault", "no-reply"}, read, runs, error))
        return false;
    QList<double> limits;
    for (const Run &r : std::as_const(read[0].runs))
        limits << Ms(r.textNs - r.rxNs);
    const double late = Median(limits) - ReplyLimitMs;
    report.add("timeout", "time limit: last echo byte to error text", "ms", limits,
               QStringLiteral("%1 ms").arg(ReplyLimitMs), Signed(late) + " ms",
               QStringLiteral("within %1 ms").arg(LimitToleranceMs),
               std::abs(late) <= LimitToleranceMs);
    report.summary << "timeout " + Signed(late) + " ms";
    return true;
}
