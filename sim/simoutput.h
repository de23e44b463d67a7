#pragma once

// The simulator's lines: the device paths on standard output; the --log events and what went
// wrong on standard error. Each goes out whole at once, for readers that take lines as they come.

#include <QByteArray>
#include <QString>

#include <cstdio>

inline void printLine(std::FILE *stream, QByteArrayView line)
{
    std::fwrite(line.data(), 1, size_t(line.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

inline void printProblem(const QString &problem)
{
    printLine(stderr, "k5-transmitter-sim: " + problem.toLocal8Bit());
}
