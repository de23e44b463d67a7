#include "echoremoval.h"

void EchoRemoval::start(int length, LinkInstant now)
{
    m_start = now;
    m_remaining = length;
    m_state = State::Waiting;
}

bool EchoRemoval::take(LinkInstant now)
{
    if (finished())
        return true;
    if (now > deadline()) {
        m_state = State::Failed;
        return true;
    }
    if (--m_remaining == 0)
        m_state = State::Complete;
    return finished();
}

bool EchoRemoval::expire(LinkInstant now)
{
    if (!finished() && now > deadline())
        m_state = State::Failed;
    return finished();
}
