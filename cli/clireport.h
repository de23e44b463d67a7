#pragma once

// How a command ended (its outcome or its exchange's fault, mapped in one place to a name for
// scripts and an exit status), what it prints, and the one error line that says what to do.

#include "exchanges.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

enum class Outcome {
    Code,           // read: the transmitter holds a code
    Off,            // read: its DIP-switch function is off
    Written,        // write: the transmitter confirmed
    Verified,       // write --verify: confirmed, and read back the same
    Text,           // version
    Done,           // ports, map, unmap
    OutOfRange,     // read: a value that is neither a code nor the off marker
    NotStored,      // write --verify: read back something else
    BadUsage,       // the command line; nothing was sent
    CannotMap,      // a port link could not be made or removed
    ExchangeFailed, // the exchange's fault says how
};

struct CliReport
{
    // port: the port of map and unmap; the transmitter's commands take theirs from the exchange.
    explicit CliReport(const QString &command = {}, const QString &port = {})
        : command(command), port(port)
    {}

    QString command; // "read", "write", ...; empty when no command was found
    Outcome outcome = Outcome::Done;
    ExchangeFault fault = ExchangeFault::None; // with ExchangeFailed
    QString port;                              // "COMn", when the command has one
    QString device;                            // the device behind it
    // The command's own figures for the JSON object, and its lines for standard output.
    QJsonObject fields;
    QStringList lines;
    QString error; // one line for standard error, when the command failed
};

// The marker for the DIP-switch function off, as write takes it and the commands print it.
inline constexpr auto OffArgument = u"off";

// A transmitter's state: a code, or off (nullopt). For the JSON object: {"code", "switches"} or
// {"off": true}; "switches" only for a valid code. For a line: "12345 -+-0++0+0-" or "off".
QJsonObject StateFields(std::optional<std::int32_t> code);
QString StateText(std::optional<std::int32_t> code);

// The report's name for scripts, as the JSON object gives it: "code", "no-reply", ...
QString OutcomeName(const CliReport &report);

// Writes the report: the JSON object (json) or the lines on standard output, the error line on
// standard error; returns the exit status, which says so when standard output or standard error
// lost what was written to it.
int Publish(const CliReport &report, bool json);
