// Fuzzes the simulator's request parser with the input as the byte stream of the line. Every frame
// it hands out must be a well-formed request that really stands at its position in the stream, the
// frames must come in stream order without sharing bytes, and the parser must never hold more than
// one frame's worth. After the input, a read-code request and a run of bytes that cannot begin a
// frame are fed: the request must be found unless a frame handed out overlaps it, and the parser
// must then hold nothing.

#include "frame.h"
#include "fuzzcheck.h"
#include "requestparser.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

std::uint8_t ByteAt(const QByteArray &bytes, qsizetype index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

class ParserRun
{
public:
    void feed(std::uint8_t byte)
    {
        m_stream.append(char(byte));
        const QList<RequestFrame> frames = m_parser.feed(byte);
        FUZZ_CHECK(m_parser.position() == m_stream.size());
        FUZZ_CHECK(m_parser.pendingSize() <= RequestParser::MaxFrameSize);
        FUZZ_CHECK(m_parser.pendingSize() <= m_stream.size());
        for (const RequestFrame &frame : frames)
            check(frame);
    }

    // Whether a frame handed out covers some byte of [begin, end).
    bool overlapped(qint64 begin, qint64 end) const
    {
        for (const auto &[first, last] : m_spans) {
            if (first < end && begin < last)
                return true;
        }
        return false;
    }

    bool found(qint64 position) const
    {
        for (const auto &span : m_spans) {
            if (span.first == position)
                return true;
        }
        return false;
    }

    qint64 size() const { return m_stream.size(); }
    qsizetype pendingSize() const { return m_parser.pendingSize(); }

private:
    void check(const RequestFrame &frame)
    {
        const QByteArray &bytes = frame.bytes;
        FUZZ_CHECK(bytes.size() >= 7 && bytes.size() <= RequestParser::MaxFrameSize);
        FUZZ_CHECK(ByteAt(bytes, 0) == Frame::Lead && ByteAt(bytes, 1) == Frame::Start);
        FUZZ_CHECK(ByteAt(bytes, 2) == Frame::Header);
        FUZZ_CHECK(ByteAt(bytes, 3) == frame.group && ByteAt(bytes, 4) == frame.command);
        FUZZ_CHECK(ByteAt(bytes, 5) == frame.data.size());
        FUZZ_CHECK(bytes.size() == 7 + frame.data.size());
        FUZZ_CHECK(bytes.mid(6, frame.data.size()) == frame.data);
        unsigned sum = 0;
        for (qsizetype i = 2; i < bytes.size(); ++i)
            sum += ByteAt(bytes, i);
        FUZZ_CHECK(sum % 256 == 0);

        // It stands there in the stream, after the frames before it and before the byte just fed.
        const qint64 end = frame.position + bytes.size();
        FUZZ_CHECK(frame.position >= m_lastEnd);
        FUZZ_CHECK(end <= m_stream.size());
        FUZZ_CHECK(m_stream.mid(frame.position, bytes.size()) == bytes);
        m_lastEnd = end;
        m_spans.append({frame.position, end});
    }

    RequestParser m_parser;
    QByteArray m_stream;
    qint64 m_lastEnd = 0;
    QList<std::pair<qint64, qint64>> m_spans; // [first, end) of each frame handed out
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ParserRun run;
    for (std::size_t i = 0; i < size; ++i)
        run.feed(data[i]);

    const QByteArray request = Frame::ReadCodeRequest();
    const qint64 requestAt = run.size();
    for (const char byte : request)
        run.feed(static_cast<std::uint8_t>(byte));
    // A frame begun before the end of this run has either ended or failed by then: none is longer.
    constexpr std::uint8_t NeverLead = 0xAA;
    static_assert(NeverLead != Frame::Lead);
    for (qsizetype i = 0; i < RequestParser::MaxFrameSize; ++i)
        run.feed(NeverLead);

    FUZZ_CHECK(run.found(requestAt) || run.overlapped(requestAt, requestAt + request.size()));
    FUZZ_CHECK(run.pendingSize() == 0);
    return 0;
}
