#include "fault.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<FaultKind, QStringView>, 11> kindNames = {{
    {FaultKind::NoEcho, u"no-echo"},
    {FaultKind::ShortEcho, u"short-echo"},
    {FaultKind::NoReply, u"no-reply"},
    {FaultKind::Cut, u"cut"},
    {FaultKind::LateByte, u"late-byte"},
    {FaultKind::BadChecksum, u"bad-checksum"},
    {FaultKind::WrongCommand, u"wrong-command"},
    {FaultKind::WrongGroup, u"wrong-group"},
    {FaultKind::Overlong, u"overlong"},
    {FaultKind::Noise, u"noise"},
    {FaultKind::Hangup, u"hangup"},
}};

constexpr QStringView cutPrefix = u"cut:";

} // namespace

std::optional<Fault> Fault::fromText(QStringView text)
{
    if (text.startsWith(cutPrefix)) {
        const QStringView number = text.mid(cutPrefix.size());
        // Plain decimal digits only: no sign, no blanks, no base prefix.
        if (number.isEmpty() || number.size() > 3)
            return std::nullopt;
        int length = 0;
        for (const QChar c : number) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
            length = length * 10 + (c.unicode() - u'0');
        }
        if (length > MaxCutLength)
            return std::nullopt;
        return Fault{FaultKind::Cut, length};
    }
    for (const auto &[kind, name] : kindNames) {
        if (kind != FaultKind::Cut && text == name)
            return Fault{kind, 0};
    }
    return std::nullopt;
}
