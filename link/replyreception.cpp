#include "replyreception.h"

#include "frame.h"

void ReplyReception::start(LinkInstant now)
{
    m_bytes.clear();
    m_bytes.reserve(Frame::MaxReplySize);
    m_sum = 255;
    m_waitStart = now;
    m_checksumOffset = Frame::MaxReplySize;
    m_finished = false;
}

bool ReplyReception::take(std::uint8_t byte, LinkInstant now)
{
    if (m_finished)
        return true;
    if (now > deadline()) {
        finish(Reception::TimedOut);
        return true;
    }
    const qsizetype offset = m_bytes.size();
    if (offset == Frame::MaxReplySize) {
        // The length byte promised more than a reply may hold.
        finish(Reception::BadFrame);
        return true;
    }
    m_bytes.append(char(byte));
    if (offset == Frame::ReplyLengthOffset)
        m_checksumOffset = Frame::ReplyDataOffset + byte;
    if (offset < m_checksumOffset) {
        m_sum = std::uint8_t(m_sum - byte);
        m_waitStart = now;
        return false;
    }
    // The checksum byte: it is compared, not subtracted.
    finish(byte == m_sum ? Reception::Complete : Reception::BadFrame);
    return true;
}

bool ReplyReception::expire(LinkInstant now)
{
    if (!m_finished && now > deadline())
        finish(Reception::TimedOut);
    return m_finished;
}

void ReplyReception::finish(Reception status)
{
    m_status = status;
    m_finished = true;
}
