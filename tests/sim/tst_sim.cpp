// The transmitter simulator: its transmitter without the line (what it sends back for what it
// receives, with each fault), and its own process as the tool meets it: a pseudo-terminal opened
// the way the tool opens it, the pacing, the port link, the hang-up and the options it refuses.

#include "linefixtures.h"
#include "simulatorprocess.h"
#include "transmitter.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>

#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const QByteArray Reply12345 = Hex("FF 00 02 02 02 30 39 91");
const QByteArray WriteOk = Hex("FF 00 02 12 00 EC");
const QByteArrayList NoReply{QByteArray()};
const QByteArray LongText = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

struct Row
{
    QString fault;          // empty: none
    QByteArray stream;      // what the transmitter receives, byte by byte
    QByteArrayList replies; // what goes back for each request found, after the echo
    int heldAfter = 12345;  // the code held at the end; 12345 at the start
    // What comes back before the replies; the stream as it came unless given.
    std::optional<QByteArray> echo = std::nullopt;
    int faultRequests = Fault::EveryRequest;
};

// What comes back on device for bytes, until count bytes are in or the patience is spent.
QByteArray Exchange(const QString &device, const QByteArray &bytes, qsizetype count)
{
    QSerialPort port(device);
    QByteArray back;
    if (port.open(QIODevice::ReadWrite) && port.setBaudRate(QSerialPort::Baud2400) &&
        port.write(bytes) == bytes.size())
        static_cast<void>(
            QTest::qWaitFor([&] { return (back += port.readAll()).size() >= count; }, PatienceMs));
    return back;
}

} // namespace

Q_DECLARE_METATYPE(Row)

class SimTest : public QObject
{
    Q_OBJECT

    PrivateConfig config;

    static void row(const char *name, const Row &row) { QTest::newRow(name) << row; }

private Q_SLOTS:
    void transmitter_data()
    {
        QTest::addColumn<Row>("row");
        const QByteArray read = Frame::ReadCodeRequest();
        const QByteArray write0 = Frame::WriteCodeRequest(0);
        row("write 0, then read",
            {{}, write0 + read, {WriteOk, Hex("FF 00 02 02 02 00 00 FA")}, 0});
        row("stray bytes, then read", {{}, Hex("12 34 FF 00 0D 0A 11 13") + read, {Reply12345}});
        // The write's length takes in the read's first bytes; its checksum fails, and the read
        // is found inside it.
        row("write broken off, then read", {{}, write0.first(7) + read, {Reply12345}});
        const QByteArray cutText = Hex("FF 00 01 00 22 01 02") + LongText.first(32) + Hex("CC");
        row("version text cut to fit", {{}, Frame::ReadVersionRequest(), {cutText}});
        row("cut:255 on read", {"cut:255", read, {Reply12345}});
        row("slow:2000 on read", {"slow:2000", read, {Reply12345}});
        row("request not understood", {{}, Frame::Request(2, 3, {}), NoReply});
        // A request whose echo is lost did not get through, so a write is not carried out.
        row("no-echo on write", {"no-echo", write0, NoReply, 12345, QByteArray()});
        row("no-reply on write", {"no-reply", write0, NoReply, 0});
        row("cut:3 on read", {"cut:3", read, {Hex("FF 00 02")}});
        row("bad-checksum on read", {"bad-checksum", read, {Hex("FF 00 02 02 02 30 39 92")}});
        row("wrong-command on read", {"wrong-command", read, {Hex("FF 00 02 12 02 30 39 81")}});
        row("wrong-command on write", {"wrong-command", write0, {Hex("FF 00 02 02 00 FC")}, 0});
        row("hangup on write", {"hangup", write0, {Hex("FF 00 02")}, 0});
        row("trailing-noise on write", {"trailing-noise", write0, {WriteOk + Hex("55 AA 00")}, 0});
        row("keep-code on write", {"keep-code", write0, {WriteOk}});
        row("leading-noise on read",
            {"leading-noise", read, {Reply12345}, 12345, Hex("55 AA 00") + read});
        row("chatter: nothing more after the power-up", {"chatter", read, {Reply12345}});
        row("short-echo on read", {"short-echo", read, {Reply12345}, 12345, read.sliced(1)});
        row("late:650 on write", {"late:650", write0, {WriteOk}, 0});
        // Played on the first request only: the write is carried out, its echo short.
        row("short-echo on the first of two", {"short-echo",
                                               write0 + read,
                                               {WriteOk, Hex("FF 00 02 02 02 00 00 FA")},
                                               0,
                                               write0.sliced(1) + read,
                                               1});
    }
    void transmitter()
    {
        QFETCH(Row, row);
        std::optional<Fault> fault = Fault::fromText(row.fault);
        QVERIFY(fault || row.fault.isEmpty());
        fault = fault.value_or(Fault{});
        fault->requests = row.faultRequests;
        Transmitter transmitter(12345, LongText, *fault);
        QCOMPARE(transmitter.powerUp(),
                 row.fault == "chatter" ? Transmitter::ChatterBytes.toByteArray() : QByteArray());
        QByteArray echo;
        QByteArrayList replies;
        for (const char byte : std::as_const(row.stream)) {
            const LineOutput output = transmitter.receive(std::uint8_t(byte));
            echo += output.echo;
            QCOMPARE(output.late.count(), row.fault.startsWith("late:") ? 650 : 0);
            for (const Answer &answer : output.answers) {
                replies << answer.reply;
                QCOMPARE(answer.pauseBeforeEach.count(),
                         row.fault.startsWith("slow:") ? row.fault.mid(5).toInt() : 0);
                QCOMPARE(answer.hangUp, row.fault == "hangup");
            }
        }
        QCOMPARE(echo, row.echo.value_or(row.stream));
        QCOMPARE(replies, row.replies);
        QCOMPARE(transmitter.heldValue(), row.heldAfter);
    }

    // Paced as at 2400 baud: the echo and the reply take at least their bytes' time on the line.
    void pacedAsTheLine()
    {
        SimulatorProcess sim({"--log", "--code", "12345"});
        QVERIFY(sim.started());
        QElapsedTimer line;
        line.start();
        QCOMPARE(Exchange(sim.device(), Frame::ReadCodeRequest(), 18),
                 Frame::ReadCodeRequest() + Reply12345);
        QVERIFY(line.nsecsElapsed() >= 18 * 1'000'000'000LL / 240);
        QTRY_COMPARE(sim.log(),
                     (QStringList{"open", "line 2400 baud", "rx 00 FF 01 02 02 03 01 00 02 F5",
                                  "tx FF 00 02 02 02 30 39 91"}));
    }

    // The tool opens the port by the link; it names the device while the simulator runs, and the
    // fresh device after a hang-up.
    void portLinkFollowsLifetime()
    {
        const QString link = config.portLink("COM3");
        SimulatorProcess sim({"--no-pacing", "--link", "COM3", "--fault", "hangup", "--log"});
        QVERIFY(sim.started());
        const QDir openFiles(QStringLiteral("/proc/%1/fd").arg(sim.process().processId()));
        const uint filesBefore = openFiles.count();
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
        // A write begun with the read goes with the line that hangs up, held open meanwhile as
        // the tool holds it.
        const QByteArray write0 = Frame::WriteCodeRequest(0);
        QSerialPort old(sim.device());
        QVERIFY(old.open(QIODevice::ReadWrite));
        old.write(Frame::ReadCodeRequest() + write0.first(9));
        QVERIFY(sim.waitForDevices(2));
        QVERIFY(sim.devices()[1] != sim.device());
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.devices()[1]);
        const QByteArray next = write0.sliced(9) + Frame::ReadVersionRequest();
        QCOMPARE(Exchange(sim.devices()[1], next, next.size() + 3), next + Hex("FF 00 01"));
        QCOMPARE(QDir(openFiles.path()).count(), filesBefore); // the old line's went with it

        QCOMPARE(::kill(pid_t(sim.process().processId()), SIGTERM), 0);
        QVERIFY(sim.process().waitForFinished(PatienceMs) && sim.process().exitCode() == 0 &&
                sim.process().exitStatus() == QProcess::NormalExit);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    // A line closed by its user begins afresh for the next: raw, without what was still owed to
    // the one before, and without the frame it had begun.
    void closedLineBeginsAfresh()
    {
        // Paced: the echo and the reply are still owed at the close.
        SimulatorProcess sim({"--log"});
        QVERIFY(sim.started());
        const QByteArray device = QFile::encodeName(sim.device());
        const QByteArray write0 = Frame::WriteCodeRequest(0);
        const QByteArray first = Frame::ReadCodeRequest() + write0.first(9);
        termios settings{};
        int fd = ::open(device.constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0 && ::tcgetattr(fd, &settings) == 0);
        settings.c_lflag |= ICANON;
        settings.c_iflag |= ICRNL;
        QVERIFY(::tcsetattr(fd, TCSANOW, &settings) == 0 &&
                ::write(fd, first.constData(), size_t(first.size())) == first.size());
        QVERIFY(sim.waitForLog("rx 00 FF 01 02 02 03 01 00 02 F5"));
        ::close(::open(device.constData(), O_RDWR | O_NOCTTY)); // a second user is no new line
        ::close(fd);
        QVERIFY(sim.waitForLog("closed"));
        QCOMPARE(sim.log().count("open"), 1);
        fd = ::open(device.constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0 && ::tcgetattr(fd, &settings) == 0 && ::close(fd) == 0);
        QVERIFY(!(settings.c_lflag & ICANON) && !(settings.c_iflag & ICRNL) &&
                (settings.c_cflag & CLOCAL) && ::cfgetospeed(&settings) == B2400);
        const QByteArray next = write0.sliced(9) + Frame::ReadVersionRequest();
        QCOMPARE(Exchange(sim.device(), next, next.size() + 18),
                 next + Hex("FF 00 01 00 0C 01 02 4B 35 2D 53 49 4D 20 31 2E 30 AB"));
    }

    // Where a fault's bytes come while the other side has the line closed, the line keeps them
    // for its next open, as real lines do.
    void keptForTheNextOpen_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("sent"); // on a first open, closed at once
        QTest::addColumn<QByteArray>("waiting");
        const QByteArray read = Frame::ReadCodeRequest();
        QTest::newRow("chatter at power-up") << QStringList{"--fault", "chatter"} << QByteArray()
                                             << Transmitter::ChatterBytes.toByteArray();
        QTest::newRow("a late echo and reply") << QStringList{"--no-pacing", "--fault", "late:100"}
                                               << read << read + Hex("FF 00 02 02 02 73 54 33");
    }
    void keptForTheNextOpen()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, waiting);
        SimulatorProcess sim(QStringList{"--log"} + options);
        QVERIFY(sim.started());
        if (!sent.isEmpty()) {
            QSerialPort port(sim.device());
            QVERIFY(port.open(QIODevice::ReadWrite) && port.write(sent) == sent.size() &&
                    port.waitForBytesWritten(PatienceMs));
            port.close();
            QVERIFY(sim.waitForLog("closed") && sim.waitForReplies());
        }
        QCOMPARE(Exchange(sim.device(), {}, waiting.size()), waiting);
    }

    // Exit status 2 and one line that says why.
    // Each row's name is the command line.
    void rejectsBadOptions_data()
    {
        QTest::addColumn<QString>("error");
        QTest::newRow("--link COM17") << "--link: 'COM17' is not a port name from COM1 to COM16";
        QTest::newRow("--code 65536") << "--code: '65536' is not a number from 0 to 65535";
        QTest::newRow("--code +5") << "--code: '+5' is not a number from 0 to 65535";
        QTest::newRow("--code 5 --off") << "--code and --off exclude each other";
        QTest::newRow("--version-text K5\u20AC")
            << "--version-text: only Latin-1 characters fit on the line";
        QTest::newRow("--fault cut:256") << "--fault: unknown fault 'cut:256' (see --help)";
        QTest::newRow("--fault slow:2001") << "--fault: unknown fault 'slow:2001' (see --help)";
        QTest::newRow("--fault late:2001") << "--fault: unknown fault 'late:2001' (see --help)";
        QTest::newRow("--fault no-reply --fault-count 0")
            << "--fault-count: '0' is not a number from 1 to 9999 after a --fault";
        QTest::newRow("--fault-count 1")
            << "--fault-count: '1' is not a number from 1 to 9999 after a --fault";
        QTest::newRow("COM1") << "unexpected argument 'COM1'";
    }
    void rejectsBadOptions()
    {
        QFETCH(QString, error);
        const Ran ran =
            RunProcess(K5_SIM_PATH, QString::fromUtf8(QTest::currentDataTag()).split(u' '));
        QCOMPARE(ran.status, 2);
        QCOMPARE(ran.err, "k5-transmitter-sim: " + error + "\n");
        QCOMPARE(ran.out, QString());
    }
};

QTEST_GUILESS_MAIN(SimTest)
#include "tst_sim.moc"
