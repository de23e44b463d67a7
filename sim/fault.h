#pragma once

// The line faults that the simulator can play on the requests it would answer.

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
    Slow,          // echo, then the reply with a pause of Fault::pause before every byte
    TrailingNoise, // three stray bytes right after the reply
    KeepCode,      // a write is confirmed, but the code held stays as it was
    Late,          // echo and reply Fault::pause later than the line's own time
    LeadingNoise,  // three stray bytes before the echo
    ShortEcho,     // the echo loses the request's first byte
    Chatter,       // a few bytes unasked when the line comes up, none later
};

struct Fault
{
    static constexpr int EveryRequest = -1;

    FaultKind kind = FaultKind::None;
    int cutLength = 0;                  // for FaultKind::Cut
    std::chrono::milliseconds pause{0}; // for FaultKind::Slow and FaultKind::Late
    int requests = EveryRequest;        // how many requests it is played on, from the first

    // The longest cut that --fault accepts; longer than any reply.
    static constexpr int MaxCutLength = 255;
    // The longest pause of slow:MS and late:MS; four times the tool's limit is plenty.
    static constexpr std::chrono::milliseconds MaxPause{2000};

    // Whether its bytes may come while the other side has the line closed. Real lines keep
    // those for the next open (a pseudo-terminal, a network bridge, an adapter's receive FIFO);
    // the line then does too.
    bool leavesBytesOnLine() const;

    // Reads a fault as written on the command line ("no-echo", "cut:3", "slow:450", ...);
    // nullopt when the text names no fault.
    static std::optional<Fault> fromText(QStringView text);
};
