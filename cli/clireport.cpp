#include "clireport.h"

#include "codeargument.h"
#include "quoting.h"
#include "switchcode.h"

#include <QJsonDocument>

#include <array>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The exit statuses: done, the transmitter failed, the port failed, the command line (as
// sysexits' EX_USAGE), a file could not be made (EX_CANTCREAT), the answer could not be written
// (EX_IOERR).
constexpr int DoneStatus = 0;
constexpr int TransmitterStatus = 1;
constexpr int PortStatus = 2;
constexpr int UsageStatus = 64;
constexpr int CannotCreateStatus = 73;
constexpr int OutputLostStatus = 74;

struct OutcomeInfo
{
    Outcome outcome = Outcome::Done;
    QStringView name;
    int exitStatus = DoneStatus;
};

constexpr std::array<OutcomeInfo, 10> Outcomes = {{
    {Outcome::Code, u"code", DoneStatus},
    {Outcome::Off, u"off", DoneStatus},
    {Outcome::Written, u"written", DoneStatus},
    {Outcome::Verified, u"verified", DoneStatus},
    {Outcome::Text, u"text", DoneStatus},
    {Outcome::Done, u"done", DoneStatus},
    {Outcome::OutOfRange, u"out-of-range", TransmitterStatus},
    {Outcome::NotStored, u"not-stored", TransmitterStatus},
    {Outcome::BadUsage, u"bad-usage", UsageStatus},
    {Outcome::CannotMap, u"cannot-map", CannotCreateStatus},
}};

struct FaultInfo
{
    ExchangeFault fault = ExchangeFault::None;
    QStringView name;
    int exitStatus = TransmitterStatus;
};

// What scripts see of an exchange's fault; the reason it gives is the link's.
constexpr std::array<FaultInfo, 8> Faults = {{
    {ExchangeFault::None, u"done", DoneStatus},
    {ExchangeFault::PortUnavailable, u"port-unavailable", PortStatus},
    {ExchangeFault::LineLost, u"line-lost", TransmitterStatus},
    {ExchangeFault::NoEcho, u"no-echo", TransmitterStatus},
    {ExchangeFault::NoReply, u"no-reply", TransmitterStatus},
    {ExchangeFault::BrokenReply, u"broken-reply", TransmitterStatus},
    {ExchangeFault::BadReply, u"bad-reply", TransmitterStatus},
    {ExchangeFault::WrongReply, u"wrong-reply", TransmitterStatus},
}};

// Each table is looked up by the value of its key.
template <typename Info, std::size_t Size, typename Key>
constexpr bool InKeyOrder(const std::array<Info, Size> &table, Key Info::*key)
{
    for (std::size_t i = 0; i < Size; ++i) {
        if (std::size_t(table.at(i).*key) != i)
            return false;
    }
    return true;
}
static_assert(InKeyOrder(Outcomes, &OutcomeInfo::outcome));
static_assert(InKeyOrder(Faults, &FaultInfo::fault));

// The report's name and exit status.
std::pair<QStringView, int> NameAndStatus(const CliReport &report)
{
    if (report.outcome == Outcome::ExchangeFailed) {
        const FaultInfo &info = Faults.at(std::size_t(report.fault));
        return {info.name, info.exitStatus};
    }
    const OutcomeInfo &info = Outcomes.at(std::size_t(report.outcome));
    return {info.name, info.exitStatus};
}

void Print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Whether all that was written to stream reached it: a full disk, or a stream that was closed
// when the program started, loses it. (The log writes to standard error too.)
bool Delivered(std::FILE *stream)
{
    return std::fflush(stream) == 0 && std::ferror(stream) == 0;
}

bool IsCode(std::int32_t code)
{
    return code >= LowestCode && code <= HighestCode;
}

} // namespace

QString OutcomeName(const CliReport &report)
{
    return NameAndStatus(report).first.toString();
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
    // The error line stays one line whatever the arguments it quotes held.
    const QString error = Escaped(report.error);
    if (json) {
        // No command known: null, so that the field is always there.
        QJsonObject object{
            {u"command"_s, report.command.isEmpty() ? QJsonValue() : QJsonValue(report.command)},
            {u"outcome"_s, OutcomeName(report)}};
        if (!report.port.isEmpty())
            object.insert(u"port"_s, report.port);
        if (!report.device.isEmpty())
            object.insert(u"device"_s, report.device);
        for (auto it = report.fields.begin(); it != report.fields.end(); ++it)
            object.insert(it.key(), it.value());
        if (!error.isEmpty())
            object.insert(u"error"_s, error);
        Print(stdout, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
    } else {
        for (const QString &line : report.lines)
            Print(stdout, line);
    }
    if (!error.isEmpty())
        Print(stderr, u"k5-dipswitch-cli: "_s + error);
    const bool delivered = Delivered(stdout) && Delivered(stderr);
    return delivered ? NameAndStatus(report).second : OutputLostStatus;
}
