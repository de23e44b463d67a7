#include "clireport.h"

#include "codeargument.h"
#include "switchcode.h"

#include <QJsonDocument>

#include <array>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The exit statuses: done, the transmitter failed, the port failed, the command line (as
// sysexits' EX_USAGE), a file could not be made (EX_CANTCREAT).
constexpr int DoneStatus = 0;
constexpr int TransmitterStatus = 1;
constexpr int PortStatus = 2;
constexpr int UsageStatus = 64;
constexpr int CannotCreateStatus = 73;

struct OutcomeInfo
{
    Outcome outcome = Outcome::Done;
    QStringView name;
    int exitStatus = DoneStatus;
};

constexpr std::array<OutcomeInfo, 17> Outcomes = {{
    {Outcome::Code, u"code", DoneStatus},
    {Outcome::Off, u"off", DoneStatus},
    {Outcome::Written, u"written", DoneStatus},
    {Outcome::Verified, u"verified", DoneStatus},
    {Outcome::Text, u"text", DoneStatus},
    {Outcome::Done, u"done", DoneStatus},
    {Outcome::NoEcho, u"no-echo", TransmitterStatus},
    {Outcome::NoReply, u"no-reply", TransmitterStatus},
    {Outcome::BrokenReply, u"broken-reply", TransmitterStatus},
    {Outcome::LineLost, u"line-lost", TransmitterStatus},
    {Outcome::BadReply, u"bad-reply", TransmitterStatus},
    {Outcome::WrongReply, u"wrong-reply", TransmitterStatus},
    {Outcome::OutOfRange, u"out-of-range", TransmitterStatus},
    {Outcome::NotStored, u"not-stored", TransmitterStatus},
    {Outcome::PortUnavailable, u"port-unavailable", PortStatus},
    {Outcome::BadUsage, u"bad-usage", UsageStatus},
    {Outcome::CannotMap, u"cannot-map", CannotCreateStatus},
}};

// The table is looked up by the outcome's value.
constexpr bool InOutcomeOrder()
{
    for (std::size_t i = 0; i < Outcomes.size(); ++i) {
        if (Outcomes.at(i).outcome != Outcome(i))
            return false;
    }
    return true;
}
static_assert(InOutcomeOrder());

const OutcomeInfo &InfoOf(Outcome outcome)
{
    return Outcomes.at(std::size_t(outcome));
}

void Print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

bool IsCode(std::int32_t code)
{
    return code >= LowestCode && code <= HighestCode;
}

} // namespace

int ExitStatus(Outcome outcome)
{
    return InfoOf(outcome).exitStatus;
}

QString OutcomeName(Outcome outcome)
{
    return InfoOf(outcome).name.toString();
}

QJsonObject StateFields(std::optional<std::int32_t> code)
{
    if (!code)
        return {{u"off"_s, true}};
    QJsonObject fields{{u"code"_s, *code}};
    if (IsCode(*code))
        fields.insert(u"switches"_s, SwitchString(*code));
    return fields;
}

QString StateText(std::optional<std::int32_t> code)
{
    if (!code)
        return QString::fromUtf16(OffArgument);
    return IsCode(*code) ? u"%1 %2"_s.arg(*code).arg(SwitchString(*code)) : QString::number(*code);
}

int Publish(const CliReport &report, bool json)
{
    if (json) {
        QJsonObject object{{u"command"_s, report.command},
                           {u"outcome"_s, OutcomeName(report.outcome)}};
        if (!report.port.isEmpty())
            object.insert(u"port"_s, report.port);
        if (!report.device.isEmpty())
            object.insert(u"device"_s, report.device);
        for (auto it = report.fields.begin(); it != report.fields.end(); ++it)
            object.insert(it.key(), it.value());
        if (!report.error.isEmpty())
            object.insert(u"error"_s, report.error);
        Print(stdout, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
    } else {
        for (const QString &line : report.lines)
            Print(stdout, line);
    }
    if (!report.error.isEmpty())
        Print(stderr, u"k5-dipswitch-cli: "_s + report.error);
    return ExitStatus(report.outcome);
}
