#include "exchanges.h"

#include "frame.h"

using namespace Qt::StringLiterals;

namespace {

// No bounds check: the judges read only fields that a complete reply holds.
int ByteAt(const QByteArray &reply, qsizetype offset)
{
    return std::uint8_t(reply.at(offset));
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

// Windows-1252 at 80 to 9F, where it differs from Latin-1; U+FFFD where it leaves a byte undefined.
constexpr char16_t Windows1252High[32] = {
    u'\u20AC', u'\uFFFD', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\uFFFD', u'\u017D', u'\uFFFD',
    u'\uFFFD', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\uFFFD', u'\u017E', u'\u0178'};

// The character a version byte stands for, as JudgeVersionReply() describes.
QChar VisibleCharacter(std::uint8_t byte)
{
    if (byte < 0x20)
        return QChar(char16_t(0x2400 + byte));
    if (byte == 0x7F)
        return QChar(char16_t(0x2421));
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(Windows1252High[byte - 0x80]);
    return QChar(char16_t(byte));
}

} // namespace

bool JudgeReadCodeReply(const ExchangeResult &result, ExchangeReport *report)
{
    if (!IsReplyTo(result, Frame::CodeGroup, Frame::ReadCodeCommand) ||
        ByteAt(result.reply, Frame::ReplyLengthOffset) != 2)
        return false;
    const std::int32_t value = ByteAt(result.reply, Frame::ReplyDataOffset) * 256 +
                               ByteAt(result.reply, Frame::ReplyDataOffset + 1);
    report->code = value == Frame::OffMarker ? std::nullopt : std::optional(value);
    return true;
}

bool JudgeWriteCodeReply(const ExchangeResult &result, ExchangeReport * /*report*/)
{
    return IsReplyTo(result, Frame::CodeGroup, Frame::WriteCodeCommand) &&
           ByteAt(result.reply, Frame::ReplyLengthOffset) == 0;
}

bool JudgeVersionReply(const ExchangeResult &result, ExchangeReport *report)
{
    if (!IsReplyTo(result, Frame::VersionGroup, Frame::ReadVersionCommand))
        return false;
    // The data after its first two bytes; a complete reply holds all of its data.
    const qsizetype first = Frame::ReplyDataOffset + Frame::VersionPrefixSize;
    const qsizetype end = Frame::ReplyDataOffset + ByteAt(result.reply, Frame::ReplyLengthOffset);
    report->text.clear();
    for (qsizetype i = first; i < end; ++i)
        report->text.append(VisibleCharacter(std::uint8_t(result.reply.at(i))));
    return true;
}

ExchangeFault FaultOf(const ExchangeResult &result, bool lineLost)
{
    if (lineLost)
        return ExchangeFault::LineLost;
    if (!result.echoComplete)
        return ExchangeFault::NoEcho;
    switch (result.reception) {
    case Reception::TimedOut:
        return result.reply.isEmpty() ? ExchangeFault::NoReply : ExchangeFault::BrokenReply;
    case Reception::BadFrame:
        return ExchangeFault::BadReply;
    case Reception::Complete:
        break;
    }
    return ExchangeFault::WrongReply;
}

QString FaultReason(const ExchangeReport &report, const QString &request)
{
    QString reason;
    switch (report.fault) {
    case ExchangeFault::PortUnavailable:
        return PortFailureText(report.portFailure);
    case ExchangeFault::LineLost:
        reason = u"the line went away during %1 (adapter unplugged?): connect it again and retry"_s;
        break;
    case ExchangeFault::NoEcho:
        reason = u"nothing came back, not even the echo of %1: check the cable and the adapter"_s;
        break;
    case ExchangeFault::NoReply:
        reason = u"the transmitter did not answer %1: check that it is connected and switched on"_s;
        break;
    case ExchangeFault::BrokenReply:
        reason = u"the answer to %1 broke off after %2 bytes: check the connection and retry"_s;
        break;
    case ExchangeFault::BadReply:
        reason = u"the answer to %1 was garbled (wrong checksum, or too long): retry"_s;
        break;
    case ExchangeFault::None:
    case ExchangeFault::WrongReply:
        reason = u"the answer did not belong to %1: check that a K5 transmitter is connected"_s;
        break;
    }
    reason = reason.arg(request);
    if (report.fault == ExchangeFault::BrokenReply)
        reason = reason.arg(report.replyBytes);
    return PortAndDevice(report.port, report.device) + u": "_s + reason;
}
