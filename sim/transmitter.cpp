#include "transmitter.h"

namespace {

// The version reply's data begins with these two bytes, then the text follows.
constexpr QByteArrayView VersionPrefix{"\x01\x02", 2};
static_assert(VersionPrefix.size() == Frame::VersionPrefixSize);

std::uint8_t wrongCommand(std::uint8_t command)
{
    // The read command becomes the write command; the write and version commands the read one.
    return command == Frame::ReadCodeCommand ? Frame::WriteCodeCommand : Frame::ReadCodeCommand;
}

} // namespace

Transmitter::Transmitter() = default;

void Transmitter::setVersionText(QByteArrayView text)
{
    m_versionText = text.first(std::min(text.size(), MaxVersionTextSize)).toByteArray();
}

LineOutput Transmitter::receive(std::uint8_t byte)
{
    LineOutput output;
    const QList<RequestFrame> frames = m_parser.feed(byte);
    const qint64 position = m_parser.position();

    const bool holdEcho = m_fault.kind == FaultKind::NoEcho;
    if (holdEcho)
        m_heldEcho.append(char(byte));
    else
        output.echo.append(char(byte));

    for (const RequestFrame &frame : frames) {
        Answer answer;
        answer.request = frame.bytes;
        // A request that loses its echo did not get through the line, so it is not carried out.
        const bool lost = m_fault.kind == FaultKind::NoEcho;
        const bool understood = understands(frame);
        if (understood && !lost) {
            if (const std::optional<Reply> reply = execute(frame))
                answer = faultyAnswer(frame, *reply);
        }
        if (understood && holdEcho) {
            // Let out what came before the frame; the frame's own bytes never come back.
            output.echo.append(m_heldEcho.first(frame.position - m_heldPosition));
            const qint64 end = frame.position + frame.bytes.size();
            m_heldEcho.remove(0, end - m_heldPosition);
            m_heldPosition = end;
        }
        output.answers.append(answer);
    }

    if (holdEcho) {
        // Everything before the parser's pending bytes can no longer be part of a request.
        const qint64 decided = position - m_parser.pendingSize();
        const qsizetype release = decided - m_heldPosition;
        if (release > 0) {
            output.echo.append(m_heldEcho.first(release));
            m_heldEcho.remove(0, release);
            m_heldPosition = decided;
        }
    }
    return output;
}

LineOutput Transmitter::receive(QByteArrayView bytes)
{
    LineOutput output;
    for (const char byte : bytes) {
        LineOutput next = receive(static_cast<std::uint8_t>(byte));
        output.echo.append(next.echo);
        output.answers.append(std::move(next.answers));
    }
    return output;
}

void Transmitter::resetLine()
{
    m_parser.reset();
    m_heldEcho.clear();
    m_heldPosition = 0;
}

bool Transmitter::understands(const RequestFrame &frame)
{
    const QByteArrayView data(frame.data);
    if (frame.group == Frame::CodeGroup && frame.command == Frame::ReadCodeCommand)
        return data == Frame::ReadCodeData;
    if (frame.group == Frame::CodeGroup && frame.command == Frame::WriteCodeCommand)
        return data.size() == Frame::WriteCodePrefix.size() + 2 &&
               data.startsWith(Frame::WriteCodePrefix);
    if (frame.group == Frame::VersionGroup && frame.command == Frame::ReadVersionCommand)
        return data.isEmpty();
    return false;
}

std::optional<Transmitter::Reply> Transmitter::execute(const RequestFrame &frame)
{
    if (!understands(frame))
        return std::nullopt;
    Reply reply{frame.group, frame.command, {}};
    switch (frame.command) {
    case Frame::ReadCodeCommand:
        reply.data.append(char(m_heldValue >> 8)).append(char(m_heldValue & 0xFF));
        break;
    case Frame::WriteCodeCommand: {
        const qsizetype at = Frame::WriteCodePrefix.size();
        const auto high = static_cast<std::uint8_t>(frame.data.at(at));
        const auto low = static_cast<std::uint8_t>(frame.data.at(at + 1));
        if (m_fault.kind != FaultKind::KeepCode)
            m_heldValue = static_cast<std::uint16_t>(high << 8 | low);
        break;
    }
    default:
        reply.data.append(VersionPrefix).append(m_versionText);
        break;
    }
    return reply;
}

Answer Transmitter::faultyAnswer(const RequestFrame &frame, const Reply &reply) const
{
    Answer answer;
    answer.request = frame.bytes;
    answer.reply = Frame::Reply(reply.group, reply.command, reply.data);
    switch (m_fault.kind) {
    case FaultKind::None:
    case FaultKind::KeepCode:
        break;
    case FaultKind::NoEcho:
    case FaultKind::NoReply:
        answer.reply.clear();
        break;
    case FaultKind::Cut:
        answer.reply.truncate(m_fault.cutLength);
        break;
    case FaultKind::BadChecksum:
        answer.reply.back() = char(static_cast<std::uint8_t>(answer.reply.back()) + 1);
        break;
    case FaultKind::WrongCommand:
        answer.reply = Frame::Reply(reply.group, wrongCommand(reply.command), reply.data);
        break;
    case FaultKind::Hangup:
        answer.reply.truncate(3);
        answer.hangUp = true;
        break;
    case FaultKind::Slow:
        answer.pauseBeforeEach = m_fault.slowPause;
        break;
    case FaultKind::TrailingNoise:
        answer.reply.append(TrailingNoiseBytes);
        break;
    }
    return answer;
}
