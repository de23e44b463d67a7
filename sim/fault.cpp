#include "fault.h"

#include <QRegularExpression>

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<std::pair<FaultKind, QStringView>, 7> kindNames = {{
    {FaultKind::NoEcho, u"no-echo"},
    {FaultKind::NoReply, u"no-reply"},
    {FaultKind::BadChecksum, u"bad-checksum"},
    {FaultKind::WrongCommand, u"wrong-command"},
    {FaultKind::Hangup, u"hangup"},
    {FaultKind::TrailingNoise, u"trailing-noise"},
    {FaultKind::KeepCode, u"keep-code"},
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
        QRegularExpression::anchoredPattern(u"(cut|slow):([0-9]{1,4})"_s));
    const QRegularExpressionMatch match = withNumber.match(text.toString());
    const int number = match.captured(2).toInt();
    if (match.captured(1) == u"cut" && number <= MaxCutLength)
        return Fault{FaultKind::Cut, number};
    if (match.captured(1) == u"slow" && number <= MaxSlowPause.count())
        return Fault{FaultKind::Slow, 0, std::chrono::milliseconds{number}};
    return std::nullopt;
}
