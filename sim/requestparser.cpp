#include "requestparser.h"

#include "frame.h"

namespace {

std::uint8_t byteAt(const QByteArray &bytes, qsizetype index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

} // namespace

RequestParser::RequestParser()
{
    m_buffer.reserve(MaxFrameSize);
}

QList<RequestFrame> RequestParser::feed(std::uint8_t byte)
{
    m_buffer.append(char(byte));
    ++m_position;

    QList<RequestFrame> frames;
    for (;;) {
        // Drop what cannot begin a frame: keep the buffer starting at 00 FF, or at a lone 00 that
        // may be followed by FF.
        qsizetype start = 0;
        const qsizetype size = m_buffer.size();
        while (start < size) {
            if (byteAt(m_buffer, start) == Frame::Lead &&
                (start + 1 == size || byteAt(m_buffer, start + 1) == Frame::Start))
                break;
            ++start;
        }
        m_buffer.remove(0, start);

        if (m_buffer.size() <= Frame::RequestHeaderOffset)
            return frames;
        if (byteAt(m_buffer, Frame::RequestHeaderOffset) != Frame::Header) {
            m_buffer.remove(0, 1);
            continue;
        }
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

        RequestFrame frame;
        frame.group = byteAt(m_buffer, Frame::RequestGroupOffset);
        frame.command = byteAt(m_buffer, Frame::RequestCommandOffset);
        frame.data =
            m_buffer.mid(Frame::RequestDataOffset, frameSize - Frame::RequestDataOffset - 1);
        frame.bytes = m_buffer.left(frameSize);
        frame.position = m_position - m_buffer.size();
        frames.append(frame);
        m_buffer.remove(0, frameSize);
    }
}

void RequestParser::reset()
{
    m_buffer.clear();
    m_position = 0;
}
