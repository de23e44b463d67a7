// An exchange on a scripted line with a fake clock: what goes out, what is taken and when it ends.

#include "frame.h"
#include "lineexchange.h"

#include <QIODevice>
#include <QTest>

#include <chrono>
#include <cstring>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(Reception)

namespace {

// A line played by the test: every write is recorded on its own, and the bytes the test delivers
// are read as they come, one read at a time.
class ScriptedLine : public QIODevice
{
public:
    ScriptedLine() { open(QIODevice::ReadWrite | QIODevice::Unbuffered); }

    void deliver(const QByteArray &bytes)
    {
        unread.append(bytes);
        Q_EMIT readyRead();
    }
    bool isSequential() const override { return true; }

    QByteArray unread;
    QByteArrayList writes;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 size = std::min<qint64>(maxSize, unread.size());
        std::memcpy(data, unread.constData(), size_t(size));
        unread.remove(0, size);
        return size;
    }
    qint64 writeData(const char *data, qint64 size) override
    {
        writes.append(QByteArray(data, size));
        return size;
    }
};

// Bytes that follow a reply on a noisy line.
const QByteArray Stray = QByteArray::fromHex("55 AA");

} // namespace

class LinkLineExchangeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exchange_data()
    {
        QTest::addColumn<QByteArrayList>("arrivals"); // what the line delivers, 4 ms apart
        QTest::addColumn<bool>("hangsUp");            // the line closes after the last arrival
        QTest::addColumn<bool>("echoComplete");
        QTest::addColumn<Reception>("reception");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("unread");

        const QByteArray request = Frame::ReadCodeRequest();
        const QByteArray reply = QByteArray::fromHex("FF 00 02 02 02 30 39 91");
        QTest::newRow("echo, reply and stray bytes at once")
            << QByteArrayList{request + reply + Stray} << false << true << Reception::Complete
            << reply << Stray;
        QTest::newRow("line hangs up in the middle of the reply")
            << QByteArrayList{request, reply.left(3)} << true << true << Reception::TimedOut
            << reply.left(3) << QByteArray();
        QTest::newRow("echo lacks its last byte")
            << QByteArrayList{request.chopped(1)} << false << false << Reception::TimedOut
            << QByteArray() << QByteArray();
    }

    void exchange()
    {
        QFETCH(QByteArrayList, arrivals);
        QFETCH(bool, hangsUp);
        QFETCH(bool, echoComplete);
        QFETCH(Reception, reception);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, unread);

        ScriptedLine line;
        LinkInstant now{};
        LineExchange exchange(&line, [&now] { return now; });
        QList<ExchangeResult> results;
        const QByteArray request = Frame::ReadCodeRequest();
        exchange.run(request, [&](const ExchangeResult &result) { results.append(result); });

        QByteArrayList bytes;
        for (const char b : request)
            bytes.append(QByteArray(1, b));
        QCOMPARE(line.writes, bytes);

        for (const QByteArray &arrival : arrivals) {
            now += 4ms;
            line.deliver(arrival);
        }
        if (hangsUp)
            line.close();
        // Nothing more comes: the wait in progress runs out at its deadline.
        now += 1s;
        QTRY_COMPARE(results.size(), 1);
        QCOMPARE(results[0].echoComplete, echoComplete);
        QCOMPARE(results[0].reception, reception);
        QCOMPARE(results[0].reply, reply);
        QCOMPARE(line.unread, unread);

        // After the end nothing more is read, and done does not run again.
        line.deliver(Stray);
        QCOMPARE(line.unread, unread + Stray);
        QCOMPARE(results.size(), 1);
        QVERIFY(!exchange.running());
    }

    // A timer that fires before the clock has reached the deadline (a timer may run early, the
    // clock late) makes the exchange wait again, not forget its end.
    void timerAheadOfTheClock()
    {
        ScriptedLine line;
        LinkInstant now{};
        LineExchange exchange(&line, [&now] { return now; });
        int ended = 0;
        exchange.run(Frame::ReadCodeRequest(), [&](const ExchangeResult &) { ++ended; });
        QTest::qWait(600); // the echo's 0.5 s timer has fired; by the clock no time has passed
        QCOMPARE(ended, 0);
        now += 1s;
        QTRY_COMPARE(ended, 1);
    }
};

QTEST_GUILESS_MAIN(LinkLineExchangeTest)
#include "tst_link_lineexchange.moc"
