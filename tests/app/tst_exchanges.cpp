// Read, write and version exchanges from the window, end to end over a pseudo-terminal against
// the transmitter simulator: what the window shows of each, and that every way out of an
// exchange closes the port and frees the window.

#include "scriptedprinttarget.h"
#include "simulatorprocess.h"
#include "windowfixture.h"
#include "wirescenarios.h"

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

} // namespace

class ExchangesTest : public QObject, WindowFixture
{
    Q_OBJECT

    PrivateConfig config;
    std::unique_ptr<SimulatorProcess> sim;

    QString status() const { return statusBox()->text(); }
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
        QVERIFY(openWindow());
        // The version button shows once Reset has the focus and V is pressed.
        click(resetButton());
        QTest::keyClick(resetButton(), Qt::Key_V);
    }
    void cleanup() { sim.reset(); }

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
        const QString exchange = s.command.first();
        const auto button = [&](const QString &name) {
            return name == "read"    ? readButton()
                   : name == "write" ? writeButton()
                                     : versionButton();
        };
        if (!s.before.isEmpty()) {
            QVERIFY(runExchange(button(s.before.first())));
            QVERIFY(sim->waitForReplies());
        }
        // A read starts from the function state opposite to the one it finds; write off unticks.
        if (exchange == "read" ? s.outcome != "off" : s.command.endsWith("off"))
            click(functionCheck());
        codeBox()->setText("abc"); // text that came without a key: a write sends the switches
        QVERIFY(runExchange(button(exchange)));
        QCOMPARE(status(), s.window);
        // An error's reason is the tooltip's, in the command line's words.
        QCOMPARE(statusBox()->toolTip(),
                 s.window.endsWith("error") ? "COM1 (" + sim->device() + "): " + s.line : "");
        QCOMPARE(sim->log("rx "), s.requests);
        QCOMPARE(counterBox()->text(), exchange == "write" && s.status == 0 ? "1" : "0");
        QCOMPARE(functionCheck()->isChecked() ? codeBox()->text() : "off", s.shown);
        if (exchange == "read" && s.window == Wire::ReadOk)
            QCOMPARE(switches(), s.shown == "off" ? QString(9, u' ') : switchesOf(s.shown.toInt()));
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
        pick(portSelector(), entry);
        QCOMPARE(portSelector()->itemData(0, Qt::ToolTipRole).toString(), sim->device());
        QCOMPARE(portSelector()->itemData(entry, Qt::ToolTipRole).toString(),
                 "Nothing connected: /nonexistent/ttyUSB9 is not there");
        click(readButton());
        QCOMPARE(status(), s.window);
        // The reason is the tooltip's, in the words of the command line's error line.
        QCOMPARE(statusBox()->toolTip(), "COM5 (/nonexistent/ttyUSB9): " + s.line);
        QVERIFY(!form->busy());
        // The window shows only its message; support finds the device and the reason in the log.
        QVERIFY2(linkLog.size() == 1 &&
                     linkLog[0].startsWith("COM5: cannot open /nonexistent/ttyUSB9: No such file"),
                 qPrintable(linkLog.join(u'\n')));

        pick(portSelector(), 0);
        QVERIFY(runExchange(writeButton())); // nothing is left locked
        QCOMPARE(status(), Wire::WriteOk);
        QCOMPARE(statusBox()->toolTip(), QString()); // the reason went with its text
    }

    void secondClicksDuringAnExchangeDoNothing()
    {
        QVERIFY(SimulatorProcess::startOnCom1(sim, {"--fault", "no-reply"}));
        QStringList printed;
        form->setPrintTargetFactory(
            [&](QPrinter &) { return std::make_unique<ScriptedTarget>(-1, &printed); });
        const int closed = sim->closedCount();
        click(readButton());
        QVERIFY(form->busy());
        for (QWidget *button : {readButton(), writeButton(), versionButton(), printButton()})
            click(button);
        QCOMPARE(status(), "Read transmitter DIP-switch code");
        QCOMPARE(printed, QStringList());
        QVERIFY(sim->waitForClosed(closed + 1));
        QTRY_COMPARE(status(), Wire::ReadError);
        QCOMPARE(sim->log("rx "), QStringList{Wire::Read});
    }

    void panelAndResetWorkDuringTheWait()
    {
        // Paced at the real line speed, a write takes some 70 ms; the user acts in the meantime.
        sim = std::make_unique<SimulatorProcess>(QStringList{"--log", "--link", "COM1"});
        QVERIFY(sim->started());
        QVERIFY(runExchange(writeButton()));
        click(allMinusLabel()); // code 0
        const int closed = sim->closedCount();
        click(writeButton());
        QVERIFY(form->busy());
        click(resetButton());
        QCOMPARE(counterBox()->text(), "0");
        click(allPlusLabel());
        QCOMPARE(codeBox()->text(), "59048");
        QVERIFY(sim->waitForClosed(closed + 1));
        QTRY_COMPARE(status(), Wire::WriteOk);
        QCOMPARE(counterBox()->text(), "1");
        QVERIFY(runExchange(readButton())); // the transmitter holds the code of the click
        QCOMPARE(codeBox()->text(), "0");
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
                           [&] { closeBox ? void(form->close()) : click(exitButton()); });
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
