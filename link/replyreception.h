#pragma once

// The reception of a reply (UART_READ) as a state machine without a port or an event loop: it is
// fed the bytes that were read with the instant of each read, and asked when its current wait
// ends. It writes ReplyBytes, FrameSum, RxText, WaitStart and RxIndex as the routine does.

#include "linkvariables.h"

#include <QtGlobal>

#include <cstdint>

// Reception status, the value that FrameSum holds once the reception has ended.
enum class Reception : qint16 {
    Complete = 0, // a whole reply whose checksum holds
    BadFrame = 1, // wrong checksum, or a reply too long for ReplyBytes
    TimedOut = 2, // a byte did not arrive in time
};

class ReplyReception
{
public:
    explicit ReplyReception(LinkVariables &variables) : m_variables(&variables) {}

    // Clears ReplyBytes, sets FrameSum to 255 and begins the wait for byte 1 at now.
    void start(LinkInstant now);
    // A byte read at now. A byte read after the deadline ends the reception with TimedOut even
    // though it has arrived; one read exactly at the deadline is in time. Returns finished().
    bool take(std::uint8_t byte, LinkInstant now);
    // Nothing was read up to now: ends the reception with TimedOut if now is past the deadline.
    // Returns finished().
    bool expire(LinkInstant now);

    bool finished() const { return m_finished; }
    // The last instant at which the awaited byte is still in time.
    LinkInstant deadline() const;
    // Meaningful once finished(); TimedOut before the first start().
    Reception status() const { return m_status; }

private:
    void finish(Reception status);

    LinkVariables *m_variables;
    int m_lastIndex = 0;    // index of the checksum byte, known once the length byte is in
    bool m_finished = true; // nothing is taken before start()
    Reception m_status = Reception::TimedOut;
};
