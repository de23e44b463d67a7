#include "bench.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

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

// The tool's, then the bare form's.
const char *const Programs[] = {K5_STARTUP_TOOL_PATH, K5_STARTUP_BARE_PATH};

// Starts program at the display scale; adds the time to its first frame (ms) and its peak
// resident memory (MiB) to values[0] and values[1].
bool StartOnce(const QString &program, const QProcessEnvironment &environment,
               QList<double> *values, QString *error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    QByteArray out;
    while (!out.contains('\n') && process.waitForReadyRead(PatienceMs))
        out += process.readAllStandardOutput();
    values[0] << double(clock.nsecsElapsed()) / 1e6;
    if (!process.waitForFinished(PatienceMs))
        process.kill();

    const QList<QByteArray> words = out.trimmed().split(' ');
    values[1] << words.value(1).toDouble() / 1024;
    const bool shown = words.value(0) == "shown" && values[1].back() > 0;
    if (!shown)
        *error = program + " did not report its window: " + QString::fromLocal8Bit(out);
    return shown;
}

// Adds the instructions, in millions, that program executes under callgrind from its start to its
// first frame: the count that callgrind dumps when the program enters its report.
bool CountOnce(const QString &valgrind, const QString &program,
               const QProcessEnvironment &environment, QList<double> *counts, QString *error)
{
    const QTemporaryDir dir;
    const QString out = dir.filePath("callgrind.out");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(valgrind, {"--tool=callgrind", "--dump-before=*ReportFirstFrame*",
                             "--callgrind-out-file=" + out, program});
    if (!process.waitForFinished(CountingPatienceMs))
        process.kill();
    // The dump at the report is the first part; the rest of the run goes to the file itself.
    const double count = dir.isValid() ? FileField(out + ".1", "totals") : -1;
    *counts << count / 1e6;
    if (count < 0)
        *error = program + " gave no instruction count under " + valgrind;
    return count >= 0;
}

} // namespace

// At 200% the window draws the larger renderings of its pictures into a frame of four times the
// pixels.
bool MeasureStartup(BenchReport &report, int runs, QString *error)
{
    for (const int scale : {1, 2}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_SCALE_FACTOR", QString::number(scale));
        // The tool's and the bare form's times and peaks, taking turns, so that whatever else the
        // machine does falls on both alike. The first turn is a warm-up: it fills the system's
        // caches (files, fonts).
        QList<double> starts[2][2], warmUp[2];
        for (int i = -1; i < runs; ++i) {
            for (int p : {0, 1}) {
                if (!StartOnce(Programs[p], environment, i < 0 ? warmUp : starts[p], error))
                    return false;
            }
        }

        // The JSON names the figures startup, rss and instr at 100%, startup_200, rss_200 and
        // instr_200 at 200%.
        const QString suffix = scale == 1 ? "" : QStringLiteral("_%1").arg(scale * 100);
        const QString at = scale == 1 ? "" : QStringLiteral(" at %1%").arg(scale * 100);
        const QString summaryAt = scale == 1 ? "" : QStringLiteral("@%1%").arg(scale * 100);
        auto add = [&](const QString &key, const QString &what, const QString &unit,
                       const QList<double> &tool, const QList<double> &bare) {
            // Memory is held to the same ratio at every scale.
            const double target = scale == 1 || key == "rss" ? RatioTarget : RatioTargetAt200;
            const double median = Median(tool);
            const double form = Median(bare);
            const double ratio = median / form;
            report.add(
                key + suffix, "start-up" + at + ": " + what, unit, tool,
                QStringLiteral("bare form %1 %2").arg(Figure(form), unit),
                QStringLiteral("x%1, %2 %3").arg(Figure(ratio, 2), Signed(median - form), unit),
                "<= x" + Figure(target, 2), ratio <= target);
            report.summary << QStringLiteral("%1%2 x%3").arg(key, summaryAt, Figure(ratio, 2));
        };
        add("startup", "process start to first frame", "ms", starts[0][0], starts[1][0]);
        add("rss", "peak resident memory", "MiB", starts[0][1], starts[1][1]);

        // Wall time on a shared machine is noisy; the instructions that callgrind counts are not.
        const QString valgrind = QStandardPaths::findExecutable("valgrind");
        if (valgrind.isEmpty()) {
            std::fprintf(stderr,
                         "k5-bench: no valgrind (scripts/install-deps.sh installs it): the "
                         "start-up's instructions%s are not counted\n",
                         qPrintable(at));
            report.json["instr" + suffix] = "skipped: no valgrind";
            report.summary << QStringLiteral("instr%1 skipped").arg(summaryAt);
            continue;
        }
        QList<double> counts[2];
        for (int i = 0; i < CountedRuns; ++i) {
            for (int p : {0, 1}) {
                if (!CountOnce(valgrind, Programs[p], environment, &counts[p], error))
                    return false;
            }
        }
        add("instr", "instructions to first frame", "M", counts[0], counts[1]);
    }
    return true;
}
