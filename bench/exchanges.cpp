#include "benchparts.h"
#include "benchreport.h"
#include "benchwindow.h"
#include "frame.h"
#include "simulatorprocess.h"
#include "statustexts.h"

#include <QRandomGenerator>

#include <cmath>

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
    qint64 rxNs = -1;
    qint64 txNs = -1;
};

struct Kind
{
    QString name;
    QAbstractButton *button;
    QString running;
    QString ok;    // the final text expected; empty: any but the version's error text
    int bytes = 0; // echoed and replied, but for the version's text; 0: no reply expected
    QList<Run> runs = {};
};

// The simulator on COM1, logging: its log lines are looked at as they come in, on the window's
// clock.
class LoggedSimulator : public SimulatorProcess
{
public:
    LoggedSimulator(BenchWindow &window, const QStringList &options)
        : SimulatorProcess(options + QStringList{"--log", "--link", "COM1"}), m_window(window)
    {
        QObject::connect(&process(), &QProcess::readyReadStandardError, &window, [this] {
            const QStringList lines = log();
            for (; m_taken < lines.size(); ++m_taken) {
                m_rxNs = lines[m_taken].startsWith(u"rx ") ? m_window.nsecs() : m_rxNs;
                m_txNs = lines[m_taken].startsWith(u"tx ") ? m_window.nsecs() : m_txNs;
                m_closed += lines[m_taken] == u"closed" ? 1 : 0;
            }
            m_window.wake();
        });
    }

    // Runs an exchange of kind as a warm-up, then runs more, each clicked and awaited until its
    // text came and the simulator has seen the port closed. Then 20 to 29 ms pass, so that the
    // clicks do not fall in step with the simulator's own timing.
    bool collect(Kind &kind, int runs, QString *error)
    {
        if (!started()) {
            *error = "the simulator did not start: " + log().join(u' ');
            return false;
        }
        for (int i = -1; i < runs; ++i) {
            Run run;
            m_rxNs = m_txNs = -1;
            const int closed = m_closed;
            const bool ended = m_window.click(
                kind.button, kind.running, [&] { return m_closed > closed; }, &run);
            run.rxNs = m_rxNs;
            run.txNs = m_txNs;
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
        return true;
    }

private:
    BenchWindow &m_window;
    qsizetype m_taken = 0;
    qint64 m_rxNs = -1;
    qint64 m_txNs = -1;
    int m_closed = 0;
};

int Bytes(const QByteArray &request, const QByteArray &reply)
{
    return int(request.size() + reply.size());
}

bool Latency(BenchWindow &window, BenchReport &report, int runs, QString *error)
{
    LoggedSimulator sim(window, {}); // paced: every byte takes the line's byte time
    using namespace Frame;
    Kind kinds[] = {
        {"read", window.readButton(), StatusText::ReadRunning, StatusText::ReadOk,
         Bytes(ReadCodeRequest(), Reply(CodeGroup, ReadCodeCommand, QByteArray(2, 0)))},
        {"write", window.writeButton(), StatusText::WriteRunning, StatusText::WriteOk,
         Bytes(WriteCodeRequest(0), Reply(CodeGroup, WriteCodeCommand, {}))},
        {"version", window.versionButton(), StatusText::VersionRunning, QString(),
         Bytes(ReadVersionRequest(), Reply(VersionGroup, ReadVersionCommand, QByteArray(2, 0)))},
    };
    for (Kind &kind : kinds) {
        if (!sim.collect(kind, runs, error))
            return false;
    }

    qint64 waitCpuNs = 0, waitNs = 0;
    QList<double> waitPercents, ownTimes;
    for (Kind &kind : kinds) {
        if (kind.ok.isEmpty()) // one byte a character
            kind.bytes += int(kind.runs.front().text.toLatin1().size());
        const double minimum = kind.bytes * ByteMs;
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
        const Spread measured = Spread::of(totals);
        const double ratio = measured.median / minimum;
        const double overhead = measured.median - minimum;
        report.add(kind.name, kind.name + ": click to final text", "ms", measured,
                   QStringLiteral("%1 ms (%2 bytes)").arg(Figure(minimum)).arg(kind.bytes),
                   QStringLiteral("x%1, %2 ms").arg(Figure(ratio, 3), Signed(overhead)),
                   QStringLiteral("overhead <= %1 ms").arg(OverheadTargetMs),
                   overhead <= OverheadTargetMs);
        report.addSummary(QStringLiteral("%1 x%2").arg(kind.name, Figure(ratio, 3)));
    }

    const Spread own = Spread::of(ownTimes);
    report.add("window_own", "exchanges: the window's own time", "ms", own,
               "handler + reply to text", Signed(own.median, 2) + " ms",
               QStringLiteral("<= %1 ms").arg(OverheadTargetMs), own.median <= OverheadTargetMs);
    const double waitCpu = 100.0 * double(waitCpuNs) / double(waitNs);
    report.add("cpu", "CPU while waiting, per exchange", "%", Spread::of(waitPercents),
               "busy wait 100%",
               QStringLiteral("%1% of %2 ms").arg(Figure(waitCpu, 2), Figure(Ms(waitNs), 0)),
               QStringLiteral("<= %1%").arg(CpuTargetPercent), waitCpu <= CpuTargetPercent);
    report.addSummary(QStringLiteral("cpu %1%").arg(Figure(waitCpu)));
    return true;
}

bool TimeLimit(BenchWindow &window, BenchReport &report, int runs, QString *error)
{
    // Unpaced, so that the echo follows the simulator's rx log line at once.
    LoggedSimulator sim(window, {"--no-pacing", "--fault", "no-reply"});
    Kind read{"read without reply", window.readButton(), StatusText::ReadRunning,
              StatusText::ReadError};
    if (!sim.collect(read, runs, error))
        return false;
    QList<double> limits;
    for (const Run &r : std::as_const(read.runs))
        limits << Ms(r.textNs - r.rxNs);
    const Spread measured = Spread::of(limits);
    const double late = measured.median - ReplyLimitMs;
    report.add("timeout", "time limit: last echo byte to error text", "ms", measured,
               QStringLiteral("%1 ms").arg(ReplyLimitMs), Signed(late) + " ms",
               QStringLiteral("within %1 ms").arg(LimitToleranceMs),
               std::abs(late) <= LimitToleranceMs);
    report.addSummary("timeout " + Signed(late) + " ms");
    return true;
}

} // namespace

bool MeasureExchanges(BenchReport &report, int runs, QString *error)
{
    report.newTable();
    BenchWindow window;
    return window.open(error) && Latency(window, report, runs, error) &&
           TimeLimit(window, report, runs, error);
}
