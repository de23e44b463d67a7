#include "requestparser.h"

#include "frame.h"

#include <algorithm>

namespace {

// The first bytes of every request: Frame::Lead, Frame::Start and Frame::Header.
constexpr QByteArrayView LeadIn{"\x00\xFF\x01", 3};

std::uint8_t byteAt(const QByteArray &bytes, qsizetype index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

} // namespace

QList<RequestFrame> RequestParser::feed(std::uint8_t byte)
{
    m_buffer.append(char(byte));

    QList<RequestFrame> frames;
    for (;;) {
        // Drop what cannot begin a frame: the buffer starts with the lead-in, or as much of it as
        // has come.
        while (!LeadIn.startsWith(m_buffer.first(std::min(m_buffer.size(), LeadIn.size()))))
            m_buffer.remove(0, 1);
        if (m_buffer.size() <= Frame::RequestLengthOffset)
            return frames;
        const qsizetype frameSize =
            Frame::RequestDataOffset + byteAt(m_buffer, Frame::RequestLengthOffset) + 1;
        if (m_buffer.size() < frameSize)
            return frames;

        const QByteArrayView body(m_buffer.constData() + Frame::RequestHeaderOffset,
                                  frameSize - Frame::RequestHeaderOffset - 1);
        if (Frame::Checksum(body) != byteAt(m_buffer, frameSize - 1)) {
            // Not a frame after all; a real one may start inside it.
            m_buffer.remove(0, 1);
            continue;
        }
        frames.append(
            {byteAt(m_buffer, Frame::RequestGroupOffset),
             byteAt(m_buffer, Frame::RequestCommandOffset),
             m_buffer.sliced(Frame::RequestDataOffset, frameSize - Frame::RequestDataOffset - 1),
             m_buffer.first(frameSize)});
        m_buffer.remove(0, frameSize);
    }
}

void RequestParser::reset()
{
    m_buffer.clear();
}
