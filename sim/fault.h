#pragma once

// The line faults that the simulator can play on every request it would answer.

#include <QStringView>

#include <chrono>
#include <optional>

enum class FaultKind {
    None,
    NoEcho,        // nothing comes back, neither echo nor reply
    NoReply,       // echo, no reply
    Cut,           // echo, then only the first Fault::cutLength bytes of the reply
    BadChecksum,   // the reply's checksum byte plus one
    WrongCommand,  // the reply's command byte changed, checksum fitting
    Hangup,        // echo, three bytes of the reply, then the line hangs up
    Slow,          // echo, then the reply with a pause of Fault::slowPause before every byte
    TrailingNoise, // three stray bytes right after the reply
    KeepCode,      // a write is confirmed, but the code held stays as it was
};

struct Fault
{
    FaultKind kind = FaultKind::None;
    int cutLength = 0;                      // for FaultKind::Cut
    std::chrono::milliseconds slowPause{0}; // for FaultKind::Slow

    // The longest cut that --fault accepts; longer than any reply.
    static constexpr int MaxCutLength = 255;
    // The longest pause of slow:MS; four times the tool's limit for a byte is plenty.
    static constexpr std::chrono::milliseconds MaxSlowPause{2000};

    // Reads a fault as written on the command line ("no-echo", "cut:3", "slow:450", ...);
    // nullopt when the text names no fault.
    static std::optional<Fault> fromText(QStringView text);
};
