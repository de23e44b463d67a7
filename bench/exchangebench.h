#pragma once

// The exchanges of the window against the transmitter simulator, clicked as a person clicks:
// how long read, write and version take against the time the line itself needs, how much CPU
// the window uses while it waits, and how closely the reply time limit is kept.

#include "benchreport.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class Form1;
class SimulatorProcess;

class ExchangeBench : public QObject
{
    Q_OBJECT

public:
    // runs: measured exchanges of each kind, after one warm-up exchange each.
    explicit ExchangeBench(int runs, QObject *parent = nullptr);
    ~ExchangeBench() override;

    // Adds the latency, CPU and time-limit figures to report. false, with the reason in error,
    // when an exchange did not end as it should.
    bool run(BenchReport &report, QString *error);

Q_SIGNALS:
    // A status text or a simulator log line came in: whatever is awaited may have happened.
    void stepped();

private:
    struct Stamp
    {
        QString line;
        qint64 ns = 0;
    };
    struct Run
    {
        qint64 clickNs = 0;
        qint64 handledNs = 0; // the click's handler has returned: the request is on its way
        qint64 textNs = 0;
        qint64 rxNs = -1; // the simulator has the whole request and starts the echo's last byte
        qint64 txNs = -1; // the simulator has sent the reply's last byte
        qint64 cpuNs = 0; // the process's CPU time from the click to the final text
        qint64 handlerCpuNs = 0; // the part of it in the click's handler
        QString text;
    };

    bool latency(BenchReport &report, QString *error);
    bool timeLimit(BenchReport &report, QString *error);

    bool startSimulator(const QStringList &options, QString *error);
    bool showVersionButton(QString *error);
    // Clicks button and waits for the status text that follows running; then waits until the
    // simulator has seen the port closed, and lets a pause go by that moves the next click
    // against the simulator's own polling (see the notes in the report).
    bool exchange(const QString &button, const QString &running, Run *run, QString *error);
    bool waitFor(const std::function<bool()> &done, int timeoutMs);
    void pause(int ms);
    void takeLog();
    int closedCount() const;
    qint64 stampAfter(qsizetype from, QStringView prefix) const;

    const int m_runs;
    int m_exchanges = 0;
    QElapsedTimer m_clock;
    QTemporaryDir m_config;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<SimulatorProcess> m_sim;
    qsizetype m_logTaken = 0;
    QList<Stamp> m_log;
};
