#pragma once

// For the start-up benchmark's programs: once the window's first frame is painted, prints
// "shown <peak resident KiB>" on stdout and ends the program. The benchmark times the process
// from its start to that line.

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>

class FirstFrame : public QObject
{
public:
    explicit FirstFrame(QWidget *window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The window's paint comes first in a pass that paints its children and flushes the
        // frame; the report waits until that pass is over.
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            QTimer::singleShot(0, this, &FirstFrame::report);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static void report()
    {
        std::printf("shown %ld\n", peakResidentKiB());
        std::fflush(stdout);
        QCoreApplication::quit();
    }
    // VmHWM, the peak of this program's own memory: getrusage()'s ru_maxrss would also count
    // what the process held before its exec, in the benchmark that started it.
    static long peakResidentKiB()
    {
        long kib = -1;
        if (std::FILE *status = std::fopen("/proc/self/status", "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, status)) {
                if (std::strncmp(line, "VmHWM:", 6) == 0)
                    kib = std::strtol(line + 6, nullptr, 10);
            }
            std::fclose(status);
        }
        return kib;
    }

    bool m_painted = false;
};
