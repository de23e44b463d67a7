#pragma once

// One exchange against the simulator and what each level shows of it: the frames that reach the
// line, the command line's exit status, JSON outcome and line, and the window's status text.
// The command line's test runs every row; the window's the rows that name its text.

#include <QList>
#include <QMetaType>
#include <QStringList>

struct WireScenario
{
    enum Port { Sound, Missing, InUse }; // missing: the port's link leads to /nonexistent/ttyUSB9

    const char *name;
    QStringList simulator; // its options besides the link as COM1 and the log
    // The command line's arguments, the exchange first; DEVICE stands for the simulator's device.
    // The window runs the same exchange on the same port.
    QStringList command;
    QStringList requests; // the frames received, as the simulator logs them
    int status;
    QString outcome; // the JSON object's
    // Standard output's line; with a status other than 0 the error line after the program's
    // name and the port with its device ("COM1 (/dev/pts/3): ").
    QString line;
    const char *fields = "{}"; // more that the JSON object holds
    QString window = {};       // the window's status text after the exchange
    // The code box after the window's exchange, which starts with the text "abc" there; off:
    // the function is unticked.
    QString shown = {};
    Port port = Sound;
    // An exchange run first, as the command line's arguments, whose answer comes so late that it
    // waits on the line for the row's own exchange.
    QStringList before = {};

    // The port it runs on: COM1, or the one that --port names.
    QString portName() const
    {
        return command.contains("--port") ? command.value(command.indexOf("--port") + 1) : "COM1";
    }
};
Q_DECLARE_METATYPE(WireScenario)

namespace Wire {

inline const QString Read = "rx 00 FF 01 02 02 03 01 00 02 F5";
inline const QString Write12345 = "rx 00 FF 01 02 12 04 01 00 30 39 7D";
inline const QString Write29524 = "rx 00 FF 01 02 12 04 01 00 73 54 1F";
inline const QString WriteOff = "rx 00 FF 01 02 12 04 01 00 FF FF E8";
inline const QString Version = "rx 00 FF 01 01 00 00 FE";
inline const QString ReadOk = "Read transmitter DIP-switch code OK!";
inline const QString ReadError = "Read transmitter DIP-switch code error";
inline const QString WriteOk = "Write transmitter DIP-switch code OK!";
inline const QStringList LateOnce = {"--fault", "late:650", "--fault-count", "1"};
inline const char *const Fields12345 = R"({"code":12345,"switches":"-+-0++0+0-"})";

using L = QStringList;
inline const QList<WireScenario> Scenarios = {
    {"read a code", L{"--code", "12345"}, L{"read"}, L{Read}, 0, "code", "12345 -+-0++0+0-",
     R"({"code":12345,"switches":"-+-0++0+0-"})", ReadOk, "12345"},
    {"read off", L{"--off"}, L{"read"}, L{Read}, 0, "off", "off", R"({"off":true})"},
    {"read a value that is no code, as it is", L{"--code", "65280"}, L{"read"}, L{Read}, 1,
     "out-of-range",
     "the transmitter holds 65280, which is no code (0 to 59048): write a code to it",
     R"({"code":65280})"},
    {"read the highest code from a device named directly", L{"--code", "59048"},
     L{"read", "--port", "DEVICE"}, L{Read}, 0, "code", "59048 ++++++++++",
     R"({"code":59048,"switches":"++++++++++"})"},
    {"write a number", L{}, L{"write", "0"}, L{"rx 00 FF 01 02 12 04 01 00 00 00 E6"}, 0, "written",
     "written 0 ----------", R"({"code":0,"switches":"----------"})"},
    {"write ten zeros: switches, not the number 0", L{}, L{"write", "0000000000"}, L{Write29524}, 0,
     "written", "written 29524 0000000000", R"({"code":29524,"switches":"0000000000"})", WriteOk,
     "29524"},
    {"write switches that begin with -, not an option", L{}, L{"write", "-+-0++0+0-"},
     L{Write12345}, 0, "written", "written 12345 -+-0++0+0-", Fields12345},
    {"write off", L{}, L{"write", "off"}, L{WriteOff}, 0, "written", "written off",
     R"({"off":true})"},
    {"write and verify", L{"--code", "7"}, L{"write", "12345", "--verify"}, L{Write12345, Read}, 0,
     "verified", "verified 12345 -+-0++0+0-", Fields12345},
    {"verify catches a transmitter that keeps its old code",
     L{"--code", "7", "--fault", "keep-code"}, L{"write", "12345", "--verify"}, L{Write12345, Read},
     1, "not-stored",
     "the transmitter confirmed 12345 -+-0++0+0- but holds 7 0+--------: it did not store it; "
     "write again, or set the transmitter aside",
     R"({"code":12345,"switches":"-+-0++0+0-","held":{"code":7,"switches":"0+--------"}})"},
    {"version", L{}, L{"version"}, L{Version}, 0, "text", "K5-SIM 1.0", R"({"text":"K5-SIM 1.0"})"},
    {"no echo", L{"--fault", "no-echo"}, L{"read"}, L{Read}, 1, "no-echo",
     "nothing came back, not even the echo of the read request: check the cable and the adapter"},
    {"no reply", L{"--fault", "no-reply"}, L{"read"}, L{Read}, 1, "no-reply",
     "the transmitter did not answer the read request: check that it is connected and switched on"},
    {"reply broken off", L{"--fault", "cut:3"}, L{"read"}, L{Read}, 1, "broken-reply",
     "the answer to the read request broke off after 3 bytes: check the connection and retry"},
    {"bad checksum", L{"--fault", "bad-checksum"}, L{"write", "0000000000"}, L{Write29524}, 1,
     "bad-reply",
     "the answer to the write request was garbled (wrong checksum, or too long): retry",
     R"({"code":29524,"switches":"0000000000"})"},
    {"reply to another command", L{"--fault", "wrong-command"}, L{"read"}, L{Read}, 1,
     "wrong-reply",
     "the answer did not belong to the read request: check that a K5 transmitter is connected"},
    {"hang-up", L{"--fault", "hangup"}, L{"version"}, L{Version}, 1, "line-lost",
     "the line went away during the version request (adapter unplugged?): connect it again and "
     "retry",
     "{}", "Read transmitter version error", "abc"},
    {"reply bytes 0.1 s apart, longer than one limit in all", L{"--fault", "slow:100"}, L{"read"},
     L{Read}, 0, "code", "29524 0000000000", R"({"code":29524,"switches":"0000000000"})"},
    {"stray bytes after a reply harm no other", L{"--fault", "trailing-noise"},
     L{"write", "12345", "--verify"}, L{Write12345, Read}, 0, "verified",
     "verified 12345 -+-0++0+0-", Fields12345},
    {"a late answer waits on the line: the next write goes out and is confirmed", LateOnce,
     L{"write", "0000000000"}, L{Write29524, Write29524}, 0, "written", "written 29524 0000000000",
     R"({"code":29524,"switches":"0000000000"})", WriteOk, "29524", WireScenario::Sound,
     L{"write", "0000000000"}},
    {"a late answer waits on the line: the next read shows the code it reads",
     L{"--code", "12345"} + LateOnce, L{"read"}, L{Read, Read}, 0, "code", "12345 -+-0++0+0-",
     Fields12345, ReadOk, "12345", WireScenario::Sound, L{"read"}},
    {"bytes unasked at power-up wait on the line", L{"--fault", "chatter"}, L{"read"}, L{Read}, 0,
     "code", "29524 0000000000", R"({"code":29524,"switches":"0000000000"})"},
    {"stray bytes before the echo", L{"--fault", "leading-noise"}, L{"read"}, L{Read}, 1,
     "bad-reply",
     "the answer to the read request was garbled (wrong checksum, or too long): retry"},
    {"an echo that lost a byte", L{"--fault", "short-echo"}, L{"read"}, L{Read}, 1, "broken-reply",
     "the answer to the read request broke off after 7 bytes: check the connection and retry"},
    {"port in use", L{}, L{"read"}, L{}, 2, "port-unavailable",
     "in use by another program: close that program, or wait until it has finished", "{}", "", "",
     WireScenario::InUse},
    {"port missing", L{}, L{"read", "--port", "COM5"}, L{}, 2, "port-unavailable",
     "no such device (No such file or directory): connect the adapter, or point COM5 at it with "
     "\"k5-dipswitch-cli map COM5 DEVICE\"",
     "{}", "COM5 not available for use", "abc", WireScenario::Missing},
};

// The window's port failure.
inline const WireScenario &PortMissing = Scenarios.back();

} // namespace Wire
