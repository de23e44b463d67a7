#pragma once

// The tool's window as the tests drive it, for the benchmark: every wait is woken by what it
// waits for rather than by polling, so that the waiting adds no load of its own to what is
// measured. Also what the process itself uses.

#include "windowfixture.h"

#include <QElapsedTimer>
#include <QObject>

#include <functional>

class BenchWindow : public QObject, public WindowFixture
{
    Q_OBJECT

public:
    // One click on a button and the status text it brought, on nsecs()'s clock.
    struct Click
    {
        qint64 clickNs = 0;
        qint64 handledNs = 0; // the click's handler has returned: the request is on its way
        qint64 textNs = 0;
        qint64 cpuNs = 0;        // the process's CPU time from the click to the final text
        qint64 handlerCpuNs = 0; // the part of it in the click's handler
        QString text;
        bool ended = false; // a final text came
    };

    BenchWindow() { m_clock.start(); }

    // Shows the window and, with Reset and V, its version button.
    bool open(QString *error);
    qint64 nsecs() const { return m_clock.nsecsElapsed(); }

    // Clicks button; the first status text other than running ends the exchange. Waits until it
    // has ended, the link is free again and settled() holds; false when that took too long.
    bool click(QAbstractButton *button, const QString &running,
               const std::function<bool()> &settled, Click *click);
    // Something awaited may have happened: a simulator's output came in.
    void wake() { Q_EMIT stepped(); }

    using WindowFixture::portSelector;
    using WindowFixture::readButton;
    using WindowFixture::versionButton;
    using WindowFixture::writeButton;

Q_SIGNALS:
    void stepped();

private:
    // Runs the event loop until done() holds, looked at whenever wake() is called.
    bool waitFor(const std::function<bool()> &done);

    QElapsedTimer m_clock;
};

// The process's CPU time (user and system), open descriptors and resident memory.
qint64 ProcessCpuNs();
int OpenDescriptors();
double ResidentMiB();
