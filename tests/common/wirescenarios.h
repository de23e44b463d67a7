#pragma once

// One exchange against the simulator and what each level shows of it: the frames that reach the
// line, the command line's exit status, JSON outcome and line, and the window's status text.
// The rows are wirescenarios.json, which the Windows build's test reads too. The command line's
// test runs every row; the window's the rows that name its text.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QStringList>

struct WireScenario
{
    enum Port { Sound, Missing, InUse }; // missing: the port's link leads to /nonexistent/ttyUSB9

    QByteArray name;
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
    QJsonObject fields; // more that the JSON object holds
    QString window;    // the window's status text after the exchange
    // The code box after the window's exchange, which starts with the text "abc" there; off:
    // the function is unticked.
    QString shown;
    Port port;
    // An exchange run first, as the command line's arguments, whose answer comes so late that it
    // waits on the line for the row's own exchange.
    QStringList before;

    // The port it runs on: COM1, or the one that --port names.
    QString portName() const
    {
        return command.contains("--port") ? command.value(command.indexOf("--port") + 1) : "COM1";
    }
};
Q_DECLARE_METATYPE(WireScenario)

namespace Wire {

inline const QString Read = "rx 00 FF 01 02 02 03 01 00 02 F5";
inline const QString ReadOk = "Read transmitter DIP-switch code OK!";
inline const QString ReadError = "Read transmitter DIP-switch code error";
inline const QString WriteOk = "Write transmitter DIP-switch code OK!";

inline QList<WireScenario> Load()
{
    QFile file(K5_WIRE_SCENARIOS);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", K5_WIRE_SCENARIOS);
    QList<WireScenario> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(file.readAll()).array()) {
        const auto at = [&](const char *key) { return row.toObject().value(key); };
        const auto words = [&](const char *key) { return at(key).toVariant().toStringList(); };
        rows.append({at("name").toString().toUtf8(), words("simulator"), words("command"),
                     words("requests"), at("status").toInt(), at("outcome").toString(),
                     at("line").toString(),
                     at("fields").toObject(),
                     at("window").toString(), at("shown").toString(),
                     WireScenario::Port(QStringList{"sound", "missing", "in-use"}.indexOf(
                         at("port").toString("sound"))),
                     words("before")});
    }
    return rows;
}
inline const QList<WireScenario> Scenarios = Load();

// The window's port failure.
inline const WireScenario &PortMissing = Scenarios.back();

} // namespace Wire
