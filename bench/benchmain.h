#pragma once

// What the benchmark programs share around their own work: the options --json FILE and
// --summary FILE besides their own, the table on standard output, the files, and the messages
// on standard error.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

class BenchReport;
class QCoreApplication;

class BenchMain
{
public:
    // program: the name its messages start with.
    explicit BenchMain(const char *program);

    // Takes the command line with the program's own options; ends the program on --help or an
    // unknown option, as QCommandLineParser does.
    void parse(const QCoreApplication &app, const QList<QCommandLineOption> &own);
    QString value(const QCommandLineOption &option) const { return m_options.value(option); }

    // Says "program: what" on standard error and returns exitCode.
    int fail(const QString &what, int exitCode = 1) const;
    // Prints the report's table and writes the files asked for: 0, or 1 (said why) when one
    // cannot be written.
    int publish(const BenchReport &report) const;

private:
    const char *m_program;
    QCommandLineParser m_options;
    const QCommandLineOption m_json{
        QStringLiteral("json"), QStringLiteral("Write the figures here."), QStringLiteral("FILE")};
    const QCommandLineOption m_summary{QStringLiteral("summary"),
                                       QStringLiteral("Write the summary line's part here."),
                                       QStringLiteral("FILE")};
};
