// k5-dipswitch-cli end to end: its own process against the transmitter simulator over a
// pseudo-terminal, with the port links in a private configuration folder. What it prints, its
// exit status, and the frames that reached the line as the simulator logged them.

#include "simulatorprocess.h"
#include "wirescenarios.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

Ran Cli(const QStringList &arguments)
{
    return RunProcess(K5_CLI_PATH, arguments);
}

QJsonObject Json(const QStringList &arguments)
{
    return QJsonDocument::fromJson(Cli(arguments + QStringList{"--json"}).out.toUtf8()).object();
}

// The program started by a shell that first redirects its standard streams (as "exec" takes
// them), with the log on.
Ran Redirected(const QString &redirection, const QStringList &arguments)
{
    const QString shell =
        "exec " + redirection + "; QT_LOGGING_RULES='k5.*=true' exec \"$0\" \"$@\"";
    return RunProcess("sh", QStringList{"-c", shell, K5_CLI_PATH} + arguments);
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

    PrivateConfig config;
    std::unique_ptr<SimulatorProcess> sim;

private Q_SLOTS:
    void cleanup() { sim.reset(); }

    // Each row of the table, and those of sound exchanges and late answers again with socat between
    // the port and the transmitter, as a network serial bridge brings a transmitter on another
    // bench: the exchanges go as on the line itself, a late answer included, which the bridge keeps
    // for the next open.
    void scenarios_data()
    {
        QTest::addColumn<WireScenario>("s");
        QTest::addColumn<bool>("bridged");
        const QStringList sound = {"read a code", "write a number", "version"};
        for (const WireScenario &s : Wire::Scenarios) {
            QTest::newRow(s.name) << s << false;
            if (sound.contains(s.name) || !s.before.isEmpty())
                QTest::addRow("%s, through a bridge", s.name.constData()) << s << true;
        }
    }
    void scenarios()
    {
        QFETCH(WireScenario, s);
        QFETCH(bool, bridged);
        QVERIFY(SimulatorProcess::startOnCom1(sim, s.simulator));
        QSerialPort other(sim->device());
        QVERIFY(s.port != WireScenario::InUse || other.open(QIODevice::ReadWrite));
        const QString bridge = config.path() + "/bridge";
        QProcess socat;
        const auto stop =
            qScopeGuard([&] { socat.kill(), socat.waitForFinished(), QFile::remove(bridge); });
        if (bridged) {
            socat.start("socat", {"PTY,rawer,link=" + bridge, sim->device() + ",rawer"});
            QVERIFY2(socat.waitForStarted(),
                     "socat is missing: scripts/install-deps.sh installs it");
            QTRY_VERIFY(QFileInfo::exists(bridge));
            QVERIFY(QFile::remove(config.portLink("COM1")) &&
                    QFile::link(bridge, config.portLink("COM1")));
        }
        const QString device = bridged ? QFileInfo(bridge).canonicalFilePath()
                               : s.port == WireScenario::Missing ? "/nonexistent/ttyUSB9"
                                                                 : sim->device();
        QVERIFY(s.port != WireScenario::Missing || QFile::link(device, config.portLink("COM5")));
        const bool direct = s.command.contains("DEVICE");
        s.command.replaceInStrings("DEVICE", sim->device());

        if (!s.before.isEmpty()) {
            QCOMPARE(Cli(s.before).status, 1);
            QVERIFY(sim->waitForReplies());
            // Through the bridge the late answer waits unread on its port for the next open.
            const int fd = ::open(QFile::encodeName(bridge).constData(), O_RDONLY | O_NOCTTY);
            int waiting = 0;
            QTRY_VERIFY(!bridged || (::ioctl(fd, FIONREAD, &waiting) == 0 && waiting > 0));
            ::close(fd);
        }
        // The error line goes to standard error with --json too; the text output only without.
        const QString error =
            s.status == 0 ? QString() : s.portName() + " (" + device + "): " + s.line;
        const Ran ran = Cli(s.command + QStringList{"--json"});
        QCOMPARE(ran.status, s.status);
        QCOMPARE(ran.err, error.isEmpty() ? QString() : "k5-dipswitch-cli: " + error + "\n");
        QVERIFY(bridged || sim->waitForClosed(int(s.requests.size())));
        QTRY_COMPARE(sim->log("rx "), s.requests);

        QVariantMap json = s.fields.toVariantMap();
        json.insert({{"command", s.command.first()}, {"outcome", s.outcome}, {"device", device}});
        if (!direct)
            json.insert("port", s.portName());
        if (!error.isEmpty())
            json.insert("error", error);
        QCOMPARE(QJsonDocument::fromJson(ran.out.toUtf8()).object(),
                 QJsonObject::fromVariantMap(json));
        if (s.status == 0) {
            QVERIFY(sim->waitForReplies()); // stray bytes after the last reply are in
            QCOMPARE(Cli(s.command).out, s.line + "\n");
        }
    }

    // What root's privileges would hide; CTest runs this again as an unprivileged user.
    void withoutPermission()
    {
        if (::geteuid() == 0)
            QSKIP("running as root, whom no file permission stops");
        QVERIFY(SimulatorProcess::startOnCom1(sim));
        QVERIFY(QFile::setPermissions(sim->device(), QFile::Permissions{}));
        const Ran run = Cli({"read"});
        QCOMPARE(run.status, 2);
        // The simulator's line is the user's own, whom no group would help.
        QCOMPARE(run.err, "k5-dipswitch-cli: COM1 (" + sim->device() +
                              "): no permission (Permission denied): the device is the user's "
                              "own: give it read and write permission (chmod u+rw " +
                              sim->device() + ")\n");

        // A ports folder the user cannot write: nothing is mapped, and the command says so.
        const QString ports = config.path() + "/k5-dipswitch/ports";
        QVERIFY(QFile::setPermissions(ports, QFile::ReadOwner | QFile::ExeOwner));
        const Ran map = Cli({"map", "COM2", sim->device()});
        QFile::setPermissions(ports, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(map.status, 73);
        QVERIFY(map.err.startsWith("k5-dipswitch-cli: COM2: ") &&
                map.err.contains("Permission denied"));
        QVERIFY(!QFileInfo(config.portLink("COM2")).isSymLink());
    }

    // Each row's name is the command line, with <...> for an argument a name cannot hold. With
    // --json every answer is JSON, named after the command wherever it is known. Nothing reaches
    // the line: a read afterwards is the first thing the simulator sees.
    void usage_data()
    {
        QTest::addColumn<QString>("command"); // the JSON object's; none: null
        QTest::addColumn<QString>("error");   // how the error line begins; none: status 0
        const auto row = [](const char *line, const QString &command, const QString &error) {
            QTest::newRow(line) << command << error;
        };
        row("write 59049", "write", "59049 is out ");
        row("write 012345", "write", "012345 is out ");
        row("write +0-+0", "write", "'+0-+0' has 5 switch characters: ");
        row("--port COM17 read", "read",
            "unknown port 'COM17': name one of COM1 to COM16, or a device such as /dev/ttyUSB0\n");
        row("erase", "erase", "unknown command 'erase' ");
        row("<empty>", "", "unknown command '' ");
        row("map COM2 /dev/null", "map", "/dev/null: not a serial device: ");
        row("map COM2 /nonexistent/ttyUSB9", "map", "/nonexistent/ttyUSB9: no such device: ");
        row("map COM2 <empty>", "map",
            "no device given: give the adapter's device, as 'ports' lists them\n");
        row("write -1", "write", "'-1' is not a code: ");
        row("write -+-0++0+0x", "write", "'-+-0++0+0x' is no switch setting: ");
        row("--port COM1 --port COM2 write 1", "write", "--port given more than once");
        row("read --verify", "read", "--verify goes with write only");
        row("ports --port COM1", "ports", "ports takes no --port\n");
        row("read 5", "read", "read takes no arguments\n");
        row("write <100000-nines>", "write", QString(64, u'9') + "... is out of range");
        row("write 12<newline>", "write", "'12\\n' is not a code: ");
        // Cut before the character that would cross the limit, not within it.
        row("write <63-a-and-emoji>", "write", "'" + QString(63, u'a') + "...' ");
        row("<escape>[31m", "\x1b[31m", "unknown command '\\x1B[31m' ");
        row("--bogus read", "read", "Unknown option 'bogus'. (see --help)\n");
        row("--bogus", "", "Unknown option 'bogus'.");
        row("--version", "--version", "");
        row("--help", "--help", "");
    }
    void usage()
    {
        QFETCH(QString, command);
        QFETCH(QString, error);
        const int status = error.isEmpty() ? 0 : 64;
        QVERIFY(SimulatorProcess::startOnCom1(sim));
        QStringList arguments = QString(QTest::currentDataTag()).split(u' ');
        arguments.replaceInStrings("<empty>", "")
            .replaceInStrings("<100000-nines>", QString(100000, u'9'))
            .replaceInStrings("<newline>", "\n")
            .replaceInStrings("<63-a-and-emoji>",
                              QString(63, u'a') + QString::fromUtf8("\U0001F600"))
            .replaceInStrings("<escape>", "\x1b");
        const Ran plain = Cli(arguments); // its error in one line
        QCOMPARE(
            std::tuple(plain.status, plain.err.left(18 + error.size()), plain.err.count(u'\n')),
            std::tuple(status, status == 0 ? QString() : "k5-dipswitch-cli: " + error,
                       qsizetype(status == 0 ? 0 : 1)));
        const QJsonObject json = Json(arguments);
        QCOMPARE(json.value("command"), command.isEmpty() ? QJsonValue() : QJsonValue(command));
        QCOMPARE(json.value("outcome"), status == 0 ? "done" : "bad-usage");
        QCOMPARE(json.value("text").toString() + json.value("error").toString(),
                 plain.out.trimmed() + plain.err.mid(18).trimmed());
        QVERIFY(!QFileInfo::exists(config.portLink("COM2")));
        QCOMPARE(Cli({"read"}).status, 0);
        QVERIFY(sim->waitForClosed(1));
        QCOMPARE(sim->log("rx "), QStringList{Wire::Read});
    }

    // --help word for word, as the manual pages are made from it.
    void help()
    {
        for (const QString program : {K5_CLI_PATH, K5_SIM_PATH}) {
            QFile expected(K5_HELP_DIR "/" + QFileInfo(program).fileName() + ".txt");
            QVERIFY(expected.open(QIODevice::ReadOnly));
            QCOMPARE(RunProcess(program, {"--help"}).out, QString::fromUtf8(expected.readAll()));
        }
    }

    // Started with its standard streams redirected: an answer it could not write is an error.
    // Each row: the command, how the shell redirects the streams, and the exit status.
    void redirected()
    {
        QVERIFY(SimulatorProcess::startOnCom1(sim));
        for (const auto &[command, redirection, status] : QList<std::tuple<QString, QString, int>>{
                 {"read", ">/dev/full", 74},
                 {"read", ">&-", 74},
                 {"read", "0<&- 2>&-", 0},
                 {"write 12a", "2>/dev/full", 74}}) {
            const int ran = Redirected(redirection, command.split(u' ')).status;
            QCOMPARE(std::tuple(command, redirection, ran),
                     std::tuple(command, redirection, status));
        }
    }

    // Started without descriptors 0 to 2 and with the log on, the program would open the device
    // as one of them: the line's far end, a bare pseudo-terminal, gets what reaches the line.
    void nothingButTheRequestOnTheLine()
    {
        const int far = ::posix_openpt(O_RDWR | O_NOCTTY);
        const auto closeFar = qScopeGuard([&] { ::close(far); });
        QVERIFY(far >= 0 && ::grantpt(far) == 0 && ::unlockpt(far) == 0);
        QVERIFY(QFile::link(QString::fromLocal8Bit(::ptsname(far)), config.portLink("COM1")));
        const auto removeLink = qScopeGuard([&] { QFile::remove(config.portLink("COM1")); });
        QCOMPARE(Redirected("0<&- 1>&- 2>&-", {"read"}).status, 1); // no echo
        QByteArray line(256, '\0');
        line.resize(std::max<qsizetype>(0, ::read(far, line.data(), size_t(line.size()))));
        QCOMPARE(line.toHex(' ').toUpper(), Wire::Read.mid(3).toLatin1());
    }

    void mapAndUnmap()
    {
        QVERIFY(SimulatorProcess::startOnCom1(sim));
        const QString device = sim->device();
        const QString com3 = config.portLink("COM3");
        const Ran mapped = Cli({"map", "COM3", device});
        QCOMPARE(std::pair(mapped.status, mapped.out), std::pair(0, "COM3 -> " + device + "\n"));
        QCOMPARE(QFileInfo(com3).symLinkTarget(), device);

        // A file there that is no link is not the program's to replace.
        QFile file(config.portLink("COM4"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(Cli({"map", "COM4", device}).status, 73);
        QCOMPARE(Cli({"unmap", "COM4"}).status, 73);

        // COM3 as ports lists it, by where its link leads: a device; one that is gone, whose link
        // stays and says so (a pseudo-terminal's number is soon another's: a link to the
        // simulator's closed one could find a device there again); something there that no line
        // can be.
        for (const auto &[target, state] : {std::pair(device, QString("present")),
                                            {config.path() + "/gone", "missing"},
                                            {config.path(), "unfit  "},
                                            {file.fileName(), "unfit  "}}) {
            QVERIFY(QFile::remove(com3) && QFile::link(target, com3));
            const bool unfit = state.startsWith("unfit");
            QJsonObject entry{{"port", "COM3"}, {"device", target},
                              {"present", state == "present"}, {"mapped", true}};
            if (unfit)
                entry.insert("problem", "not a serial device");
            QCOMPARE(Json({"ports"})["ports"][2].toObject(), entry);
            QVERIFY(Cli({"ports"}).out.contains("\nCOM3  " + state + " " + target +
                                                (unfit ? " (not a serial device)\n" : "\n")));
        }
        QVERIFY(file.remove());

        QCOMPARE(Cli({"unmap", "COM3"}).out, "COM3 -> /dev/ttyS2 (built-in)\n");
        QVERIFY(!QFileInfo(com3).isSymLink());
        const QJsonObject listed = Json({"ports"});
        QCOMPARE(listed["ports"][2]["mapped"], false);
        QCOMPARE(listed["ports"][15]["port"], "COM16"); // the last
        QVERIFY(Cli({"ports"}).out.contains(
            QRegularExpression("\nCOM3  (present|missing) /dev/ttyS2 \\(built-in\\)\n")));
        const Ran again = Cli({"unmap", "COM3"}); // nothing left to do, and it says so
        QCOMPARE(
            std::pair(again.status, again.out),
            std::pair(0, QString("COM3 was not mapped: it stands for /dev/ttyS2 (built-in)\n")));
        QCOMPARE(Json({"unmap", "COM3"})["was_mapped"], false);
    }

    // A device the system lists as a serial port is taken, and is no longer listed apart.
    void mapASystemSerialDevice()
    {
        const QString device = QSerialPortInfo::availablePorts().value(0).systemLocation();
        if (device.isEmpty())
            QSKIP("this machine lists no serial device");
        QCOMPARE(Cli({"map", "COM2", device}).status, 0);
        const QJsonObject listed = Json({"ports"});
        QCOMPARE(Cli({"unmap", "COM2"}).status, 0);
        QCOMPARE(QFileInfo(listed["ports"][1]["device"].toString()).canonicalFilePath(),
                 QFileInfo(device).canonicalFilePath());
        for (const QJsonValue unnamed : listed.value("unnamed").toArray())
            QVERIFY(unnamed.toObject().value("device").toString() != device);
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
