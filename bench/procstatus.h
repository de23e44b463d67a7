#pragma once

// A memory figure of this process from /proc/self/status: read there rather than from
// getrusage(), whose ru_maxrss would also count what the process held before its exec.

#include <QByteArray>
#include <QFile>

// The field in KiB, such as "VmRSS" (resident now) or "VmHWM" (its peak); -1 when unread.
inline double ProcStatusKiB(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble();
    }
    return -1;
}
