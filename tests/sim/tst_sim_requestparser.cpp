#include "frame.h"
#include "requestparser.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArrayList feedAll(RequestParser &parser, const QByteArray &stream)
{
    QByteArrayList frames;
    for (const char byte : stream) {
        for (const RequestFrame &frame : parser.feed(static_cast<std::uint8_t>(byte)))
            frames.append(frame.bytes);
    }
    return frames;
}

const QByteArray readCode = hex("00 FF 01 02 02 03 01 00 02 F5");
const QByteArray readVersion = hex("00 FF 01 01 00 00 FE");

} // namespace

class RequestParserTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frames_data();
    void frames();
    void fieldsAndPositions();
    void holdsAtMostOneFrame_data();
    void holdsAtMostOneFrame();
    void resetForgetsPartialFrame();
};

void RequestParserTest::frames_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArrayList>("expected");

    const QByteArray writeCode = hex("00 FF 01 02 12 04 01 00 30 39 7D");
    const QByteArray unknownCommand = hex("00 FF 01 02 05 00 F8");
    QByteArray longest = Frame::Request(hex("01 02 02 FF") + QByteArray(255, '\x11'));

    QTest::newRow("empty stream") << QByteArray() << QByteArrayList{};
    QTest::newRow("read code") << readCode << QByteArrayList{readCode};
    QTest::newRow("write code") << writeCode << QByteArrayList{writeCode};
    QTest::newRow("read version") << readVersion << QByteArrayList{readVersion};
    QTest::newRow("three frames back to back")
        << readCode + writeCode + readVersion << QByteArrayList{readCode, writeCode, readVersion};
    QTest::newRow("garbage before")
        << hex("12 34 FF 00 55 FF") + readCode << QByteArrayList{readCode};
    QTest::newRow("garbage between")
        << readCode + hex("FF FF 00 00") + readVersion << QByteArrayList{readCode, readVersion};
    QTest::newRow("bad checksum") << hex("00 FF 01 02 02 03 01 00 02 F6") << QByteArrayList{};
    QTest::newRow("bad checksum, then a good frame")
        << hex("00 FF 01 02 02 03 01 00 02 F6") + readVersion << QByteArrayList{readVersion};
    QTest::newRow("unknown command is a frame all the same")
        << unknownCommand << QByteArrayList{unknownCommand};
    QTest::newRow("header not 01") << hex("00 FF 02 02 02 03 01 00 02 F4") << QByteArrayList{};
    QTest::newRow("checksum 00") << hex("00 FF 01 02 FD 00 00")
                                 << QByteArrayList{hex("00 FF 01 02 FD 00 00")};
    QTest::newRow("00 FF inside garbage")
        << hex("00 FF 00 FF") + readVersion << QByteArrayList{readVersion};
    QTest::newRow("lead doubled") << hex("00") + readVersion << QByteArrayList{readVersion};
    QTest::newRow("00 FF in the data stays data")
        << hex("00 FF 01 02 12 04 01 00 00 FF E7")
        << QByteArrayList{hex("00 FF 01 02 12 04 01 00 00 FF E7")};
    QTest::newRow("truncated") << readCode.first(8) << QByteArrayList{};
    QTest::newRow("truncated, then complete")
        << readCode.first(7) + readCode << QByteArrayList{readCode};
    QTest::newRow("truncated version, then read code")
        << readVersion.first(5) + readCode << QByteArrayList{readCode};
    QTest::newRow("frame begun inside a failed one")
        << hex("00 FF 01 02 02 05") + readVersion << QByteArrayList{readVersion};
    QTest::newRow("frame wholly inside a failed one")
        << hex("00 FF 01 02 02 14") + readVersion + QByteArray(13, '\x11') + hex("00")
        << QByteArrayList{readVersion};
    QTest::newRow("a reply is no request") << hex("FF 00 02 02 02 73 54 33") << QByteArrayList{};
    QTest::newRow("longest frame") << longest << QByteArrayList{longest};
}

void RequestParserTest::frames()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArrayList, expected);

    RequestParser parser;
    QCOMPARE(feedAll(parser, stream), expected);
    QCOMPARE(parser.position(), stream.size());
}

void RequestParserTest::fieldsAndPositions()
{
    RequestParser parser;
    QList<RequestFrame> frames;
    for (const char byte :
         hex("12 34") + readCode + hex("56") + hex("00 FF 01 02 12 04 01 00 30 39 7D"))
        frames.append(parser.feed(static_cast<std::uint8_t>(byte)));

    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[0].group, Frame::CodeGroup);
    QCOMPARE(frames[0].command, Frame::ReadCodeCommand);
    QCOMPARE(frames[0].data, hex("01 00 02"));
    QCOMPARE(frames[0].position, 2);
    QCOMPARE(frames[1].command, Frame::WriteCodeCommand);
    QCOMPARE(frames[1].data, hex("01 00 30 39"));
    QCOMPARE(frames[1].position, 13);
    QCOMPARE(parser.pendingSize(), 0);
}

void RequestParserTest::holdsAtMostOneFrame_data()
{
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<bool>("random");

    QTest::newRow("random bytes") << QByteArray() << true;
    QTest::newRow("leads only") << hex("00") << false;
    QTest::newRow("00 FF pairs") << hex("00 FF") << false;
    // Each start announces 255 data bytes, and the next start falls inside them.
    QTest::newRow("long frames begun over and over") << hex("00 FF 01 02 02 FF 00 FF 01") << false;
}

void RequestParserTest::holdsAtMostOneFrame()
{
    QFETCH(QByteArray, pattern);
    QFETCH(bool, random);

    RequestParser parser;
    QRandomGenerator generator(20240601);
    qsizetype largest = 0;
    for (int i = 0; i < 50000; ++i) {
        const auto byte = random ? static_cast<std::uint8_t>(generator.bounded(256))
                                 : static_cast<std::uint8_t>(pattern.at(i % pattern.size()));
        parser.feed(byte);
        largest = std::max(largest, parser.pendingSize());
    }
    QVERIFY2(largest <= RequestParser::MaxFrameSize, qPrintable(QString::number(largest)));
    QCOMPARE(parser.position(), 50000);
}

void RequestParserTest::resetForgetsPartialFrame()
{
    RequestParser parser;
    feedAll(parser, readCode.first(6));
    parser.reset();
    QCOMPARE(parser.pendingSize(), 0);
    // The rest of the old frame alone is no frame; a whole new one is, counted from the reset.
    QCOMPARE(feedAll(parser, readCode.sliced(6)), QByteArrayList{});
    QList<RequestFrame> frames;
    for (const char byte : readVersion)
        frames.append(parser.feed(static_cast<std::uint8_t>(byte)));
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].position, 4);
}

QTEST_APPLESS_MAIN(RequestParserTest)
#include "tst_sim_requestparser.moc"
