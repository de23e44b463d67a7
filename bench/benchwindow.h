#pragma once

// The tool's window driven as a person drives it, for the benchmarks: shown with the version
// button, buttons clicked, and every wait woken by what it waits for rather than by polling, so
// that the waiting adds no load of its own to what is measured.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class Form1;

class BenchWindow : public QObject
{
    Q_OBJECT

public:
    // Bound on an exchange with its time-outs; generous, so that a busy machine fails nothing.
    static constexpr int PatienceMs = 5000;

    // One click on a button and the status text it brought, on clock().
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

    explicit BenchWindow(QObject *parent = nullptr);
    ~BenchWindow() override;

    // Points XDG_CONFIG_HOME at a private temporary folder, so that port links go there and not
    // among a technician's own; simulators started afterwards inherit it.
    bool useOwnConfig(QString *error);
    QString configPath(const QString &relative) const { return m_config.filePath(relative); }

    // Shows the window and, with reset and V, its version button.
    bool show(QString *error);
    void close();
    Form1 *form() const { return m_form.get(); }
    qint64 nsecs() const { return m_clock.nsecsElapsed(); }

    // Clicks button; the first status text other than running ends the exchange. Waits until it
    // has ended, the link is free again and settled() holds; false when that took too long.
    bool click(const QString &button, const QString &running, const std::function<bool()> &settled,
               Click *click);
    // Runs the event loop until done() holds, looked at whenever wake() is called.
    bool waitFor(const std::function<bool()> &done, int timeoutMs);
    void pause(int ms);
    // Something awaited may have happened: a simulator's output came in.
    void wake() { Q_EMIT stepped(); }

Q_SIGNALS:
    void stepped();

private:
    QElapsedTimer m_clock;
    QTemporaryDir m_config;
    std::unique_ptr<Form1> m_form;
};
