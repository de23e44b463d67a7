// How the read code, write code and version exchanges judge what came back.

#include "exchanges.h"
#include "frame.h"
#include "replyreception.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ReadCodeOutcome)
Q_DECLARE_METATYPE(WriteCodeOutcome)
Q_DECLARE_METATYPE(VersionOutcome)

namespace {

// The reply as the reception leaves it: bytes 4 ms apart, then silence until it times out.
ExchangeReply Received(const QByteArray &bytes)
{
    LinkVariables v;
    ReplyReception reception(v);
    LinkInstant now{};
    reception.start(now);
    for (const char b : bytes) {
        now += std::chrono::milliseconds(4);
        if (reception.take(uchar(b), now))
            break;
    }
    reception.expire(now + std::chrono::seconds(1));
    return {true, v.ReplyBytes, v.FrameSum};
}

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class LinkExchangesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readCode_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<ReadCodeOutcome>("outcome");
        QTest::addColumn<int>("code");

        using O = ReadCodeOutcome;
        QTest::newRow("code 12345") << Hex("FF 00 02 02 02 30 39 91") << O::Code << 12345;
        QTest::newRow("code 0") << Hex("FF 00 02 02 02 00 00 FA") << O::Code << 0;
        QTest::newRow("code 59048") << Hex("FF 00 02 02 02 E6 A8 6C") << O::Code << 59048;
        QTest::newRow("off marker") << Hex("FF 00 02 02 02 FF FF FC") << O::Off << 0;
        QTest::newRow("FF 00 is a code, not off")
            << Hex("FF 00 02 02 02 FF 00 FB") << O::Code << 65280;
        QTest::newRow("00 FF is a code, not off")
            << Hex("FF 00 02 02 02 00 FF FB") << O::Code << 255;
        QTest::newRow("write command's reply") << Hex("FF 00 02 12 00 EC") << O::Error << 0;
        QTest::newRow("command 12 with code layout")
            << Frame::Reply(0x02, 0x12, Hex("30 39")) << O::Error << 0;
        QTest::newRow("version group") << Frame::Reply(0x01, 0x02, Hex("30 39")) << O::Error << 0;
        QTest::newRow("length 3") << Frame::Reply(0x02, 0x02, Hex("30 39 00")) << O::Error << 0;
        QTest::newRow("length 1") << Frame::Reply(0x02, 0x02, Hex("30")) << O::Error << 0;
        QTest::newRow("altered data byte") << Hex("FF 00 02 02 02 30 38 91") << O::Error << 0;
        QTest::newRow("wrong checksum") << Hex("FF 00 02 02 02 30 39 90") << O::Error << 0;
        QTest::newRow("start byte 00 with a sum that holds")
            << Hex("00 00 02 02 02 30 39 90") << O::Error << 0;
        QTest::newRow("second byte 01") << Hex("FF 01 02 02 02 30 39 90") << O::Error << 0;
        QTest::newRow("no reply") << QByteArray() << O::Error << 0;
        QTest::newRow("cut before the checksum") << Hex("FF 00 02 02 02 30 39") << O::Error << 0;
        QTest::newRow("overlong") << Frame::Reply(0x02, 0x02, QByteArray(35, 'x')) << O::Error << 0;
    }

    void readCode()
    {
        QFETCH(QByteArray, reply);
        QFETCH(ReadCodeOutcome, outcome);
        QFETCH(int, code);
        const ReadCodeResult result = JudgeReadCodeReply(Received(reply));
        QCOMPARE(result.outcome, outcome);
        if (outcome == ReadCodeOutcome::Code)
            QCOMPARE(result.code, code);
    }

    void writeCode_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<WriteCodeOutcome>("outcome");

        using O = WriteCodeOutcome;
        QTest::newRow("confirmation") << Hex("FF 00 02 12 00 EC") << O::Confirmed;
        QTest::newRow("wrong checksum") << Hex("FF 00 02 12 00 ED") << O::Error;
        QTest::newRow("read command 02") << Frame::Reply(0x02, 0x02, {}) << O::Error;
        QTest::newRow("length 1") << Frame::Reply(0x02, 0x12, Hex("00")) << O::Error;
        QTest::newRow("version group") << Frame::Reply(0x01, 0x12, {}) << O::Error;
        QTest::newRow("second byte 01") << Hex("FF 01 02 12 00 EB") << O::Error;
        QTest::newRow("start byte FE") << Hex("FE 00 02 12 00 ED") << O::Error;
        QTest::newRow("read code reply") << Hex("FF 00 02 02 02 30 39 91") << O::Error;
        QTest::newRow("no reply") << QByteArray() << O::Error;
        QTest::newRow("cut after 5 bytes") << Hex("FF 00 02 12 00") << O::Error;
    }

    void writeCode()
    {
        QFETCH(QByteArray, reply);
        QFETCH(WriteCodeOutcome, outcome);
        QCOMPARE(JudgeWriteCodeReply(Received(reply)), outcome);
    }

    void version_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<VersionOutcome>("outcome");
        QTest::addColumn<QString>("text");

        using O = VersionOutcome;
        QTest::newRow("ABC") << Hex("FF 00 01 00 05 01 02 41 42 43 31") << O::Text << u"ABC"_s;
        QTest::newRow("two data bytes only")
            << Hex("FF 00 01 00 02 01 02 FA") << O::Text << QString();
        QTest::newRow("no data bytes") << Hex("FF 00 01 00 00 FF") << O::Text << QString();
        QTest::newRow("one data byte")
            << Frame::Reply(0x01, 0x00, Hex("01")) << O::Text << QString();
        QTest::newRow("longest, 32 characters")
            << Frame::Reply(0x01, 0x00, "\x01\x02" + QByteArray(32, 'v')) << O::Text
            << QString(32, u'v');
        QTest::newRow("first two data bytes are not text")
            << Frame::Reply(0x01, 0x00, Hex("41 42 43")) << O::Text << u"C"_s;
        QTest::newRow("Latin-1 letters") << Frame::Reply(0x01, 0x00, Hex("01 02 E9 74 E9 20 FF"))
                                         << O::Text << u"\u00E9t\u00E9 \u00FF"_s;
        QTest::newRow("control characters shown by stand-ins")
            << Frame::Reply(0x01, 0x00, Hex("01 02 00 0A 0D 1F 7F 80 9F A0 41")) << O::Text
            << u"\u2400\u240A\u240D\u241F\u2421\uFFFD\uFFFD\u00A0A"_s;
        QTest::newRow("code group")
            << Frame::Reply(0x02, 0x00, Hex("01 02 41")) << O::Error << QString();
        QTest::newRow("read code command")
            << Frame::Reply(0x01, 0x02, Hex("01 02 41")) << O::Error << QString();
        QTest::newRow("code reply") << Hex("FF 00 02 02 02 30 39 91") << O::Error << QString();
        QTest::newRow("wrong checksum")
            << Hex("FF 00 01 00 05 01 02 41 42 43 32") << O::Error << QString();
        QTest::newRow("overlong, 35 data bytes")
            << Frame::Reply(0x01, 0x00, QByteArray(35, 'x')) << O::Error << QString();
        QTest::newRow("no reply") << QByteArray() << O::Error << QString();
        QTest::newRow("cut inside the text")
            << Hex("FF 00 01 00 05 01 02 41") << O::Error << QString();
    }

    void version()
    {
        QFETCH(QByteArray, reply);
        QFETCH(VersionOutcome, outcome);
        QFETCH(QString, text);
        const VersionResult result = JudgeVersionReply(Received(reply));
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.text, text);
    }

    // Without a complete echo the reception never ran: what ReplyBytes and FrameSum still hold
    // from an earlier exchange is no reply.
    void failedEchoIsNoReply()
    {
        ExchangeReply stale = Received(Hex("FF 00 02 02 02 30 39 91"));
        QCOMPARE(JudgeReadCodeReply(stale).outcome, ReadCodeOutcome::Code);
        stale.echoComplete = false;
        QCOMPARE(JudgeReadCodeReply(stale).outcome, ReadCodeOutcome::Error);
        ExchangeReply write = Received(Hex("FF 00 02 12 00 EC"));
        write.echoComplete = false;
        QCOMPARE(JudgeWriteCodeReply(write), WriteCodeOutcome::Error);
        ExchangeReply version = Received(Hex("FF 00 01 00 05 01 02 41 42 43 31"));
        version.echoComplete = false;
        QCOMPARE(JudgeVersionReply(version).outcome, VersionOutcome::Error);
    }

    // A reply put together by hand, not by the reception, cannot lead the text past ReplyBytes.
    void versionTextStaysInsideReplyBytes()
    {
        ExchangeReply reply;
        reply.echoComplete = true;
        reply.FrameSum = 0;
        reply.ReplyBytes.fill(0x41);
        reply.ReplyBytes[1] = 0xFF;
        reply.ReplyBytes[2] = 0x00;
        reply.ReplyBytes[3] = 0x01;
        reply.ReplyBytes[4] = 0x00;
        reply.ReplyBytes[5] = 0xFF;
        const VersionResult result = JudgeVersionReply(reply);
        QCOMPARE(result.outcome, VersionOutcome::Text);
        QCOMPARE(result.text, QString(LastReplyIndex - 7, u'A'));
    }
};

QTEST_GUILESS_MAIN(LinkExchangesTest)
#include "tst_link_exchanges.moc"
