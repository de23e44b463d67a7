#pragma once

// The tool's start-up against the least a Qt Widgets program does: the time from starting the
// process to its window's first frame, and the process's peak resident memory by then, at 100%
// and at 200% display scale. The two programs take turns, so that whatever else the machine does
// falls on both alike.

#include "benchreport.h"

#include <QString>

#include <optional>

class StartupBench
{
public:
    StartupBench(QString toolProgram, QString minimalProgram, int runs);

    bool run(BenchReport &report, QString *error);

private:
    struct Start
    {
        double ms = 0;
        double residentMiB = 0;
    };
    bool runAt(BenchReport &report, int scale, QString *error);
    // scale: QT_SCALE_FACTOR for the program.
    std::optional<Start> start(const QString &program, int scale, QString *error) const;

    QString m_tool;
    QString m_minimal;
    int m_runs = 0;
};
