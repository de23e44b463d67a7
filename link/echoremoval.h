#pragma once

// Taking the echo of a request off the line, as a state machine without a port or an event loop:
// the line returns every byte sent, and all of them must be read within one limit counted from a
// single start instant. The echoed bytes are dropped unexamined.

#include "linesettings.h"
#include "linkclock.h"

class EchoRemoval
{
public:
    // Awaits length bytes, at least one, from now on.
    void start(int length, LinkInstant now);
    // An echoed byte read at now; one read after the deadline fails the echo. Returns finished().
    bool take(LinkInstant now);
    // Nothing was read up to now: fails the echo if now is past the deadline. Returns finished().
    bool expire(LinkInstant now);

    bool finished() const { return m_state != State::Waiting; }
    bool complete() const { return m_state == State::Complete; }
    // The last instant at which an echoed byte is still in time.
    LinkInstant deadline() const { return LimitAfter(m_start, LineSettings::Limit); }

private:
    enum class State { Waiting, Complete, Failed };

    LinkInstant m_start{};
    int m_remaining = 0;
    State m_state = State::Failed;
};
