#include "echoremoval.h"

#include <algorithm>
#include <limits>

void EchoRemoval::start(int length, LinkInstant now)
{
    // RxIndex is 16 bits wide and runs one past the length.
    m_length = std::clamp(length, 0, std::numeric_limits<qint16>::max() - 1);
    m_variables->WaitStart = now;
    m_variables->RxIndex = 1;
    m_state = m_length > 0 ? State::Waiting : State::Complete;
}

LinkInstant EchoRemoval::deadline() const
{
    return LimitAfter(m_variables->WaitStart, EchoTimeout);
}

bool EchoRemoval::take(std::uint8_t byte, LinkInstant now)
{
    if (finished())
        return true;
    m_variables->RxText = QByteArray(1, char(byte));
    if (now > deadline()) {
        m_state = State::Failed;
        return true;
    }
    ++m_variables->RxIndex;
    if (m_variables->RxIndex > m_length)
        m_state = State::Complete;
    return finished();
}

bool EchoRemoval::expire(LinkInstant now)
{
    if (!finished() && now > deadline()) {
        m_variables->RxText.clear();
        m_state = State::Failed;
    }
    return finished();
}
