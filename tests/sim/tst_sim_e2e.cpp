// The simulator as the tool meets it: its own process, a pseudo-terminal device opened the way the
// tool opens it, the port link and the log.

#include "simulatorprocess.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

bool openLine(QSerialPort &port, const QString &path)
{
    port.setPortName(path);
    return port.open(QIODevice::ReadWrite) && port.setBaudRate(QSerialPort::Baud2400) &&
           port.setDataBits(QSerialPort::Data8) && port.setParity(QSerialPort::NoParity) &&
           port.setStopBits(QSerialPort::OneStop) &&
           port.setFlowControl(QSerialPort::NoFlowControl);
}

// What arrives until count bytes are in or the patience is spent; the caller compares it.
QByteArray readLine(QSerialPort &port, qsizetype count)
{
    QByteArray bytes;
    static_cast<void>(QTest::qWaitFor([&] { return (bytes += port.readAll()).size() >= count; },
                                      SimulatorProcess::PatienceMs));
    return bytes;
}

// An environment whose configuration folder, where the port links live, is dir.
QProcessEnvironment configIn(const QTemporaryDir &dir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, dir.path());
    return environment;
}

} // namespace

class SimEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every value up and down again, CR, LF, XON, XOFF and the interrupt characters among them:
    // the line must pass each unchanged.
    void echoesEveryByteValue()
    {
        QByteArray bytes;
        for (int value = 0; value < 512; ++value)
            bytes.append(char(value < 256 ? value : 511 - value));
        SimulatorProcess sim({u"--no-pacing"_s});
        QVERIFY(sim.started());
        QSerialPort port;
        QVERIFY2(openLine(port, sim.device()), qPrintable(port.errorString()));
        port.write(bytes);
        QCOMPARE(readLine(port, bytes.size()), bytes);
    }

    // The tool opens the port by the link; it names the device while the simulator runs.
    void portLinkFollowsLifetime()
    {
        QTemporaryDir config;
        QVERIFY(config.isValid());
        const QString link = config.filePath(u"k5-dipswitch/ports/COM3"_s);
        SimulatorProcess sim({u"--link"_s, u"COM3"_s}, configIn(config));
        QVERIFY(sim.started());
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());

        QCOMPARE(::kill(pid_t(sim.process().processId()), SIGTERM), 0);
        QVERIFY(sim.process().waitForFinished(SimulatorProcess::PatienceMs));
        QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.process().exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void rejectsBadOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s};
        QTest::newRow("link COM17") << QStringList{u"--link"_s, u"COM17"_s};
    }

    // Exit status 2 and one line that says why.
    void rejectsBadOptions()
    {
        QFETCH(QStringList, arguments);
        QProcess process;
        process.start(QStringLiteral(K5_SIM_PATH), arguments);
        QVERIFY(process.waitForFinished(SimulatorProcess::PatienceMs));
        QCOMPARE(process.exitCode(), 2);
        const QByteArray message = process.readAllStandardError();
        QVERIFY2(message.size() > 1 && message.count('\n') == 1 && message.endsWith('\n'),
                 message.constData());
    }
};

QTEST_GUILESS_MAIN(SimEndToEndTest)
#include "tst_sim_e2e.moc"
