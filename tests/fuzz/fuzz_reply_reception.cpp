// Fuzzes the reply reception as an exchange runs it, the echo removal first: any bytes, read at any
// instants, the waits polled at any instants. Whatever the line and the clock do, the status is one
// of the three, "complete" only for a reply whose checksum holds, no more than the longest reply
// is kept and no more bytes are taken than the reply's length byte allows.
//
// Input:
//   byte 0  the echo length, 0 to 255 (the exchanges send 7, 10 or 11 bytes)
//   byte 1  the first instant: below 0x80 that many times 2^56 ns; from 0x80 up, (byte - 0x80)
//           times 100 ms before the clock's largest instant, where the deadlines are held
//   then events of three bytes: op, value, delay
//     op bits 0-1  0 or 1: the byte `value` is read; 2: nothing was read, the wait is polled;
//                  3: the machine at work starts again
//     op bits 2-3  the event's instant: 0 the previous one + delay ms; 1 the current deadline
//                  - delay ns; 2 the current deadline + delay ns; 3 the previous one - delay ms
//                  (the clock is steady, but a step back must not break anything either)
// The events go to the echo removal until it has finished, then to the reply reception, which
// starts at the instant of the echo's last event.

#include "echoremoval.h"
#include "frame.h"
#include "fuzzcheck.h"
#include "replyreception.h"

#include <QByteArray>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

enum class Action { Read, Poll, Restart };

struct Event
{
    Action action = Action::Read;
    std::uint8_t value = 0;
    LinkInstant at{};
};

// t + d, held at the clock's ends: the harness must not overflow where the code under test may not.
LinkInstant Shifted(LinkInstant t, nanoseconds d)
{
    LinkInstant::rep sum = 0;
    if (__builtin_add_overflow(t.time_since_epoch().count(), d.count(), &sum))
        return d.count() > 0 ? LinkInstant::max() : LinkInstant::min();
    return LinkInstant(LinkInstant::duration(sum));
}

LinkInstant FirstInstant(std::uint8_t pick)
{
    if (pick < 0x80)
        return LinkInstant(LinkInstant::duration(LinkInstant::rep(pick) << 56));
    return Shifted(LinkInstant::max(), -milliseconds(100) * (pick - 0x80));
}

Event Decode(const std::uint8_t *bytes, LinkInstant previous, LinkInstant deadline)
{
    Event event;
    event.value = bytes[1];
    const int delay = bytes[2];
    switch (bytes[0] & 3) {
    case 0:
    case 1:
        event.action = Action::Read;
        break;
    case 2:
        event.action = Action::Poll;
        break;
    default:
        event.action = Action::Restart;
        break;
    }
    switch ((bytes[0] >> 2) & 3) {
    case 0:
        event.at = Shifted(previous, milliseconds(delay));
        break;
    case 1:
        event.at = Shifted(deadline, -nanoseconds(delay));
        break;
    case 2:
        event.at = Shifted(deadline, nanoseconds(delay));
        break;
    default:
        event.at = Shifted(previous, -milliseconds(delay));
        break;
    }
    return event;
}

// A wait ends a fixed time after it began, or at the clock's largest instant, never earlier.
void CheckDeadline(LinkInstant deadline, LinkInstant waitStart, nanoseconds limit)
{
    FUZZ_CHECK(deadline >= waitStart);
    FUZZ_CHECK(deadline == LinkInstant::max() || deadline - waitStart == limit);
}

// Everything of a reception that a finished one must leave alone.
struct Snapshot
{
    QByteArray bytes;
    bool finished = false;
    Reception status = Reception::TimedOut;
    LinkInstant deadline{};

    explicit Snapshot(const ReplyReception &r)
        : bytes(r.bytes()), finished(r.finished()), status(r.status()), deadline(r.deadline())
    {}
    bool operator==(const Snapshot &) const = default;
};

class EchoRun
{
public:
    explicit EchoRun(int length) : m_length(length) {}

    void start(LinkInstant at)
    {
        m_echo.start(m_length, at);
        m_taken = 0;
        FUZZ_CHECK(m_echo.finished() == (m_length == 0));
        FUZZ_CHECK(m_echo.complete() == (m_length == 0));
        m_deadline = m_echo.deadline();
        CheckDeadline(m_deadline, at, EchoTimeout);
    }

    void step(const Event &event)
    {
        if (event.action == Action::Restart) {
            start(event.at);
            return;
        }
        const bool wasFinished = m_echo.finished();
        const bool wasComplete = m_echo.complete();
        const bool done =
            event.action == Action::Read ? m_echo.take(event.at) : m_echo.expire(event.at);
        FUZZ_CHECK(done == m_echo.finished());
        // One start instant for the whole echo: its limit never moves.
        FUZZ_CHECK(m_echo.deadline() == m_deadline);
        if (wasFinished) {
            FUZZ_CHECK(done && m_echo.complete() == wasComplete);
            return;
        }
        if (event.at > m_deadline) {
            FUZZ_CHECK(done && !m_echo.complete());
        } else if (event.action == Action::Read) {
            ++m_taken;
            FUZZ_CHECK(m_taken <= m_length);
            FUZZ_CHECK(done == (m_taken == m_length));
            FUZZ_CHECK(done == m_echo.complete());
        } else {
            FUZZ_CHECK(!done);
        }
    }

    bool finished() const { return m_echo.finished(); }
    LinkInstant deadline() const { return m_echo.deadline(); }

private:
    EchoRemoval m_echo;
    int m_length = 0;
    int m_taken = 0;
    LinkInstant m_deadline{};
};

class ReceptionRun
{
public:
    void start(LinkInstant at)
    {
        m_reception.start(at);
        m_count = 0;
        m_waitStart = at;
        FUZZ_CHECK(!m_reception.finished());
        CheckDeadline(m_reception.deadline(), at, ReplyByteTimeout);
        checkBytes();
    }

    void step(const Event &event)
    {
        if (event.action == Action::Restart) {
            start(event.at);
            return;
        }
        const Snapshot before(m_reception);
        const bool done = event.action == Action::Read ? m_reception.take(event.value, event.at)
                                                       : m_reception.expire(event.at);
        FUZZ_CHECK(done == m_reception.finished());
        if (before.finished) {
            // Bytes after the end of the reply are not read.
            FUZZ_CHECK(done);
            FUZZ_CHECK(Snapshot(m_reception) == before);
            return;
        }
        // The wait for each byte has its own limit, counted from the byte before.
        CheckDeadline(before.deadline, m_waitStart, ReplyByteTimeout);

        if (event.at > before.deadline) {
            // Late, even if a byte has just come: nothing more is stored.
            FUZZ_CHECK(done && m_reception.status() == Reception::TimedOut);
        } else if (event.action == Action::Poll) {
            FUZZ_CHECK(!done);
            FUZZ_CHECK(Snapshot(m_reception) == before);
        } else if (m_count == Frame::MaxReplySize) {
            // The length byte promised a reply longer than the tool takes.
            FUZZ_CHECK(checksumAt() >= Frame::MaxReplySize);
            FUZZ_CHECK(done && m_reception.status() == Reception::BadFrame);
        } else {
            m_bytes[std::size_t(m_count++)] = event.value;
            if (done) {
                // Finished in time: only on the checksum byte, judged on the checksum alone.
                FUZZ_CHECK(m_count - 1 == checksumAt());
                FUZZ_CHECK(m_reception.status() != Reception::TimedOut);
                FUZZ_CHECK((m_reception.status() == Reception::Complete) == checksumHolds());
            } else {
                FUZZ_CHECK(m_count - 1 < checksumAt());
                m_waitStart = event.at;
            }
        }
        checkBytes();
    }

    LinkInstant deadline() const { return m_reception.deadline(); }

private:
    // The offset of the checksum byte, as far as it is known yet.
    int checksumAt() const { return m_count > 4 ? m_bytes[4] + 5 : Frame::MaxReplySize + 255; }

    // The count starts at 255 and loses every byte before the checksum byte, so the checksum
    // byte matches it exactly when all the bytes through the checksum add up to 255 mod 256.
    bool checksumHolds() const
    {
        unsigned sum = 0;
        for (int i = 0; i < m_count; ++i)
            sum += m_bytes[std::size_t(i)];
        return sum % 256 == 255;
    }

    void checkBytes() const
    {
        FUZZ_CHECK(m_count <= Frame::MaxReplySize);
        FUZZ_CHECK(m_count <= checksumAt() + 1);
        FUZZ_CHECK(m_reception.bytes() ==
                   QByteArray(reinterpret_cast<const char *>(m_bytes.data()), m_count));
        if (m_reception.finished()) {
            const auto status = m_reception.status();
            FUZZ_CHECK(status == Reception::Complete || status == Reception::BadFrame ||
                       status == Reception::TimedOut);
        }
    }

    ReplyReception m_reception;
    // What the reception took in time, in order; more room than a reply may take.
    std::array<std::uint8_t, Frame::MaxReplySize + 8> m_bytes{};
    int m_count = 0;
    LinkInstant m_waitStart{};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    LinkInstant previous = FirstInstant(data[1]);

    {
        // Before its first start the reception takes nothing.
        ReplyReception unstarted;
        const Snapshot before(unstarted);
        FUZZ_CHECK(unstarted.finished());
        FUZZ_CHECK(unstarted.take(data[0], previous));
        FUZZ_CHECK(unstarted.status() == Reception::TimedOut);
        FUZZ_CHECK(Snapshot(unstarted) == before);
    }

    EchoRun echo(data[0]);
    ReceptionRun reception;
    echo.start(previous);
    bool receiving = false;
    if (echo.finished()) {
        reception.start(previous);
        receiving = true;
    }

    for (std::size_t at = 2; at + 3 <= size; at += 3) {
        const Event event =
            Decode(data + at, previous, receiving ? reception.deadline() : echo.deadline());
        previous = event.at;
        if (!receiving) {
            echo.step(event);
            if (echo.finished()) {
                reception.start(previous);
                receiving = true;
            }
        } else {
            reception.step(event);
        }
    }
    return 0;
}
