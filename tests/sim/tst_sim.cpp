// The transmitter simulator: its transmitter without the line (what it sends back for what it
// receives, with each fault), and its own process as the tool meets it: a pseudo-terminal opened
// the way the tool opens it, the pacing, the port link, the hang-up and the options it refuses.

#include "linefixtures.h"
#include "simulatorprocess.h"
#include "transmitter.h"

#include <QFileInfo>
#include <QSerialPort>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const QByteArray Read = Frame::ReadCodeRequest();
const QByteArray Write0 = Frame::WriteCodeRequest(0);
const QByteArray Reply12345 = Hex("FF 00 02 02 02 30 39 91");
const QByteArray Reply0 = Hex("FF 00 02 02 02 00 00 FA");
const QByteArray WriteOk = Hex("FF 00 02 12 00 EC");
const QString ReadLogged = "rx 00 FF 01 02 02 03 01 00 02 F5";
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
    if (port.open(QIODevice::ReadWrite) && port.write(bytes) == bytes.size())
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
        row("write 0, then read", {{}, Write0 + Read, {WriteOk, Reply0}, 0});
        row("stray bytes, then read", {{}, Hex("12 34 FF 00 0D 0A 11 13") + Read, {Reply12345}});
        // The write's length takes in the read's first bytes; its checksum fails, and the read
        // is found inside it.
        row("write broken off, then read", {{}, Write0.first(7) + Read, {Reply12345}});
        const QByteArray cutText = Hex("FF 00 01 00 22 01 02") + LongText.first(32) + Hex("CC");
        row("version text cut to fit", {{}, Frame::ReadVersionRequest(), {cutText}});
        row("cut:255 on read", {"cut:255", Read, {Reply12345}});
        row("slow:2000 on read", {"slow:2000", Read, {Reply12345}});
        row("request not understood", {{}, Frame::Request(2, 3, {}), {QByteArray()}});
        // A request whose echo is lost did not get through, so a write is not carried out.
        row("no-echo on write", {"no-echo", Write0, {QByteArray()}, 12345, QByteArray()});
        row("no-reply on write", {"no-reply", Write0, {QByteArray()}, 0});
        row("cut:3 on read", {"cut:3", Read, {Hex("FF 00 02")}});
        row("bad-checksum on read", {"bad-checksum", Read, {Hex("FF 00 02 02 02 30 39 92")}});
        row("wrong-command on read", {"wrong-command", Read, {Hex("FF 00 02 12 02 30 39 81")}});
        row("wrong-command on write", {"wrong-command", Write0, {Hex("FF 00 02 02 00 FC")}, 0});
        row("hangup on write", {"hangup", Write0, {Hex("FF 00 02")}, 0});
        row("trailing-noise on write", {"trailing-noise", Write0, {WriteOk + Hex("55 AA 00")}, 0});
        row("keep-code on write", {"keep-code", Write0, {WriteOk}});
        row("leading-noise on read",
            {"leading-noise", Read, {Reply12345}, 12345, Hex("55 AA 00") + Read});
        row("chatter: nothing more after the power-up", {"chatter", Read, {Reply12345}});
        row("late:650 on write", {"late:650", Write0, {WriteOk}, 0});
        // Played on the first request only: the write is carried out, its echo short.
        row("short-echo on the first of two",
            {"short-echo", Write0 + Read, {WriteOk, Reply0}, 0, Write0.sliced(1) + Read, 1});
    }
    void transmitter()
    {
        QFETCH(Row, row);
        Fault fault = Fault::fromText(row.fault).value_or(Fault{});
        QVERIFY(fault.kind != FaultKind::None || row.fault.isEmpty());
        fault.requests = row.faultRequests;
        Transmitter transmitter(12345, LongText, fault);
        QCOMPARE(transmitter.powerUp(),
                 row.fault == "chatter" ? Transmitter::ChatterBytes.toByteArray() : QByteArray());
        // The number of slow:MS and late:MS.
        const int pause = row.fault.section(u':', 1).toInt();
        QByteArray echo;
        QByteArrayList replies;
        for (const char byte : std::as_const(row.stream)) {
            const LineOutput output = transmitter.receive(std::uint8_t(byte));
            echo += output.echo;
            QCOMPARE(output.late.count(), row.fault.startsWith("late:") ? pause : 0);
            for (const Answer &answer : output.answers) {
                replies << answer.reply;
                QCOMPARE(answer.pauseBeforeEach.count(), row.fault.startsWith("slow:") ? pause : 0);
                QCOMPARE(answer.hangUp, row.fault == "hangup");
            }
        }
        QCOMPARE(echo, row.echo.value_or(row.stream));
        QCOMPARE(replies, row.replies);
        QCOMPARE(transmitter.heldValue(), row.heldAfter);
    }

    // A line over its life, paced as at 2400 baud and logged, found by the tool through the link.
    // A hang-up offers a fresh device under the link; a close by the user begins afresh for the
    // next: raw, without what was still owed to the one before. After either, the frame begun
    // before does not go on. At the end the link goes.
    void lineOverItsLife()
    {
        const QString link = config.portLink("COM3");
        SimulatorProcess sim({"--log", "--code", "12345", "--link", "COM3", "--fault", "hangup",
                              "--fault-count", "1"});
        QVERIFY(sim.started());
        const QDir openFiles(QStringLiteral("/proc/%1/fd").arg(sim.process().processId()));
        const uint filesBefore = openFiles.count();
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
        // Held open through the hang-up, as the tool holds it.
        QSerialPort old(sim.device());
        QVERIFY2(old.open(QIODevice::ReadWrite) && old.write(Read + Write0.first(9)) > 0,
                 qPrintable(old.errorString()));
        QVERIFY(sim.waitForDevices(2) && sim.devices()[1] != sim.device());
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.devices()[1]);

        // The echo and the reply take at least their bytes' time on the line; nothing is left
        // from before the hang-up.
        const QByteArray next = Write0.sliced(9) + Read;
        const auto started = std::chrono::steady_clock::now();
        QCOMPARE(Exchange(sim.devices()[1], next, next.size() + 8), next + Reply12345);
        QVERIFY(std::chrono::steady_clock::now() - started >=
                (next.size() + 8) * 1'000'000'000ns / 240);

        // The stray bytes' echo keeps the read's reply owed well past the close.
        const QByteArray device = QFile::encodeName(sim.devices()[1]);
        const QByteArray first = QByteArray(100, 'U') + Read + Write0.first(9);
        termios settings{};
        int fd = ::open(device.constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0 && ::tcgetattr(fd, &settings) == 0);
        settings.c_lflag |= ICANON;
        settings.c_iflag |= ICRNL;
        ::cfsetspeed(&settings, B4800);
        QVERIFY(::tcsetattr(fd, TCSANOW, &settings) == 0 &&
                ::write(fd, first.constData(), size_t(first.size())) == first.size());
        QTRY_COMPARE(sim.log().count(ReadLogged), 3);
        ::close(::open(device.constData(), O_RDWR | O_NOCTTY)); // a second user is no new line
        ::close(fd);
        QTRY_COMPARE(sim.log(),
                     (QStringList{"open", "line 9600 baud", ReadLogged, "tx FF 00 02", "hangup",
                                  "open", ReadLogged, "tx " + Reply12345.toHex(' ').toUpper(),
                                  "closed", "open", "line 4800 baud", ReadLogged, "closed"}));
        fd = ::open(device.constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0 && ::tcgetattr(fd, &settings) == 0 && ::close(fd) == 0);
        QVERIFY(!(settings.c_lflag & ICANON) && !(settings.c_iflag & ICRNL) &&
                (settings.c_cflag & CLOCAL) && ::cfgetospeed(&settings) == B2400);
        QCOMPARE(Exchange(sim.devices()[1], next, next.size() + 8), next + Reply12345);
        QCOMPARE(QDir(openFiles.path()).count(), filesBefore); // the old line's went with it
        sim.stop();                                            // by SIGTERM
        QVERIFY(sim.process().exitStatus() == QProcess::NormalExit &&
                sim.process().exitCode() == 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    // What comes while the other side has the line closed waits for its next open, as on a real
    // line: the chatter at power-up, left unread, and the answer to a read closed at once. (A late
    // answer waits so in the window's and the command line's wire scenarios.)
    void keptForTheNextOpen()
    {
        const QByteArray waiting =
            Transmitter::ChatterBytes.toByteArray() + Read + Hex("FF 00 02 02 02 73 54 33");
        SimulatorProcess sim({"--log", "--no-pacing", "--fault", "chatter"});
        QVERIFY(sim.started());
        const int fd = ::open(QFile::encodeName(sim.device()).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(::write(fd, Read.constData(), size_t(Read.size())) == Read.size() &&
                ::close(fd) == 0);
        QVERIFY(sim.waitForLog("closed") && sim.waitForReplies());
        QCOMPARE(Exchange(sim.device(), {}, waiting.size()), waiting);
    }

    // The other side stops reading and the line fills up; once it reads again the rest follows.
    void fullLineGoesOn()
    {
        SimulatorProcess sim({"--no-pacing"});
        QVERIFY(sim.started());
        const int fd = ::open(QFile::encodeName(sim.device()).constData(), O_RDWR | O_NOCTTY);
        const auto closeFd = qScopeGuard([&] { ::close(fd); });
        const QByteArray sent(40000, 'U'); // twice what a pseudo-terminal holds
        QVERIFY(::write(fd, sent.constData(), size_t(sent.size())) == sent.size());
        QTest::qWait(200); // the line fills while nobody reads
        QCOMPARE(Exchange(sim.device(), {}, sent.size()), sent); // as a second user of the line
    }

    // Each command line, and the one line that says why it is refused, with exit status 2.
    void rejectsBadOptions()
    {
        const QString count = "--fault-count: '%1' is not a number from 1 to 9999 after a --fault";
        for (const auto &[line, error] : QList<std::pair<QString, QString>>{
                 {"--link COM17", "--link: 'COM17' is not a port name from COM1 to COM16"},
                 {"--code +5", "--code: '+5' is not a number from 0 to 65535"},
                 {"--code 5 --off", "--code and --off exclude each other"},
                 {"-code 65536", "--code: '65536' is not a number from 0 to 65535"},
                 {"--version-text K5\u20AC",
                  "--version-text: only Latin-1 characters fit on the line"},
                 {"--fault cut:256", "--fault: unknown fault 'cut:256' (see --help)"},
                 {"--fault slow:2001", "--fault: unknown fault 'slow:2001' (see --help)"},
                 {"--fault late:2001", "--fault: unknown fault 'late:2001' (see --help)"},
                 {"--fault no-reply --fault-count 0", count.arg(0)},
                 {"--fault-count 1", count.arg(1)},
                 {"COM1", "unexpected argument 'COM1'"}}) {
            const Ran ran = RunProcess(K5_SIM_PATH, line.split(u' '));
            QCOMPARE(std::tuple(line, ran.status, ran.out, ran.err),
                     std::tuple(line, 2, QString(), "k5-transmitter-sim: " + error + "\n"));
        }
    }
};

QTEST_GUILESS_MAIN(SimTest)
#include "tst_sim.moc"
