// The simulator as the tool meets it: its own process, a pseudo-terminal device opened the way the
// tool opens it, the port link and the log.

#include "simulatorprocess.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray readCode = hex("00 FF 01 02 02 03 01 00 02 F5");

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

    void answersRequests_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("expected"); // the echo and the replies
        QTest::addColumn<QStringList>("logged");

        const QByteArray write12345 = hex("00 FF 01 02 12 04 01 00 30 39 7D");
        QTest::newRow("read the default code")
            << QStringList{} << readCode << readCode + hex("FF 00 02 02 02 73 54 33")
            << QStringList{u"rx 00 FF 01 02 02 03 01 00 02 F5"_s, u"tx FF 00 02 02 02 73 54 33"_s};
        QTest::newRow("write, then read")
            << QStringList{u"--code"_s, u"0"_s} << write12345 + readCode
            << write12345 + hex("FF 00 02 12 00 EC") + readCode + hex("FF 00 02 02 02 30 39 91")
            << QStringList{u"rx 00 FF 01 02 12 04 01 00 30 39 7D"_s, u"tx FF 00 02 12 00 EC"_s,
                           u"rx 00 FF 01 02 02 03 01 00 02 F5"_s, u"tx FF 00 02 02 02 30 39 91"_s};
        QTest::newRow("stray bytes after the reply")
            << QStringList{u"--fault"_s, u"trailing-noise"_s} << readCode
            << readCode + hex("FF 00 02 02 02 73 54 33 55 AA 00")
            << QStringList{u"rx 00 FF 01 02 02 03 01 00 02 F5"_s,
                           u"tx FF 00 02 02 02 73 54 33 55 AA 00"_s};
    }

    void answersRequests()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, expected);
        QFETCH(QStringList, logged);

        SimulatorProcess sim(options + QStringList{u"--no-pacing"_s, u"--log"_s});
        QVERIFY(sim.started());
        {
            QSerialPort port;
            QVERIFY2(openLine(port, sim.device()), qPrintable(port.errorString()));
            port.write(sent);
            QCOMPARE(readLine(port, expected.size()), expected);
        }
        QVERIFY(sim.waitForLog(u"closed"_s));
        const QStringList log = sim.log();
        QCOMPARE(log.filter(QRegularExpression(u"^(open|closed)$"_s)),
                 (QStringList{u"open"_s, u"closed"_s}));
        // Every frame received and every reply sent, and nothing else.
        QCOMPARE(log.filter(QRegularExpression(u"^[rt]x "_s)).size(), logged.size());
        for (const QString &line : std::as_const(logged))
            QVERIFY2(log.contains(line), qPrintable(log.join(u" | ")));
    }

    // Every reply byte waits its pause: the whole reply cannot be in before all of them are over.
    void slowReplyKeepsItsPauses()
    {
        constexpr int pauseMs = 60;
        const QByteArray reply = hex("FF 00 02 02 02 73 54 33");
        SimulatorProcess sim(
            {u"--no-pacing"_s, u"--log"_s, u"--fault"_s, u"slow:%1"_s.arg(pauseMs)});
        QVERIFY(sim.started());
        QSerialPort port;
        QVERIFY2(openLine(port, sim.device()), qPrintable(port.errorString()));
        QElapsedTimer clock;
        clock.start();
        port.write(readCode);
        QCOMPARE(readLine(port, readCode.size() + reply.size()), readCode + reply);
        QCOMPARE_GE(clock.elapsed(), reply.size() * pauseMs);
        QVERIFY(sim.waitForLog(u"tx FF 00 02 02 02 73 54 33"_s));
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

    // An unplugged adapter: the line fails, and the same port offers a fresh device.
    void hangupOffersFreshLine()
    {
        QTemporaryDir config;
        QVERIFY(config.isValid());
        const QString link = config.filePath(u"k5-dipswitch/ports/COM5"_s);
        SimulatorProcess sim({u"--no-pacing"_s, u"--fault"_s, u"hangup"_s, u"--link"_s, u"COM5"_s},
                             configIn(config));
        QVERIFY(sim.started());
        {
            QSerialPort port;
            QVERIFY2(openLine(port, sim.device()), qPrintable(port.errorString()));
            port.write(readCode);
            QCOMPARE(readLine(port, readCode.size() + 3), readCode + hex("FF 00 02"));
            QVERIFY(QTest::qWaitFor([&] { return port.error() != QSerialPort::NoError; },
                                    SimulatorProcess::PatienceMs));
        }
        QVERIFY(sim.waitForDevices(2));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.devices().at(1));

        QSerialPort port;
        QVERIFY2(openLine(port, link), qPrintable(port.errorString()));
        port.write(hex("55 AA"));
        QCOMPARE(readLine(port, 2), hex("55 AA"));
    }

    void rejectsBadOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s};
        QTest::newRow("code too large") << QStringList{u"--code"_s, u"65536"_s};
        QTest::newRow("cut longer than 255") << QStringList{u"--fault"_s, u"cut:256"_s};
        QTest::newRow("slow pause over 2000") << QStringList{u"--fault"_s, u"slow:2001"_s};
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
