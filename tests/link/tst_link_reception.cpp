// The echo removal and the reply reception, fed byte by byte at chosen instants of a fake clock.

#include "echoremoval.h"
#include "frame.h"
#include "replyreception.h"

#include <QTest>

#include <chrono>
#include <limits>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(Reception)

namespace {

LinkInstant At(qint64 ns)
{
    return LinkInstant(std::chrono::nanoseconds(ns));
}

constexpr qint64 ByteTime = 4'166'667; // one byte at 2400 baud
// Each case runs from these instants: a fresh clock, 40 days of uptime (a clock in
// single-precision seconds has quarter-second steps by then), and half the clock's range.
constexpr qint64 Origins[] = {0, qint64(40) * 24 * 3600 * 1'000'000'000,
                              std::numeric_limits<qint64>::max() / 2};

} // namespace

class LinkReceptionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reception_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("spacing"); // ns from the start, then from each byte, to the next
        QTest::addColumn<Reception>("status");
        QTest::addColumn<int>("stored"); // the first `stored` bytes are kept

        using R = Reception;
        const auto worked = QByteArray::fromHex("FF 00 02 02 02 30 39 91");
        const auto row = [](const char *name, const QByteArray &bytes, R status, int stored,
                            qint64 spacing = ByteTime) {
            QTest::newRow(name) << bytes << spacing << status << stored;
        };
        row("worked example, code 12345", worked, R::Complete, 8);
        row("length 0", QByteArray::fromHex("FF 00 01 00 00 FF"), R::Complete, 6);
        row("altered data byte", QByteArray::fromHex("FF 00 02 02 02 30 38 91"), R::BadFrame, 8);
        row("no reply", {}, R::TimedOut, 0);
        row("cut before the checksum", worked.left(7), R::TimedOut, 7);
        // The limit is per byte, counted from the byte before: a reply may take longer in all.
        row("each byte exactly at its limit", worked, R::Complete, 8, 500'000'000);
        row("first byte 1 ns after its limit", worked, R::TimedOut, 0, 500'000'001);
        row("length 34, 40 bytes", Frame::Reply(1, 0, QByteArray(34, 'x')), R::Complete, 40);
        row("length 35 reaches byte 41", Frame::Reply(1, 0, QByteArray(35, 'x')), R::BadFrame, 40);
        row("length 35 stops at byte 40", Frame::Reply(1, 0, QByteArray(35, 'x')).left(40),
            R::TimedOut, 40);
    }

    void reception()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, spacing);
        QFETCH(Reception, status);
        QFETCH(int, stored);

        for (const qint64 origin : Origins) {
            ReplyReception reception;
            qint64 now = origin;
            reception.start(At(now));
            reception.take(0x77, At(now)); // an earlier reply's byte, forgotten at the next start
            reception.start(At(now));
            for (int i = 0; i < bytes.size() && !reception.finished(); ++i)
                reception.take(uchar(bytes[i]), At(now += spacing));
            if (!reception.finished()) {
                // Nothing more comes: in time up to the deadline itself, timed out just after.
                QCOMPARE(reception.deadline(), At(now) + 500ms);
                QVERIFY(!reception.expire(reception.deadline()));
                QVERIFY(reception.expire(reception.deadline() + 1ns));
            }
            QCOMPARE(reception.status(), status);
            QCOMPARE(reception.bytes(), bytes.left(stored));

            // Whatever comes after the end is not taken.
            QVERIFY(reception.take(0x55, At(now + 1)));
            QCOMPARE(reception.bytes(), bytes.left(stored));
            QCOMPARE(reception.status(), status);
        }
    }

    // The limit is held at the clock's largest instant, not wrapped around into the past.
    void clockNearItsEnd()
    {
        constexpr qint64 max = std::numeric_limits<qint64>::max();
        ReplyReception reception;
        reception.start(At(max - 100'000'000));
        QCOMPARE(reception.deadline(), LinkInstant::max());
        QVERIFY(!reception.take(0xFF, At(max - 50'000'000)));
        QVERIFY(!reception.expire(At(max)));

        EchoRemoval echo;
        echo.start(2, At(max));
        QVERIFY(!echo.take(At(max)));
        QVERIFY(echo.take(At(max)));
        QVERIFY(echo.complete());
    }

    void echo_data()
    {
        QTest::addColumn<int>("arriving"); // of 10 bytes sent
        QTest::addColumn<qint64>("spacing");
        QTest::addColumn<int>("endsAt"); // the byte whose read ends the echo; 0: it runs out
        QTest::addColumn<bool>("complete");

        QTest::newRow("whole echo") << 10 << ByteTime << 10 << true;
        QTest::newRow("no echo") << 0 << ByteTime << 0 << false;
        QTest::newRow("last byte exactly at the limit") << 10 << 50'000'000LL << 10 << true;
        QTest::newRow("last byte 10 ns after the limit") << 10 << 50'000'001LL << 10 << false;
        // One limit for the whole echo, not one per byte.
        QTest::newRow("bytes 100 ms apart") << 10 << 100'000'000LL << 6 << false;
    }

    void echo()
    {
        QFETCH(int, arriving);
        QFETCH(qint64, spacing);
        QFETCH(int, endsAt);
        QFETCH(bool, complete);

        for (const qint64 origin : Origins) {
            EchoRemoval echo;
            echo.start(10, At(origin));
            int endedAt = 0;
            for (int i = 1; i <= arriving && endedAt == 0; ++i) {
                if (echo.take(At(origin + i * spacing)))
                    endedAt = i;
            }
            if (endedAt == 0) {
                QVERIFY(!echo.expire(At(origin) + 500ms));
                QVERIFY(echo.expire(At(origin) + 500ms + 1ns));
            }
            QCOMPARE(endedAt, endsAt);
            QCOMPARE(echo.complete(), complete);
        }
    }
};

QTEST_GUILESS_MAIN(LinkReceptionTest)
#include "tst_link_reception.moc"
