#pragma once

// The exchanges of the window against the transmitter simulator, clicked as a person clicks:
// how long read, write and version take against the time the line itself needs, how much CPU
// the window uses while it waits, and how closely the reply time limit is kept.

#include "benchreport.h"
#include "benchwindow.h"

#include <QObject>

#include <memory>

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

private:
    struct Stamp
    {
        QString line;
        qint64 ns = 0;
    };
    struct Run : BenchWindow::Click
    {
        qint64 rxNs = -1; // the simulator has the whole request and starts the echo's last byte
        qint64 txNs = -1; // the simulator has sent the reply's last byte
    };

    bool latency(BenchReport &report, QString *error);
    bool timeLimit(BenchReport &report, QString *error);

    bool startSimulator(const QStringList &options, QString *error);
    // Clicks button and waits for the status text that follows running; then waits until the
    // simulator has seen the port closed, and lets a pause go by that moves the next click
    // against the simulator's own polling (see the notes in the report).
    bool exchange(const QString &button, const QString &running, Run *run, QString *error);
    void takeLog();
    int closedCount() const;
    qint64 stampAfter(qsizetype from, QStringView prefix) const;

    const int m_runs;
    int m_exchanges = 0;
    BenchWindow m_window;
    std::unique_ptr<SimulatorProcess> m_sim;
    qsizetype m_logTaken = 0;
    QList<Stamp> m_log;
};
