#include "transmitter.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// The first bytes of every request: Frame::Lead, Frame::Start and Frame::Header.
constexpr QByteArrayView LeadIn{"\x00\xFF\x01", 3};
// The version reply's data begins with these two bytes, then the text follows.
constexpr QByteArrayView VersionPrefix{"\x01\x02", 2};
static_assert(VersionPrefix.size() == Frame::VersionPrefixSize);

// Each kind by its name, with the largest number after its colon, -1 for a kind without one.
constexpr std::array<std::tuple<FaultKind, QStringView, int>, 13> KindNames = {{
    {FaultKind::NoEcho, u"no-echo", -1},
    {FaultKind::NoReply, u"no-reply", -1},
    {FaultKind::BadChecksum, u"bad-checksum", -1},
    {FaultKind::WrongCommand, u"wrong-command", -1},
    {FaultKind::Hangup, u"hangup", -1},
    {FaultKind::TrailingNoise, u"trailing-noise", -1},
    {FaultKind::KeepCode, u"keep-code", -1},
    {FaultKind::LeadingNoise, u"leading-noise", -1},
    {FaultKind::ShortEcho, u"short-echo", -1},
    {FaultKind::Chatter, u"chatter", -1},
    {FaultKind::Cut, u"cut", Fault::MaxCutLength},
    {FaultKind::Slow, u"slow", int(Fault::MaxPause.count())},
    {FaultKind::Late, u"late", int(Fault::MaxPause.count())},
}};

std::uint8_t byteAt(QByteArrayView bytes, qsizetype index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

std::uint8_t wrongCommand(std::uint8_t command)
{
    // The read command becomes the write command; the write and version commands the read one.
    return command == Frame::ReadCodeCommand ? Frame::WriteCodeCommand : Frame::ReadCodeCommand;
}

} // namespace

std::optional<Fault> Fault::fromText(QStringView text)
{
    // A number is plain decimal digits after the colon, no sign, no blanks.
    static const QRegularExpression form(
        QRegularExpression::anchoredPattern(u"([a-z-]+)(?::([0-9]{1,4}))?"_s));
    const QRegularExpressionMatch match = form.match(text.toString());
    const int number = match.captured(2).toInt();
    for (const auto &[kind, name, maxNumber] : KindNames) {
        if (match.captured(1) == name &&
            (match.hasCaptured(2) ? number <= maxNumber : maxNumber < 0))
            return Fault{kind, number};
    }
    return std::nullopt;
}

bool Fault::leavesBytesOnLine() const
{
    return kind == FaultKind::TrailingNoise || kind == FaultKind::Late ||
           kind == FaultKind::LeadingNoise || kind == FaultKind::ShortEcho ||
           kind == FaultKind::Chatter;
}

Transmitter::Transmitter(std::uint16_t heldValue, QByteArrayView versionText, Fault fault)
    : m_heldValue(heldValue),
      m_versionText(
          versionText.first(std::min(versionText.size(), MaxVersionTextSize)).toByteArray()),
      m_fault(fault)
{}

LineOutput Transmitter::receive(std::uint8_t byte)
{
    const FaultKind fault = faultNow();
    // With no echo the line carries nothing back, and a request whose echo is lost did not get
    // through to be carried out; it was received all the same.
    const bool lineBroken = fault == FaultKind::NoEcho;
    const bool beginsFrame = m_received.isEmpty() && byte == Frame::Lead;
    LineOutput output;
    if (fault == FaultKind::Late)
        output.late = m_fault.pause();
    if (fault == FaultKind::LeadingNoise && beginsFrame)
        output.echo.append(NoiseBytes);
    if (!lineBroken && !(fault == FaultKind::ShortEcho && beginsFrame))
        output.echo.append(char(byte));
    m_received.append(char(byte));
    for (const QByteArray &request : takeFrames()) {
        output.answers.append(lineBroken ? Answer{request, {}} : answer(request, fault));
        ++m_requests;
    }
    return output;
}

QByteArray Transmitter::powerUp() const
{
    return m_fault.kind == FaultKind::Chatter ? ChatterBytes.toByteArray() : QByteArray();
}

QList<QByteArray> Transmitter::takeFrames()
{
    // Every well-formed frame, whatever its group and command; stray bytes, bad headers and bad
    // checksums yield nothing. Usually none or one; more only when a failed frame had hidden
    // shorter ones behind its lead.
    QList<QByteArray> frames;
    for (;;) {
        // Drop what cannot begin a frame: what is held starts with the lead-in, or as much of it
        // as has come.
        while (!LeadIn.startsWith(m_received.first(std::min(m_received.size(), LeadIn.size()))))
            m_received.remove(0, 1);
        if (m_received.size() <= Frame::RequestLengthOffset)
            return frames;
        const qsizetype frameSize =
            Frame::RequestDataOffset + byteAt(m_received, Frame::RequestLengthOffset) + 1;
        if (m_received.size() < frameSize)
            return frames;
        const QByteArrayView body(m_received.constData() + Frame::RequestHeaderOffset,
                                  frameSize - Frame::RequestHeaderOffset - 1);
        const bool sound = Frame::Checksum(body) == byteAt(m_received, frameSize - 1);
        if (sound)
            frames.append(m_received.first(frameSize));
        // A failed frame is looked at again from the byte after its lead: a real one that
        // follows a truncated one may start inside it.
        m_received.remove(0, sound ? frameSize : 1);
    }
}

FaultKind Transmitter::faultNow() const
{
    const bool playedOut =
        m_fault.requests != Fault::EveryRequest && m_requests >= m_fault.requests;
    return playedOut ? FaultKind::None : m_fault.kind;
}

Answer Transmitter::answer(const QByteArray &request, FaultKind fault)
{
    const std::uint8_t group = byteAt(request, Frame::RequestGroupOffset);
    const std::uint8_t command = byteAt(request, Frame::RequestCommandOffset);
    const QByteArrayView data = QByteArrayView(request).sliced(
        Frame::RequestDataOffset, request.size() - Frame::RequestDataOffset - 1);
    QByteArray replyData;
    if (group == Frame::CodeGroup && command == Frame::ReadCodeCommand &&
        data == Frame::ReadCodeData) {
        replyData.append(char(m_heldValue >> 8)).append(char(m_heldValue & 0xFF));
    } else if (group == Frame::CodeGroup && command == Frame::WriteCodeCommand &&
               data.size() == Frame::WriteCodePrefix.size() + 2 &&
               data.startsWith(Frame::WriteCodePrefix)) {
        if (fault != FaultKind::KeepCode)
            m_heldValue = static_cast<std::uint16_t>(byteAt(data, data.size() - 2) << 8 |
                                                     byteAt(data, data.size() - 1));
    } else if (group == Frame::VersionGroup && command == Frame::ReadVersionCommand &&
               data.isEmpty()) {
        replyData.append(VersionPrefix).append(m_versionText);
    } else {
        return {request, {}}; // not understood: no reply
    }

    Answer answer{request,
                  Frame::Reply(group,
                               fault == FaultKind::WrongCommand ? wrongCommand(command) : command,
                               replyData)};
    switch (fault) {
    case FaultKind::NoReply:
        answer.reply.clear();
        break;
    case FaultKind::Cut:
        answer.reply.truncate(m_fault.number);
        break;
    case FaultKind::BadChecksum:
        answer.reply.back() = char(byteAt(answer.reply, answer.reply.size() - 1) + 1);
        break;
    case FaultKind::Hangup:
        answer.reply.truncate(3);
        answer.hangUp = true;
        break;
    case FaultKind::Slow:
        answer.pauseBeforeEach = m_fault.pause();
        break;
    case FaultKind::TrailingNoise:
        answer.reply.append(NoiseBytes);
        break;
    default: // the others leave the reply as it is
        break;
    }
    return answer;
}
