#include "requestparser.h"

#include "frame.h"

namespace {

constexpr qsizetype HeaderIndex = 2;
constexpr qsizetype GroupIndex = 3;
constexpr qsizetype CommandIndex = 4;
constexpr qsizetype LengthIndex = 5;
constexpr qsizetype DataIndex = 6;

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

        if (m_buffer.size() <= HeaderIndex)
            return frames;
        if (byteAt(m_buffer, HeaderIndex) != Frame::Header) {
            m_buffer.remove(0, 1);
            continue;
        }
        if (m_buffer.size() <= LengthIndex)
            return frames;
        const qsizetype frameSize = DataIndex + byteAt(m_buffer, LengthIndex) + 1;
        if (m_buffer.size() < frameSize)
            return frames;

        const QByteArrayView body(m_buffer.constData() + HeaderIndex, frameSize - HeaderIndex - 1);
        if (Frame::Checksum(body) != byteAt(m_buffer, frameSize - 1)) {
            // Not a frame after all; a real one may start inside it.
            m_buffer.remove(0, 1);
            continue;
        }

        RequestFrame frame;
        frame.group = byteAt(m_buffer, GroupIndex);
        frame.command = byteAt(m_buffer, CommandIndex);
        frame.data = m_buffer.mid(DataIndex, frameSize - DataIndex - 1);
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
