// Read, write and version exchanges from the window, end to end over a pseudo-terminal against
// the transmitter simulator: what goes on the line, what the window shows, and that every way
// out of an exchange closes the port and frees the window.

#include "dropdownbox.h"
#include "scriptedprinttarget.h"
#include "simulatorprocess.h"
#include "windowfixture.h"

#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString readOk = "Read transmitter DIP-switch code OK!";
const QString readError = "Read transmitter DIP-switch code error";
const QString writeOk = "Write transmitter DIP-switch code OK!";
const QString readRequest = "rx 00 FF 01 02 02 03 01 00 02 F5";

// The k5.link messages logged while a test runs.
QStringList linkLog;
void logLink(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    if (qstrcmp(context.category, "k5.link") == 0)
        linkLog << text;
}

} // namespace

class ExchangesTest : public QObject, WindowFixture
{
    Q_OBJECT

    QTemporaryDir config;
    std::unique_ptr<SimulatorProcess> sim;

    bool startSimulator(const QStringList &options = {})
    {
        sim = SimulatorProcess::onCom1(options);
        return sim->started();
    }
    QString status() const { return statusBox()->text(); }
    void showVersionButton()
    {
        click(resetButton());
        QTest::keyClick(resetButton(), Qt::Key_V);
    }
    // Waits until the running exchange has ended and the line is closed again: the simulator saw
    // the window close it, or hung it up itself.
    bool exchangeEnded(int closedBefore)
    {
        return sim->waitForClosed(closedBefore + 1) &&
               QTest::qWaitFor([&] { return !form->busy(); }, SimulatorProcess::PatienceMs);
    }
    // Clicks an exchange button and waits for the exchange to end with the port closed.
    void runExchange(QWidget *button)
    {
        const int closed = sim->closedCount();
        click(button);
        QVERIFY2(exchangeEnded(closed), qPrintable(sim->log().join(u'\n')));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        qInstallMessageHandler(logLink);
    }
    void init()
    {
        linkLog.clear();
        QVERIFY(openWindow());
    }
    void cleanup()
    {
        closeWindow();
        sim.reset();
    }

    void read_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("code"); // empty: the function is off
        QTest::newRow("code 12345") << QStringList{"--code", "12345"} << "12345";
        QTest::newRow("FF 00 is a code, out of range") << QStringList{"--code", "65280"} << "29524";
        QTest::newRow("off marker") << QStringList{"--off"} << "";
    }
    void read()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, code);
        QVERIFY(startSimulator(options));
        if (!code.isEmpty())
            click(functionCheck()); // off: a code read turns it back on
        runExchange(readButton());
        QCOMPARE(status(), readOk);
        QCOMPARE(sim->log("rx "), QStringList{readRequest});
        QCOMPARE(sim->log("line "), QStringList{"line 2400 baud"});
        QCOMPARE(linkLog.filter(" opened "), QStringList{"COM1: opened " + sim->device() + " at 2400 8N1"});
        QCOMPARE(functionCheck()->isChecked(), !code.isEmpty());
        QCOMPARE(switchBox(3)->isEnabled(), !code.isEmpty());
        QCOMPARE(codeBox()->text(), code);
        QCOMPARE(switches(),
                 code.isEmpty() ? QStringList(10, QString()).join(u' ') : switchesOf(code.toInt()));
    }

    void write_data()
    {
        QTest::addColumn<bool>("functionOn");
        QTest::addColumn<QString>("request");
        QTest::newRow("all switches 0, code 29524")
            << true << "rx 00 FF 01 02 12 04 01 00 73 54 1F";
        QTest::newRow("function off") << false << "rx 00 FF 01 02 12 04 01 00 FF FF E8";
    }
    void write()
    {
        QFETCH(bool, functionOn);
        QFETCH(QString, request);
        QVERIFY(startSimulator());
        if (!functionOn)
            click(functionCheck());
        // Text that reaches the code box without a key is not what is written: the switches are.
        codeBox()->setText("abc");
        for (int n = 1; n <= 2; ++n) {
            runExchange(writeButton());
            QCOMPARE(status(), writeOk);
            QCOMPARE(counterBox()->text(), QString::number(n));
        }
        QCOMPARE(sim->log("rx "), QStringList(2, request));
        QCOMPARE(codeBox()->text(), functionOn ? "29524" : "abc");
    }

    void version()
    {
        QVERIFY(startSimulator({"--version-text", QString::fromLatin1("K5 V\xe9")}));
        showVersionButton();
        runExchange(versionButton());
        QCOMPARE(sim->log("rx "), QStringList{"rx 00 FF 01 01 00 00 FE"});
        QCOMPARE(status(), QStringLiteral("K5 V\u00e9"));
    }

    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("no echo") << "no-echo";
        QTest::newRow("bad reply") << "bad-checksum";
        QTest::newRow("hang-up") << "hangup";
    }
    void faults()
    {
        QFETCH(QString, fault);
        QVERIFY(startSimulator({"--fault", fault, "--code", "12"}));
        showVersionButton();
        const QList<QPair<QWidget *, QString>> exchanges = {
            {readButton(), readError},
            {writeButton(), "Write transmitter DIP-switch code error"},
            {versionButton(), "Read transmitter version error"}};
        for (const auto &[button, error] : exchanges) {
            runExchange(button);
            QCOMPARE(status(), error);
        }
        QCOMPARE(counterBox()->text(), "0");
        QCOMPARE(codeBox()->text(), "29524");
        // A line that hangs up is closed at once, not read again and again until the limit.
        QCOMPARE(linkLog.filter("failed").size(), fault == "hangup" ? 3 : 0);
    }

    void unevenReplies_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("text");
        QTest::newRow("bytes 0.45 s apart, each within its limit") << "slow:450" << readOk;
        QTest::newRow("bytes 0.6 s apart") << "slow:600" << readError;
        QTest::newRow("stray bytes after the reply") << "trailing-noise" << readOk;
    }
    void unevenReplies()
    {
        QFETCH(QString, fault);
        QFETCH(QString, text);
        QVERIFY(startSimulator({"--fault", fault, "--code", "12"}));
        for (int round = 0; round < 2; ++round) { // what a reply leaves on the line harms no other
            runExchange(readButton());
            QCOMPARE(status(), text);
            QCOMPARE(codeBox()->text(), text == readOk ? "12" : "29524");
        }
    }

    void portNotAvailable()
    {
        QVERIFY(startSimulator());
        QVERIFY(QFile::link("/nonexistent/ttyUSB9", config.path() + "/k5-dipswitch/ports/COM5"));
        // Each entry of the list says which device its port stands for, as it is when the list
        // opens.
        pick(portSelector(), 4);
        QCOMPARE(portSelector()->itemData(0, Qt::ToolTipRole).toString(), sim->device());
        QCOMPARE(portSelector()->itemData(4, Qt::ToolTipRole).toString(),
                 "Nothing connected: /nonexistent/ttyUSB9 is not there");
        click(readButton());
        QCOMPARE(status(), "COM5 not available for use");
        // The tooltip gives the reason in the words of the command-line program's error line.
        QProcess cli;
        cli.start(K5_CLI_PATH, {"--port", "COM5", "read"});
        QVERIFY(cli.waitForFinished(SimulatorProcess::PatienceMs));
        QCOMPARE("k5-dipswitch-cli: " + statusBox()->toolTip() + "\n",
                 QString::fromUtf8(cli.readAllStandardError()));
        QVERIFY(statusBox()->toolTip().startsWith("COM5 (/nonexistent/ttyUSB9): no such device"));
        // The window shows only its message; support finds the device and the reason in the log.
        QCOMPARE(linkLog.size(), 1);
        QVERIFY2(linkLog[0].startsWith("COM5: cannot open /nonexistent/ttyUSB9: ") &&
                     linkLog[0].contains("No such file"),
                 qPrintable(linkLog[0]));

        // A port another program has open is not available either, and nothing reaches it.
        pick(portSelector(), 0);
        QSerialPort other(sim->device());
        QVERIFY(other.open(QIODevice::ReadWrite));
        click(writeButton());
        QCOMPARE(status(), "COM1 not available for use");
        QVERIFY2(statusBox()->toolTip().contains(": in use by another program"),
                 qPrintable(statusBox()->toolTip()));
        QVERIFY(!form->busy());
        other.close();
        runExchange(writeButton()); // and nothing is left locked
        QCOMPARE(status(), writeOk);
        QCOMPARE(statusBox()->toolTip(), QString()); // the reason went with its text
        QCOMPARE(sim->log("rx ").size(), 1);
    }

    void secondClicksDuringAnExchangeDoNothing()
    {
        QVERIFY(startSimulator({"--fault", "no-reply"}));
        showVersionButton();
        int prints = 0;
        form->setPrintTargetFactory([&](QPrinter &) {
            ++prints;
            return std::make_unique<ScriptedTarget>();
        });
        const int closed = sim->closedCount();
        click(readButton());
        QVERIFY(form->busy());
        for (QWidget *button : {readButton(), writeButton(), versionButton(), printButton()})
            click(button);
        QCOMPARE(status(), "Read transmitter DIP-switch code");
        QCOMPARE(prints, 0);
        QVERIFY(exchangeEnded(closed));
        QCOMPARE(status(), readError);
        QCOMPARE(sim->log("rx "), QStringList{readRequest});
    }

    void panelAndResetWorkDuringTheWait()
    {
        // Paced at the real line speed, a write takes some 70 ms; the user acts in the meantime.
        sim = std::make_unique<SimulatorProcess>(QStringList{"--log", "--link", "COM1"});
        QVERIFY(sim->started());
        runExchange(writeButton());
        click(allMinusLabel()); // code 0
        const int closed = sim->closedCount();
        click(writeButton());
        QVERIFY(form->busy());
        click(resetButton());
        QCOMPARE(counterBox()->text(), "0");
        click(allPlusLabel());
        QCOMPARE(codeBox()->text(), "59048");
        QVERIFY(exchangeEnded(closed));
        QCOMPARE(status(), writeOk);
        QCOMPARE(counterBox()->text(), "1");
        runExchange(readButton()); // the transmitter holds the code of the click, not the edits
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
        QVERIFY(startSimulator({"--fault", "no-reply"}));
        click(readButton());
        QVERIFY(sim->waitForLog(readRequest));
        QTimer::singleShot(0, form.get(),
                           [&] { closeBox ? void(form->close()) : click(exitButton()); });
        QTimer watchdog;
        connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        watchdog.start(SimulatorProcess::PatienceMs);
        QCOMPARE(QCoreApplication::exec(), 0);
        // The port is free at once for the next program, not only once the wait has run out.
        QSerialPort next(sim->device());
        QVERIFY(next.open(QIODevice::ReadWrite));
        QVERIFY(sim->waitForLog("closed"));
    }
};

QTEST_MAIN(ExchangesTest)
#include "tst_exchanges.moc"
