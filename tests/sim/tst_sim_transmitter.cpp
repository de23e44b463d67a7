#include "fault.h"
#include "transmitter.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray readCode = hex("00 FF 01 02 02 03 01 00 02 F5");
const QByteArray readVersion = hex("00 FF 01 01 00 00 FE");
const QByteArray write12345 = hex("00 FF 01 02 12 04 01 00 30 39 7D");
const QByteArray writeOk = hex("FF 00 02 12 00 EC");

// The replies that the transmitter sends, in order.
QByteArrayList replies(const LineOutput &output)
{
    QByteArrayList list;
    for (const Answer &answer : output.answers) {
        if (!answer.reply.isEmpty())
            list.append(answer.reply);
    }
    return list;
}

} // namespace

class TransmitterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readCodeReply_data();
    void readCodeReply();
    void writeCode_data();
    void writeCode();
    void versionReply_data();
    void versionReply();
    void unansweredBytesAreEchoed_data();
    void unansweredBytesAreEchoed();
    void faults_data();
    void faults();
    void noEchoHoldsBackOnlyAnsweredRequests();
    void resetLineForgetsPartialFrame();
    void faultFromText_data();
    void faultFromText();
};

void TransmitterTest::readCodeReply_data()
{
    QTest::addColumn<int>("held");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("code 0") << 0 << hex("FF 00 02 02 02 00 00 FA");
    QTest::newRow("code 12345") << 12345 << hex("FF 00 02 02 02 30 39 91");
    QTest::newRow("default code 29524") << 29524 << hex("FF 00 02 02 02 73 54 33");
    QTest::newRow("highest code 59048") << 59048 << hex("FF 00 02 02 02 E6 A8 6C");
    QTest::newRow("checksum FF") << 251 << hex("FF 00 02 02 02 00 FB FF");
    QTest::newRow("off marker") << 0xFFFF << hex("FF 00 02 02 02 FF FF FC");
}

void TransmitterTest::readCodeReply()
{
    QFETCH(int, held);
    QFETCH(QByteArray, reply);

    Transmitter transmitter;
    transmitter.setHeldValue(static_cast<std::uint16_t>(held));
    const LineOutput output = transmitter.receive(readCode);
    QCOMPARE(output.echo, readCode);
    QCOMPARE(output.answers.size(), 1);
    QCOMPARE(output.answers[0].request, readCode);
    QCOMPARE(output.answers[0].reply, reply);
    QCOMPARE(output.answers[0].hangUp, false);
    QCOMPARE(output.answers[0].pauseBeforeLast, 0ms);
}

void TransmitterTest::writeCode_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("written");
    QTest::addColumn<QByteArray>("readReply");

    QTest::newRow("code 12345") << write12345 << 12345 << hex("FF 00 02 02 02 30 39 91");
    QTest::newRow("code 0") << hex("00 FF 01 02 12 04 01 00 00 00 E6") << 0
                            << hex("FF 00 02 02 02 00 00 FA");
    QTest::newRow("code 255, 00 FF in the data")
        << hex("00 FF 01 02 12 04 01 00 00 FF E7") << 255 << hex("FF 00 02 02 02 00 FF FB");
    QTest::newRow("off marker") << hex("00 FF 01 02 12 04 01 00 FF FF E8") << 0xFFFF
                                << hex("FF 00 02 02 02 FF FF FC");
}

void TransmitterTest::writeCode()
{
    QFETCH(QByteArray, request);
    QFETCH(int, written);
    QFETCH(QByteArray, readReply);

    Transmitter transmitter;
    const LineOutput output = transmitter.receive(request);
    QCOMPARE(output.echo, request);
    QCOMPARE(replies(output), QByteArrayList{writeOk});
    QCOMPARE(transmitter.heldValue(), written);
    QCOMPARE(replies(transmitter.receive(readCode)), QByteArrayList{readReply});
}

void TransmitterTest::versionReply_data()
{
    QTest::addColumn<bool>("setText");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("reply");

    const QByteArray alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    const QByteArray fullReply = hex("FF 00 01 00 22 01 02") + alphabet + hex("CC");

    QTest::newRow("default text") << false << QByteArray()
                                  << hex("FF 00 01 00 0C 01 02 4B 35 2D 53 49 4D 20 31 2E 30 AB");
    QTest::newRow("empty text") << true << QByteArray() << hex("FF 00 01 00 02 01 02 FA");
    QTest::newRow("32 bytes fit exactly") << true << alphabet << fullReply;
    QTest::newRow("40 bytes cut to 32") << true << alphabet + "6789ABCD" << fullReply;
}

void TransmitterTest::versionReply()
{
    QFETCH(bool, setText);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, reply);

    Transmitter transmitter;
    if (setText)
        transmitter.setVersionText(text);
    const QByteArrayList sent = replies(transmitter.receive(readVersion));
    QCOMPARE(sent, QByteArrayList{reply});
    QVERIFY(sent[0].at(4) <= Frame::MaxReplyData);
}

void TransmitterTest::unansweredBytesAreEchoed_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("frames");

    QTest::newRow("stray bytes") << hex("12 34 FF 00 0D 0A 03 11 13") << 0;
    QTest::newRow("bad checksum") << hex("00 FF 01 02 02 03 01 00 02 F6") << 0;
    QTest::newRow("truncated request") << readCode.first(9) << 0;
    QTest::newRow("unknown command") << hex("00 FF 01 02 05 00 F8") << 1;
    QTest::newRow("read code with other data") << hex("00 FF 01 02 02 03 01 00 03 F4") << 1;
    QTest::newRow("read code with four data bytes") << hex("00 FF 01 02 02 04 01 00 02 00 F4") << 1;
    QTest::newRow("write code with three data bytes") << hex("00 FF 01 02 12 03 01 00 05 E2") << 1;
    QTest::newRow("write code not starting 01 00") << hex("00 FF 01 02 12 04 02 00 00 01 E4") << 1;
    QTest::newRow("version with a data byte") << hex("00 FF 01 01 00 01 00 FD") << 1;
}

void TransmitterTest::unansweredBytesAreEchoed()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, frames);

    Transmitter transmitter;
    const LineOutput output = transmitter.receive(stream);
    QCOMPARE(output.echo, stream);
    QCOMPARE(output.answers.size(), frames); // well-formed ones are still seen, for the log
    QCOMPARE(replies(output), QByteArrayList{});
    QCOMPARE(transmitter.heldValue(), Transmitter::DefaultCode);
}

void TransmitterTest::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("echo");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("late");
    QTest::addColumn<bool>("hangUp");
    QTest::addColumn<int>("heldAfter");

    const QByteArray readReply = hex("FF 00 02 02 02 30 39 91");
    const QByteArray versionReply = hex("FF 00 01 00 0C 01 02 4B 35 2D 53 49 4D 20 31 2E 30 AB");
    const QByteArray zeros(33, '\0');

    QTest::newRow("no-echo") << "no-echo" << readCode << QByteArray() << QByteArray() << false
                             << false << 12345;
    QTest::newRow("no-echo, write not carried out")
        << "no-echo" << hex("00 FF 01 02 12 04 01 00 00 00 E6") << QByteArray() << QByteArray()
        << false << false << 12345;
    QTest::newRow("short-echo") << "short-echo" << readCode << readCode.chopped(1) << QByteArray()
                                << false << false << 12345;
    QTest::newRow("short-echo, write not carried out")
        << "short-echo" << hex("00 FF 01 02 12 04 01 00 00 00 E6")
        << hex("00 FF 01 02 12 04 01 00 00 00") << QByteArray() << false << false << 12345;
    QTest::newRow("no-reply") << "no-reply" << readCode << readCode << QByteArray() << false
                              << false << 12345;
    QTest::newRow("no-reply, write carried out")
        << "no-reply" << hex("00 FF 01 02 12 04 01 00 00 00 E6")
        << hex("00 FF 01 02 12 04 01 00 00 00 E6") << QByteArray() << false << false << 0;
    QTest::newRow("cut:3") << "cut:3" << readCode << readCode << hex("FF 00 02") << false << false
                           << 12345;
    QTest::newRow("cut:0") << "cut:0" << readCode << readCode << QByteArray() << false << false
                           << 12345;
    QTest::newRow("cut longer than the reply")
        << "cut:200" << readCode << readCode << readReply << false << false << 12345;
    QTest::newRow("late-byte") << "late-byte" << readCode << readCode << readReply << true << false
                               << 12345;
    QTest::newRow("bad-checksum") << "bad-checksum" << readCode << readCode
                                  << hex("FF 00 02 02 02 30 39 92") << false << false << 12345;
    QTest::newRow("bad-checksum on write") << "bad-checksum" << write12345 << write12345
                                           << hex("FF 00 02 12 00 ED") << false << false << 12345;
    QTest::newRow("wrong-command on read")
        << "wrong-command" << readCode << readCode << hex("FF 00 02 12 02 30 39 81") << false
        << false << 12345;
    QTest::newRow("wrong-command on write") << "wrong-command" << write12345 << write12345
                                            << hex("FF 00 02 02 00 FC") << false << false << 12345;
    QTest::newRow("wrong-command on version")
        << "wrong-command" << readVersion << readVersion
        << hex("FF 00 01 02 0C 01 02 4B 35 2D 53 49 4D 20 31 2E 30 A9") << false << false << 12345;
    QTest::newRow("wrong-group on read")
        << "wrong-group" << readCode << readCode << hex("FF 00 01 02 02 30 39 92") << false << false
        << 12345;
    QTest::newRow("wrong-group on version")
        << "wrong-group" << readVersion << readVersion
        << hex("FF 00 02 00 0C 01 02 4B 35 2D 53 49 4D 20 31 2E 30 AA") << false << false << 12345;
    QTest::newRow("overlong") << "overlong" << readCode << readCode
                              << hex("FF 00 02 02 23 30 39") + zeros + hex("70") << false << false
                              << 12345;
    QTest::newRow("noise") << "noise" << readCode << readCode << hex("00 55 AA") + readReply
                           << false << false << 12345;
    QTest::newRow("noise on version") << "noise" << readVersion << readVersion
                                      << hex("00 55 AA") + versionReply << false << false << 12345;
    QTest::newRow("hangup") << "hangup" << readCode << readCode << hex("FF 00 02") << false << true
                            << 12345;
    QTest::newRow("hangup, write carried out")
        << "hangup" << hex("00 FF 01 02 12 04 01 00 00 00 E6")
        << hex("00 FF 01 02 12 04 01 00 00 00 E6") << hex("FF 00 02") << false << true << 0;
}

void TransmitterTest::faults()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, echo);
    QFETCH(QByteArray, reply);
    QFETCH(bool, late);
    QFETCH(bool, hangUp);
    QFETCH(int, heldAfter);

    const std::optional<Fault> kind = Fault::fromText(fault);
    QVERIFY(kind);
    Transmitter transmitter;
    transmitter.setHeldValue(12345);
    transmitter.setFault(*kind);

    const LineOutput output = transmitter.receive(request);
    QCOMPARE(output.echo, echo);
    QCOMPARE(output.answers.size(), 1);
    QCOMPARE(output.answers[0].request, request);
    QCOMPARE(output.answers[0].reply, reply);
    QCOMPARE(output.answers[0].pauseBeforeLast, late ? Transmitter::LateBytePause : 0ms);
    QCOMPARE(output.answers[0].hangUp, hangUp);
    QCOMPARE(transmitter.heldValue(), heldAfter);
}

void TransmitterTest::noEchoHoldsBackOnlyAnsweredRequests()
{
    Transmitter transmitter;
    transmitter.setFault({FaultKind::NoEcho, 0});
    const QByteArray unknown = hex("00 FF 01 02 05 00 F8");

    // Byte by byte, as the line delivers them: stray bytes come back, answered requests never.
    QByteArray echo;
    const QByteArray stream =
        hex("12 00 34") + readCode + hex("56") + unknown + readVersion + hex("00");
    for (const char byte : stream) {
        const LineOutput output = transmitter.receive(static_cast<std::uint8_t>(byte));
        echo += output.echo;
        QCOMPARE(replies(output), QByteArrayList{});
    }
    // The last 00 may still begin a request and is held back.
    QCOMPARE(echo, hex("12 00 34 56") + unknown);
    QCOMPARE(transmitter.receive(hex("77")).echo, hex("00 77"));
}

void TransmitterTest::resetLineForgetsPartialFrame()
{
    Transmitter transmitter;
    transmitter.receive(readCode.first(5));
    transmitter.resetLine();
    QCOMPARE(replies(transmitter.receive(readCode.sliced(5))), QByteArrayList{});
    QCOMPARE(replies(transmitter.receive(readCode)).size(), 1);
}

void TransmitterTest::faultFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("cutLength");

    QTest::newRow("no-echo") << "no-echo" << true << int(FaultKind::NoEcho) << 0;
    QTest::newRow("hangup") << "hangup" << true << int(FaultKind::Hangup) << 0;
    QTest::newRow("cut:0") << "cut:0" << true << int(FaultKind::Cut) << 0;
    QTest::newRow("cut:3") << "cut:3" << true << int(FaultKind::Cut) << 3;
    QTest::newRow("cut:255") << "cut:255" << true << int(FaultKind::Cut) << 255;
    QTest::newRow("cut:256") << "cut:256" << false << 0 << 0;
    QTest::newRow("cut without length") << "cut:" << false << 0 << 0;
    QTest::newRow("cut alone") << "cut" << false << 0 << 0;
    QTest::newRow("cut negative") << "cut:-1" << false << 0 << 0;
    QTest::newRow("cut with trailing text") << "cut:3x" << false << 0 << 0;
    QTest::newRow("cut huge") << "cut:99999999999" << false << 0 << 0;
    QTest::newRow("upper case") << "Hangup" << false << 0 << 0;
    QTest::newRow("empty") << "" << false << 0 << 0;
    QTest::newRow("none is no fault kind") << "none" << false << 0 << 0;
}

void TransmitterTest::faultFromText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, kind);
    QFETCH(int, cutLength);

    const std::optional<Fault> fault = Fault::fromText(text);
    QCOMPARE(fault.has_value(), valid);
    if (valid) {
        QCOMPARE(int(fault->kind), kind);
        QCOMPARE(fault->cutLength, cutLength);
    }
}

QTEST_APPLESS_MAIN(TransmitterTest)
#include "tst_sim_transmitter.moc"
