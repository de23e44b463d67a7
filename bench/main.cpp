// k5-bench: the window's exchanges against the transmitter simulator and the tool's start-up,
// measured. Prints a table; writes the figures as JSON and the summary line's part to files.
//
//     k5-bench [--runs N] [--json FILE] [--summary FILE]
//
// Exit code 0 when every figure was measured (whether or not it meets its target), 1 when a
// measurement failed, 2 for bad options.

#include "benchreport.h"
#include "exchangebench.h"
#include "startupbench.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QJsonDocument>
#include <QLoggingCategory>

#include <cstdio>

namespace {

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser options;
    options.addHelpOption();
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Measured runs a figure."),
                                  QStringLiteral("N"), QStringLiteral("20"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Write the figures here."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption summary(QStringLiteral("summary"),
                                     QStringLiteral("Write the summary line's part here."),
                                     QStringLiteral("FILE"));
    options.addOptions({runs, json, summary});
    options.process(app);
    bool ok = false;
    const int count = options.value(runs).toInt(&ok);
    if (!ok || count < 1) {
        std::fprintf(stderr, "k5-bench: --runs wants a positive number\n");
        return 2;
    }

    // The link's debug lines (a port opened) would bury the table.
    QLoggingCategory::setFilterRules(QStringLiteral("k5.*.debug=false"));

    BenchReport report;
    QString error;
    ExchangeBench exchanges(count);
    StartupBench startup(QStringLiteral(K5_STARTUP_FORM1_PATH),
                         QStringLiteral(K5_STARTUP_MINIMAL_PATH), count);
    if (!exchanges.run(report, &error) || !startup.run(report, &error)) {
        std::fprintf(stderr, "k5-bench: %s\n", qPrintable(error));
        return 1;
    }

    std::fputs(report.table().toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    if (options.isSet(json) &&
        !WriteFile(options.value(json), QJsonDocument(report.json()).toJson())) {
        std::fprintf(stderr, "k5-bench: cannot write %s\n", qPrintable(options.value(json)));
        return 1;
    }
    if (options.isSet(summary) &&
        !WriteFile(options.value(summary), report.summary().toUtf8() + '\n')) {
        std::fprintf(stderr, "k5-bench: cannot write %s\n", qPrintable(options.value(summary)));
        return 1;
    }
    return 0;
}
