// k5-dipswitch-cli end to end: its own process against the transmitter simulator over a
// pseudo-terminal, with the port links in a private configuration folder. What it prints, its
// exit status, and the bytes that reached the line as the simulator logged them.

#include "simulatorprocess.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <unistd.h>

namespace {

const QString readRequest = "rx 00 FF 01 02 02 03 01 00 02 F5";

struct Run
{
    int status = -1;
    QString out;
    QString err;
    QJsonObject json;
};

Run cli(const QStringList &arguments)
{
    QProcess process;
    process.start(K5_CLI_PATH, arguments);
    Run run;
    if (!process.waitForFinished(SimulatorProcess::PatienceMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    run.json = QJsonDocument::fromJson(run.out.toUtf8()).object();
    return run;
}

// Whether the error output is exactly one line that matches pattern after the program's name.
bool errorLineMatches(const QString &err, const QString &pattern)
{
    return err.count(u'\n') == 1 &&
           QRegularExpression("^k5-dipswitch-cli: " + pattern + "\n$").match(err).hasMatch();
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

    QTemporaryDir config;
    std::unique_ptr<SimulatorProcess> sim;

    QString portLink(const QString &port) const
    {
        return config.path() + "/k5-dipswitch/ports/" + port;
    }

    bool startSimulator(const QStringList &options = {})
    {
        sim = SimulatorProcess::onCom1(options);
        return sim->started();
    }
    QJsonObject portEntry(const QJsonObject &ports, int n)
    {
        return ports.value("ports").toArray().at(n - 1).toObject();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    }
    void cleanup() { sim.reset(); }

    void commands_data()
    {
        QTest::addColumn<QStringList>("options"); // the simulator's
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QByteArray>("json"); // fields the JSON object must hold

        const QString write12345 = "rx 00 FF 01 02 12 04 01 00 30 39 7D";
        QTest::newRow("read a code")
            << QStringList{"--code", "12345"} << QStringList{"read"} << 0 << "12345 -+-0++0+0-\n"
            << QStringList{readRequest}
            << QByteArray(R"({"outcome":"code","code":12345,"switches":"-+-0++0+0-"})");
        QTest::newRow("read off") << QStringList{"--off"} << QStringList{"read"} << 0 << "off\n"
                                  << QStringList{readRequest}
                                  << QByteArray(R"({"outcome":"off","off":true})");
        QTest::newRow("read a value that is no code, as it is")
            << QStringList{"--code", "65280"} << QStringList{"read"} << 1 << ""
            << QStringList{readRequest} << QByteArray(R"({"outcome":"out-of-range","code":65280})");
        QTest::newRow("read from a device named directly")
            << QStringList{"--code", "7"} << QStringList{"--port", "DEVICE", "read"} << 0
            << "7 0+--------\n"
            << QStringList{readRequest} << QByteArray(R"({"code":7})");
        QTest::newRow("write a number")
            << QStringList{} << QStringList{"write", "0"} << 0 << "written 0 ----------\n"
            << QStringList{"rx 00 FF 01 02 12 04 01 00 00 00 E6"}
            << QByteArray(R"({"outcome":"written","code":0})");
        QTest::newRow("write ten zeros: switches, not the number 0")
            << QStringList{} << QStringList{"write", "0000000000"} << 0
            << "written 29524 0000000000\n"
            << QStringList{"rx 00 FF 01 02 12 04 01 00 73 54 1F"}
            << QByteArray(R"({"code":29524})");
        QTest::newRow("write switches that begin with -, not an option")
            << QStringList{} << QStringList{"write", "-+-0++0+0-"} << 0
            << "written 12345 -+-0++0+0-\n"
            << QStringList{write12345} << QByteArray(R"({"code":12345})");
        QTest::newRow("write off")
            << QStringList{} << QStringList{"write", "off"} << 0 << "written off\n"
            << QStringList{"rx 00 FF 01 02 12 04 01 00 FF FF E8"}
            << QByteArray(R"({"outcome":"written","off":true})");
        QTest::newRow("write and verify")
            << QStringList{"--code", "7"} << QStringList{"write", "12345", "--verify"} << 0
            << "verified 12345 -+-0++0+0-\n"
            << QStringList{write12345, readRequest}
            << QByteArray(R"({"outcome":"verified","code":12345})");
        QTest::newRow("verify catches a transmitter that keeps its old code")
            << QStringList{"--code", "7", "--fault", "keep-code"}
            << QStringList{"write", "12345", "--verify"} << 1 << ""
            << QStringList{write12345, readRequest}
            << QByteArray(R"({"outcome":"not-stored","held":{"code":7,"switches":"0+--------"}})");
        QTest::newRow("version") << QStringList{} << QStringList{"version"} << 0 << "K5-SIM 1.0\n"
                                 << QStringList{"rx 00 FF 01 01 00 00 FE"}
                                 << QByteArray(R"({"outcome":"text","text":"K5-SIM 1.0"})");
    }
    void commands()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QStringList, requests);
        QFETCH(QByteArray, json);
        QVERIFY(startSimulator(options));
        const bool direct = arguments.contains("DEVICE");
        arguments.replaceInStrings("DEVICE", sim->device());

        const Run text = cli(arguments);
        QCOMPARE(text.status, status);
        QCOMPARE(text.out, out);
        QCOMPARE(text.err.isEmpty(), status == 0);
        QVERIFY(sim->waitForClosed(int(requests.size())));
        QCOMPARE(sim->log("rx "), requests);

        const Run object = cli(arguments + QStringList{"--json"});
        QCOMPARE(object.status, status);
        const QJsonObject expected = QJsonDocument::fromJson(json).object();
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(object.json.value(it.key()), it.value());
        QCOMPARE(object.json.value("command").toString(), arguments.value(direct ? 2 : 0));
        QCOMPARE(object.json.value("device").toString(), sim->device());
        QCOMPARE(object.json.value("port").toString(), direct ? QString() : "COM1");
        QCOMPARE(object.json.contains("error"), status != 0);
    }

    void faults_data()
    {
        QTest::addColumn<QString>("fault"); // the simulator's, or what happens to the port
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");

        const QString line = R"(COM1 \(/dev/pts/\d+\): )";
        QTest::newRow("no echo") << "no-echo" << 1
                                 << line + "nothing came back, not even the echo of the read "
                                           "request: check the cable and the adapter";
        QTest::newRow("no reply") << "no-reply" << 1
                                  << line + "the transmitter did not answer the read request: "
                                            "check that it is connected and switched on";
        QTest::newRow("reply broken off") << "cut:3" << 1
                                          << line + "the answer to the read "
                                                    "request broke off after 3 "
                                                    "bytes: .*";
        QTest::newRow("bad checksum")
            << "bad-checksum" << 1 << line + "the answer to the read request was garbled .*";
        QTest::newRow("reply to another command")
            << "wrong-command" << 1 << line + "the answer did not belong to the read request: .*";
        QTest::newRow("hang-up") << "hangup" << 1
                                 << line + "the line went away during the read request "
                                           "\\(adapter unplugged\\?\\): .*";
        QTest::newRow("port missing")
            << "missing" << 2
            << "COM1 \\(/nonexistent/ttyUSB9\\): no such device \\(No such file or directory\\): "
               "connect the adapter, or point COM1 at it with \"k5-dipswitch-cli map COM1 DEVICE\"";
        QTest::newRow("port in use")
            << "in use" << 2
            << line + "in use by another program: close that program, or wait until it has "
                      "finished";
    }
    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(int, status);
        QFETCH(QString, error);
        const bool portFault = fault == "missing" || fault == "in use";
        QVERIFY(startSimulator(portFault ? QStringList{} : QStringList{"--fault", fault}));
        QSerialPort other(sim->device());
        if (fault == "in use")
            QVERIFY(other.open(QIODevice::ReadWrite));
        if (fault == "missing") {
            QVERIFY(QFile::remove(portLink("COM1")));
            QVERIFY(QFile::link("/nonexistent/ttyUSB9", portLink("COM1")));
        }
        const Run run = cli({"read"});
        QCOMPARE(run.status, status);
        QVERIFY2(errorLineMatches(run.err, error), qPrintable(run.err));
        QCOMPARE(run.out, QString());
        if (portFault) {
            QFile::remove(portLink("COM1"));
            QVERIFY(sim->log("open").isEmpty());
        }
    }

    // What root's privileges would hide; CTest runs this again as an unprivileged user.
    void withoutPermission()
    {
        if (::geteuid() == 0)
            QSKIP("running as root, whom no file permission stops");
        QVERIFY(startSimulator());
        QVERIFY(QFile::setPermissions(sim->device(), QFile::Permissions{}));
        const Run run = cli({"read"});
        QCOMPARE(run.status, 2);
        QVERIFY2(errorLineMatches(run.err, R"(COM1 \(/dev/pts/\d+\): no permission \(.+\): add )"
                                           R"(the user to the group dialout \(sudo adduser )"
                                           R"(\$USER dialout\) and log in again)"),
                 qPrintable(run.err));

        // A ports folder the user cannot write: nothing is mapped, and the command says so.
        const QString ports = config.path() + "/k5-dipswitch/ports";
        QVERIFY(QFile::setPermissions(ports, QFile::ReadOwner | QFile::ExeOwner));
        const Run map = cli({"map", "COM2", sim->device()});
        QFile::setPermissions(ports, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(map.status, 73);
        QVERIFY2(errorLineMatches(map.err, "COM2: .*Permission denied.*"), qPrintable(map.err));
        QVERIFY(!QFileInfo(portLink("COM2")).isSymLink());
    }

    // Nothing reaches the line: a read afterwards is the first thing the simulator sees.
    void badUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("code out of range") << QStringList{"write", "59049"} << "59049 is out .*";
        QTest::newRow("code not a number")
            << QStringList{"write", "12a"} << "'12a' is not a code: .*";
        QTest::newRow("switches, too few")
            << QStringList{"write", "+0-+0"} << "'\\+0-\\+0' has 5 switch characters: .*";
        QTest::newRow("switches, another character")
            << QStringList{"write", "+0-+0x+0-+"}
            << "'\\+0-\\+0x\\+0-\\+' is no switch setting: .*";
        QTest::newRow("unknown port name")
            << QStringList{"--port", "COM17", "read"}
            << "unknown port 'COM17': name one of COM1 to COM16, or a device such as /dev/ttyUSB0";
        QTest::newRow("unknown command") << QStringList{"erase"} << "unknown command 'erase' .*";
        QTest::newRow("map to a file that is no serial device")
            << QStringList{"map", "COM2", "/dev/null"} << "/dev/null: not a serial device: .*";
    }
    void badUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        QVERIFY(startSimulator());
        const Run run = cli(arguments);
        QCOMPARE(run.status, 64);
        QVERIFY2(errorLineMatches(run.err, error), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(portLink("COM2")));
        QCOMPARE(cli({"read"}).status, 0);
        QVERIFY(sim->waitForClosed(1));
        QCOMPARE(sim->log("rx "), QStringList{readRequest});
    }

    void mapAndUnmap()
    {
        QVERIFY(startSimulator({"--code", "5"}));
        const QString device = sim->device();
        const Run mapped = cli({"map", "COM3", device});
        QCOMPARE(mapped.status, 0);
        QCOMPARE(mapped.out, "COM3 -> " + device + "\n");
        QCOMPARE(QFileInfo(portLink("COM3")).symLinkTarget(), device);
        QCOMPARE(cli({"--port", "COM3", "read"}).out, "5 +0--------\n");

        Run ports = cli({"ports", "--json"});
        QCOMPARE(portEntry(ports.json, 3),
                 (QJsonObject{
                     {"port", "COM3"}, {"device", device}, {"present", true}, {"mapped", true}}));
        QVERIFY(cli({"ports"}).out.contains(QRegularExpression(
            "^COM3  present " + device + "\n", QRegularExpression::MultilineOption)));
        // Devices no port names are listed apart; none of them is a port's.
        for (const QJsonValue unnamed : ports.json.value("unnamed").toArray()) {
            for (int n = 1; n <= 16; ++n)
                QVERIFY(
                    QFileInfo(unnamed.toObject().value("device").toString()).canonicalFilePath() !=
                    QFileInfo(portEntry(ports.json, n).value("device").toString())
                        .canonicalFilePath());
        }

        // A file there that is no link is not the program's to replace.
        QFile file(portLink("COM4"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(cli({"map", "COM4", device}).status, 73);
        QCOMPARE(cli({"unmap", "COM4"}).status, 73);
        QVERIFY(file.remove());

        sim.reset(); // the device is gone, the link stays
        ports = cli({"ports", "--json"});
        QCOMPARE(portEntry(ports.json, 3).value("present").toBool(), false);

        QCOMPARE(cli({"unmap", "COM3"}).status, 0);
        QVERIFY(!QFileInfo(portLink("COM3")).isSymLink());
        QCOMPARE(portEntry(cli({"ports", "--json"}).json, 3).value("device").toString(),
                 "/dev/ttyS2");
        QCOMPARE(cli({"unmap", "COM3"}).status, 0); // nothing left to do
    }

    // A device the system lists as a serial port is taken, and is no longer listed apart.
    void mapASystemSerialDevice()
    {
        const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
        if (ports.isEmpty())
            QSKIP("this machine lists no serial device");
        const QString device = ports.constFirst().systemLocation();
        QCOMPARE(cli({"map", "COM2", device}).status, 0);
        const Run listed = cli({"ports", "--json"});
        QCOMPARE(cli({"unmap", "COM2"}).status, 0);
        QCOMPARE(
            QFileInfo(portEntry(listed.json, 2).value("device").toString()).canonicalFilePath(),
            QFileInfo(device).canonicalFilePath());
        for (const QJsonValue unnamed : listed.json.value("unnamed").toArray())
            QVERIFY(unnamed.toObject().value("device").toString() != device);
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
