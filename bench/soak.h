#pragma once

// A long run of exchanges in one window against transmitter simulators, a tenth of them on
// ports whose simulator plays a fault: every outcome is checked, and the process's open
// descriptors and resident memory are watched for growth.

#include "benchreport.h"
#include "benchwindow.h"

#include <QObject>
#include <QProcess>

#include <memory>
#include <vector>

class Soak : public QObject
{
    Q_OBJECT

public:
    // Memory may grow this much after the warm-up, for allocator slack; a leak of some 1.1 KiB
    // an exchange goes beyond it over 1,900 exchanges.
    static constexpr double RssBoundMiB = 2;

    // exchanges: in all, warm-up included; seed: for the order of the ports.
    Soak(int exchanges, unsigned seed, QObject *parent = nullptr);
    ~Soak() override;

    // Adds the figures to report. false, with the reason in error, when an exchange did not end
    // as expected, a descriptor was left open, memory grew beyond RssBoundMiB, or the run could
    // not be set up.
    bool run(BenchReport &report, QString *error);

private:
    // One port of the window: a simulator behind it, or (missing) a link to no device.
    struct Port
    {
        int number = 0;
        QString fault; // empty for a sound transmitter
        bool missing = false;
        int share = 0; // exchanges in the run
        int held = 0;  // the code the simulator holds
        QString versionText;
        std::unique_ptr<QProcess> process;
        QByteArray pendingOut;
        QByteArray pendingErr;
        int devices = 0; // lines announced on its standard output
        int ends = 0;    // "closed" and "hangup" log lines: the line has seen an exchange end
        QStringList unexpected;
        int ok = 0;
        int errors = 0;
        int portMessages = 0;

        bool succeeds() const
        {
            return !missing && (fault.isEmpty() || fault == u"trailing-noise");
        }
        QString name() const;
    };
    struct Sample
    {
        int exchanges = 0;
        int fds = 0;
        double rssMiB = 0;
    };

    bool setUp(QString *error);
    bool startSimulator(Port &port, QString *error);
    void takeOutput(Port &port);
    void tearDown();
    std::vector<int> plan() const;
    bool exchange(int index, Port &port, QString *error);
    void sample(int exchanges);
    // The sample that growth is measured from.
    const Sample &warmedUp() const;
    void reportFigures(BenchReport &report, qint64 runNs) const;

    const int m_exchanges;
    const unsigned m_seed;
    BenchWindow m_window;
    std::vector<Port> m_ports;
    int m_confirmedWrites = 0;
    int m_writes = 0;
    QList<double> m_okMs;
    QList<double> m_errorMs;
    QList<double> m_portMs;
    QList<Sample> m_samples;
    QStringList m_descriptorsWarm;  // after the warm-up
    QStringList m_descriptorsGrown; // new ones at the first sample with more, for the report
};
