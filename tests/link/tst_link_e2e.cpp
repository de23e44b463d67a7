// The transmitter link over a real pseudo-terminal, against the transmitter simulator.

#include "exchanges.h"
#include "frame.h"
#include "simulatorprocess.h"
#include "transmitterlink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <ctime>
#include <optional>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// The simulator on COM3, fast and logging, with the given options.
QStringList simulatorArguments(const QStringList &options)
{
    return QStringList{u"--no-pacing"_s, u"--log"_s, u"--link"_s, u"COM3"_s} + options;
}

// What one exchange handed to the window.
struct Run
{
    int calls = 0;
    ExchangeReply reply;
    bool portOpenInDone = false;
    qint16 busyInDone = 0;
    qint64 elapsedMs = 0; // from exchange() to done
};

QString Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString Describe(const ExchangeReply &reply, const QByteArray &body)
{
    if (body == Frame::ReadCodeBody()) {
        const ReadCodeResult r = JudgeReadCodeReply(reply);
        if (r.outcome == ReadCodeOutcome::Code)
            return u"code "_s + QString::number(r.code);
        return r.outcome == ReadCodeOutcome::Off ? u"off"_s : u"error"_s;
    }
    if (body == Frame::ReadVersionBody()) {
        const VersionResult r = JudgeVersionReply(reply);
        return r.outcome == VersionOutcome::Text ? u"text "_s + r.text : u"error"_s;
    }
    return JudgeWriteCodeReply(reply) == WriteCodeOutcome::Confirmed ? u"confirmed"_s : u"error"_s;
}

// Log lines with their category, as a support person would read them.
namespace Logged {
struct Line
{
    QString category;
    QtMsgType type;
    QString text;
};
QList<Line> lines;
void record(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    lines.append({QString::fromLatin1(context.category), type, text});
}
} // namespace Logged

} // namespace

class LinkEndToEndTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

    QString portsDir() const { return m_config.path() + u"/k5-dipswitch/ports"_s; }

    // An exchange as the window runs it, from its opening to its done callback.
    void exchange(TransmitterLink &link, const QByteArray &body, Run &run,
                  const QString &combo = u"COM3"_s)
    {
        QVERIFY(link.beginExchange());
        link.selectPort(combo);
        QVERIFY2(link.openPort(), qPrintable(link.devicePath()));
        QElapsedTimer timer;
        timer.start();
        link.exchange(body, [&](const ExchangeReply &reply) {
            ++run.calls;
            run.reply = reply;
            run.portOpenInDone = link.PortOpen();
            run.busyInDone = link.LinkBusy();
            run.elapsedMs = timer.elapsed();
        });
        QCOMPARE(run.calls, 0); // exchange() returns before anything came back
        QTRY_COMPARE_WITH_TIMEOUT(run.calls, 1, 5000);
        QCOMPARE(link.LinkBusy(), qint16(0));
        QVERIFY(!link.PortOpen());
        QCOMPARE(run.busyInDone, qint16(1));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void replies_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("judged");
        QTest::addColumn<QByteArray>("replyStart"); // ReplyBytes from index 1; the rest 0
        QTest::addColumn<int>("frameSum");          // -1: not checked

        const QByteArray read = Frame::ReadCodeBody();
        const QByteArray version = Frame::ReadVersionBody();
        QTest::newRow("read default code") << QStringList() << read << u"code 29524"_s
                                           << QByteArray::fromHex("FF 00 02 02 02 73 54 33") << 0;
        QTest::newRow("read code 0") << QStringList{u"--code"_s, u"0"_s} << read << u"code 0"_s
                                     << QByteArray::fromHex("FF 00 02 02 02 00 00 FA") << 0;
        QTest::newRow("read code 59048")
            << QStringList{u"--code"_s, u"59048"_s} << read << u"code 59048"_s
            << QByteArray::fromHex("FF 00 02 02 02 E6 A8 6C") << 0;
        QTest::newRow("read code 65280")
            << QStringList{u"--code"_s, u"65280"_s} << read << u"code 65280"_s
            << QByteArray::fromHex("FF 00 02 02 02 FF 00 FB") << 0;
        QTest::newRow("read off") << QStringList{u"--off"_s} << read << u"off"_s
                                  << QByteArray::fromHex("FF 00 02 02 02 FF FF FC") << 0;
        QTest::newRow("write code 29524")
            << QStringList() << Frame::WriteCodeBody(29524) << u"confirmed"_s
            << QByteArray::fromHex("FF 00 02 12 00 EC") << 0;
        QTest::newRow("write off marker")
            << QStringList() << Frame::WriteCodeBody(0xFFFF) << u"confirmed"_s
            << QByteArray::fromHex("FF 00 02 12 00 EC") << 0;
        QTest::newRow("version default")
            << QStringList() << version << u"text K5-SIM 1.0"_s
            << QByteArray::fromHex("FF 00 01 00 0C 01 02") + "K5-SIM 1.0" << 0;
        QTest::newRow("version with a tab")
            << QStringList{u"--version-text"_s, u"A\tB"_s} << version << u"text A\u2409B"_s
            << QByteArray::fromHex("FF 00 01 00 05 01 02 41 09 42") << 0;
        QTest::newRow("version empty")
            << QStringList{u"--version-text"_s, QString()} << version << u"text "_s
            << QByteArray::fromHex("FF 00 01 00 02 01 02 FA") << 0;

        QTest::newRow("fault no-reply")
            << QStringList{u"--fault"_s, u"no-reply"_s} << read << u"error"_s << QByteArray() << 2;
        QTest::newRow("fault cut:3") << QStringList{u"--fault"_s, u"cut:3"_s} << read << u"error"_s
                                     << QByteArray::fromHex("FF 00 02") << 2;
        QTest::newRow("fault late-byte")
            << QStringList{u"--fault"_s, u"late-byte"_s} << read << u"error"_s
            << QByteArray::fromHex("FF 00 02 02 02 73 54") << 2;
        QTest::newRow("fault bad-checksum")
            << QStringList{u"--fault"_s, u"bad-checksum"_s} << read << u"error"_s
            << QByteArray::fromHex("FF 00 02 02 02 73 54 34") << 1;
        QTest::newRow("fault wrong-command")
            << QStringList{u"--fault"_s, u"wrong-command"_s} << Frame::WriteCodeBody(100)
            << u"error"_s << QByteArray::fromHex("FF 00 02 02 00 FC") << 0;
        QTest::newRow("fault wrong-group") << QStringList{u"--fault"_s, u"wrong-group"_s} << version
                                           << u"error"_s << QByteArray::fromHex("FF 00 02 00") << 0;
        QTest::newRow("fault overlong") << QStringList{u"--fault"_s, u"overlong"_s} << read
                                        << u"error"_s << QByteArray::fromHex("FF 00 02 02 23") << 1;
        QTest::newRow("fault noise")
            << QStringList{u"--fault"_s, u"noise"_s} << read << u"error"_s << QByteArray() << -1;
        QTest::newRow("fault hangup") << QStringList{u"--fault"_s, u"hangup"_s} << read
                                      << u"error"_s << QByteArray::fromHex("FF 00 02") << 2;
    }

    void replies()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, body);
        QFETCH(QString, judged);
        QFETCH(QByteArray, replyStart);
        QFETCH(int, frameSum);

        SimulatorProcess sim(simulatorArguments(options));
        QVERIFY(sim.started());
        TransmitterLink link;
        if (QString::fromLatin1(QTest::currentDataTag()) == u"fault hangup") {
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(u"COM3: line "_s +
                                                    QRegularExpression::escape(sim.device()) +
                                                    u" failed"_s));
        }
        Run run;
        exchange(link, body, run);
        if (QTest::currentTestFailed())
            return;

        QVERIFY(run.reply.echoComplete);
        QCOMPARE(Describe(run.reply, body), judged);
        if (frameSum >= 0)
            QCOMPARE(run.reply.FrameSum, qint16(frameSum));
        else
            QVERIFY(run.reply.FrameSum != 0);
        if (!replyStart.isEmpty() || frameSum == 2) {
            QByteArray stored;
            for (int i = 1; i <= replyStart.size(); ++i)
                stored.append(char(run.reply.ReplyBytes[std::size_t(i)]));
            QCOMPARE(Hex(stored), Hex(replyStart));
            if (frameSum == 2) { // the bytes that did not come stay 0
                for (int i = int(replyStart.size()) + 1; i < ReplyBytesSize; ++i)
                    QCOMPARE(run.reply.ReplyBytes[std::size_t(i)], qint16(0));
            }
        }
        QCOMPARE(link.ReplyBytes(), run.reply.ReplyBytes);
        QCOMPARE(link.FrameSum(), run.reply.FrameSum);
        // What went on the line, as the simulator received it.
        QTRY_COMPARE(sim.log().count(u"rx "_s + Hex(Frame::Request(body))), 1);
    }

    // Faults that leave the echo incomplete end the exchange 0.5 s after the request.
    void echoFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("no-echo") << u"no-echo"_s;
        QTest::newRow("short-echo") << u"short-echo"_s;
    }

    void echoFaults()
    {
        QFETCH(QString, fault);
        SimulatorProcess sim(simulatorArguments({u"--fault"_s, fault}));
        QVERIFY(sim.started());
        TransmitterLink link;
        Run run;
        exchange(link, Frame::ReadVersionBody(), run);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(!run.reply.echoComplete);
        QCOMPARE(Describe(run.reply, Frame::ReadVersionBody()), u"error"_s);
        QVERIFY2(run.elapsedMs >= 500, qPrintable(QString::number(run.elapsedMs)));
        QVERIFY(run.portOpenInDone);
    }

    // The port is opened for the exchange and closed after it, and never held in between.
    void openAndCloseAroundExchange()
    {
        SimulatorProcess sim(simulatorArguments({}));
        QVERIFY(sim.started());
        TransmitterLink link;
        QVERIFY(!link.PortOpen());
        for (int round = 1; round <= 2; ++round) {
            Run run;
            exchange(link, Frame::ReadCodeBody(), run);
            if (QTest::currentTestFailed())
                return;
            QVERIFY(run.portOpenInDone); // done comes before the closing
            QTRY_COMPARE(sim.log().count(u"closed"_s), round);
            QCOMPARE(sim.log().count(u"open"_s), round);
        }
        QCOMPARE(link.CommPort(), qint16(3));
        QCOMPARE(link.Settings(), u"2400,N,8,1"_s);
        QCOMPARE(link.devicePath(), QFileInfo(sim.device()).canonicalFilePath());
    }

    // A written value is the one read back, the off marker included.
    void writeThenRead()
    {
        SimulatorProcess sim(simulatorArguments({}));
        QVERIFY(sim.started());
        TransmitterLink link;
        for (const int value : {12345, 0xFFFF, 0}) {
            Run write;
            exchange(link, Frame::WriteCodeBody(std::uint16_t(value)), write);
            QCOMPARE(Describe(write.reply, {}), u"confirmed"_s);
            Run read;
            exchange(link, Frame::ReadCodeBody(), read);
            QCOMPARE(Describe(read.reply, Frame::ReadCodeBody()),
                     value == 0xFFFF ? u"off"_s : u"code "_s + QString::number(value));
        }
    }

    void missingDevice()
    {
        const QString gone = m_config.path() + u"/ttyGONE"_s;
        QVERIFY(QDir().mkpath(portsDir()));
        QFile::remove(portsDir() + u"/COM5"_s);
        QVERIFY(QFile::link(gone, portsDir() + u"/COM5"_s));

        TransmitterLink link;
        QVERIFY(link.beginExchange());
        link.selectPort(u"COM5");
        Logged::lines.clear();
        const QtMessageHandler previous = qInstallMessageHandler(Logged::record);
        const bool opened = link.openPort();
        qInstallMessageHandler(previous);

        QVERIFY(!opened);
        QVERIFY(!link.PortOpen());
        QCOMPARE(link.CommPort(), qint16(5)); // for "COM5 not available for use"
        QCOMPARE(Logged::lines.size(), 1);
        const Logged::Line &line = Logged::lines.constFirst();
        QCOMPARE(line.category, u"k5.link"_s);
        QCOMPARE(line.type, QtWarningMsg);
        // The device and the system's reason, which the window's message leaves out.
        QVERIFY2(line.text.startsWith(u"COM5: cannot open "_s + gone + u": No such file"_s),
                 qPrintable(line.text));

        QCOMPARE(link.LinkBusy(), qint16(1));
        link.endExchange();
        QCOMPARE(link.LinkBusy(), qint16(0));
        QVERIFY(link.beginExchange()); // the next click tries again
        QFile::remove(portsDir() + u"/COM5"_s);
    }

    // A port in use fails to open, whichever name the other opener used for the device.
    void portInUse_data()
    {
        QTest::addColumn<bool>("otherUsesDevicePath");
        QTest::newRow("another link through COM3") << false;
        QTest::newRow("another program on the device path") << true;
    }

    void portInUse()
    {
        QFETCH(bool, otherUsesDevicePath);
        SimulatorProcess sim(simulatorArguments({}));
        QVERIFY(sim.started());

        TransmitterLink first;
        QSerialPort other;
        if (otherUsesDevicePath) {
            other.setPortName(sim.device());
            QVERIFY2(other.open(QIODevice::ReadWrite), qPrintable(other.errorString()));
        } else {
            QVERIFY(first.beginExchange());
            first.selectPort(u"COM3");
            QVERIFY(first.openPort());
        }

        TransmitterLink second;
        QVERIFY(second.beginExchange());
        second.selectPort(u"COM3");
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"^COM3: cannot open "_s +
                                                QRegularExpression::escape(sim.device())));
        QVERIFY(!second.openPort());
        second.endExchange();

        // Once the other lets go, the port opens again.
        other.close();
        first.endExchange();
        Run run;
        exchange(second, Frame::ReadCodeBody(), run);
        QCOMPARE(Describe(run.reply, Frame::ReadCodeBody()), u"code 29524"_s);
    }

    // While an exchange waits, the window's events go on, a second exchange is refused, and
    // the CPU idles.
    void windowRunsDuringWait()
    {
        SimulatorProcess sim(simulatorArguments({u"--fault"_s, u"no-reply"_s}));
        QVERIFY(sim.started());
        TransmitterLink link;
        int ticks = 0;
        QTimer ticker;
        ticker.setInterval(20);
        QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
            ++ticks;
            QVERIFY(!link.beginExchange()); // LinkBusy is 1: a second click does nothing
        });

        QVERIFY(link.beginExchange());
        link.selectPort(u"COM3");
        QVERIFY(link.openPort());
        int calls = 0;
        int ticksAtDone = 0;
        const std::clock_t cpuBefore = std::clock();
        QElapsedTimer wall;
        wall.start();
        ticker.start();
        link.exchange(Frame::ReadCodeBody(), [&](const ExchangeReply &reply) {
            ++calls;
            ticksAtDone = ticks;
            ticker.stop();
            QCOMPARE(reply.FrameSum, qint16(Reception::TimedOut));
        });
        QVERIFY(link.exchangeRunning());
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 5000);
        const double cpu = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        const double elapsed = double(wall.elapsed()) / 1000;

        QVERIFY2(ticksAtDone >= 10, qPrintable(QString::number(ticksAtDone)));
        QVERIFY(elapsed >= 0.5);
        // A loop that polls the port would keep a core busy for the whole wait.
        QVERIFY2(cpu < 0.5 * elapsed, qPrintable(u"cpu %1 s of %2 s"_s.arg(cpu).arg(elapsed)));
        QCOMPARE(link.LinkBusy(), qint16(0));
        QVERIFY(link.beginExchange());
        link.endExchange();
    }

    // A byte read after its limit is late even though it had arrived in time.
    void lateReadIsLate()
    {
        SimulatorProcess sim(simulatorArguments({}));
        QVERIFY(sim.started());
        std::chrono::nanoseconds skew{0};
        TransmitterLink link([&] { return std::chrono::steady_clock::now() + skew; });
        QVERIFY(link.beginExchange());
        link.selectPort(u"COM3");
        QVERIFY(link.openPort());
        std::optional<ExchangeReply> result;
        link.exchange(Frame::ReadCodeBody(), [&](const ExchangeReply &r) { result = r; });
        skew = 501ms; // from here on, every read looks as if it came after the limit
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 5000);
        QVERIFY(!result->echoComplete);
        QTRY_COMPARE(sim.log().count(u"rx "_s + Hex(Frame::Request(Frame::ReadCodeBody()))), 1);
    }

    // The program ends in the middle of an exchange: the port closes, done never runs.
    void abandonDuringWait()
    {
        SimulatorProcess sim(simulatorArguments({u"--fault"_s, u"no-reply"_s}));
        QVERIFY(sim.started());
        TransmitterLink link;
        QVERIFY(link.beginExchange());
        link.selectPort(u"COM3");
        QVERIFY(link.openPort());
        int calls = 0;
        link.exchange(Frame::ReadCodeBody(), [&](const ExchangeReply &) { ++calls; });
        QTRY_COMPARE(sim.log().count(u"rx "_s + Hex(Frame::Request(Frame::ReadCodeBody()))), 1);
        link.abandon();
        QVERIFY(!link.PortOpen());
        QVERIFY(!link.exchangeRunning());
        QTRY_COMPARE(sim.log().count(u"closed"_s), 1);
        QTest::qWait(700); // past every limit
        QCOMPARE(calls, 0);
    }

    // After an unplugged adapter the link gives up the dead line and opens the next one.
    void hangupThenFreshLine()
    {
        SimulatorProcess sim(simulatorArguments({u"--fault"_s, u"hangup"_s}));
        QVERIFY(sim.started());
        TransmitterLink link;
        const QString firstDevice = sim.device();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u" failed: "_s));
        Run run;
        exchange(link, Frame::ReadCodeBody(), run);
        QCOMPARE(run.reply.FrameSum, qint16(Reception::TimedOut));
        QVERIFY(!run.portOpenInDone); // closed as soon as the line failed

        QVERIFY(sim.waitForDevices(2));
        const QString secondDevice = sim.devices().at(1);
        QVERIFY(secondDevice != firstDevice);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u" failed: "_s));
        Run again;
        exchange(link, Frame::ReadCodeBody(), again);
        QCOMPARE(link.devicePath(), secondDevice); // the link now leads to the fresh line
        QVERIFY(again.reply.echoComplete);
    }

    void cleanupTestCase() { qunsetenv("XDG_CONFIG_HOME"); }
};

QTEST_GUILESS_MAIN(LinkEndToEndTest)
#include "tst_link_e2e.moc"
