#include "exchanges.h"

#include "frame.h"

#include <algorithm>

namespace {

// Indices 1 to 5 of a reply: start, 00, command group, command, length.
bool HeaderIs(const ExchangeReply &reply, std::uint8_t group, std::uint8_t command)
{
    return reply.ReplyBytes[1] == Frame::Start && reply.ReplyBytes[2] == 0x00 &&
           reply.ReplyBytes[3] == group && reply.ReplyBytes[4] == command;
}

QChar VisibleCharacter(std::uint8_t byte)
{
    if (byte < 0x20)
        return QChar(char16_t(0x2400 + byte));
    if (byte == 0x7F)
        return QChar(char16_t(0x2421));
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(QChar::ReplacementCharacter);
    return QChar(char16_t(byte));
}

} // namespace

ReadCodeResult JudgeReadCodeReply(const ExchangeReply &reply)
{
    if (!reply.complete() || !HeaderIs(reply, Frame::CodeGroup, Frame::ReadCodeCommand) ||
        reply.ReplyBytes[5] != 2)
        return {};
    const int high = reply.ReplyBytes[6];
    const int low = reply.ReplyBytes[7];
    if (high == 0xFF && low == 0xFF)
        return {ReadCodeOutcome::Off, 0};
    return {ReadCodeOutcome::Code, high * 256 + low};
}

WriteCodeOutcome JudgeWriteCodeReply(const ExchangeReply &reply)
{
    if (reply.complete() && HeaderIs(reply, Frame::CodeGroup, Frame::WriteCodeCommand) &&
        reply.ReplyBytes[5] == 0)
        return WriteCodeOutcome::Confirmed;
    return WriteCodeOutcome::Error;
}

VersionResult JudgeVersionReply(const ExchangeReply &reply)
{
    if (!reply.complete() || !HeaderIs(reply, Frame::VersionGroup, Frame::ReadVersionCommand))
        return {};
    // A complete reception keeps the data inside ReplyBytes; the bound guards a hand-made reply.
    constexpr int FirstTextIndex = 8;
    const int lastTextIndex = std::min(reply.ReplyBytes[5] + 5, LastReplyIndex);
    QString text;
    for (int i = FirstTextIndex; i <= lastTextIndex; ++i)
        text.append(VisibleCharacter(std::uint8_t(reply.ReplyBytes[std::size_t(i)])));
    return {VersionOutcome::Text, text};
}
