#include "benchparts.h"
#include "benchreport.h"

#include <QElapsedTimer>
#include <QProcess>

#include <optional>

namespace {

constexpr double RatioTarget = 1.15;
constexpr int PatienceMs = 10000;

struct Start
{
    double ms = 0;
    double peakMiB = 0;
};

// Starts program at the display scale and waits for its first frame.
std::optional<Start> StartOnce(const QString &program, int scale, QString *error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_SCALE_FACTOR", QString::number(scale));
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
    const double kib = words.value(1).toDouble();
    if (words.value(0) != "shown" || kib <= 0) {
        *error = program + " did not report its window: " + QString::fromLocal8Bit(out);
        return std::nullopt;
    }
    return Start{double(ns) / 1e6, kib / 1024};
}

// The tool's start-up against the bare form's at one display scale.
bool MeasureAt(BenchReport &report, int runs, int scale, QString *error)
{
    QList<double> toolMs, bareMs, toolMiB, bareMiB;
    // Taking turns, so that whatever else the machine does falls on both alike. The first turn
    // is a warm-up: it fills the system's caches (files, fonts).
    for (int i = -1; i < runs; ++i) {
        const std::optional<Start> tool = StartOnce(K5_STARTUP_TOOL_PATH, scale, error);
        const std::optional<Start> bare =
            tool ? StartOnce(K5_STARTUP_BARE_PATH, scale, error) : std::nullopt;
        if (!bare)
            return false;
        if (i < 0)
            continue;
        toolMs << tool->ms;
        toolMiB << tool->peakMiB;
        bareMs << bare->ms;
        bareMiB << bare->peakMiB;
    }

    // The JSON names the figures startup and rss at 100%, startup_200 and rss_200 at 200%.
    const QString suffix = scale == 1 ? "" : QStringLiteral("_%1").arg(scale * 100);
    const QString at = scale == 1 ? "" : QStringLiteral(" at %1%").arg(scale * 100);
    QStringList ratios;
    auto add = [&](const QString &key, const QString &what, const QString &unit,
                   const QList<double> &tool, const QList<double> &bare) {
        const Spread measured = Spread::of(tool);
        const Spread form = Spread::of(bare);
        const double ratio = measured.median / form.median;
        report.add(key + suffix, "start-up" + at + ": " + what, unit, measured,
                   QStringLiteral("bare form %1 %2").arg(Figure(form.median), unit),
                   QStringLiteral("x%1, %2 %3")
                       .arg(Figure(ratio, 2), Signed(measured.median - form.median), unit),
                   "<= x" + Figure(RatioTarget, 2), ratio <= RatioTarget);
        ratios << Figure(ratio, 2);
    };
    add("startup", "process start to first frame", "ms", toolMs, bareMs);
    add("rss", "peak resident memory", "MiB", toolMiB, bareMiB);
    const QString summaryAt = scale == 1 ? "" : QStringLiteral("@%1%").arg(scale * 100);
    report.addSummary(
        QStringLiteral("startup%1 x%2 rss%1 x%3").arg(summaryAt, ratios[0], ratios[1]));
    return true;
}

} // namespace

bool MeasureStartup(BenchReport &report, int runs, QString *error)
{
    // At 200% the window draws the larger renderings of its pictures into a frame of four times
    // the pixels.
    return MeasureAt(report, runs, 1, error) && MeasureAt(report, runs, 2, error);
}
