// The simulator as the tool meets it: its own process, a pseudo-terminal device, the log.

#include "simulatorprocess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

// Bound on what should happen at once; generous, so that a busy machine does not fail a test.
constexpr auto Patience = 5s;
// How long a test watches that nothing comes; anything due comes within milliseconds.
constexpr auto Silence = 300ms;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray readCode = hex("00 FF 01 02 02 03 01 00 02 F5");
const QByteArray readVersion = hex("00 FF 01 01 00 00 FE");
const QByteArray reply12345 = hex("FF 00 02 02 02 30 39 91");

QString portLinkPath(const QString &configHome, const QString &port)
{
    return configHome + u"/k5-dipswitch/ports/"_s + port;
}

class LineClient
{
public:
    ~LineClient() { close(); }

    // With makeRaw false the line keeps the settings it has, those the simulator gave it.
    bool open(const QString &path, bool makeRaw = true)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios settings{};
        if (m_fd < 0 || ::tcgetattr(m_fd, &settings) != 0)
            return false;
        if (!makeRaw)
            return true;
        ::cfmakeraw(&settings);
        return ::tcsetattr(m_fd, TCSANOW, &settings) == 0;
    }

    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    bool write(QByteArrayView bytes, qsizetype chunk = 0)
    {
        if (chunk <= 0)
            chunk = bytes.size();
        for (qsizetype at = 0; at < bytes.size(); at += chunk) {
            const QByteArrayView part = bytes.sliced(at, std::min(chunk, bytes.size() - at));
            if (::write(m_fd, part.data(), size_t(part.size())) != part.size())
                return false;
        }
        return true;
    }

    // What arrives until count bytes are in, the time is up or reading fails.
    QByteArray read(qsizetype count, std::chrono::milliseconds limit = Patience)
    {
        QByteArray bytes;
        QElapsedTimer clock;
        clock.start();
        while (bytes.size() < count) {
            const qint64 left = limit.count() - clock.elapsed();
            pollfd watch{m_fd, POLLIN, 0};
            if (left <= 0 || ::poll(&watch, 1, int(left)) <= 0)
                break;
            char buffer[512];
            const ssize_t got = ::read(
                m_fd, buffer, size_t(std::min<qsizetype>(sizeof buffer, count - bytes.size())));
            if (got <= 0 && !(got < 0 && errno == EAGAIN))
                break;
            if (got > 0)
                bytes.append(buffer, got);
        }
        return bytes;
    }

    // Whether reading fails within the time: end of file or an error, as after an unplug.
    bool readFails(std::chrono::milliseconds limit = Patience)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < limit.count()) {
            pollfd watch{m_fd, POLLIN, 0};
            if (::poll(&watch, 1, int(limit.count() - clock.elapsed())) <= 0)
                continue;
            char byte = 0;
            const ssize_t got = ::read(m_fd, &byte, 1);
            if (got == 0 || (got < 0 && errno != EAGAIN))
                return true;
        }
        return false;
    }

private:
    int m_fd = -1;
};

bool openSerialPort(QSerialPort &port, const QString &path)
{
    port.setPortName(path);
    return port.open(QIODevice::ReadWrite) && port.setBaudRate(QSerialPort::Baud2400) &&
           port.setDataBits(QSerialPort::Data8) && port.setParity(QSerialPort::NoParity) &&
           port.setStopBits(QSerialPort::OneStop) &&
           port.setFlowControl(QSerialPort::NoFlowControl);
}

QByteArray readSerialPort(QSerialPort &port, qsizetype count)
{
    QByteArray bytes;
    // The caller compares what came; a timeout shows there as missing bytes.
    static_cast<void>(QTest::qWaitFor(
        [&] {
            bytes += port.readAll();
            return bytes.size() >= count;
        },
        int(std::chrono::milliseconds(Patience).count())));
    return bytes;
}

} // namespace

class SimEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void echoesEveryByteValue_data();
    void echoesEveryByteValue();
    void answersRequests_data();
    void answersRequests();
    void writeThenReadGivesWrittenCode_data();
    void writeThenReadGivesWrittenCode();
    void faults_data();
    void faults();
    void hangupOffersFreshLine_data();
    void hangupOffersFreshLine();
    void portLinkFollowsLifetime_data();
    void portLinkFollowsLifetime();
    void leavesAFileAtTheLinkPathAlone();
    void logsOpenAndClose();
    void pacesAtLineSpeed();
    void rejectsBadOptions_data();
    void rejectsBadOptions();
    void helpListsEveryOptionAndFault();
};

void SimEndToEndTest::echoesEveryByteValue_data()
{
    QTest::addColumn<bool>("serialPort");
    QTest::addColumn<bool>("makeRaw");
    QTest::addColumn<int>("chunk");

    QTest::newRow("raw POSIX client, one write") << false << true << 0;
    QTest::newRow("raw POSIX client, byte by byte") << false << true << 1;
    QTest::newRow("client keeping the line's settings") << false << false << 0;
    QTest::newRow("QSerialPort client") << true << true << 0;
}

void SimEndToEndTest::echoesEveryByteValue()
{
    QFETCH(bool, serialPort);
    QFETCH(bool, makeRaw);
    QFETCH(int, chunk);

    // Every value up and down again: CR, LF, XON, XOFF, the interrupt characters, 00 and FF.
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(char(value));
    for (int value = 255; value >= 0; --value)
        bytes.append(char(value));

    SimulatorProcess sim({u"--no-pacing"_s});
    QVERIFY(sim.started());
    if (serialPort) {
        QSerialPort port;
        QVERIFY2(openSerialPort(port, sim.device()), qPrintable(port.errorString()));
        port.write(bytes);
        QCOMPARE(readSerialPort(port, bytes.size()), bytes);
    } else {
        LineClient line;
        QVERIFY(line.open(sim.device(), makeRaw));
        QVERIFY(line.write(bytes, chunk));
        QCOMPARE(line.read(bytes.size()), bytes);
    }
}

void SimEndToEndTest::answersRequests_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("chunk");
    QTest::addColumn<QByteArray>("expected"); // the echo and the replies
    QTest::addColumn<QStringList>("logLines");

    const QByteArray defaultReply = hex("FF 00 02 02 02 73 54 33");
    const QByteArray versionReply = hex("FF 00 01 00 0C 01 02 4B 35 2D 53 49 4D 20 31 2E 30 AB");
    const QByteArray badChecksum = hex("00 FF 01 02 02 03 01 00 02 F6");

    QTest::newRow("read default code")
        << QStringList{} << readCode << 0 << readCode + defaultReply
        << QStringList{u"rx 00 FF 01 02 02 03 01 00 02 F5"_s, u"tx FF 00 02 02 02 73 54 33"_s};
    QTest::newRow("read code 12345")
        << QStringList{u"--code"_s, u"12345"_s} << readCode << 0 << readCode + reply12345
        << QStringList{u"tx FF 00 02 02 02 30 39 91"_s};
    QTest::newRow("read while off")
        << QStringList{u"--off"_s} << readCode << 0 << readCode + hex("FF 00 02 02 02 FF FF FC")
        << QStringList{u"tx FF 00 02 02 02 FF FF FC"_s};
    QTest::newRow("read version") << QStringList{} << readVersion << 0 << readVersion + versionReply
                                  << QStringList{u"rx 00 FF 01 01 00 00 FE"_s};
    QTest::newRow("read version, text cut to fit")
        << QStringList{u"--version-text"_s, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"_s}
        << readVersion << 0
        << readVersion + hex("FF 00 01 00 22 01 02") + "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345" +
               hex("CC")
        << QStringList{};
    QTest::newRow("request byte by byte")
        << QStringList{} << readCode << 1 << readCode + defaultReply << QStringList{};
    QTest::newRow("two requests in one write")
        << QStringList{} << readCode + readVersion << 0
        << readCode + defaultReply + readVersion + versionReply << QStringList{};
    QTest::newRow("garbage before the request")
        << QStringList{} << hex("00 00 FF 55") + readCode << 0
        << hex("00 00 FF 55") + readCode + defaultReply << QStringList{};
    QTest::newRow("bad checksum: echo only")
        << QStringList{} << badChecksum << 0 << badChecksum << QStringList{};
    QTest::newRow("unknown command: echo only")
        << QStringList{} << hex("00 FF 01 02 05 00 F8") << 0 << hex("00 FF 01 02 05 00 F8")
        << QStringList{u"rx 00 FF 01 02 05 00 F8"_s};
}

void SimEndToEndTest::answersRequests()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, sent);
    QFETCH(int, chunk);
    QFETCH(QByteArray, expected);
    QFETCH(QStringList, logLines);

    SimulatorProcess sim(arguments + QStringList{u"--no-pacing"_s, u"--log"_s});
    QVERIFY(sim.started());
    LineClient line;
    QVERIFY(line.open(sim.device()));
    QVERIFY(line.write(sent, chunk));
    QCOMPARE(line.read(expected.size()), expected);
    QCOMPARE(line.read(1, Silence), QByteArray());
    for (const QString &logLine : std::as_const(logLines))
        QVERIFY2(sim.waitForLog(logLine), qPrintable(sim.log().join(u" | ")));
}

void SimEndToEndTest::writeThenReadGivesWrittenCode_data()
{
    QTest::addColumn<QByteArray>("writeRequest");
    QTest::addColumn<QByteArray>("readReply");

    QTest::newRow("code 12345") << hex("00 FF 01 02 12 04 01 00 30 39 7D") << reply12345;
    QTest::newRow("code 0") << hex("00 FF 01 02 12 04 01 00 00 00 E6")
                            << hex("FF 00 02 02 02 00 00 FA");
    QTest::newRow("off marker") << hex("00 FF 01 02 12 04 01 00 FF FF E8")
                                << hex("FF 00 02 02 02 FF FF FC");
}

void SimEndToEndTest::writeThenReadGivesWrittenCode()
{
    QFETCH(QByteArray, writeRequest);
    QFETCH(QByteArray, readReply);
    const QByteArray writeReply = hex("FF 00 02 12 00 EC");

    SimulatorProcess sim({u"--no-pacing"_s, u"--log"_s});
    QVERIFY(sim.started());
    LineClient line;
    QVERIFY(line.open(sim.device()));
    QVERIFY(line.write(writeRequest));
    QCOMPARE(line.read(writeRequest.size() + writeReply.size()), writeRequest + writeReply);
    QVERIFY(line.write(readCode));
    QCOMPARE(line.read(readCode.size() + readReply.size()), readCode + readReply);

    const QString rx = u"rx "_s + QString::fromLatin1(writeRequest.toHex(' ').toUpper());
    QVERIFY(sim.waitForLog(rx));
    QVERIFY(sim.waitForLog(u"tx FF 00 02 12 00 EC"_s));
    QVERIFY(sim.waitForLog(u"tx "_s + QString::fromLatin1(readReply.toHex(' ').toUpper())));
}

void SimEndToEndTest::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("expected"); // everything that comes back for a read request
    QTest::addColumn<int>("leastMilliseconds");

    QTest::newRow("no-echo") << u"no-echo"_s << QByteArray() << 0;
    QTest::newRow("short-echo") << u"short-echo"_s << readCode.chopped(1) << 0;
    QTest::newRow("no-reply") << u"no-reply"_s << readCode << 0;
    QTest::newRow("cut:3") << u"cut:3"_s << readCode + hex("FF 00 02") << 0;
    // The last byte cannot come before its pause has passed, however busy the machine.
    QTest::newRow("late-byte") << u"late-byte"_s << readCode + reply12345 << 650;
    QTest::newRow("bad-checksum") << u"bad-checksum"_s << readCode + hex("FF 00 02 02 02 30 39 92")
                                  << 0;
    QTest::newRow("wrong-command")
        << u"wrong-command"_s << readCode + hex("FF 00 02 12 02 30 39 81") << 0;
    QTest::newRow("wrong-group") << u"wrong-group"_s << readCode + hex("FF 00 01 02 02 30 39 92")
                                 << 0;
    QTest::newRow("overlong") << u"overlong"_s
                              << readCode + hex("FF 00 02 02 23 30 39") + QByteArray(33, '\0') +
                                     hex("70")
                              << 0;
    QTest::newRow("noise") << u"noise"_s << readCode + hex("00 55 AA") + reply12345 << 0;
}

void SimEndToEndTest::faults()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, expected);
    QFETCH(int, leastMilliseconds);

    SimulatorProcess sim({u"--no-pacing"_s, u"--code"_s, u"12345"_s, u"--fault"_s, fault});
    QVERIFY(sim.started());
    LineClient line;
    QVERIFY(line.open(sim.device()));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(line.write(readCode));
    QCOMPARE(line.read(expected.size()), expected);
    QVERIFY2(clock.elapsed() >= leastMilliseconds, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(line.read(1, Silence), QByteArray());
}

void SimEndToEndTest::hangupOffersFreshLine_data()
{
    QTest::addColumn<bool>("serialPort");

    QTest::newRow("raw POSIX client") << false;
    QTest::newRow("QSerialPort client") << true;
}

void SimEndToEndTest::hangupOffersFreshLine()
{
    QFETCH(bool, serialPort);

    QTemporaryDir config;
    QVERIFY(config.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, config.path());
    const QString link = portLinkPath(config.path(), u"COM5"_s);

    SimulatorProcess sim(
        {u"--no-pacing"_s, u"--log"_s, u"--fault"_s, u"hangup"_s, u"--link"_s, u"COM5"_s},
        environment);
    QVERIFY(sim.started());
    const QString firstPath = sim.device();
    QCOMPARE(QFileInfo(link).symLinkTarget(), firstPath);

    // Echo and the first three bytes of the reply, then the line fails like an unplugged adapter.
    const QByteArray beforeHangup = readCode + hex("FF 00 02");
    if (serialPort) {
        QSerialPort port;
        QVERIFY2(openSerialPort(port, firstPath), qPrintable(port.errorString()));
        port.write(readCode);
        QCOMPARE(readSerialPort(port, beforeHangup.size()), beforeHangup);
        QVERIFY(QTest::qWaitFor([&] { return port.error() != QSerialPort::NoError; },
                                int(std::chrono::milliseconds(Patience).count())));
        QVERIFY2(port.error() == QSerialPort::ResourceError ||
                     port.error() == QSerialPort::ReadError,
                 qPrintable(port.errorString()));
    } else {
        LineClient line;
        QVERIFY(line.open(firstPath));
        QVERIFY(line.write(readCode));
        QCOMPARE(line.read(beforeHangup.size()), beforeHangup);
        QVERIFY(line.readFails());
    }

    QVERIFY(sim.waitForDevices(2));
    const QString secondPath = sim.devices().at(1);
    QVERIFY(secondPath != firstPath);
    QCOMPARE(QFileInfo(link).symLinkTarget(), secondPath);
    QVERIFY(sim.waitForLog(u"hangup"_s));

    // The fresh line serves as the first did.
    LineClient line;
    QVERIFY(line.open(secondPath));
    QVERIFY(sim.waitForLog(u"open"_s, 2));
    QVERIFY(line.write(hex("55 AA")));
    QCOMPARE(line.read(2), hex("55 AA"));
}

void SimEndToEndTest::portLinkFollowsLifetime_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("staleLink");
    QTest::addColumn<bool>("xdgConfigHome");

    QTest::newRow("SIGTERM") << int(SIGTERM) << false << true;
    QTest::newRow("SIGINT") << int(SIGINT) << false << true;
    QTest::newRow("stale link replaced") << int(SIGTERM) << true << true;
    QTest::newRow("no XDG_CONFIG_HOME: under ~/.config") << int(SIGTERM) << false << false;
}

void SimEndToEndTest::portLinkFollowsLifetime()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, staleLink);
    QFETCH(bool, xdgConfigHome);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString configHome = home.path() + u"/.config"_s;
    environment.insert(u"HOME"_s, home.path());
    environment.remove(u"XDG_CONFIG_HOME"_s);
    if (xdgConfigHome) {
        configHome = home.path() + u"/config"_s;
        environment.insert(u"XDG_CONFIG_HOME"_s, configHome);
    }
    const QString link = portLinkPath(configHome, u"COM3"_s);
    if (staleLink) {
        QVERIFY(QDir().mkpath(QFileInfo(link).path()));
        QVERIFY(QFile::link(u"/dev/pts/no-such-device"_s, link));
    }

    SimulatorProcess sim({u"--link"_s, u"COM3"_s}, environment);
    QVERIFY(sim.started());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
    // The tool opens the port by the link.
    LineClient line;
    QVERIFY(line.open(link));
    QVERIFY(line.write(hex("42")));
    QCOMPARE(line.read(1), hex("42"));

    QCOMPARE(::kill(pid_t(sim.process().processId()), signalNumber), 0);
    QVERIFY(sim.process().waitForFinished(5000));
    QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process().exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(link));
}

void SimEndToEndTest::leavesAFileAtTheLinkPathAlone()
{
    QTemporaryDir config;
    QVERIFY(config.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, config.path());
    const QString path = portLinkPath(config.path(), u"COM1"_s);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();

    SimulatorProcess sim({u"--link"_s, u"COM1"_s}, environment);
    QVERIFY(sim.process().waitForFinished(5000));
    QCOMPARE(sim.process().exitCode(), 1);
    QVERIFY(sim.process().readAllStandardError().contains("not a symbolic link"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void SimEndToEndTest::logsOpenAndClose()
{
    SimulatorProcess sim({u"--no-pacing"_s, u"--log"_s});
    QVERIFY(sim.started());

    LineClient line;
    QVERIFY(line.open(sim.device()));
    QVERIFY(sim.waitForLog(u"open"_s));
    line.close();
    QVERIFY(sim.waitForLog(u"closed"_s));

    // The tool's own way of opening and closing.
    {
        QSerialPort port;
        QVERIFY2(openSerialPort(port, sim.device()), qPrintable(port.errorString()));
        QVERIFY(sim.waitForLog(u"open"_s, 2));
        port.write(readVersion);
        QVERIFY(!readSerialPort(port, readVersion.size()).isEmpty());
    }
    QVERIFY(sim.waitForLog(u"closed"_s, 2));
    const QStringList events = sim.log().filter(QRegularExpression(u"^(open|closed)$"_s));
    QCOMPARE(events, (QStringList{u"open"_s, u"closed"_s, u"open"_s, u"closed"_s}));
}

void SimEndToEndTest::pacesAtLineSpeed()
{
    SimulatorProcess sim({u"--code"_s, u"12345"_s});
    QVERIFY(sim.started());
    LineClient line;
    QVERIFY(line.open(sim.device()));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(line.write(readCode));
    const QByteArray expected = readCode + reply12345;
    QCOMPARE(line.read(expected.size()), expected);
    // 18 bytes at 1/240 s each: the last cannot leave before 17 byte times, about 71 ms.
    QVERIFY2(clock.elapsed() >= 65, qPrintable(QString::number(clock.elapsed())));
}

void SimEndToEndTest::rejectsBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("unknown option") << QStringList{u"--bogus"_s};
    QTest::newRow("stray argument") << QStringList{u"COM1"_s};
    QTest::newRow("code without value") << QStringList{u"--code"_s};
    QTest::newRow("code too large") << QStringList{u"--code"_s, u"65536"_s};
    QTest::newRow("code negative") << QStringList{u"--code"_s, u"-1"_s};
    QTest::newRow("code not a number") << QStringList{u"--code"_s, u"12a"_s};
    QTest::newRow("code and off") << QStringList{u"--code"_s, u"5"_s, u"--off"_s};
    QTest::newRow("unknown fault") << QStringList{u"--fault"_s, u"sparks"_s};
    QTest::newRow("cut without length") << QStringList{u"--fault"_s, u"cut:"_s};
    QTest::newRow("cut too long") << QStringList{u"--fault"_s, u"cut:256"_s};
    QTest::newRow("link outside the ports folder") << QStringList{u"--link"_s, u"../COM1"_s};
    QTest::newRow("link COM17") << QStringList{u"--link"_s, u"COM17"_s};
    QTest::newRow("link COM0") << QStringList{u"--link"_s, u"COM0"_s};
    QTest::newRow("version text beyond Latin-1")
        << QStringList{u"--version-text"_s, u"K5 \u2713"_s};
}

void SimEndToEndTest::rejectsBadOptions()
{
    QFETCH(QStringList, arguments);

    QProcess process;
    process.start(QStringLiteral(K5_SIM_PATH), arguments);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    const QByteArray message = process.readAllStandardError();
    QVERIFY2(message.size() > 1 && message.count('\n') == 1 && message.endsWith('\n'),
             message.constData());
}

void SimEndToEndTest::helpListsEveryOptionAndFault()
{
    QProcess process;
    process.start(QStringLiteral(K5_SIM_PATH), {u"--help"_s});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray help = process.readAllStandardOutput();
    for (const char *word :
         {"--link COMn", "--code N", "--off", "--version-text TEXT", "--no-pacing", "--log",
          "--fault KIND", "--help", "no-echo", "short-echo", "no-reply", "cut:K", "late-byte",
          "bad-checksum", "wrong-command", "wrong-group", "overlong", "noise", "hangup"})
        QVERIFY2(help.contains(word), word);
}

QTEST_GUILESS_MAIN(SimEndToEndTest)
#include "tst_sim_e2e.moc"
