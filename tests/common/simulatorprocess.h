#pragma once

// The transmitter simulator as a child process: the devices it offers (its stdout lines) and its
// log (its stderr lines: rx/tx frames, open/closed). Waiting lets the test's own event loop run,
// so a window under test keeps working while the simulator is awaited.

#include "linefixtures.h"

#include <QProcess>
#include <QStringList>
#include <QTest>

#include <memory>

class SimulatorProcess
{
public:
    explicit SimulatorProcess(const QStringList &arguments)
    {
        m_process.start(QStringLiteral(K5_SIM_PATH), arguments);
    }
    ~SimulatorProcess() { stop(); }

    // Starts a simulator linked as COM1 into sim, unpaced so that tests run fast, with its log;
    // false when it did not come up.
    static bool startOnCom1(std::unique_ptr<SimulatorProcess> &sim, const QStringList &options = {})
    {
        sim = std::make_unique<SimulatorProcess>(
            QStringList{"--no-pacing", "--log", "--link", "COM1"} + options);
        return sim->started();
    }
    // How often the line was closed, by the other side or by a hang-up.
    int closedCount() { return int(log().count("closed") + log().count("hangup")); }
    bool waitForClosed(int count)
    {
        return waitFor([&] { return closedCount() >= count; });
    }
    // Waits until the simulator offers its first device.
    bool started() { return waitForDevices(1); }
    // The first device; a hang-up makes the simulator offer further ones.
    QString device() { return devices().value(0); }
    bool waitForDevices(int count)
    {
        return waitFor([&] { return devices().size() >= count; });
    }
    bool waitForLog(const QString &line)
    {
        return waitFor([&] { return log().contains(line); });
    }
    // Waits until every request received has had its reply sent.
    bool waitForReplies()
    {
        return waitFor([&] { return log("tx ").size() >= log("rx ").size(); });
    }

    QStringList devices() { return m_devices += takeLines(QProcess::StandardOutput); }
    QStringList log() { return m_log += takeLines(QProcess::StandardError); }
    // The log lines that hold text, such as "rx ".
    QStringList log(const QString &text) { return log().filter(text); }

    void stop()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(PatienceMs))
            m_process.kill();
        m_process.waitForFinished(PatienceMs);
    }
    QProcess &process() { return m_process; }

private:
    static bool waitFor(auto done) { return QTest::qWaitFor(done, PatienceMs); }
    // The whole lines that have come on channel since the last look.
    QStringList takeLines(QProcess::ProcessChannel channel)
    {
        QStringList lines;
        m_process.setReadChannel(channel);
        while (m_process.canReadLine())
            lines << QString::fromLocal8Bit(m_process.readLine()).chopped(1);
        return lines;
    }

    QProcess m_process;
    QStringList m_devices;
    QStringList m_log;
};
