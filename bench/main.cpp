// k5-bench: the figures of the README's "Performance" section. Prints their tables and the
// one-line summary that starts with "bench:", and writes the figures as JSON.
//
//     k5-bench [--runs N] [--parts exchanges,startup,soak,cli] [--json FILE]
//
// Exit status 0 when every figure was measured (whether or not it meets its target), 1 when a
// measurement failed or the soak found descriptors or memory growing, 2 for bad options.

#include "bench.h"
#include "frame.h"
#include "linesettings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    // The middle one, or the mean of the middle two.
    return values.isEmpty() ? 0 : (values[(values.size() - 1) / 2] + values[values.size() / 2]) / 2;
}

qsizetype ReadBytes()
{
    using namespace Frame;
    return (ReadCodeRequest() + Reply(CodeGroup, ReadCodeCommand, QByteArray(2, 0))).size();
}

qsizetype WriteBytes()
{
    using namespace Frame;
    return (WriteCodeRequest(0) + Reply(CodeGroup, WriteCodeCommand, {})).size();
}

double LineMs(qsizetype bytes)
{
    return double(bytes) *
           std::chrono::duration<double, std::milli>(LineSettings::ByteTime).count();
}

void BenchReport::add(const QString &key, const QString &figure, const QString &unit,
                      QList<double> runs, const QString &reference, const QString &result,
                      const QString &target, bool met)
{
    std::sort(runs.begin(), runs.end());
    const double median = Median(runs), min = runs.value(0), max = runs.value(runs.size() - 1);
    const int decimals = unit == u"%" ? 2 : 1;
    auto cell = [&](double value) {
        return Figure(value, decimals) + ' ' + unit;
    };
    tables.back() << QStringList{figure,    cell(median), cell(min), cell(max),
                                 reference, result,       target,    met ? "yes" : "NO"};
    auto rounded = [](double value) {
        return std::round(value * 1000) / 1000;
    };
    json.insert(key, QJsonObject{{"figure", figure},
                                 {"unit", unit},
                                 {"median", rounded(median)},
                                 {"min", rounded(min)},
                                 {"max", rounded(max)},
                                 {"runs", int(runs.size())},
                                 {"reference", reference},
                                 {"result", result},
                                 {"target", target},
                                 {"met", met}});
}

namespace {

// Markdown tables, so that they can go into the README as they are.
QString MarkdownTables(const QList<QList<QStringList>> &tables)
{
    QString text;
    for (QList<QStringList> rows : tables) {
        if (rows.isEmpty())
            continue;
        rows.prepend({"Figure", "Median", "Min", "Max", "Reference", "Result", "Target", "Met"});
        // The rule under the heads, as wide as each column: the first left-aligned, the others
        // right.
        QStringList rule(rows[0].size());
        for (const QStringList &row : std::as_const(rows)) {
            for (qsizetype c = 0; c < row.size(); ++c)
                rule[c] = QString(std::max(rule[c].size(), row[c].size()), u'-');
        }
        for (qsizetype c = 1; c < rule.size(); ++c)
            rule[c].back() = u':';
        rows.insert(1, rule);
        for (QStringList &row : rows) {
            for (qsizetype c = 0; c < row.size(); ++c)
                row[c] = c ? row[c].rightJustified(rule[c].size())
                           : row[c].leftJustified(rule[c].size());
            text += "| " + row.join(" | ") + " |\n";
        }
        text += '\n';
    }
    return text;
}

} // namespace

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
    const QString summary = "bench: " + report.summary.join(u' ');
    std::printf("%s%s\n", qPrintable(MarkdownTables(report.tables)), qPrintable(summary));
    report.json.insert("summary", summary);
    QFile out(parser.value(json));
    if (parser.isSet(json) && !(out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                                out.write(QJsonDocument(report.json).toJson()) > 0)) {
        std::fprintf(stderr, "k5-bench: cannot write %s\n", qPrintable(out.fileName()));
        return 1;
    }
    if (!ok)
        std::fprintf(stderr, "k5-bench: %s\n", qPrintable(error));
    return ok ? 0 : 1;
}
