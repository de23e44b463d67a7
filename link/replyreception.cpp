#include "replyreception.h"

namespace {
// The header bytes, up to and including the length at this index, come before the data.
constexpr int LengthIndex = 5;
} // namespace

void ReplyReception::start(LinkInstant now)
{
    m_variables->ReplyBytes.fill(0);
    m_variables->FrameSum = 255;
    m_variables->RxIndex = 1;
    m_variables->WaitStart = now;
    m_lastIndex = 0;
    m_finished = false;
}

LinkInstant ReplyReception::deadline() const
{
    return LimitAfter(m_variables->WaitStart, ReplyByteTimeout);
}

bool ReplyReception::take(std::uint8_t byte, LinkInstant now)
{
    if (m_finished)
        return true;
    LinkVariables &v = *m_variables;
    v.RxText = QByteArray(1, char(byte));
    if (now > deadline()) {
        finish(Reception::TimedOut);
        return true;
    }

    const int index = v.RxIndex;
    if (index > LastReplyIndex) {
        // The length byte promised more than ReplyBytes can hold.
        finish(Reception::BadFrame);
        return true;
    }
    v.ReplyBytes[std::size_t(index)] = byte;
    if (index == LengthIndex)
        m_lastIndex = byte + LengthIndex + 1;
    if (index <= LengthIndex || index < m_lastIndex) {
        v.FrameSum = SubtractFromFrameSum(v.FrameSum, byte);
        v.RxIndex = qint16(index + 1);
        v.WaitStart = now;
        return false;
    }
    // The checksum byte: it is compared, not subtracted.
    v.RxIndex = qint16(index + 1);
    finish(v.FrameSum == v.ReplyBytes[std::size_t(index)] ? Reception::Complete
                                                          : Reception::BadFrame);
    return true;
}

bool ReplyReception::expire(LinkInstant now)
{
    if (!m_finished && now > deadline()) {
        m_variables->RxText.clear();
        finish(Reception::TimedOut);
    }
    return m_finished;
}

void ReplyReception::finish(Reception status)
{
    m_status = status;
    m_variables->FrameSum = qint16(status);
    m_finished = true;
}
