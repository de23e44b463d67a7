// How the read code, write code and version exchanges judge what came back.

#include "exchanges.h"
#include "frame.h"
#include "replyreception.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The reply as the reception leaves it: bytes 4 ms apart, then silence until it times out.
ExchangeResult Received(const QByteArray &bytes, bool echoComplete = true)
{
    ReplyReception reception;
    LinkInstant now{};
    reception.start(now);
    for (const char b : bytes) {
        if (reception.take(uchar(b), now += std::chrono::milliseconds(4)))
            break;
    }
    reception.expire(now + std::chrono::seconds(1));
    return {echoComplete, reception.status(), reception.bytes()};
}

// What the exchange makes of the reply, in words.
QString Judged(char exchange, const ExchangeResult &reply)
{
    if (exchange == 'r') {
        const ReadCodeResult read = JudgeReadCodeReply(reply);
        if (read.outcome == ReadCodeOutcome::Code)
            return u"code "_s + QString::number(read.code);
        return read.outcome == ReadCodeOutcome::Off ? u"off"_s : u"error"_s;
    }
    if (exchange == 'w')
        return JudgeWriteCodeReply(reply) == WriteCodeOutcome::Confirmed ? u"confirmed"_s
                                                                         : u"error"_s;
    const VersionResult version = JudgeVersionReply(reply);
    return version.outcome == VersionOutcome::Text ? u"text "_s + version.text : u"error"_s;
}

} // namespace

class LinkExchangesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void judgement_data()
    {
        QTest::addColumn<char>("exchange"); // r read code, w write code, v version
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("echoComplete");
        QTest::addColumn<QString>("judged");

        const auto row = [](const char *name, char exchange, const QByteArray &reply,
                            const QString &judged, bool echo = true) {
            QTest::newRow(name) << exchange << reply << echo << judged;
        };
        const auto code = [](const char *hilo) {
            return Frame::Reply(2, 2, Hex(hilo));
        };
        const auto version = [](const QByteArray &data) {
            return Frame::Reply(1, 0, data);
        };

        row("read: FF 00 is a code, not off", 'r', code("FF 00"), "code 65280");
        row("read: without its echo", 'r', code("30 39"), "error", false);
        row("read: version group", 'r', Frame::Reply(1, 2, "09"), "error");
        row("read: length 3", 'r', code("30 39 00"), "error");
        row("read: wrong checksum", 'r', Hex("FF 00 02 02 02 30 39 90"), "error");
        row("read: start 00, sum holds", 'r', Hex("00 00 02 02 02 30 39 90"), "error");
        row("read: second byte 01", 'r', Hex("FF 01 02 02 02 30 39 90"), "error");
        row("write: length 1", 'w', Frame::Reply(2, 0x12, QByteArray(1, 0)), "error");
        row("write: version group", 'w', Frame::Reply(1, 0x12, {}), "error");
        row("version: no data bytes", 'v', version({}), "text ");
        row("version: longest", 'v', version("\x01\x02" + QByteArray(32, 'v')),
            "text " + QString(32, u'v'));
        row("version: first two bytes are no text", 'v', version("ABC"), "text C");
        row("version: Windows-1252", 'v', version(Hex("01 02 E9 74 E9 20 FF 80 8A 9F A0")),
            u"text \u00E9t\u00E9 \u00FF\u20AC\u0160\u0178\u00A0"_s);
        row("version: bytes Windows-1252 leaves undefined", 'v',
            version(Hex("01 02 81 8D 8F 90 9D")), u"text \uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"_s);
        // Control characters would break the one-line status box.
        row("version: control characters", 'v', version(Hex("01 02 00 0A 0D 1F 7F 41")),
            u"text \u2400\u240A\u240D\u241F\u2421A"_s);
        row("version: code group", 'v', Frame::Reply(2, 0, Hex("01 02 41")), "error");
    }

    void judgement()
    {
        QFETCH(char, exchange);
        QFETCH(QByteArray, reply);
        QFETCH(bool, echoComplete);
        QFETCH(QString, judged);
        QCOMPARE(Judged(exchange, Received(reply, echoComplete)), judged);
    }
};

QTEST_GUILESS_MAIN(LinkExchangesTest)
#include "tst_link_exchanges.moc"
