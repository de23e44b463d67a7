#include "transmitter.h"

#include <algorithm>

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

void Transmitter::setVersionText(QByteArrayView text)
{
    m_versionText = text.first(std::min(text.size(), MaxVersionTextSize)).toByteArray();
}

LineOutput Transmitter::receive(std::uint8_t byte)
{
    const FaultKind fault = faultNow();
    // With no echo the line carries nothing back, and a request whose echo is lost did not get
    // through to be carried out; it was received all the same.
    const bool lineBroken = fault == FaultKind::NoEcho;
    const bool beginsFrame = m_parser.idle() && byte == Frame::Lead;
    LineOutput output;
    if (fault == FaultKind::Late)
        output.late = m_fault.pause;
    if (fault == FaultKind::LeadingNoise && beginsFrame)
        output.echo.append(NoiseBytes);
    if (!lineBroken && !(fault == FaultKind::ShortEcho && beginsFrame))
        output.echo.append(char(byte));
    for (const RequestFrame &frame : m_parser.feed(byte)) {
        const std::optional<Reply> reply = lineBroken ? std::nullopt : execute(frame, fault);
        Answer answer = reply ? faultyAnswer(*reply, fault) : Answer{};
        answer.request = frame.bytes;
        output.answers.append(answer);
        ++m_requests;
    }
    return output;
}

QByteArray Transmitter::powerUp() const
{
    return m_fault.kind == FaultKind::Chatter ? ChatterBytes.toByteArray() : QByteArray();
}

FaultKind Transmitter::faultNow() const
{
    const bool playedOut =
        m_fault.requests != Fault::EveryRequest && m_requests >= m_fault.requests;
    return playedOut ? FaultKind::None : m_fault.kind;
}

void Transmitter::resetLine()
{
    m_parser.reset();
}

std::optional<Transmitter::Reply> Transmitter::execute(const RequestFrame &frame, FaultKind fault)
{
    const QByteArrayView data(frame.data);
    Reply reply{frame.group, frame.command, {}};
    if (frame.group == Frame::CodeGroup && frame.command == Frame::ReadCodeCommand &&
        data == Frame::ReadCodeData) {
        reply.data.append(char(m_heldValue >> 8)).append(char(m_heldValue & 0xFF));
    } else if (frame.group == Frame::CodeGroup && frame.command == Frame::WriteCodeCommand &&
               data.size() == Frame::WriteCodePrefix.size() + 2 &&
               data.startsWith(Frame::WriteCodePrefix)) {
        const auto high = static_cast<std::uint8_t>(data.at(data.size() - 2));
        const auto low = static_cast<std::uint8_t>(data.back());
        if (fault != FaultKind::KeepCode)
            m_heldValue = static_cast<std::uint16_t>(high << 8 | low);
    } else if (frame.group == Frame::VersionGroup && frame.command == Frame::ReadVersionCommand &&
               data.isEmpty()) {
        reply.data.append(VersionPrefix).append(m_versionText);
    } else {
        return std::nullopt; // not understood: no reply
    }
    return reply;
}

Answer Transmitter::faultyAnswer(const Reply &reply, FaultKind fault) const
{
    Answer answer;
    answer.reply = Frame::Reply(reply.group, reply.command, reply.data);
    switch (fault) {
    case FaultKind::None:
    case FaultKind::KeepCode:
    case FaultKind::Late:
    case FaultKind::LeadingNoise:
    case FaultKind::ShortEcho:
    case FaultKind::Chatter:
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
        answer.pauseBeforeEach = m_fault.pause;
        break;
    case FaultKind::TrailingNoise:
        answer.reply.append(NoiseBytes);
        break;
    }
    return answer;
}
