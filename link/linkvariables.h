#pragma once

// The link's own variables, shared by the three exchanges (one at a time), and the clock that
// times its waits. The names are the ones the exchanges use.

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>

// An instant of a steady clock, in integer nanoseconds. The limits must hold after days of uptime
// and across midnight, so neither a time of day nor a floating-point count of seconds is used.
using LinkInstant = std::chrono::steady_clock::time_point;
// Where the link takes its instants from; tests put a fake clock here.
using LinkClock = std::function<LinkInstant()>;

// The whole echo of a request must be back within this time of the last byte handed to the port.
inline constexpr auto EchoTimeout = std::chrono::milliseconds{500};
// Each reply byte must arrive within this time of the start of its wait.
inline constexpr auto ReplyByteTimeout = std::chrono::milliseconds{500};

// Indices 0 to 40; index 0 is never written, so a reply of at most 40 bytes fits.
inline constexpr int ReplyBytesSize = 41;
inline constexpr int LastReplyIndex = ReplyBytesSize - 1;

// start + limit, held at the clock's largest instant instead of overflowing.
constexpr LinkInstant LimitAfter(LinkInstant start, std::chrono::nanoseconds limit)
{
    if (start.time_since_epoch() > LinkInstant::duration::max() - limit)
        return LinkInstant::max();
    return start + limit;
}

// One step of the running checksum: subtract the byte, wrapping into 0..255.
constexpr qint16 SubtractFromFrameSum(qint16 sum, std::uint8_t byte)
{
    int result = sum - byte;
    if (result < 0)
        result += 256;
    return static_cast<qint16>(result);
}

struct LinkVariables
{
    // The last reply, byte i at index i; entries after the last byte received hold 0.
    std::array<qint16, ReplyBytesSize> ReplyBytes{};
    // The running checksum while a request is sent or a reply received; after the reception its
    // status (see Reception).
    qint16 FrameSum = 0;
    // What the last read of the port gave: empty or one byte.
    QByteArray RxText;
    // When the current wait began.
    LinkInstant WaitStart{};
    // 1-based position of the byte awaited by the echo removal or the reception.
    qint16 RxIndex = 0;
};
