// The request frames that the simulated transmitter finds in the byte stream of its line.

#include "frame.h"
#include "requestparser.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Feeds the stream byte by byte; a frame that does not stand in the stream at its position shows
// as "misplaced".
QByteArrayList feedAll(RequestParser &parser, const QByteArray &stream)
{
    QByteArrayList frames;
    for (const char byte : stream)
        for (const RequestFrame &frame : parser.feed(std::uint8_t(byte)))
            frames << (stream.mid(frame.position, frame.bytes.size()) == frame.bytes ? frame.bytes
                                                                                     : "misplaced");
    return frames;
}

const QByteArray readCode = hex("00 FF 01 02 02 03 01 00 02 F5");
const QByteArray readVersion = hex("00 FF 01 01 00 00 FE");

} // namespace

class RequestParserTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frames_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArrayList>("expected");

        const auto row = [](const char *name, const QByteArray &stream,
                            const QByteArrayList &expected) {
            QTest::newRow(name) << stream << expected;
        };
        const QByteArray write255 = hex("00 FF 01 02 12 04 01 00 00 FF E7"); // 00 FF in the data
        const QByteArray longest = Frame::Request(0x02, 0x02, QByteArray(255, 0x11));

        row("three frames back to back", readCode + write255 + readVersion,
            {readCode, write255, readVersion});
        row("garbage before", hex("12 34 FF 00 55 FF") + readCode, {readCode});
        row("bad checksum, then a frame", hex("00 FF 01 02 02 03 01 00 02 F6") + readVersion,
            {readVersion});
        row("header not 01", hex("00 FF 02 02 02 03 01 00 02 F4"), {});
        row("truncated, then whole", readCode.first(7) + readCode, {readCode});
        row("frame begun inside a failed one", hex("00 FF 01 02 02 05") + readVersion,
            {readVersion});
        row("frame wholly inside a failed one",
            hex("00 FF 01 02 02 14") + readVersion + QByteArray(13, 0x11) + hex("00"),
            {readVersion});
        row("longest frame", longest, {longest});
    }

    void frames()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArrayList, expected);

        RequestParser parser;
        QCOMPARE(feedAll(parser, stream), expected);
        QCOMPARE(parser.position(), stream.size());
    }

    // Whatever it is fed, the parser holds at most one frame's worth of bytes.
    void holdsAtMostOneFrame()
    {
        RequestParser parser;
        QRandomGenerator random(20240601);
        // Each start announces 255 data bytes, and the next start falls inside them.
        const QByteArray pattern = hex("00 FF 01 02 02 FF 00 FF 01");
        for (int i = 0; i < 100000; ++i) {
            parser.feed(i < 50000 ? uchar(pattern[i % pattern.size()])
                                  : uchar(random.bounded(256)));
            QVERIFY(parser.pendingSize() <= RequestParser::MaxFrameSize);
        }
    }

    void resetForgetsPartialFrame()
    {
        RequestParser parser;
        feedAll(parser, readCode.first(6));
        parser.reset();
        // The rest of the old frame makes no frame; the next is found, its position counted anew.
        QCOMPARE(feedAll(parser, readCode.sliced(6) + readVersion), QByteArrayList{readVersion});
    }
};

QTEST_APPLESS_MAIN(RequestParserTest)
#include "tst_sim_requestparser.moc"
