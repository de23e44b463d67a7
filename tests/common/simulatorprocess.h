#pragma once

// The transmitter simulator as a child process: the devices it offers (its stdout lines) and its
// log (its stderr lines: rx/tx frames, open/closed). Waiting lets the test's own event loop run,
// so a window under test keeps working while the simulator is awaited.

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>

#include <memory>

class SimulatorProcess
{
public:
    // Bound on what should happen at once; generous, so that a busy machine fails no test.
    static constexpr int PatienceMs = 5000;

    explicit SimulatorProcess(
        const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral(K5_SIM_PATH), arguments);
    }
    ~SimulatorProcess() { stop(); }
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    // A simulator linked as COM1, unpaced so that tests run fast, with its log; started() tells
    // whether it came up.
    static std::unique_ptr<SimulatorProcess> onCom1(const QStringList &options = {})
    {
        return std::make_unique<SimulatorProcess>(
            QStringList{"--no-pacing", "--log", "--link", "COM1"} + options);
    }
    // How often the line was closed, by the other side or by a hang-up.
    int closedCount() { return int(log().count("closed") + log().count("hangup")); }
    bool waitForClosed(int count)
    {
        return QTest::qWaitFor([&] { return closedCount() >= count; }, PatienceMs);
    }

    // Waits until the simulator offers its first device.
    bool started() { return waitForDevices(1); }
    // The first device; a hang-up makes the simulator offer further ones.
    QString device() { return devices().value(0); }
    bool waitForDevices(int count)
    {
        return QTest::qWaitFor([&] { return devices().size() >= count; }, PatienceMs);
    }

    QStringList devices()
    {
        collect();
        return m_devices;
    }
    QStringList log()
    {
        collect();
        return m_log;
    }
    // The log lines that start with prefix, such as "rx ".
    QStringList log(const QString &prefix)
    {
        return log().filter(
            QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(prefix)));
    }
    bool waitForLog(const QString &line, int count = 1)
    {
        return QTest::qWaitFor([&] { return log().count(line) >= count; }, PatienceMs);
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(PatienceMs))
            m_process.kill();
        m_process.waitForFinished(PatienceMs);
    }
    QProcess &process() { return m_process; }

private:
    static void takeLines(QByteArray &pending, QStringList &lines)
    {
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            lines.append(QString::fromLocal8Bit(pending.first(end)));
            pending.remove(0, end + 1);
        }
    }
    void collect()
    {
        m_out += m_process.readAllStandardOutput();
        m_err += m_process.readAllStandardError();
        takeLines(m_out, m_devices);
        takeLines(m_err, m_log);
    }

    QProcess m_process;
    QByteArray m_out;
    QByteArray m_err;
    QStringList m_devices;
    QStringList m_log;
};
