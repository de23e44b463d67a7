#include "benchparts.h"
#include "benchreport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace {

constexpr double RatioTarget = 1.15;
// At 200% the bare form's frame is four times larger too, but it has no pictures to draw, where
// the tool unpacks its larger renderings: its start-up may take that much more.
constexpr double RatioTargetAt200 = 1.25;
constexpr int PatienceMs = 10000;
// Counted instructions hardly vary from run to run (by about 0.1%), so that a few runs do.
constexpr int CountedRuns = 3;
// A program runs some 50 times slower under callgrind.
constexpr int CountingPatienceMs = 120000;

struct Start
{
    double ms = 0;
    double peakMiB = 0;
};

QProcessEnvironment AtScale(int scale)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_SCALE_FACTOR", QString::number(scale));
    return environment;
}

// Starts program at the display scale and waits for its first frame.
std::optional<Start> StartOnce(const QString &program, int scale, QString *error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setProcessEnvironment(AtScale(scale));
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

// The instructions, in millions, that program executes under callgrind from its start to its
// first frame: the count that callgrind dumps when the program enters its report.
std::optional<double> CountOnce(const QString &valgrind, const QString &program, int scale,
                                QString *error)
{
    const QTemporaryDir dir;
    const QString out = dir.filePath("callgrind.out");
    QProcess process;
    process.setProcessEnvironment(AtScale(scale));
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(valgrind, {"--tool=callgrind", "--dump-before=*ReportFirstFrame*",
                             "--callgrind-out-file=" + out, program});
    if (!process.waitForFinished(CountingPatienceMs))
        process.kill();
    // The dump at the report is the first part; the rest of the run goes to the file itself.
    QFile dump(out + ".1");
    if (dir.isValid() && dump.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : dump.readAll().split('\n')) {
            if (line.startsWith("totals:"))
                return line.mid(7).trimmed().toDouble() / 1e6;
        }
    }
    *error = program + " gave no instruction count under " + valgrind;
    return std::nullopt;
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

    // The JSON names the figures startup, rss and instr at 100%, startup_200, rss_200 and
    // instr_200 at 200%.
    const QString suffix = scale == 1 ? "" : QStringLiteral("_%1").arg(scale * 100);
    const QString at = scale == 1 ? "" : QStringLiteral(" at %1%").arg(scale * 100);
    const QString summaryAt = scale == 1 ? "" : QStringLiteral("@%1%").arg(scale * 100);
    auto add = [&](const QString &key, const QString &what, const QString &unit,
                   const QList<double> &tool, const QList<double> &bare, double target) {
        const Spread measured = Spread::of(tool);
        const Spread form = Spread::of(bare);
        const double ratio = measured.median / form.median;
        report.add(key + suffix, "start-up" + at + ": " + what, unit, measured,
                   QStringLiteral("bare form %1 %2").arg(Figure(form.median), unit),
                   QStringLiteral("x%1, %2 %3")
                       .arg(Figure(ratio, 2), Signed(measured.median - form.median), unit),
                   "<= x" + Figure(target, 2), ratio <= target);
        report.addSummary(QStringLiteral("%1%2 x%3").arg(key, summaryAt, Figure(ratio, 2)));
    };
    add("startup", "process start to first frame", "ms", toolMs, bareMs,
        scale == 1 ? RatioTarget : RatioTargetAt200);
    add("rss", "peak resident memory", "MiB", toolMiB, bareMiB, RatioTarget);

    // Wall time on a shared machine is noisy; the instructions that callgrind counts are not.
    const QString valgrind = QStandardPaths::findExecutable("valgrind");
    if (valgrind.isEmpty()) {
        std::fprintf(stderr,
                     "k5-bench: no valgrind (scripts/install-deps.sh installs it): the "
                     "start-up's instructions%s are not counted\n",
                     qPrintable(at));
        report.addJson("instr" + suffix, "skipped: no valgrind");
        report.addSummary(QStringLiteral("instr%1 skipped").arg(summaryAt));
        return true;
    }
    QList<double> toolCount;
    QList<double> bareCount;
    for (int i = 0; i < CountedRuns; ++i) {
        const std::optional<double> tool = CountOnce(valgrind, K5_STARTUP_TOOL_PATH, scale, error);
        const std::optional<double> bare =
            tool ? CountOnce(valgrind, K5_STARTUP_BARE_PATH, scale, error) : std::nullopt;
        if (!bare)
            return false;
        toolCount << *tool;
        bareCount << *bare;
    }
    add("instr", "instructions to first frame", "M", toolCount, bareCount,
        scale == 1 ? RatioTarget : RatioTargetAt200);
    return true;
}

} // namespace

bool MeasureStartup(BenchReport &report, int runs, QString *error)
{
    // At 200% the window draws the larger renderings of its pictures into a frame of four times
    // the pixels.
    return MeasureAt(report, runs, 1, error) && MeasureAt(report, runs, 2, error);
}
