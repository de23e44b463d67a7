// The protocol on a line played by the test with a fake clock: the echo and the reply, each
// within its limit, what each exchange's judge takes from the reply and why it took nothing. And
// the ports that the link opens: their names and the devices they stand for.

#include "exchanges.h"
#include "frame.h"
#include "lineexchange.h"
#include "linefixtures.h"
#include "portmap.h"
#include "portnames.h"
#include "scriptedline.h"
#include "transmitterlink.h"

#include <QTest>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

constexpr std::chrono::nanoseconds ByteTime = LineSettings::ByteTime;
// Each case runs from these instants: a fresh clock, 40 days of uptime (a clock in
// single-precision seconds has quarter-second steps by then), and half the clock's range.
constexpr std::chrono::nanoseconds Origins[] = {0ns, 40 * 24h, std::chrono::nanoseconds::max() / 2};

struct Row
{
    char exchange;    // r read code, w write code, v version: whose request and judge
    QByteArray reply; // what comes after the echo
    // What the judge took, or the fault and how many bytes were kept; then what stayed unread.
    QString judged;
    std::chrono::nanoseconds gap = ByteTime; // before each reply byte; 0: all with the echo
    std::chrono::nanoseconds echoGap = 0ns;  // before each echo byte; 0: all at the start
    int echoLost = 0;                        // echo bytes that never come, from its end
    // A late answer to an earlier request: on the line when the exchange begins, or read while
    // the request still waits in the device. Only what comes after the request went out counts.
    QByteArray waiting{};
    QByteArray beforeSent{};
};

QString Judged(char exchange, const ExchangeResult &result)
{
    ExchangeReport report;
    if (exchange == 'r' && JudgeReadCodeReply(result, &report))
        return report.code ? u"value "_s + QString::number(*report.code) : u"off"_s;
    if (exchange == 'w' && JudgeWriteCodeReply(result, &report))
        return u"confirmed"_s;
    if (exchange == 'v' && JudgeVersionReply(result, &report))
        return u"text "_s + report.text;
    static const QStringList faults = {
        "", "", "", "no echo", "no reply", "broken reply", "bad reply", "wrong reply"};
    return faults.value(int(FaultOf(result, false))) + u' ' + QString::number(result.reply.size());
}

} // namespace

Q_DECLARE_METATYPE(Row)

class LinkTest : public QObject
{
    Q_OBJECT

    // One exchange on one line for every case, one run after another: nothing of the run before
    // stays. The test delivers the bytes that the line brings.
    ScriptedDevice line;
    LinkInstant now;
    int clockReads = 0;
    LineExchange exchange{&line, LinkClock([this] { return ++clockReads, now; })};
    QList<ExchangeResult> results;
    PrivateConfig config;

    static void row(const char *name, const Row &row) { QTest::newRow(name) << row; }
    static QByteArray version(const QByteArray &data) { return Frame::Reply(1, 0, data); }
    // Runs request from start, with waiting on the line before it.
    void run(const QByteArray &request, LinkInstant start, const QByteArray &waiting = {})
    {
        now = start;
        results.clear();
        line.incoming = waiting;
        exchange.run(request, [this](const ExchangeResult &result) { results.append(result); });
    }
    // Delivers the bytes one by one, each gap after the one before.
    void play(const QByteArray &bytes, std::chrono::nanoseconds gap)
    {
        for (const char byte : bytes)
            now += gap, line.deliver(QByteArray(1, byte));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(line.open(QIODevice::ReadWrite | QIODevice::Unbuffered)); }
    void init() { exchange.stop(); }

    void exchanges_data()
    {
        QTest::addColumn<Row>("row");
        const QByteArray worked = Hex("FF 00 02 02 02 30 39 91"); // code 12345
        const QByteArray longest = version("\x01\x02" + QByteArray(32, 'v'));
        const QByteArray tooLong = version(QByteArray(35, 'x'));
        const QByteArray earlier = Frame::ReadCodeRequest() + Frame::Reply(2, 2, Hex("00 07"));
        row("read: FF 00 is a code", {'r', Frame::Reply(2, 2, Hex("FF 00")), "value 65280"});
        row("read: off", {'r', Frame::Reply(2, 2, Hex("FF FF")), "off"});
        row("read: nothing", {'r', {}, "no reply 0"});
        row("read: broken off before the checksum", {'r', worked.first(7), "broken reply 7"});
        row("read: wrong checksum", {'r', Hex("FF 00 02 02 02 30 39 90"), "bad reply 8"});
        row("read: version group", {'r', Frame::Reply(1, 2, "09"), "wrong reply 8"});
        row("read: length 3", {'r', Frame::Reply(2, 2, Hex("30 39 00")), "wrong reply 9"});
        row("read: start 00, sum holds", {'r', Hex("00 00 02 02 02 30 39 90"), "wrong reply 8"});
        row("read: second byte 01", {'r', Hex("FF 01 02 02 02 30 39 90"), "wrong reply 8"});
        // The limit is per byte, counted from the byte before: a reply may take longer in all.
        row("read: each byte exactly at its limit", {'r', worked, "value 12345", 500ms});
        row("read: first byte 1 ns late", {'r', worked, "no reply 0, 7 unread", 500ms + 1ns});
        row("read: echo, reply and stray bytes at once",
            {'r', worked + Hex("55 AA"), "value 12345, 2 unread", 0ns});
        row("read: no echo", {'r', {}, "no echo 0", ByteTime, 0ns, 10});
        row("read: echo without its last byte", {'r', {}, "no echo 0", ByteTime, 0ns, 1});
        // One limit for the whole echo, not one per byte.
        row("read: last echo byte at the limit", {'r', worked, "value 12345", ByteTime, 50ms});
        row("read: last echo byte 10 ns late",
            {'r', worked, "no echo 0, 8 unread", ByteTime, 50ms + 1ns});
        row("read: echo bytes 0.1 s apart", {'r', worked, "no echo 0, 12 unread", ByteTime, 100ms});
        row("read: a late answer waiting on the line",
            {.exchange = 'r', .reply = worked, .judged = "value 12345", .waiting = earlier});
        row("read: a late answer before the request went out",
            {.exchange = 'r', .reply = worked, .judged = "value 12345", .beforeSent = earlier});
        row("write: confirmed", {'w', Frame::Reply(2, 0x12, {}), "confirmed"});
        row("write: length 1", {'w', Frame::Reply(2, 0x12, QByteArray(1, 0)), "wrong reply 7"});
        row("write: version group", {'w', Frame::Reply(1, 0x12, {}), "wrong reply 6"});
        row("version: no data bytes", {'v', version({}), "text "});
        row("version: longest, 40 bytes", {'v', longest, "text " + QString(32, u'v')});
        row("version: length 35 reaches byte 41", {'v', tooLong, "bad reply 40"});
        row("version: length 35 stops at byte 40", {'v', tooLong.first(40), "broken reply 40"});
        row("version: first two bytes are no text", {'v', version("ABC"), "text C"});
        row("version: Windows-1252", {'v', version(Hex("01 02 E9 74 E9 20 FF 80 8A 9F A0")),
                                      u"text \u00E9t\u00E9 \u00FF\u20AC\u0160\u0178\u00A0"_s});
        row("version: bytes Windows-1252 leaves undefined",
            {'v', version(Hex("01 02 81 8D 8F 90 9D")), u"text \uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"_s});
        // Control characters would break the one-line status box.
        row("version: control characters", {'v', version(Hex("01 02 00 0A 0D 1F 7F 41")),
                                            u"text \u2400\u240A\u240D\u241F\u2421A"_s});
        row("version: code group", {'v', Frame::Reply(2, 0, Hex("01 02 41")), "wrong reply 9"});
    }

    void exchanges()
    {
        QFETCH(Row, row);
        const QByteArray request = row.exchange == 'r'   ? Frame::ReadCodeRequest()
                                   : row.exchange == 'w' ? Frame::WriteCodeRequest(0)
                                                         : Frame::ReadVersionRequest();
        const QByteArray echo = request.chopped(row.echoLost);
        for (const std::chrono::nanoseconds origin : Origins) {
            run(request, LinkInstant(origin), row.waiting);
            line.unsent = row.beforeSent.isEmpty() ? 0 : request.size(); // not gone out yet
            line.deliver(row.beforeSent);
            line.unsent = 0;
            line.deliver(row.echoGap > 0ns ? QByteArray()
                                           : echo + (row.gap > 0ns ? "" : row.reply));
            play(row.echoGap > 0ns ? echo : QByteArray(), row.echoGap);
            play(row.gap > 0ns ? row.reply : QByteArray(), row.gap);
            if (results.isEmpty()) {
                // Nothing more comes: in time up to the deadline itself, over just after. The
                // timer that fires at the deadline (a timer may run early, the clock late) makes
                // the exchange wait again, not forget its end.
                now += LineSettings::Limit;
                line.deliver({});
                RunEventLoop(20);
                QCOMPARE(results.size(), 0);
                now += 1ns;
                QVERIFY(QTest::qWaitFor([&] { return !results.isEmpty(); }, PatienceMs));
            }
            const qsizetype unread = line.incoming.size();
            const QString left = unread ? u", %1 unread"_s.arg(unread) : QString();
            QCOMPARE(Judged(row.exchange, results.constFirst()) + left, row.judged);
            line.deliver(Hex("55")); // after the end nothing is read, and done runs no more
            QCOMPARE(results.size(), 1);
            QVERIFY(!exchange.running());
        }
    }

    // Waiting wakes for nothing: for the echo and for a reply byte the exchange sleeps until a
    // byte comes or its deadline. Deadlines past the clock's largest instant are held there, not
    // wrapped around into the past.
    void waitingSleeps()
    {
        run(Frame::ReadCodeRequest(), LinkInstant::max() - 100ms);
        // The echo comes 50 ms later, the reply's first byte with it; then the clock's end.
        for (const auto &[bytes, next] :
             {std::pair(QByteArray(), LinkInstant::max() - 50ms),
              {Frame::ReadCodeRequest() + Hex("FF"), LinkInstant::max()}}) {
            line.deliver(bytes);
            const int reads = clockReads;
            RunEventLoop(30);
            QCOMPARE(clockReads, reads);
            now = next;
        }
        line.deliver({});
        RunEventLoop(20);
        QVERIFY(results.isEmpty());
    }

    // Stray bytes that follow a reply come once its exchange has ended: the next exchange, asked
    // for even 1 ms before the line has settled, opens the port when they are in, and its open
    // discards them.
    void strayBytesAfterAReplyGoWithTheNextOpen()
    {
        auto *scripted = new ScriptedLine;
        now = {};
        TransmitterLink link(scripted, [this] { return now; });
        QList<std::optional<std::int32_t>> codes; // what each read found
        const QByteArray answer = Frame::ReadCodeRequest() + Frame::Reply(2, 2, Hex("30 39"));
        QVERIFY(link.readCode({1, {}}, [&](const ExchangeReport &r) { codes << r.code; }));
        // A call while an exchange runs is refused, and its done never runs.
        QVERIFY(!link.readVersion({1, {}}, [&](const ExchangeReport &) { codes << -1; }));
        scripted->scripted().deliver(answer);
        now += LineSettings::Settle - 1ms;
        QVERIFY(link.readCode({1, {}}, [&](const ExchangeReport &r) { codes << r.code; }));
        scripted->scripted().deliver(Hex("55 AA 00")); // the first reply's
        QTRY_VERIFY(scripted->device()->isOpen());
        scripted->scripted().deliver(answer);
        QCOMPARE(codes, (QList<std::optional<std::int32_t>>{12345, 12345}));
    }

    // Only COM1 to COM16 name a port; the window takes any other text for COM1.
    void portNumbers()
    {
        for (const auto &[text, number] :
             {std::pair(u"COM1", 1), {u"COM16", 16}, {u"COM17", 1}, {u"COM16x", 1}, {u"COM0", 1}})
            QCOMPARE(PortNumberFromText(text), number);
    }

    // A port's link may lead through another link, such as the stable name that map makes: the
    // device is its real path, the one that the exclusive open locks.
    void linksLeadToTheDevice()
    {
        const QDir dir(config.path());
        const QString device = dir.filePath("ttyFAKE0"), byId = dir.filePath("by-id/usb-FAKE-if00");
        QVERIFY(QFile(device).open(QIODevice::WriteOnly) && dir.mkpath("by-id"));
        QVERIFY(QFile::link(device, byId) && QFile::link(byId, config.portLink("COM3")));
        QCOMPARE(DevicePathForPort(3), device);
        QCOMPARE(StableDeviceName(device, dir.filePath("by-id")), byId);
    }
};

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"
