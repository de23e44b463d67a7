#include "startupbench.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <utility>

namespace {

constexpr double RatioTarget = 1.15;
constexpr int PatienceMs = 10000;

} // namespace

StartupBench::StartupBench(QString toolProgram, QString minimalProgram, int runs)
    : m_tool(std::move(toolProgram)), m_minimal(std::move(minimalProgram)), m_runs(runs)
{}

bool StartupBench::run(BenchReport &report, QString *error)
{
    // At 200% the window draws the larger renderings of its pictures into a frame of four times
    // the pixels. The JSON names the figures startup and rss at 100%, startup_200 and rss_200.
    return runAt(report, 1, error) && runAt(report, 2, error);
}

bool StartupBench::runAt(BenchReport &report, int scale, QString *error)
{
    QList<double> toolMs, minimalMs, toolMiB, minimalMiB;
    // The first turn of each is a warm-up: it fills the system's caches (files, fonts).
    for (int i = 0; i <= m_runs; ++i) {
        const std::optional<Start> tool = start(m_tool, scale, error);
        if (!tool)
            return false;
        const std::optional<Start> minimal = start(m_minimal, scale, error);
        if (!minimal)
            return false;
        if (i == 0)
            continue;
        toolMs << tool->ms;
        toolMiB << tool->residentMiB;
        minimalMs << minimal->ms;
        minimalMiB << minimal->residentMiB;
    }

    const Spread time = Spread::of(toolMs);
    const Spread minimalTime = Spread::of(minimalMs);
    const Spread memory = Spread::of(toolMiB);
    const Spread minimalMemory = Spread::of(minimalMiB);
    const double timeRatio = time.median / minimalTime.median;
    const double memoryRatio = memory.median / minimalMemory.median;
    const QString target = QStringLiteral("<= x%1").arg(Figure(RatioTarget, 2));
    auto spreadJson = [](const Spread &s) {
        return QJsonObject{{QStringLiteral("median"), s.median},
                           {QStringLiteral("min"), s.min},
                           {QStringLiteral("max"), s.max}};
    };
    const QString at = scale == 1 ? QString() : QStringLiteral(" at %1%").arg(scale * 100);
    const QString key = scale == 1 ? QString() : QStringLiteral("_%1").arg(scale * 100);
    report.add(QStringLiteral("startup") + key,
               {QStringLiteral("start-up%1: process start to first frame").arg(at),
                QStringLiteral("ms"), time,
                QStringLiteral("minimal %1 ms").arg(Figure(minimalTime.median)),
                QStringLiteral("x%1").arg(Figure(timeRatio, 2)), target, timeRatio <= RatioTarget},
               {{QStringLiteral("ratio"), timeRatio},
                {QStringLiteral("minimal_ms"), spreadJson(minimalTime)}});
    report.add(QStringLiteral("rss") + key,
               {QStringLiteral("start-up%1: peak resident memory").arg(at), QStringLiteral("MiB"),
                memory, QStringLiteral("minimal %1 MiB").arg(Figure(minimalMemory.median)),
                QStringLiteral("x%1").arg(Figure(memoryRatio, 2)), target,
                memoryRatio <= RatioTarget},
               {{QStringLiteral("ratio"), memoryRatio},
                {QStringLiteral("minimal_mib"), spreadJson(minimalMemory)}});
    const QString summaryAt = scale == 1 ? QString() : QStringLiteral("@%1%").arg(scale * 100);
    report.addSummary(QStringLiteral("startup%1 x%2 rss%1 x%3")
                          .arg(summaryAt, Figure(timeRatio, 2), Figure(memoryRatio, 2)));
    if (scale != 1)
        return true;
    report.addNote(
        QStringLiteral(
            "Start-up: %1 (built as the tool's main(): Form1, showCentred) and %2 (one empty "
            "481 x 500 window), taking turns %3 times after one warm-up each; from just before "
            "QProcess::start to the line the child prints once its first frame is painted, and the "
            "child's peak resident memory (VmHWM) at that moment. Both at 100% and again at 200% "
            "(QT_SCALE_FACTOR).")
            .arg(QFileInfo(m_tool).fileName(), QFileInfo(m_minimal).fileName())
            .arg(m_runs));
    return true;
}

std::optional<StartupBench::Start> StartupBench::start(const QString &program, int scale,
                                                       QString *error) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    QByteArray out;
    while (!out.contains('\n') && process.waitForReadyRead(PatienceMs))
        out += process.readAllStandardOutput();
    const qint64 ns = clock.nsecsElapsed();
    if (!process.waitForFinished(PatienceMs))
        process.kill();

    const QList<QByteArray> words = out.trimmed().split(' ');
    bool ok = false;
    const double kib = words.value(1).toDouble(&ok);
    if (words.value(0) != "shown" || !ok || kib <= 0) {
        *error = QStringLiteral("%1 did not report its window: %2")
                     .arg(program, QString::fromLocal8Bit(out));
        return std::nullopt;
    }
    return Start{double(ns) / 1e6, kib / 1024};
}
