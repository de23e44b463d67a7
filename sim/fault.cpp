#include "fault.h"

#include <array>
#include <utility>

namespace {

// The kinds that take a number after a colon are matched by their prefix below.
constexpr std::array<std::pair<FaultKind, QStringView>, 7> kindNames = {{
    {FaultKind::NoEcho, u"no-echo"},
    {FaultKind::NoReply, u"no-reply"},
    {FaultKind::BadChecksum, u"bad-checksum"},
    {FaultKind::WrongCommand, u"wrong-command"},
    {FaultKind::Hangup, u"hangup"},
    {FaultKind::TrailingNoise, u"trailing-noise"},
    {FaultKind::KeepCode, u"keep-code"},
}};

constexpr QStringView cutPrefix = u"cut:";
constexpr QStringView slowPrefix = u"slow:";

// The number after a kind's colon: plain decimal digits only, no sign, no blanks, no base
// prefix, from 0 to highest.
std::optional<int> numberUpTo(QStringView number, int highest)
{
    if (number.isEmpty() || number.size() > 4)
        return std::nullopt;
    int value = 0;
    for (const QChar c : number) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > highest)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<Fault> Fault::fromText(QStringView text)
{
    if (text.startsWith(cutPrefix)) {
        const std::optional<int> length = numberUpTo(text.mid(cutPrefix.size()), MaxCutLength);
        if (!length)
            return std::nullopt;
        return Fault{FaultKind::Cut, *length};
    }
    if (text.startsWith(slowPrefix)) {
        const std::optional<int> pause =
            numberUpTo(text.mid(slowPrefix.size()), int(MaxSlowPause.count()));
        if (!pause)
            return std::nullopt;
        return Fault{FaultKind::Slow, 0, std::chrono::milliseconds{*pause}};
    }
    for (const auto &[kind, name] : kindNames) {
        if (text == name)
            return Fault{kind};
    }
    return std::nullopt;
}
