#pragma once

// The tool's window as the tests drive it, for the benchmark: every wait is woken by what it
// waits for rather than by polling, so that the waiting adds no load of its own to what is
// measured.

#include "linefixtures.h"
#include "statustexts.h"
#include "windowfixture.h"

#include <QEventLoop>
#include <QTimer>

#include <ctime>
#include <functional>

// A clock's time: by default a steady one; CLOCK_PROCESS_CPUTIME_ID, the process's CPU time (user
// and system).
inline qint64 ClockNs(clockid_t clock = CLOCK_MONOTONIC)
{
    timespec t{};
    ::clock_gettime(clock, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

class BenchWindow : public WindowFixture
{
public:
    enum Exchange { Read, Write, Version };

    // One click on a button and the status text it brought, on ClockNs()'s clocks.
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

    // Shows the window and, with Reset and V, its version button.
    bool open(QString *error)
    {
        if (!openWindow()) {
            *error = "the window was not shown";
            return false;
        }
        WindowFixture::click(resetButton());
        QTest::keyClick(resetButton(), Qt::Key_V);
        if (!versionButton()->isVisible())
            *error = "the version button did not show";
        return versionButton()->isVisible();
    }

    // Clicks the exchange's button; the first status text other than its running text ends the
    // exchange. Waits until it has ended, the link is free again and settled() holds, looked at
    // whenever wake() is called; false when that took too long.
    bool click(Exchange exchange, Click *click, const std::function<bool()> &settled = {})
    {
        QAbstractButton *const buttons[] = {readButton(), writeButton(), versionButton()};
        const QString running[] = {StatusText::ReadRunning, StatusText::WriteRunning,
                                   StatusText::VersionRunning};
        QLineEdit *status = statusBox();
        const QMetaObject::Connection watch =
            QObject::connect(status, &QLineEdit::textChanged, status, [&](const QString &text) {
                if (click->ended || text == running[exchange])
                    return;
                click->textNs = ClockNs();
                click->cpuNs += ClockNs(CLOCK_PROCESS_CPUTIME_ID);
                click->text = text;
                click->ended = true;
                // Looked at once the handler has returned and the port is closed again.
                QTimer::singleShot(0, status, [this] { wake(); });
            });
        click->cpuNs = -ClockNs(CLOCK_PROCESS_CPUTIME_ID);
        click->clickNs = ClockNs();
        WindowFixture::click(buttons[exchange]);
        click->handledNs = ClockNs();
        click->handlerCpuNs = click->cpuNs + ClockNs(CLOCK_PROCESS_CPUTIME_ID);
        const auto done = [&] {
            return click->ended && !form->busy() && (!settled || settled());
        };
        if (!done()) {
            QEventLoop loop;
            QTimer::singleShot(PatienceMs, &loop, &QEventLoop::quit);
            m_wake = [&] {
                if (done())
                    loop.quit();
            };
            loop.exec();
            m_wake = nullptr;
        }
        QObject::disconnect(watch);
        return done();
    }
    // Something awaited may have happened: a simulator's output came in.
    void wake() const
    {
        if (m_wake)
            m_wake();
    }

    using WindowFixture::portSelector;

private:
    std::function<void()> m_wake; // while click() waits: looks whether it is done
};
