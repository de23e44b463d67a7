// The simulated transmitter without its line: what it sends back for what it receives.

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
const QByteArray write0 = hex("00 FF 01 02 12 04 01 00 00 00 E6");
const QByteArray reply12345 = hex("FF 00 02 02 02 30 39 91");

// What goes back for the bytes, taken one by one as from the line.
LineOutput receive(Transmitter &transmitter, QByteArrayView bytes)
{
    LineOutput output;
    for (const char byte : bytes) {
        LineOutput next = transmitter.receive(static_cast<std::uint8_t>(byte));
        output.echo.append(next.echo);
        output.answers.append(std::move(next.answers));
    }
    return output;
}

} // namespace

class TransmitterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Without a fault every byte comes back as it came, and the requests understood are answered;
    // a read after each stream shows the code held.
    void answers_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArrayList>("replies");

        const QByteArray writeOk = hex("FF 00 02 12 00 EC");
        const QByteArray code29524 = hex("FF 00 02 02 02 73 54 33");
        const auto row = [](const char *name, const QByteArray &stream,
                            const QByteArrayList &replies) {
            QTest::newRow(name) << stream + readCode << replies;
        };
        row("default code 29524", {}, {code29524});
        row("write 0", write0, {writeOk, hex("FF 00 02 02 02 00 00 FA")});
        row("default version text", readVersion,
            {hex("FF 00 01 00 0C 01 02 4B 35 2D 53 49 4D 20 31 2E 30 AB"), code29524});
        row("stray bytes", hex("12 34 FF 00 0D 0A 11 13"), {code29524});
        // The write's length takes in the read's first bytes; its checksum fails, and the read
        // is found inside it.
        row("write broken off", hex("00 FF 01 02 12 04 01"), {code29524});
    }

    void answers()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArrayList, replies);

        Transmitter transmitter;
        const LineOutput output = receive(transmitter, stream);
        QCOMPARE(output.echo, stream);
        QByteArrayList sent;
        for (const Answer &answer : output.answers)
            sent << answer.reply;
        sent.removeAll(QByteArray());
        QCOMPARE(sent, replies);
    }

    void versionTextCutToFit()
    {
        const QByteArray text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        Transmitter transmitter;
        transmitter.setVersionText(text);
        const QByteArray reply = hex("FF 00 01 00 22 01 02") + text.first(32) + hex("CC");
        QCOMPARE(receive(transmitter, readVersion).answers.value(0).reply, reply);
    }

    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("echo");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("heldAfter");

        const auto row = [](const char *fault, const QByteArray &request, const QByteArray &echo,
                            const QByteArray &reply, int heldAfter = 12345) {
            QTest::addRow("%s on %s", fault, request == readCode ? "read" : "write")
                << QString::fromLatin1(fault) << request << echo << reply << heldAfter;
        };
        // A request whose echo is lost did not get through, so a write is not carried out.
        row("no-echo", write0, {}, {});
        row("no-reply", write0, write0, {}, 0);
        row("cut:3", readCode, readCode, hex("FF 00 02"));
        row("bad-checksum", readCode, readCode, hex("FF 00 02 02 02 30 39 92"));
        row("wrong-command", readCode, readCode, hex("FF 00 02 12 02 30 39 81"));
        row("hangup", write0, write0, hex("FF 00 02"), 0);
        row("slow:450", readCode, readCode, reply12345);
        row("trailing-noise", write0, write0, hex("FF 00 02 12 00 EC 55 AA 00"), 0);
        row("keep-code", write0, write0, hex("FF 00 02 12 00 EC"));
    }

    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, echo);
        QFETCH(QByteArray, reply);
        QFETCH(int, heldAfter);

        Transmitter transmitter;
        transmitter.setHeldValue(12345);
        transmitter.setFault(Fault::fromText(fault).value_or(Fault{})); // no fault fails the row
        const LineOutput output = receive(transmitter, request);
        QCOMPARE(output.echo, echo);
        QCOMPARE(output.answers.size(), 1);
        QCOMPARE(output.answers[0].reply, reply);
        QCOMPARE(output.answers[0].pauseBeforeEach, fault == u"slow:450" ? 450ms : 0ms);
        QCOMPARE(output.answers[0].hangUp, fault == u"hangup");
        QCOMPARE(transmitter.heldValue(), heldAfter);
    }
};

QTEST_APPLESS_MAIN(TransmitterTest)
#include "tst_sim_transmitter.moc"
