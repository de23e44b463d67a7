#include "fault.h"

#include <QRegularExpression>

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<std::pair<FaultKind, QStringView>, 10> kindNames = {{
    {FaultKind::NoEcho, u"no-echo"},
    {FaultKind::NoReply, u"no-reply"},
    {FaultKind::BadChecksum, u"bad-checksum"},
    {FaultKind::WrongCommand, u"wrong-command"},
    {FaultKind::Hangup, u"hangup"},
    {FaultKind::TrailingNoise, u"trailing-noise"},
    {FaultKind::KeepCode, u"keep-code"},
    {FaultKind::LeadingNoise, u"leading-noise"},
    {FaultKind::ShortEcho, u"short-echo"},
    {FaultKind::Chatter, u"chatter"},
}};

} // namespace

std::optional<Fault> Fault::fromText(QStringView text)
{
    for (const auto &[kind, name] : kindNames) {
        if (text == name)
            return Fault{kind};
    }
    // The kinds that take a number: plain decimal digits after the colon, no sign, no blanks.
    static const QRegularExpression withNumber(
        QRegularExpression::anchoredPattern(u"(cut|slow|late):([0-9]{1,4})"_s));
    const QRegularExpressionMatch match = withNumber.match(text.toString());
    const QString kind = match.captured(1);
    const int number = match.captured(2).toInt();
    if (kind == u"cut" && number <= MaxCutLength)
        return Fault{FaultKind::Cut, number};
    if (!kind.isEmpty() && kind != u"cut" && number <= MaxPause.count())
        return Fault{kind == u"slow" ? FaultKind::Slow : FaultKind::Late, 0,
                     std::chrono::milliseconds{number}};
    return std::nullopt;
}

bool Fault::leavesBytesOnLine() const
{
    return kind == FaultKind::TrailingNoise || kind == FaultKind::Late ||
           kind == FaultKind::LeadingNoise || kind == FaultKind::ShortEcho ||
           kind == FaultKind::Chatter;
}
