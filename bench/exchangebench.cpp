#include "exchangebench.h"

#include "frame.h"
#include "simulatorprocess.h"
#include "statustexts.h"

#include <cmath>

namespace {

// The real line: 2400 baud, 10 bits a byte.
constexpr double ByteMs = 1000.0 / 240;
constexpr double ReplyLimitMs = 500;

// Targets.
constexpr double OverheadTargetMs = 2;
constexpr double CpuTargetPercent = 2;
constexpr double LimitToleranceMs = 5;

double Ms(qint64 ns)
{
    return double(ns) / 1e6;
}

QString Signed(double value, int decimals = 1)
{
    return (value < 0 ? QString() : QStringLiteral("+")) + Figure(value, decimals);
}

} // namespace

ExchangeBench::ExchangeBench(int runs, QObject *parent) : QObject(parent), m_runs(runs) {}

ExchangeBench::~ExchangeBench() = default;

bool ExchangeBench::run(BenchReport &report, QString *error)
{
    if (!m_window.useOwnConfig(error) || !m_window.show(error))
        return false;
    const bool ok = latency(report, error) && timeLimit(report, error);
    m_sim.reset();
    m_window.close();
    return ok;
}

bool ExchangeBench::latency(BenchReport &report, QString *error)
{
    // Paced: every byte the simulator sends takes the real byte time.
    if (!startSimulator({QStringLiteral("--log"), QStringLiteral("--link"), QStringLiteral("COM1")},
                        error))
        return false;

    struct Kind
    {
        const char *key;
        QString button;
        QString running;
        QString ok; // empty: any text but the error text (the version)
        int echoBytes;
        int replyBytes; // the version's reply adds its text
        QList<Run> runs;
    };
    // Reply data: read HI LO; write none; version 01 02, then its text.
    Kind kinds[] = {
        {"read",
         QStringLiteral("Command1"),
         StatusText::ReadRunning,
         StatusText::ReadOk,
         int(Frame::ReadCodeRequest().size()),
         int(Frame::Reply(Frame::CodeGroup, Frame::ReadCodeCommand, QByteArray(2, 0)).size()),
         {}},
        {"write",
         QStringLiteral("Command6"),
         StatusText::WriteRunning,
         StatusText::WriteOk,
         int(Frame::WriteCodeRequest(0).size()),
         int(Frame::Reply(Frame::CodeGroup, Frame::WriteCodeCommand, QByteArray()).size()),
         {}},
        {"version",
         QStringLiteral("Command8"),
         StatusText::VersionRunning,
         QString(),
         int(Frame::ReadVersionRequest().size()),
         int(Frame::Reply(Frame::VersionGroup, Frame::ReadVersionCommand, QByteArray(2, 0)).size()),
         {}},
    };

    auto once = [&](Kind &kind, Run *run) {
        if (!exchange(kind.button, kind.running, run, error))
            return false;
        const bool ok =
            kind.ok.isEmpty() ? run->text != StatusText::VersionError : run->text == kind.ok;
        if (!ok || run->rxNs < 0 || run->txNs < run->rxNs) {
            *error =
                QStringLiteral("%1 ended with \"%2\"").arg(QLatin1StringView(kind.key), run->text);
            return false;
        }
        return true;
    };
    // One of each first: the window then holds the simulator's code, which the writes send
    // back, and whatever is loaded or cached on first use is.
    for (Kind &kind : kinds) {
        Run warmUp;
        if (!once(kind, &warmUp))
            return false;
    }
    for (int i = 0; i < m_runs; ++i) {
        for (Kind &kind : kinds) {
            Run run;
            if (!once(kind, &run))
                return false;
            kind.runs << run;
        }
    }

    // CPU over the whole exchanges, and over their waits: from the click's handler returning
    // (the request is on its way) to the final text.
    qint64 cpuNs = 0, wallNs = 0, waitCpuNs = 0, waitWallNs = 0;
    QList<double> waitPercents;
    QList<double> ownTimes; // the window's own share of each exchange
    QStringList summary;
    for (const Kind &kind : kinds) {
        int bytes = kind.echoBytes + kind.replyBytes;
        if (kind.ok.isEmpty()) // one byte a character
            bytes += int(kind.runs.front().text.toLatin1().size());
        const double minimum = bytes * ByteMs;
        QList<double> totals, handler, untilEcho, line, afterReply;
        for (const Run &r : kind.runs) {
            totals << Ms(r.textNs - r.clickNs);
            handler << Ms(r.handledNs - r.clickNs);
            untilEcho << Ms(r.rxNs - r.handledNs);
            line << Ms(r.txNs - r.rxNs);
            afterReply << Ms(r.textNs - r.txNs);
            ownTimes << Ms(r.handledNs - r.clickNs) + Ms(r.textNs - r.txNs);
            cpuNs += r.cpuNs;
            wallNs += r.textNs - r.clickNs;
            waitCpuNs += r.cpuNs - r.handlerCpuNs;
            waitWallNs += r.textNs - r.handledNs;
            waitPercents << 100.0 * double(r.cpuNs - r.handlerCpuNs) /
                                double(r.textNs - r.handledNs);
        }
        const Spread measured = Spread::of(totals);
        const double ratio = measured.median / minimum;
        const double overhead = measured.median - minimum;
        const double handlerMs = Spread::of(handler).median;
        const double untilEchoMs = Spread::of(untilEcho).median;
        const double lineMs = Spread::of(line).median;
        const double afterReplyMs = Spread::of(afterReply).median;
        const QString key = QLatin1StringView(kind.key);
        report.add(key,
                   {key + QStringLiteral(": click to final text"), QStringLiteral("ms"), measured,
                    QStringLiteral("%1 ms (%2 bytes)").arg(Figure(minimum), QString::number(bytes)),
                    QStringLiteral("x%1, %2 ms").arg(Figure(ratio, 3), Signed(overhead)),
                    QStringLiteral("overhead <= %1 ms").arg(Figure(OverheadTargetMs, 0)),
                    overhead <= OverheadTargetMs},
                   {{QStringLiteral("minimum_ms"), minimum},
                    {QStringLiteral("bytes"), bytes},
                    {QStringLiteral("ratio"), ratio},
                    {QStringLiteral("overhead_ms"), overhead},
                    {QStringLiteral("click_handler_ms"), handlerMs},
                    {QStringLiteral("handler_to_simulator_echo_ms"), untilEchoMs},
                    {QStringLiteral("simulator_sending_ms"), lineMs},
                    {QStringLiteral("simulator_sending_paced_ms"), bytes * ByteMs},
                    {QStringLiteral("last_reply_byte_to_text_ms"), afterReplyMs},
                    {QStringLiteral("window_own_ms"), handlerMs + afterReplyMs}});
        report.addNote(
            QStringLiteral(
                "%1, medians: click handler (opens the port, hands over the request) "
                "%2 ms; then until the simulator starts its echo %3 ms; the simulator's sending "
                "%4 ms (paced: %5 ms); its last reply byte to the final text %6 ms. "
                "The window's own share: %7 ms.")
                .arg(key, Figure(handlerMs, 2), Figure(untilEchoMs, 2), Figure(lineMs, 2),
                     Figure(bytes * ByteMs, 2), Figure(afterReplyMs, 2),
                     Figure(handlerMs + afterReplyMs, 2)));
        summary << QStringLiteral("%1 x%2").arg(key, Figure(ratio, 3));
    }

    // Without the line and the simulator: what a real line would add to its own byte times.
    const Spread own = Spread::of(ownTimes);
    report.add(QStringLiteral("window_own"),
               {QStringLiteral("exchanges: the window's own time"), QStringLiteral("ms"), own,
                QStringLiteral("handler + reply to text"),
                QStringLiteral("%1 ms").arg(Signed(own.median, 2)),
                QStringLiteral("<= %1 ms").arg(Figure(OverheadTargetMs, 0)),
                own.median <= OverheadTargetMs});

    const double waitCpu = 100.0 * double(waitCpuNs) / double(waitWallNs);
    const double cpu = 100.0 * double(cpuNs) / double(wallNs);
    report.add(QStringLiteral("cpu"),
               {QStringLiteral("CPU while waiting, per exchange"), QStringLiteral("%"),
                Spread::of(waitPercents), QStringLiteral("busy wait 100%"),
                QStringLiteral("%1% of %2 ms").arg(Figure(waitCpu, 2), Figure(Ms(waitWallNs), 0)),
                QStringLiteral("<= %1%").arg(Figure(CpuTargetPercent, 0)),
                waitCpu <= CpuTargetPercent},
               {{QStringLiteral("percent"), waitCpu},
                {QStringLiteral("cpu_ms"), Ms(waitCpuNs)},
                {QStringLiteral("wall_ms"), Ms(waitWallNs)},
                {QStringLiteral("whole_exchanges_percent"), cpu},
                {QStringLiteral("whole_exchanges_cpu_ms"), Ms(cpuNs)},
                {QStringLiteral("whole_exchanges_wall_ms"), Ms(wallNs)}});
    summary << QStringLiteral("cpu %1%").arg(Figure(waitCpu));
    for (const QString &part : summary)
        report.addSummary(part);

    report.addNote(
        QStringLiteral(
            "Exchanges: the simulator paced at 1/240 s a byte; %1 of each kind, read, write and "
            "version in turn, after one warm-up each. Times from just before the click (QTest "
            "mouse "
            "click) to the status text that follows the running text (Text1 textChanged), on a "
            "steady clock. Minimum: (echoed + reply bytes) x 1/240 s. After each exchange the next "
            "click waits until the simulator has seen the port closed, then 20 to 29 ms.")
            .arg(m_runs));
    report.addNote(QStringLiteral(
        "The simulator delivers each byte at the end of its byte time, as a line does, so its "
        "last byte is out n/240 s after the request came in; the simulator's instants are the "
        "arrival of its log lines (rx: whole request in, echo "
        "starts; tx: last reply byte sent)."));
    report.addNote(
        QStringLiteral(
            "CPU: the process's user + system time (CLOCK_PROCESS_CPUTIME_ID) over the same "
            "exchanges' waits, from the click's handler returning to the final text, divided by "
            "their wall time; it includes this program reading the simulator's log. Over the whole "
            "exchanges, click handler included: %1% (%2 ms CPU in %3 ms).")
            .arg(Figure(cpu, 2), Figure(Ms(cpuNs), 1), Figure(Ms(wallNs), 0)));
    return true;
}

bool ExchangeBench::timeLimit(BenchReport &report, QString *error)
{
    m_sim.reset();
    // Unpaced, so that the echo follows the simulator's rx log line at once.
    if (!startSimulator({QStringLiteral("--log"), QStringLiteral("--no-pacing"),
                         QStringLiteral("--fault"), QStringLiteral("no-reply"),
                         QStringLiteral("--link"), QStringLiteral("COM1")},
                        error))
        return false;

    QList<double> limits;
    for (int i = 0; i <= m_runs; ++i) {
        Run run;
        if (!exchange(QStringLiteral("Command1"), StatusText::ReadRunning, &run, error))
            return false;
        if (run.text != StatusText::ReadError || run.rxNs < 0) {
            *error = QStringLiteral("read without reply ended with \"%1\"").arg(run.text);
            return false;
        }
        if (i > 0) // the first is a warm-up
            limits << Ms(run.textNs - run.rxNs);
    }
    const Spread measured = Spread::of(limits);
    const double late = measured.median - ReplyLimitMs;
    report.add(QStringLiteral("timeout"),
               {QStringLiteral("time limit: last echo byte to error text"), QStringLiteral("ms"),
                measured, QStringLiteral("%1 ms").arg(Figure(ReplyLimitMs, 0)),
                QStringLiteral("%1 ms").arg(Signed(late)),
                QStringLiteral("within %1 ms").arg(Figure(LimitToleranceMs, 0)),
                std::abs(late) <= LimitToleranceMs},
               {{QStringLiteral("limit_ms"), ReplyLimitMs}, {QStringLiteral("late_ms"), late}});
    report.addSummary(QStringLiteral("timeout %1 ms").arg(Signed(late)));
    report.addNote(
        QStringLiteral(
            "Time limit: read against the simulator's no-reply fault, unpaced, %1 runs after one "
            "warm-up; from the arrival of the simulator's rx log line (it writes the whole echo "
            "right after it) to the error text.")
            .arg(m_runs));
    return true;
}

bool ExchangeBench::startSimulator(const QStringList &options, QString *error)
{
    m_log.clear();
    m_logTaken = 0;
    m_sim = std::make_unique<SimulatorProcess>(options);
    connect(&m_sim->process(), &QProcess::readyReadStandardError, this, &ExchangeBench::takeLog);
    if (!m_sim->started()) {
        *error = QStringLiteral("the simulator did not start: ") + m_sim->log().join(u' ');
        return false;
    }
    return true;
}

bool ExchangeBench::exchange(const QString &button, const QString &running, Run *run,
                             QString *error)
{
    const qsizetype logFrom = m_log.size();
    const int closedBefore = closedCount();
    if (!m_window.click(
            button, running, [&] { return closedCount() > closedBefore; }, run)) {
        *error = run->ended
                     ? QStringLiteral("%1: the simulator did not see the port closed").arg(button)
                     : QStringLiteral("%1: no final text").arg(button);
        return false;
    }
    run->rxNs = stampAfter(logFrom, u"rx ");
    run->txNs = stampAfter(logFrom, u"tx ");
    m_window.pause(20 + (m_exchanges++ * 3) % 10);
    return true;
}

void ExchangeBench::takeLog()
{
    const qint64 now = m_window.nsecs();
    const QStringList lines = m_sim->log();
    for (; m_logTaken < lines.size(); ++m_logTaken)
        m_log << Stamp{lines[m_logTaken], now};
    m_window.wake();
}

int ExchangeBench::closedCount() const
{
    int count = 0;
    for (const Stamp &s : m_log)
        count += s.line == QLatin1StringView("closed") ? 1 : 0;
    return count;
}

qint64 ExchangeBench::stampAfter(qsizetype from, QStringView prefix) const
{
    for (qsizetype i = from; i < m_log.size(); ++i) {
        if (m_log[i].line.startsWith(prefix))
            return m_log[i].ns;
    }
    return -1;
}
