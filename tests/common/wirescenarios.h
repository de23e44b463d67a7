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

    QJsonObject row; // as the file holds it; each field below is read from it
    QByteArray name = row.value("name").toString().toUtf8();
    QStringList simulator = words("simulator"); // its options besides the link as COM1 and the log
    // The command line's arguments, the exchange first; DEVICE stands for the simulator's device.
    // The window runs the same exchange on the same port.
    QStringList command = words("command");
    QStringList requests = words("requests"); // the frames received, as the simulator logs them
    int status = row.value("status").toInt();
    QString outcome = row.value("outcome").toString(); // the JSON object's
    // Standard output's line; with a status other than 0 the error line after the program's
    // name and the port with its device ("COM1 (/dev/pts/3): ").
    QString line = row.value("line").toString();
    QJsonObject fields = row.value("fields").toObject(); // more that the JSON object holds
    QString window = row.value("window").toString(); // the window's status text after the exchange
    // The code box after the window's exchange, which starts with the text "abc" there; off:
    // the function is unticked.
    QString shown = row.value("shown").toString();
    Port port = Port(
        QStringList{"sound", "missing", "in-use"}.indexOf(row.value("port").toString("sound")));
    // An exchange run first, as the command line's arguments, whose answer comes so late that it
    // waits on the line for the row's own exchange.
    QStringList before = words("before");

    QStringList words(const char *key) const { return row.value(key).toVariant().toStringList(); }
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
    for (const QJsonValue &row : QJsonDocument::fromJson(file.readAll()).array())
        rows.append({row.toObject()});
    return rows;
}
inline const QList<WireScenario> Scenarios = Load();

// The window's port failure.
inline const WireScenario &PortMissing = Scenarios.back();

} // namespace Wire
