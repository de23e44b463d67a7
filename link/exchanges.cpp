#include "exchanges.h"

#include "frame.h"

#include <algorithm>

namespace {

// The reply's byte at offset, 0 beyond its end.
int ByteAt(const QByteArray &reply, qsizetype offset)
{
    return offset < reply.size() ? std::uint8_t(reply.at(offset)) : 0;
}

// A whole reply with a good checksum, FF 00, then the group and the command.
bool IsReplyTo(const ExchangeResult &result, std::uint8_t group, std::uint8_t command)
{
    const QByteArray &reply = result.reply;
    return result.complete() && ByteAt(reply, Frame::ReplyStartOffset) == Frame::Start &&
           ByteAt(reply, Frame::ReplyHeaderOffset) == Frame::ReplyHeader &&
           ByteAt(reply, Frame::ReplyGroupOffset) == group &&
           ByteAt(reply, Frame::ReplyCommandOffset) == command;
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

ReadCodeResult JudgeReadCodeReply(const ExchangeResult &result)
{
    if (!IsReplyTo(result, Frame::CodeGroup, Frame::ReadCodeCommand) ||
        ByteAt(result.reply, Frame::ReplyLengthOffset) != 2)
        return {};
    const int value = ByteAt(result.reply, Frame::ReplyDataOffset) * 256 +
                      ByteAt(result.reply, Frame::ReplyDataOffset + 1);
    if (value == Frame::OffMarker)
        return {ReadCodeOutcome::Off, 0};
    return {ReadCodeOutcome::Code, value};
}

WriteCodeOutcome JudgeWriteCodeReply(const ExchangeResult &result)
{
    if (IsReplyTo(result, Frame::CodeGroup, Frame::WriteCodeCommand) &&
        ByteAt(result.reply, Frame::ReplyLengthOffset) == 0)
        return WriteCodeOutcome::Confirmed;
    return WriteCodeOutcome::Error;
}

VersionResult JudgeVersionReply(const ExchangeResult &result)
{
    if (!IsReplyTo(result, Frame::VersionGroup, Frame::ReadVersionCommand))
        return {};
    // A complete reception keeps the data inside the reply; the bound guards a hand-made one.
    const qsizetype first = Frame::ReplyDataOffset + Frame::VersionPrefixSize;
    const qsizetype end =
        std::min<qsizetype>(Frame::ReplyDataOffset + ByteAt(result.reply, Frame::ReplyLengthOffset),
                            result.reply.size());
    QString text;
    for (qsizetype i = first; i < end; ++i)
        text.append(VisibleCharacter(std::uint8_t(result.reply.at(i))));
    return {VersionOutcome::Text, text};
}
