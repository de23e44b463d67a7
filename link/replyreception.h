#pragma once

// The reception of a reply as a state machine without a port or an event loop: it is fed the
// bytes that were read with the instant of each read, and asked when its current wait ends. Each
// byte has its own limit, counted from the byte before (the first from the start); the running
// checksum starts at 255 and loses every byte before the checksum byte, which is then compared
// with it.

#include "linesettings.h"
#include "linkclock.h"

#include <QByteArray>

#include <cstdint>

enum class Reception {
    Complete, // a whole reply whose checksum holds
    BadFrame, // wrong checksum, or a reply longer than Frame::MaxReplySize
    TimedOut, // a byte did not arrive in time
};

class ReplyReception
{
public:
    // Forgets the bytes of an earlier reply and begins the wait for the first byte at now.
    void start(LinkInstant now);
    // A byte read at now. A byte read after the deadline ends the reception with TimedOut even
    // though it has arrived; one read exactly at the deadline is in time. Returns finished().
    bool take(std::uint8_t byte, LinkInstant now);
    // Nothing was read up to now: TimedOut if now is past the deadline. Returns finished().
    bool expire(LinkInstant now);

    bool finished() const { return m_finished; }
    // The last instant at which the awaited byte is still in time.
    LinkInstant deadline() const { return LimitAfter(m_waitStart, LineSettings::Limit); }
    // Meaningful once finished(); TimedOut before the first start().
    Reception status() const { return m_status; }
    // The bytes taken in time, at most Frame::MaxReplySize.
    QByteArray bytes() const { return m_bytes; }

private:
    void finish(Reception status);

    QByteArray m_bytes;
    LinkInstant m_waitStart{};
    std::uint8_t m_sum = 0;
    qsizetype m_checksumOffset = 0; // the longest reply's until the length byte is in
    bool m_finished = true;         // nothing is taken before start()
    Reception m_status = Reception::TimedOut;
};
