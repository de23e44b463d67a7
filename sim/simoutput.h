#pragma once

// The simulator's lines: the device paths on standard output; the --log events and what went
// wrong on standard error. Each goes out whole at once, for readers that take lines as they come.

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cstdio>

inline void printLine(std::FILE *stream, QByteArrayView line)
{
    const QByteArray whole = line.toByteArray() + '\n'; // one write, even on unbuffered stderr
    std::fwrite(whole.constData(), 1, size_t(whole.size()), stream);
    std::fflush(stream);
}

// "call: " and what errno says, for a system call that failed.
inline QString systemError(const char *call)
{
    return QLatin1StringView(call) + QLatin1StringView(": ") + qt_error_string(errno);
}

inline void printProblem(const QString &problem)
{
    printLine(stderr, "k5-transmitter-sim: " + problem.toLocal8Bit());
}
