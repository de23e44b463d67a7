// k5-bench: the figures of the README's "Performance" section. Prints their tables and the
// one-line summary that starts with "bench:", and writes the figures as JSON.
//
//     k5-bench [--runs N] [--parts exchanges,startup,soak,cli] [--json FILE]
//
// Exit status 0 when every figure was measured (whether or not it meets its target), 1 when a
// measurement failed or the soak found descriptors or memory growing, 2 for bad options.

#include "benchparts.h"
#include "benchreport.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption runs("runs", "Measured runs of an exchange or a start-up.", "N", "20");
    const QCommandLineOption parts("parts", "The parts to run.", "LIST",
                                   "exchanges,startup,soak,cli");
    const QCommandLineOption json("json", "Write the figures here.", "FILE");
    parser.addOptions({runs, parts, json});
    parser.process(app);
    const int runCount = parser.value(runs).toInt();
    if (runCount < 1) {
        std::fputs("k5-bench: --runs wants a positive number\n", stderr);
        return 2;
    }

    // The port links of the simulators and the window go to a folder of their own, not among a
    // technician's own.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    // The link's lines (a port opened, a device gone) would bury the tables.
    QLoggingCategory::setFilterRules("k5.*.debug=false\nk5.link.warning=false");

    const QStringList chosen = parser.value(parts).split(',');
    BenchReport report;
    QString error = config.isValid() ? "" : "no temporary folder";
    const bool ok = error.isEmpty() &&
                    (!chosen.contains("exchanges") || MeasureExchanges(report, runCount, &error)) &&
                    (!chosen.contains("startup") || MeasureStartup(report, runCount, &error)) &&
                    (!chosen.contains("soak") || MeasureSoak(report, &error)) &&
                    (!chosen.contains("cli") || MeasureCliBatch(report, &error));
    // What was measured is shown also when a part then failed.
    std::printf("%s%s\n", qPrintable(report.tables()), qPrintable(report.summary()));
    QFile out(parser.value(json));
    if (parser.isSet(json) && !(out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                                out.write(QJsonDocument(report.json()).toJson()) > 0)) {
        std::fprintf(stderr, "k5-bench: cannot write %s\n", qPrintable(out.fileName()));
        return 1;
    }
    if (!ok)
        std::fprintf(stderr, "k5-bench: %s\n", qPrintable(error));
    return ok ? 0 : 1;
}
