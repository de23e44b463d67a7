// The echo removal and the reply reception, fed byte by byte at chosen instants of a fake clock.

#include "echoremoval.h"
#include "replyreception.h"

#include <QRandomGenerator>
#include <QTest>

#include <chrono>
#include <limits>

using namespace std::chrono_literals;
using std::chrono::nanoseconds;

Q_DECLARE_METATYPE(Reception)

namespace {

LinkInstant At(qint64 ns)
{
    return LinkInstant(nanoseconds(ns));
}

// 40 days of uptime: a clock in single-precision seconds has steps of a quarter second by then.
constexpr qint64 DaysOfUptime = qint64(40) * 24 * 3600 * 1'000'000'000;
constexpr qint64 HalfOfInt64 = std::numeric_limits<qint64>::max() / 2;

QByteArray Stored(const LinkVariables &v, int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes.append(char(v.ReplyBytes[std::size_t(i)]));
    return bytes;
}

// A reply with the length byte n and n data bytes 0..n-1, checksum as the transmitter makes it.
QByteArray ReplyWithLength(int n, int dataBytes)
{
    QByteArray reply = QByteArray::fromHex("FF 00 01 00");
    reply.append(char(n));
    unsigned sum = 1 + n;
    for (int i = 0; i < dataBytes; ++i) {
        reply.append(char(i));
        sum += unsigned(i);
    }
    reply.append(char((256 - sum % 256) % 256));
    return reply;
}

} // namespace

class LinkReceptionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reception_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("spacing"); // ns from the start (or previous byte) to a read
        QTest::addColumn<int>("lateByte");   // 1-based byte read late, 0 for none
        QTest::addColumn<qint64>("lateBy");  // how far past its deadline that byte is read
        QTest::addColumn<Reception>("status");
        QTest::addColumn<int>("storedCount"); // ReplyBytes(1..storedCount) hold the bytes
        QTest::addColumn<int>("rxIndex");

        const qint64 byteTime = 4'166'667; // one byte at 2400 baud
        const auto worked = QByteArray::fromHex("FF 00 02 02 02 30 39 91");

        QTest::newRow("worked example, code 12345")
            << worked << byteTime << 0 << qint64(0) << Reception::Complete << 8 << 9;
        QTest::newRow("write confirmation") << QByteArray::fromHex("FF 00 02 12 00 EC") << byteTime
                                            << 0 << qint64(0) << Reception::Complete << 6 << 7;
        QTest::newRow("length 0 is judged on its checksum alone")
            << QByteArray::fromHex("FF 00 01 00 00 FF") << byteTime << 0 << qint64(0)
            << Reception::Complete << 6 << 7;
        QTest::newRow("length 0 with a wrong checksum")
            << QByteArray::fromHex("FF 00 01 00 00 FE") << byteTime << 0 << qint64(0)
            << Reception::BadFrame << 6 << 7;
        QTest::newRow("version ABC")
            << QByteArray::fromHex("FF 00 01 00 05 01 02 41 42 43 31") << byteTime << 0 << qint64(0)
            << Reception::Complete << 11 << 12;
        QTest::newRow("altered data byte")
            << QByteArray::fromHex("FF 00 02 02 02 30 38 91") << byteTime << 0 << qint64(0)
            << Reception::BadFrame << 8 << 9;
        QTest::newRow("altered group byte")
            << QByteArray::fromHex("FF 00 01 02 02 30 39 91") << byteTime << 0 << qint64(0)
            << Reception::BadFrame << 8 << 9;
        QTest::newRow("checksum byte off by one")
            << QByteArray::fromHex("FF 00 02 02 02 30 39 92") << byteTime << 0 << qint64(0)
            << Reception::BadFrame << 8 << 9;
        // The count starts at 255, so a reply that does not start with FF fails unless its
        // bytes happen to add up; the exchanges reject it by its first byte anyway.
        QTest::newRow("start byte 00, sum does not hold")
            << QByteArray::fromHex("00 00 02 02 02 30 39 91") << byteTime << 0 << qint64(0)
            << Reception::BadFrame << 8 << 9;
        QTest::newRow("start byte 00, sum holds")
            << QByteArray::fromHex("00 00 02 02 02 30 39 90") << byteTime << 0 << qint64(0)
            << Reception::Complete << 8 << 9;

        QTest::newRow("no reply") << QByteArray() << byteTime << 0 << qint64(0)
                                  << Reception::TimedOut << 0 << 1;
        QTest::newRow("cut after 1 byte")
            << worked.left(1) << byteTime << 0 << qint64(0) << Reception::TimedOut << 1 << 2;
        QTest::newRow("cut after the length byte")
            << worked.left(5) << byteTime << 0 << qint64(0) << Reception::TimedOut << 5 << 6;
        QTest::newRow("cut before the checksum")
            << worked.left(7) << byteTime << 0 << qint64(0) << Reception::TimedOut << 7 << 8;

        QTest::newRow("each byte in time though the whole takes 3 s")
            << worked << qint64(400'000'000) << 0 << qint64(0) << Reception::Complete << 8 << 9;
        QTest::newRow("byte read exactly at its limit")
            << worked << byteTime << 3 << qint64(0) << Reception::Complete << 8 << 9;
        QTest::newRow("byte read 1 ns after its limit")
            << worked << byteTime << 3 << qint64(1) << Reception::TimedOut << 2 << 3;
        QTest::newRow("first byte read 1 ms after its limit")
            << worked << byteTime << 1 << qint64(1'000'000) << Reception::TimedOut << 0 << 1;
        QTest::newRow("checksum byte 1 ns late")
            << worked << byteTime << 8 << qint64(1) << Reception::TimedOut << 7 << 8;

        QTest::newRow("length 34 fills index 40") << ReplyWithLength(34, 34) << byteTime << 0
                                                  << qint64(0) << Reception::Complete << 40 << 41;
        QTest::newRow("length 35 reaches index 41") << ReplyWithLength(35, 35) << byteTime << 0
                                                    << qint64(0) << Reception::BadFrame << 40 << 41;
        QTest::newRow("length 35 stops at index 40")
            << ReplyWithLength(35, 35).left(40) << byteTime << 0 << qint64(0) << Reception::TimedOut
            << 40 << 41;
        QTest::newRow("length 255 streams on") << ReplyWithLength(255, 255) << byteTime << 0
                                               << qint64(0) << Reception::BadFrame << 40 << 41;
        QTest::newRow("length 35, byte 41 late") << ReplyWithLength(35, 35) << byteTime << 41
                                                 << qint64(1) << Reception::TimedOut << 40 << 41;
    }

    void reception()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, spacing);
        QFETCH(int, lateByte);
        QFETCH(qint64, lateBy);
        QFETCH(Reception, status);
        QFETCH(int, storedCount);
        QFETCH(int, rxIndex);

        for (const qint64 origin : {qint64(0), DaysOfUptime, HalfOfInt64}) {
            LinkVariables v;
            v.ReplyBytes.fill(77); // left over from an earlier exchange
            ReplyReception reception(v);
            qint64 now = origin;
            reception.start(At(now));
            QVERIFY(!reception.finished());
            for (int i = 0; i < bytes.size() && !reception.finished(); ++i) {
                now += spacing;
                if (i + 1 == lateByte)
                    now = reception.deadline().time_since_epoch().count() + lateBy;
                reception.take(uchar(bytes[i]), At(now));
            }
            if (!reception.finished()) {
                // Nothing more comes: in time up to the deadline itself, timed out just after.
                QVERIFY(!reception.expire(reception.deadline()));
                QCOMPARE(reception.deadline(), LinkInstant(v.WaitStart) + 500ms);
                QVERIFY(reception.expire(reception.deadline() + 1ns));
                QVERIFY(v.RxText.isEmpty());
            }
            QCOMPARE(reception.status(), status);
            QCOMPARE(v.FrameSum, qint16(status));
            QCOMPARE(Stored(v, storedCount), bytes.left(storedCount));
            for (int i = storedCount + 1; i < ReplyBytesSize; ++i)
                QCOMPARE(v.ReplyBytes[std::size_t(i)], qint16(0));
            QCOMPARE(v.ReplyBytes[0], qint16(0));
            QCOMPARE(v.RxIndex, qint16(rxIndex));

            // Whatever comes after the end is not taken.
            const auto before = v.ReplyBytes;
            QVERIFY(reception.take(0x55, At(now + 1)));
            QVERIFY(reception.expire(At(now + 1'000'000'000)));
            QCOMPARE(v.ReplyBytes, before);
            QCOMPARE(v.FrameSum, qint16(status));
        }
    }

    void workedExampleRunningSum()
    {
        LinkVariables v;
        ReplyReception reception(v);
        reception.start(At(DaysOfUptime));
        QCOMPARE(v.FrameSum, qint16(255));
        const QByteArray bytes = QByteArray::fromHex("FF 00 02 02 02 30 39 91");
        const QList<qint16> sums{0, 0, 254, 252, 250, 202, 145};
        qint64 now = DaysOfUptime;
        for (int i = 0; i < 7; ++i) {
            now += 4'000'000;
            QVERIFY(!reception.take(uchar(bytes[i]), At(now)));
            QCOMPARE(v.FrameSum, sums[i]);
            QCOMPARE(v.RxIndex, qint16(i + 2));
            QCOMPARE(v.WaitStart, At(now)); // the next byte's limit counts from here
            QCOMPARE(v.RxText, bytes.mid(i, 1));
        }
        QVERIFY(reception.take(0x91, At(now + 4'000'000)));
        QCOMPARE(v.FrameSum, qint16(0));
        QCOMPARE(v.ReplyBytes[6], qint16(0x30));
        QCOMPARE(v.ReplyBytes[7], qint16(0x39));
        QCOMPARE(v.ReplyBytes[8], qint16(0x91));
    }

    // The clock's largest instants: the limit is held at the end of the clock, not wrapped
    // around into the past.
    void clockNearItsEnd()
    {
        constexpr qint64 max = std::numeric_limits<qint64>::max();
        LinkVariables v;
        ReplyReception reception(v);
        reception.start(At(max - 100'000'000));
        QCOMPARE(reception.deadline(), LinkInstant::max());
        QVERIFY(!reception.take(0xFF, At(max - 50'000'000)));
        QVERIFY(!reception.expire(At(max)));
        QCOMPARE(v.RxIndex, qint16(2));

        EchoRemoval echo(v);
        echo.start(2, At(max));
        QVERIFY(!echo.take(0x00, At(max)));
        QVERIFY(echo.take(0xFF, At(max)));
        QVERIFY(echo.complete());
    }

    // Bytes before the start are nobody's: nothing is stored and nothing counts as complete.
    void nothingTakenBeforeStart()
    {
        LinkVariables v;
        ReplyReception reception(v);
        QVERIFY(reception.take(0xFF, At(0)));
        QVERIFY(reception.expire(At(0)));
        QCOMPARE(reception.status(), Reception::TimedOut);
        QCOMPARE(v.ReplyBytes, LinkVariables().ReplyBytes);
        QCOMPARE(v.RxIndex, qint16(0));

        EchoRemoval echo(v);
        QVERIFY(echo.take(0x00, At(0)));
        QVERIFY(!echo.complete());
        QCOMPARE(v.RxIndex, qint16(0));
    }

    void echo_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("arriving"); // bytes read
        QTest::addColumn<qint64>("spacing");
        QTest::addColumn<qint64>("lastLateBy"); // the last byte read this far past the deadline
        QTest::addColumn<bool>("complete");
        QTest::addColumn<int>("rxIndex");

        const qint64 byteTime = 4'166'667;
        const qint64 none = std::numeric_limits<qint64>::min();
        QTest::newRow("read code echo") << 10 << 10 << byteTime << none << true << 11;
        QTest::newRow("write code echo") << 11 << 11 << byteTime << none << true << 12;
        QTest::newRow("version echo") << 7 << 7 << byteTime << none << true << 8;
        QTest::newRow("no echo") << 10 << 0 << byteTime << none << false << 1;
        QTest::newRow("echo lacks its last byte") << 10 << 9 << byteTime << none << false << 10;
        QTest::newRow("last byte exactly at the limit")
            << 10 << 10 << byteTime << qint64(0) << true << 11;
        QTest::newRow("last byte 1 ns after the limit")
            << 10 << 10 << byteTime << qint64(1) << false << 10;
        QTest::newRow("last byte 1 ms after the limit")
            << 7 << 7 << byteTime << qint64(1'000'000) << false << 7;
        // One limit for the whole echo, not one per byte.
        QTest::newRow("each byte 100 ms after the one before")
            << 10 << 10 << qint64(100'000'000) << none << false << 6;
    }

    void echo()
    {
        QFETCH(int, length);
        QFETCH(int, arriving);
        QFETCH(qint64, spacing);
        QFETCH(qint64, lastLateBy);
        QFETCH(bool, complete);
        QFETCH(int, rxIndex);

        for (const qint64 origin : {qint64(0), DaysOfUptime, HalfOfInt64}) {
            LinkVariables v;
            EchoRemoval echo(v);
            echo.start(length, At(origin));
            QCOMPARE(v.WaitStart, At(origin));
            QCOMPARE(echo.deadline(), At(origin) + 500ms);
            qint64 now = origin;
            for (int i = 1; i <= arriving && !echo.finished(); ++i) {
                now += spacing;
                if (i == arriving && lastLateBy != std::numeric_limits<qint64>::min())
                    now = origin + 500'000'000 + lastLateBy;
                echo.take(uchar(0xA0 + i), At(now)); // the bytes themselves do not matter
                QCOMPARE(v.WaitStart, At(origin));   // taken once for the whole echo
            }
            if (!echo.finished()) {
                QVERIFY(!echo.expire(echo.deadline()));
                QVERIFY(echo.expire(echo.deadline() + 1ns));
            }
            QVERIFY(echo.finished());
            QCOMPARE(echo.complete(), complete);
            QCOMPARE(v.RxIndex, qint16(rxIndex));
            // After the end, nothing changes any more.
            QVERIFY(echo.take(0x00, At(now)));
            QCOMPARE(echo.complete(), complete);
            QCOMPARE(v.RxIndex, qint16(rxIndex));
        }
    }

    // Arbitrary bytes at arbitrary instants: the reception stays inside ReplyBytes, ends with a
    // status of 0, 1 or 2, and calls a reply complete only when its checksum rule holds.
    void arbitraryInput()
    {
        QRandomGenerator random(20240605);
        for (int run = 0; run < 20000; ++run) {
            LinkVariables v;
            ReplyReception reception(v);
            qint64 now = qint64(random.generate64() >> 2) - (qint64(1) << 60);
            reception.start(At(now));
            QByteArray fed;
            const bool shortLength = random.bounded(2) == 0;
            while (!reception.finished() && fed.size() < 300) {
                uchar byte = uchar(random.bounded(256));
                if (fed.size() == 4 && shortLength)
                    byte = uchar(random.bounded(36));
                now += random.bounded(2) ? qint64(random.bounded(510'000'000))
                                         : -qint64(random.bounded(1000));
                fed.append(char(byte));
                reception.take(byte, At(now));
                QVERIFY(v.RxIndex >= 1 && v.RxIndex <= ReplyBytesSize);
            }
            if (!reception.finished())
                reception.expire(LinkInstant::max());
            QVERIFY(reception.finished());
            QVERIFY(v.FrameSum >= 0 && v.FrameSum <= 2);
            if (reception.status() == Reception::Complete) {
                const int last = v.ReplyBytes[5] + 6;
                QVERIFY(last <= LastReplyIndex);
                QCOMPARE(fed.size(), last);
                unsigned sum = 0;
                for (int i = 1; i <= last; ++i)
                    sum += unsigned(v.ReplyBytes[std::size_t(i)]);
                QCOMPARE(sum % 256, 255u);
            }
        }
    }
};

QTEST_GUILESS_MAIN(LinkReceptionTest)
#include "tst_link_reception.moc"
