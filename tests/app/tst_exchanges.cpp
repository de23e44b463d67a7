// Read, write and version exchanges from the window: on a line the test plays in its own process,
// what the window sends and shows of each answer, or of its absence; end to end over a
// pseudo-terminal against the transmitter simulator, the wire scenarios that the window meets,
// and that every way out of an exchange closes the port and frees the window.

#include "frame.h"
#include "scriptedline.h"
#include "scriptedprinttarget.h"
#include "simulatorprocess.h"
#include "windowfixture.h"
#include "wirescenarios.h"

#include <QPointer>
#include <QSerialPort>
#include <QTimer>

namespace {

// The k5.link messages logged while a test runs.
QStringList linkLog;
void LogLink(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    if (qstrcmp(context.category, "k5.link") == 0)
        linkLog << text;
}

// An answer the window gets on a scripted line to the exchange it runs (read, write, write off or
// version), and what it shows: its status, the code box (or off) and the tooltip's reason after
// the port and device.
struct Answer
{
    const char *name;
    QString exchange;
    QByteArray reply; // after the echo; empty: nothing comes
    QString status;
    QString shown;
    QString reason = {};
};

} // namespace

Q_DECLARE_METATYPE(Answer)

class ExchangesTest : public QObject, WindowFixture
{
    Q_OBJECT

    PrivateConfig config;
    std::unique_ptr<SimulatorProcess> sim;
    ScriptedLine *line = nullptr; // the window's, when it runs on a scripted line
    LinkInstant now{};

    // A new window, on a scripted line or the system's ports, with its version button shown: it
    // shows once Reset has the focus and V is pressed.
    bool startWindow(bool scripted)
    {
        line = scripted ? new ScriptedLine : nullptr;
        if (!openWindow(scripted ? new TransmitterLink(line, [this] { return now; }) : nullptr))
            return false;
        click(resetButton());
        QTest::keyClick(resetButton(), Qt::Key_V);
        return versionButton()->isVisible();
    }
    QAbstractButton *button(const QString &exchange) const
    {
        return control<QAbstractButton>(exchange == "read"      ? "Command1"
                                        : exchange == "version" ? "Command8"
                                                                : "Command6");
    }
    // What the window shows once an exchange has ended: the status and its tooltip, the code box
    // (off: the function unticked), the switches after a read, and the counter, 1 after a
    // confirmed write.
    void checkShown(const QString &status, const QString &shown, const QString &toolTip)
    {
        QCOMPARE(statusBox()->text(), status);
        QCOMPARE(statusBox()->toolTip(), toolTip);
        QCOMPARE(functionCheck()->isChecked() ? codeBox()->text() : "off", shown);
        if (status == Wire::ReadOk)
            QCOMPARE(switches(), shown == "off" ? QString(9, u' ') : switchesOf(shown.toInt()));
        QCOMPARE(counterBox()->text(), status == Wire::WriteOk ? "1" : "0");
    }
    // Clicks an exchange button and waits until the exchange has ended and the line is closed
    // again: the simulator saw the window close it, or hung it up itself.
    bool runExchange(QWidget *button)
    {
        const int closed = sim->closedCount();
        click(button);
        return sim->waitForClosed(closed + 1) &&
               QTest::qWaitFor([&] { return !form->busy(); }, PatienceMs);
    }

private Q_SLOTS:
    void initTestCase() { qInstallMessageHandler(LogLink); }
    void init()
    {
        linkLog.clear();
        QVERIFY(startWindow(false));
    }
    void cleanup() { sim.reset(); }

    void onAScriptedLine_data()
    {
        QTest::addColumn<Answer>("a");
        for (const Answer &a : QList<Answer>{
                 {"read off", "read", Frame::Reply(2, 2, Hex("FF FF")), Wire::ReadOk, "off"},
                 {"read a value that is no code", "read", Frame::Reply(2, 2, Hex("FF 00")),
                  Wire::ReadOk, "29524"},
                 {"read, no answer", "read", "", Wire::ReadError, "off",
                  "the transmitter did not answer the read request: check that it is connected "
                  "and switched on"},
                 {"write off", "write off", Frame::Reply(2, 0x12, {}), Wire::WriteOk, "off"},
                 {"write, answered as a read", "write", Frame::Reply(2, 2, Hex("30 39")),
                  "Write transmitter DIP-switch code error", "29524",
                  "the answer did not belong to the write request: check that a K5 transmitter "
                  "is connected"},
                 {"version", "version", Frame::Reply(1, 0, "\x01\x02K5"), "K5", "abc"},
                 {"version, garbled", "version", Hex("FF 00 01 00 00 00"),
                  "Read transmitter version error", "abc",
                  "the answer to the version request was garbled (wrong checksum, or too long): "
                  "retry"}})
            QTest::newRow(a.name) << a;
    }
    void onAScriptedLine()
    {
        QFETCH(Answer, a);
        const auto &[name, exchange, reply, status, shown, reason] = a;
        QVERIFY(startWindow(true));
        // A read starts from the function state opposite to the one it shows; write off unticks.
        // The code box holds text that came without a key: a write sends the switches.
        if (exchange == "read" ? shown != "off" || status != Wire::ReadOk : exchange == "write off")
            click(functionCheck());
        codeBox()->setText("abc");
        click(button(exchange));
        // While it waits, the status names the exchange.
        QCOMPARE(statusBox()->text(), exchange == "version" ? "Read transmitter version"
                                      : exchange == "read"  ? "Read transmitter DIP-switch code"
                                                            : "Write transmitter DIP-switch code");
        // A write sends the switches, or off with the function unticked.
        if (exchange.startsWith("write"))
            QCOMPARE(line->scripted().sent,
                     Frame::WriteCodeRequest(shown == "off" ? 0xFFFF : 29524));
        line->scripted().deliver(line->scripted().sent + reply);
        if (reply.isEmpty()) { // nothing more comes, and the wait runs out
            now += LineSettings::Limit + std::chrono::nanoseconds{1};
            line->scripted().deliver({});
        }
        QTRY_VERIFY(!form->busy());
        checkShown(status, shown, reason.isEmpty() ? "" : "COM1 (/dev/ttyS0): " + reason);
    }

    void scenarios_data()
    {
        QTest::addColumn<WireScenario>("s");
        for (const WireScenario &s : Wire::Scenarios)
            if (!s.window.isEmpty() && s.port == WireScenario::Sound)
                QTest::newRow(s.name) << s;
    }
    void scenarios()
    {
        QFETCH(WireScenario, s);
        QVERIFY(SimulatorProcess::startOnCom1(sim, s.simulator));
        if (!s.before.isEmpty()) {
            QVERIFY(runExchange(button(s.before.first())));
            QVERIFY(sim->waitForReplies());
        }
        if (s.command.first() == "read")
            click(functionCheck()); // the read ticks it again
        codeBox()->setText("abc");
        QVERIFY(runExchange(button(s.command.first())));
        // An error's reason is the tooltip's, in the command line's words.
        checkShown(s.window, s.shown,
                   s.window.endsWith("error") ? "COM1 (" + sim->device() + "): " + s.line : "");
        QCOMPARE(linkLog.first(), "COM1: opened " + sim->device() + " at 2400 8N1");
        // What waited on the line for the exchange is discarded, and the log says how much.
        QCOMPARE(linkLog.filter(QRegularExpression("^COM1: discarded 1[78] bytes ")).size(),
                 s.before.isEmpty() ? 0 : 1);
        // A line that hangs up is closed at once, not read again and again until the limit.
        QCOMPARE(linkLog.filter(" failed: ").size(), s.outcome == "line-lost" ? 1 : 0);
    }

    void portNotAvailable()
    {
        const WireScenario &s = Wire::PortMissing;
        QVERIFY(SimulatorProcess::startOnCom1(sim));
        QVERIFY(QFile::link("/nonexistent/ttyUSB9", config.portLink(s.portName())));
        // Each entry of the list says which device its port stands for, as it is when it opens.
        const int entry = s.portName().mid(3).toInt() - 1;
        const auto tip = [&](int i) {
            return portSelector()->itemData(i, Qt::ToolTipRole).toString();
        };
        pick(portSelector(), entry);
        QCOMPARE(tip(0), sim->device());
        QVERIFY(tip(15).contains("/dev/ttyS15"));
        QCOMPARE(tip(entry), "Nothing connected: /nonexistent/ttyUSB9 is not there");
        // A link to a file that is no device, made while the list was closed.
        QVERIFY(QFile::link(config.path(), config.portLink("COM6")));
        pick(portSelector(), entry);
        QCOMPARE(tip(5), "Nothing connected: " + config.path() + " is no serial device");
        click(readButton());
        QVERIFY(!form->busy());
        // The reason is the tooltip's, in the words of the command line's error line.
        checkShown(s.window, "29524", "COM5 (/nonexistent/ttyUSB9): " + s.line);
        // The window shows only its message; support finds the device and the reason in the log.
        QVERIFY2(linkLog.size() == 1 &&
                     linkLog[0].startsWith("COM5: cannot open /nonexistent/ttyUSB9: No such file"),
                 qPrintable(linkLog.join(u'\n')));

        pick(portSelector(), 0);
        QVERIFY(runExchange(writeButton())); // nothing is left locked
        checkShown(Wire::WriteOk, "29524", ""); // the reason went with its text
    }

    // The user acts while a write waits: other exchanges and printing do nothing, the request
    // stays as it was when clicked, Reset and the panel work.
    void actingDuringAnExchange()
    {
        QVERIFY(startWindow(true));
        QStringList printed;
        form->setPrintTargetFactory(
            [&](QPrinter &) { return std::make_unique<ScriptedTarget>(-1, &printed); });
        click(writeButton());
        line->scripted().deliver(line->scripted().sent + Frame::Reply(2, 0x12, {}));
        QCOMPARE(counterBox()->text(), "1");
        click(control("Label17")); // all switches -: code 0
        line->scripted().sent.clear();
        click(writeButton());
        QVERIFY(form->busy());
        for (QWidget *button : {readButton(), writeButton(), versionButton(), printButton()})
            click(button);
        QCOMPARE(printed, QStringList());
        click(resetButton());
        QCOMPARE(counterBox()->text(), "0");
        click(control("Label15")); // all switches +
        QCOMPARE(codeBox()->text(), "59048");
        QTRY_COMPARE(line->scripted().sent, Frame::WriteCodeRequest(0));
        line->scripted().deliver(Frame::WriteCodeRequest(0) + Frame::Reply(2, 0x12, {}));
        checkShown(Wire::WriteOk, "59048", "");
        QCOMPARE(linkLog.filter("refused"), QStringList()); // no handler asked the busy link
        // The window owns the link it was given.
        const QPointer<QObject> link = line->parent();
        form.reset();
        QVERIFY(!link);
    }

    void endingDuringAnExchange_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Exit") << false;
        QTest::newRow("close box") << true;
    }
    void endingDuringAnExchange()
    {
        QFETCH(bool, closeBox);
        QVERIFY(SimulatorProcess::startOnCom1(sim, {"--fault", "no-reply"}));
        click(readButton());
        QVERIFY(sim->waitForLog(Wire::Read));
        QTimer::singleShot(0, form.get(),
                           [&] { closeBox ? void(form->close()) : click(control("Command2")); });
        const QObject watching; // a watchdog for this test alone
        QTimer::singleShot(PatienceMs, &watching, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        // The port is free at once for the next program, not only once the wait has run out.
        QSerialPort next(sim->device());
        QVERIFY(next.open(QIODevice::ReadWrite));
        QVERIFY(sim->waitForLog("closed"));
    }
};

QTEST_MAIN(ExchangesTest)
#include "tst_exchanges.moc"
