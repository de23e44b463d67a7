#pragma once

// Taking the echo of a request off the line, as a state machine without a port or an event loop:
// the line returns every byte sent, and all of them must be read within one limit counted from a
// single WaitStart. The echoed bytes are dropped unexamined.

#include "linkvariables.h"

#include <cstdint>

class EchoRemoval
{
public:
    explicit EchoRemoval(LinkVariables &variables) : m_variables(&variables) {}

    // Sets WaitStart to now, once, and awaits length bytes.
    void start(int length, LinkInstant now);
    // A byte read at now; one read after the deadline fails the echo. Returns finished().
    bool take(std::uint8_t byte, LinkInstant now);
    // Nothing was read up to now: fails the echo if now is past the deadline. Returns finished().
    bool expire(LinkInstant now);

    bool finished() const { return m_state != State::Waiting; }
    bool complete() const { return m_state == State::Complete; }
    LinkInstant deadline() const;

private:
    enum class State { Waiting, Complete, Failed };

    LinkVariables *m_variables;
    int m_length = 0;
    State m_state = State::Failed;
};
