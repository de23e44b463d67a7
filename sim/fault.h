#pragma once

// The line faults that the simulator can play on every request it would answer.

#include <QStringView>

#include <optional>

enum class FaultKind {
    None,
    NoEcho,       // nothing comes back, neither echo nor reply
    ShortEcho,    // the echo lacks its last byte, no reply
    NoReply,      // echo, no reply
    Cut,          // echo, then only the first Fault::cutLength bytes of the reply
    LateByte,     // echo, then the reply with a pause before its last byte
    BadChecksum,  // the reply's checksum byte plus one
    WrongCommand, // the reply's command byte changed, checksum fitting
    WrongGroup,   // the reply's command group changed, checksum fitting
    Overlong,     // a reply with 35 data bytes, one more than a reply may carry
    Noise,        // three stray bytes before the reply
    Hangup,       // echo, three bytes of the reply, then the line hangs up
};

struct Fault
{
    FaultKind kind = FaultKind::None;
    int cutLength = 0; // for FaultKind::Cut

    // The longest cut that --fault accepts; longer than any reply.
    static constexpr int MaxCutLength = 255;

    // Reads a fault as written on the command line ("no-echo", "cut:3", ...); nullopt when the
    // text names no fault.
    static std::optional<Fault> fromText(QStringView text);

    friend bool operator==(const Fault &, const Fault &) = default;
};
