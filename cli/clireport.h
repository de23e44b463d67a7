#pragma once

// How a command ended: its outcome, mapped in one place to its name for scripts and to the exit
// status; what it prints; and the one error line that says what to do.

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

enum class Outcome {
    Code,            // read: the transmitter holds a code
    Off,             // read: its DIP-switch function is off
    Written,         // write: the transmitter confirmed
    Verified,        // write --verify: confirmed, and read back the same
    Text,            // version
    Done,            // ports, map, unmap
    NoEcho,          // not even the request's echo came back
    NoReply,         // the echo, but no answer
    BrokenReply,     // the answer stopped part way
    LineLost,        // the device went away during the exchange
    BadReply,        // a garbled answer: wrong checksum, or too long
    WrongReply,      // a sound answer, but not to the request
    OutOfRange,      // read: a value that is neither a code nor the off marker
    NotStored,       // write --verify: read back something else
    PortUnavailable, // the port could not be opened
    BadUsage,        // the command line; nothing was sent
    CannotMap,       // a port link could not be made or removed
};

// The exit status of a command that ended so.
int ExitStatus(Outcome outcome);
// Its name in the JSON object: "code", "no-reply", ...
QString OutcomeName(Outcome outcome);

struct CliReport
{
    QString command; // "read", "write", ...
    Outcome outcome = Outcome::Done;
    QString port;   // "COMn", when the command has one
    QString device; // the device behind it
    // The command's own figures for the JSON object, and its lines for standard output.
    QJsonObject fields;
    QStringList lines;
    // The one line for standard error, when the command failed.
    QString error;
};

// A transmitter's state: a code, or off (nullopt). For the JSON object: {"code", "switches"} or
// {"off": true}; "switches" only for a valid code. For a line: "12345 -+-0++0+0-" or "off".
QJsonObject StateFields(std::optional<std::int32_t> code);
QString StateText(std::optional<std::int32_t> code);

// Writes the report: the JSON object (json) or the lines on standard output, the error line on
// standard error; returns the exit status.
int Publish(const CliReport &report, bool json);
