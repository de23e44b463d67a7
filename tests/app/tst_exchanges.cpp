// Read, write and version exchanges from the window, end to end over a pseudo-terminal against
// the transmitter simulator: what goes on the line, what the window shows, and that every way
// out of an exchange closes the port and frees the window.

#include "dropdownbox.h"
#include "form1.h"
#include "scriptedprinttarget.h"
#include "simulatorprocess.h"
#include "switchcode.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

namespace {

const QString readOk = "Read transmitter DIP-switch code OK!";
const QString readError = "Read transmitter DIP-switch code error";
const QString writeOk = "Write transmitter DIP-switch code OK!";
const QString writeError = "Write transmitter DIP-switch code error";
const QString versionError = "Read transmitter version error";
const QString readRequest = "rx 00 FF 01 02 02 03 01 00 02 F5";
const QString versionRequest = "rx 00 FF 01 01 00 00 FE";

} // namespace

class ExchangesTest : public QObject, WindowFixture
{
    Q_OBJECT

    QTemporaryDir config;
    std::unique_ptr<SimulatorProcess> sim;

    QString portsFolder() const { return config.path() + "/k5-dipswitch/ports"; }

    // Starts a simulator on COM1 with the given options; no pacing, so that tests run fast.
    bool startSimulator(const QStringList &options = {})
    {
        sim = std::make_unique<SimulatorProcess>(
            QStringList{"--no-pacing", "--log", "--link", "COM1"} + options);
        return sim->started();
    }

    QString status() const { return statusBox()->text(); }
    QString code() const { return codeBox()->text(); }
    QString counter() const { return counterBox()->text(); }
    bool functionOn() const { return functionCheck()->isChecked(); }
    void showVersionButton()
    {
        click(resetButton());
        QTest::keyClick(resetButton(), Qt::Key_V);
    }
    // Picks a port from the port selector's list with the mouse.
    void pickPort(int n)
    {
        auto *ports = portSelector();
        ports->showPopup();
        QTRY_VERIFY(ports->view()->isVisible());
        const QModelIndex index = ports->view()->model()->index(n - 1, 0);
        ports->view()->scrollTo(index);
        QTest::mouseClick(ports->view()->viewport(), Qt::LeftButton, {},
                          ports->view()->visualRect(index).center());
        QTRY_COMPARE(ports->text(), QStringLiteral("COM%1").arg(n));
    }
    // Waits until the running exchange has ended and the line is closed again: the simulator saw
    // the window close it, or hung it up itself.
    bool exchangeEnded(int closedBefore)
    {
        return QTest::qWaitFor([&] { return !form->busy() && closedCount() > closedBefore; },
                               SimulatorProcess::PatienceMs);
    }
    int closedCount() { return int(sim->log().count("closed") + sim->log().count("hangup")); }

    // Clicks an exchange button and waits for the exchange to end with the port closed.
    void runExchange(QWidget *button)
    {
        const int closed = closedCount();
        click(button);
        QVERIFY2(exchangeEnded(closed), qPrintable(sim->log().join(u'\n')));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    }

    void init() { QVERIFY(openWindow()); }
    void cleanup()
    {
        closeWindow();
        sim.reset();
    }

    // --- read ---------------------------------------------------------------------------------

    void read_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("switchCode");
        QTest::newRow("code 12345") << QStringList{"--code", "12345"} << true << "12345" << 12345;
        QTest::newRow("code 0") << QStringList{"--code", "0"} << true << "0" << 0;
        QTest::newRow("highest code") << QStringList{"--code", "59048"} << true << "59048" << 59048;
        QTest::newRow("FF 00 is a code, out of range")
            << QStringList{"--code", "65280"} << true << "29524" << 29524;
        QTest::newRow("00 FF is the code 255")
            << QStringList{"--code", "255"} << true << "255" << 255;
        QTest::newRow("off marker") << QStringList{"--off"} << false << "" << -1;
    }
    void read()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, on);
        QFETCH(QString, code);
        QFETCH(int, switchCode);
        QVERIFY(startSimulator(options));
        runExchange(readButton());
        QCOMPARE(status(), readOk);
        QCOMPARE(sim->log("rx "), QStringList{readRequest});
        QCOMPARE(functionOn(), on);
        QCOMPARE(this->code(), code);
        QCOMPARE(switches(),
                 switchCode < 0 ? QStringList(10, QString()).join(u' ') : switchesOf(switchCode));
        QCOMPARE(codeBox()->isEnabled(), on);
    }

    void readTurnsTheFunctionBackOn()
    {
        QVERIFY(startSimulator({"--code", "12"}));
        click(functionCheck());
        QVERIFY(!functionOn());
        runExchange(readButton());
        QVERIFY(functionOn());
        QCOMPARE(code(), "12");
        QCOMPARE(switches(), switchesOf(12));
        QVERIFY(switchBox(3)->isEnabled());
    }

    // --- write --------------------------------------------------------------------------------

    void write_data()
    {
        QTest::addColumn<QString>(
            "label"); // all switches set by this label, or "" for the off marker
        QTest::addColumn<QString>("request");
        QTest::newRow("all -, code 0") << "Label17"
                                       << "rx 00 FF 01 02 12 04 01 00 00 00 E6";
        QTest::newRow("all 0, code 29524") << "Label16"
                                           << "rx 00 FF 01 02 12 04 01 00 73 54 1F";
        QTest::newRow("all +, code 59048") << "Label15"
                                           << "rx 00 FF 01 02 12 04 01 00 E6 A8 58";
        QTest::newRow("function off") << ""
                                      << "rx 00 FF 01 02 12 04 01 00 FF FF E8";
    }
    void write()
    {
        QFETCH(QString, label);
        QFETCH(QString, request);
        QVERIFY(startSimulator());
        if (label.isEmpty())
            click(functionCheck());
        else
            QTest::mouseClick(control<QLabel>(label), Qt::LeftButton);
        runExchange(writeButton());
        QCOMPARE(status(), writeOk);
        QCOMPARE(sim->log("rx "), QStringList{request});
        QCOMPARE(counter(), "1");
    }

    void writeTakesTheSwitchesNotATypedCode()
    {
        QVERIFY(startSimulator());
        QTest::mouseClick(allMinusLabel(), Qt::LeftButton); // switches all "-"
        // Text that reaches the code box without a key (as a paste) and is out of range.
        codeBox()->setText("abc");
        runExchange(writeButton());
        QCOMPARE(code(), "0");
        QCOMPARE(sim->log("rx "), QStringList{"rx 00 FF 01 02 12 04 01 00 00 00 E6"});
        QCOMPARE(status(), writeOk);
    }

    void counterCountsConfirmedWritesOnly()
    {
        QVERIFY(startSimulator());
        for (int n = 1; n <= 3; ++n) {
            runExchange(writeButton());
            QCOMPARE(counter(), QString::number(n));
        }
        click(resetButton());
        QCOMPARE(counter(), "0");
        runExchange(writeButton());
        QCOMPARE(counter(), "1");
    }

    void noLostWrite()
    {
        QVERIFY(startSimulator({"--code", "0"}));
        // 12345 is - + - 0 + + 0 + 0 -: typed into the code box.
        codeBox()->setFocus();
        codeBox()->selectAll();
        QTest::keyClicks(codeBox(), "12345");
        QCOMPARE(switches(), switchesOf(12345));
        runExchange(writeButton());
        QCOMPARE(status(), writeOk);

        QTest::mouseClick(allPlusLabel(), Qt::LeftButton); // the window forgets it
        runExchange(readButton());
        QCOMPARE(status(), readOk);
        QCOMPARE(code(), "12345");
        QCOMPARE(switches(), switchesOf(12345));
    }

    // --- version ------------------------------------------------------------------------------

    void version_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("text");
        QTest::newRow("default text") << QStringList{} << "K5-SIM 1.0";
        QTest::newRow("given text") << QStringList{"--version-text", "ABC"} << "ABC";
        QTest::newRow("empty text empties the status") << QStringList{"--version-text", ""} << "";
        QTest::newRow("Latin-1 letters")
            << QStringList{"--version-text", QString::fromLatin1("V\xe9")}
            << QString::fromLatin1("V\xe9");
    }
    void version()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, text);
        QVERIFY(startSimulator(options));
        QVERIFY(!versionButton()->isVisible());
        showVersionButton();
        QVERIFY(versionButton()->isVisible());
        runExchange(versionButton());
        QCOMPARE(sim->log("rx "), QStringList{versionRequest});
        QCOMPARE(status(), text);
    }

    // --- faults -------------------------------------------------------------------------------

    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        for (const char *fault :
             {"no-echo", "short-echo", "no-reply", "cut:1", "cut:5", "late-byte", "bad-checksum",
              "wrong-command", "wrong-group", "overlong", "noise", "hangup"})
            QTest::newRow(fault) << QString::fromLatin1(fault);
    }
    void faults()
    {
        QFETCH(QString, fault);
        QVERIFY(startSimulator({"--fault", fault, "--code", "12"}));
        showVersionButton();
        struct Case
        {
            const char *button;
            QString error;
        };
        const Case cases[] = {
            {"Command1", readError}, {"Command6", writeError}, {"Command8", versionError}};
        for (const Case &c : cases) {
            const QString codeBefore = code();
            runExchange(control(c.button));
            QCOMPARE(status(), c.error);
            QCOMPARE(form->busy(), false);
            QCOMPARE(counter(), "0");
            QCOMPARE(code(), codeBefore);
        }
        // The window is free again: with a sound transmitter the next exchange works.
        sim.reset();
        QVERIFY(startSimulator({"--code", "12"}));
        runExchange(readButton());
        QCOMPARE(status(), readOk);
        QCOMPARE(code(), "12");
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
        for (int round = 0; round < 2;
             ++round) { // and what a reply leaves on the line harms no other
            runExchange(readButton());
            QCOMPARE(status(), text);
            QCOMPARE(code(), text == readOk ? "12" : "29524");
        }
    }

    // --- the port -----------------------------------------------------------------------------

    void missingPort()
    {
        QVERIFY(startSimulator());
        QVERIFY(QFile::link("/nonexistent/ttyUSB9", portsFolder() + "/COM5"));
        pickPort(5);
        // The window shows only its message; support finds the device and the reason in the log.
        static QStringList logged;
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &context, const QString &text) {
                logged << QString::fromLatin1(context.category) + ": " + text;
            });
        click(readButton());
        qInstallMessageHandler(previous);
        QCOMPARE(status(), "COM5 not available for use");
        // The tooltip gives the reason in the words of the command-line program's error line.
        QProcess cli;
        cli.start(K5_CLI_PATH, {"--port", "COM5", "read"});
        QVERIFY(cli.waitForFinished(SimulatorProcess::PatienceMs));
        QCOMPARE("k5-dipswitch-cli: " + statusBox()->toolTip() + "\n",
                 QString::fromUtf8(cli.readAllStandardError()));
        QVERIFY(statusBox()->toolTip().startsWith("COM5 (/nonexistent/ttyUSB9): no such device"));
        QCOMPARE(logged.size(), 1);
        QVERIFY2(logged[0].startsWith("k5.link: COM5: cannot open /nonexistent/ttyUSB9: ") &&
                     logged[0].contains("No such file"),
                 qPrintable(logged[0]));
        QCOMPARE(form->busy(), false);
        click(readButton()); // and again: nothing is left locked
        QCOMPARE(status(), "COM5 not available for use");
        QFile::remove(portsFolder() + "/COM5");
        QVERIFY(sim->log("rx ").isEmpty());
    }

    // Each entry of the list says which device its port stands for, as it is when the list opens.
    void portSelectorTellsTheDevices()
    {
        QVERIFY(startSimulator()); // on COM1, after the window started
        QVERIFY(QFile::link("/nonexistent/ttyUSB9", portsFolder() + "/COM5"));
        auto *ports = portSelector();
        ports->showPopup();
        QTRY_VERIFY(ports->view()->isVisible());
        const QString com1 = ports->itemData(0, Qt::ToolTipRole).toString();
        const QString com5 = ports->itemData(4, Qt::ToolTipRole).toString();
        ports->hidePopup();
        QFile::remove(portsFolder() + "/COM5");
        QCOMPARE(com1, sim->device());
        QCOMPARE(com5, "Nothing connected: /nonexistent/ttyUSB9 is not there");
    }

    void portSelectorTexts_data()
    {
        // Only "COM1" to "COM16" name a port; any other text selects port 1 and stays as it is.
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("textAfter");
        QTest::newRow("empty") << ""
                               << "COM1";
        QTest::newRow("small letters") << "com2"
                                       << "com2";
        QTest::newRow("with a blank") << "COM 2"
                                      << "COM 2";
        QTest::newRow("COM0") << "COM0"
                              << "COM0";
        QTest::newRow("COM17") << "COM17"
                               << "COM17";
        QTest::newRow("COM1 is not a prefix of COM16") << "COM16x"
                                                       << "COM16x";
    }
    void portSelectorTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, textAfter);
        QVERIFY(startSimulator());     // on COM1
        portSelector()->setText(text); // only the program can write it
        runExchange(readButton());
        QCOMPARE(status(), readOk);
        QCOMPARE(portSelector()->text(), textAfter);
    }

    void portInUse_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("read") << "Command1";
        QTest::newRow("write") << "Command6";
        QTest::newRow("version") << "Command8";
    }
    void portInUse()
    {
        QFETCH(QString, button);
        QVERIFY(startSimulator());
        QSerialPort other(sim->device());
        QVERIFY(other.open(QIODevice::ReadWrite));
        showVersionButton();
        click(control(button));
        QCOMPARE(status(), "COM1 not available for use");
        QVERIFY2(statusBox()->toolTip().contains(": in use by another program"),
                 qPrintable(statusBox()->toolTip()));
        QCOMPARE(form->busy(), false);
        QCOMPARE(counter(), "0");
        other.close();
        runExchange(control(button));
        QVERIFY(status() != "COM1 not available for use");
        QCOMPARE(statusBox()->toolTip(), QString()); // the reason went with its text
    }

    void portLinkRemovedBetweenExchanges()
    {
        // Without its link, COM16 falls back to /dev/ttyS15, which must not exist here.
        if (QFile::exists("/dev/ttyS15"))
            QSKIP("this machine has a /dev/ttyS15, which COM16 would fall back to");
        sim = std::make_unique<SimulatorProcess>(
            QStringList{"--no-pacing", "--log", "--link", "COM16", "--code", "7"});
        QVERIFY(sim->started());
        pickPort(16);
        runExchange(readButton());
        QCOMPARE(code(), "7");

        const QString link = portsFolder() + "/COM16";
        QVERIFY(QFile::remove(link)); // the adapter's link is gone
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("COM16: cannot open /dev/ttyS15"));
        click(readButton());
        QCOMPARE(status(), "COM16 not available for use");
        QCOMPARE(form->busy(), false);

        QVERIFY(QFile::link(sim->device(), link)); // and back
        runExchange(readButton());
        QCOMPARE(status(), readOk);
    }

    void deviceWithoutPermission()
    {
        if (::geteuid() == 0)
            QSKIP("running as root, whom no file permission stops");
        QVERIFY(startSimulator());
        QVERIFY(QFile::setPermissions(sim->device(), QFile::Permissions{}));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("COM1: cannot open .*ermission"));
        click(readButton());
        QCOMPARE(status(), "COM1 not available for use");
        QCOMPARE(form->busy(), false);
    }

    void secondInstanceOnTheSamePort()
    {
        // A reply slowed to 0.3 s a byte keeps the first instance's read going for some 2.4 s.
        QVERIFY(startSimulator({"--fault", "slow:300", "--code", "12345"}));
        const int closed = closedCount();
        click(readButton());
        QProcess other;
        other.start(K5_OTHER_INSTANCE_PATH, {"COM1"});
        QVERIFY(QTest::qWaitFor([&] { return other.state() == QProcess::NotRunning; },
                                SimulatorProcess::PatienceMs));
        QCOMPARE(other.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(other.readAllStandardOutput()).trimmed(),
                 "COM1 not available for use");
        QCOMPARE(form->busy(), true);

        QVERIFY(exchangeEnded(closed));
        QCOMPARE(status(), readOk);
        QCOMPARE(code(), "12345");
        QCOMPARE(sim->log("rx "), QStringList{readRequest});
    }

    // --- during the wait ----------------------------------------------------------------------

    void secondClicksDuringAnExchangeDoNothing()
    {
        QVERIFY(startSimulator({"--fault", "no-reply"}));
        showVersionButton();
        int prints = 0;
        form->setPrintTargetFactory([&](QPrinter &) {
            ++prints;
            return std::make_unique<ScriptedTarget>();
        });
        const int closed = closedCount();
        click(readButton());
        QCOMPARE(form->busy(), true);
        QCOMPARE(status(), "Read transmitter DIP-switch code");
        for (QWidget *button : {readButton(), writeButton(), versionButton(), printButton()})
            click(button);
        QCOMPARE(status(), "Read transmitter DIP-switch code");
        QCOMPARE(prints, 0);
        QVERIFY(exchangeEnded(closed));
        QCOMPARE(status(), readError);
        QCOMPARE(sim->log("rx "), QStringList{readRequest});
        QCOMPARE(counter(), "0");
    }

    void panelAndResetWorkDuringTheWait()
    {
        // Paced at the real line speed, a write takes some 70 ms; the user acts in the meantime.
        sim = std::make_unique<SimulatorProcess>(QStringList{"--log", "--link", "COM1"});
        QVERIFY(sim->started());
        runExchange(writeButton());
        QCOMPARE(counter(), "1");

        QTest::mouseClick(allMinusLabel(), Qt::LeftButton); // code 0
        const int closed = closedCount();
        click(writeButton());
        QCOMPARE(form->busy(), true);
        click(resetButton()); // Reset
        QCOMPARE(counter(), "0");
        QTest::mouseClick(allPlusLabel(), Qt::LeftButton); // all "+"
        QCOMPARE(code(), "59048");
        switchBox(1)->setFocus();
        QTest::keyClick(switchBox(1), Qt::Key_0);
        QCOMPARE(code(), "59047");
        QVERIFY(exchangeEnded(closed));
        QCOMPARE(status(), writeOk);
        QCOMPARE(sim->log("rx ").value(1), "rx 00 FF 01 02 12 04 01 00 00 00 E6");
        QCOMPARE(counter(), "1");
        QCOMPARE(code(), "59047");

        runExchange(readButton()); // the transmitter holds the code of the click, not the edits
        QCOMPARE(code(), "0");
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
        QCOMPARE(form->busy(), true);
        QVERIFY(sim->waitForLog(readRequest));

        QTimer::singleShot(0, form.get(), [&] {
            if (closeBox)
                form->close();
            else
                click(exitButton());
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        watchdog.start(SimulatorProcess::PatienceMs);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(sim->waitForLog("closed"));

        // The port is free at once for the next program.
        QSerialPort next(sim->device());
        QVERIFY(next.open(QIODevice::ReadWrite));
    }
};

QTEST_MAIN(ExchangesTest)
#include "tst_exchanges.moc"
