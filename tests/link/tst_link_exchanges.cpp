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

// What the exchange makes of the reply, in words: what the judge took, or why it took nothing.
QString Judged(char exchange, const ExchangeResult &reply)
{
    QString taken;
    if (exchange == 'r') {
        if (const auto value = JudgeReadCodeReply(reply))
            taken = u"value "_s + QString::number(*value);
    } else if (exchange == 'w') {
        if (JudgeWriteCodeReply(reply))
            taken = u"confirmed"_s;
    } else if (const auto text = JudgeVersionReply(reply)) {
        taken = u"text "_s + *text;
    }
    if (!taken.isEmpty())
        return taken;
    switch (FaultOf(reply, false)) {
    case ExchangeFault::NoEcho: return u"no echo"_s;
    case ExchangeFault::NoReply: return u"no reply"_s;
    case ExchangeFault::BrokenReply: return u"broken reply"_s;
    case ExchangeFault::BadReply: return u"bad reply"_s;
    case ExchangeFault::WrongReply: return u"wrong reply"_s;
    default: return u"?"_s;
    }
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

        row("read: FF 00 is a code, not off", 'r', code("FF 00"), "value 65280");
        row("read: off", 'r', code("FF FF"), "value 65535");
        row("read: without its echo", 'r', code("30 39"), "no echo", false);
        row("read: nothing", 'r', {}, "no reply");
        row("read: broken off", 'r', code("30 39").first(6), "broken reply");
        row("read: version group", 'r', Frame::Reply(1, 2, "09"), "wrong reply");
        row("read: length 3", 'r', code("30 39 00"), "wrong reply");
        row("read: wrong checksum", 'r', Hex("FF 00 02 02 02 30 39 90"), "bad reply");
        row("read: start 00, sum holds", 'r', Hex("00 00 02 02 02 30 39 90"), "wrong reply");
        row("read: second byte 01", 'r', Hex("FF 01 02 02 02 30 39 90"), "wrong reply");
        row("write: confirmed", 'w', Frame::Reply(2, 0x12, {}), "confirmed");
        row("write: length 1", 'w', Frame::Reply(2, 0x12, QByteArray(1, 0)), "wrong reply");
        row("write: version group", 'w', Frame::Reply(1, 0x12, {}), "wrong reply");
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
        row("version: code group", 'v', Frame::Reply(2, 0, Hex("01 02 41")), "wrong reply");
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
