// k5-soak: a long run of exchanges in one window against transmitter simulators, some of them
// playing faults; checks every outcome and watches open descriptors and memory for growth.
// Prints a table; writes the figures as JSON and the summary line's part to files.
//
//     k5-soak [--exchanges N] [--seed S] [--json FILE] [--summary FILE]
//
// Exit code 0 when every exchange ended as expected and nothing grew, 1 otherwise, 2 for bad
// options.

#include "benchreport.h"
#include "soak.h"

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
    const QCommandLineOption exchanges(QStringLiteral("exchanges"),
                                       QStringLiteral("Exchanges in all, warm-up included."),
                                       QStringLiteral("N"), QStringLiteral("2000"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the order of the ports."),
                                  QStringLiteral("S"), QStringLiteral("5"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Write the figures here."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption summary(QStringLiteral("summary"),
                                     QStringLiteral("Write the summary line's part here."),
                                     QStringLiteral("FILE"));
    options.addOptions({exchanges, seed, json, summary});
    options.process(app);
    bool countOk = false, seedOk = false;
    const int count = options.value(exchanges).toInt(&countOk);
    const uint seedValue = options.value(seed).toUInt(&seedOk);
    // Enough for the warm-up and a sample after it.
    if (!countOk || count < 200 || !seedOk) {
        std::fprintf(stderr, "k5-soak: --exchanges wants a number from 200 on, --seed a number\n");
        return 2;
    }

    // The link's debug lines and its warnings about the ports that fail on purpose (the missing
    // device, the hangups) would bury the table; every outcome is checked instead.
    QLoggingCategory::setFilterRules(QStringLiteral("k5.*.debug=false\nk5.link.warning=false"));

    BenchReport report;
    QString error;
    Soak soak(count, seedValue);
    const bool ok = soak.run(report, &error);
    if (!report.json().value(QStringLiteral("summary")).toString().isEmpty()) {
        std::fputs(report.table().toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
        if (options.isSet(json) &&
            !WriteFile(options.value(json), QJsonDocument(report.json()).toJson())) {
            std::fprintf(stderr, "k5-soak: cannot write %s\n", qPrintable(options.value(json)));
            return 1;
        }
        if (options.isSet(summary) &&
            !WriteFile(options.value(summary), report.summary().toUtf8() + '\n')) {
            std::fprintf(stderr, "k5-soak: cannot write %s\n", qPrintable(options.value(summary)));
            return 1;
        }
    }
    if (!ok) {
        std::fprintf(stderr, "k5-soak: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
