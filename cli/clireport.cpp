#include "clireport.h"

#include "quoting.h"
#include "switchcode.h"

#include <QJsonDocument>

#include <array>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// 64, 73 and 74 are sysexits' EX_USAGE, EX_CANTCREAT and EX_IOERR.
constexpr int DoneStatus = 0;
constexpr int TransmitterStatus = 1;
constexpr int PortStatus = 2;
constexpr int UsageStatus = 64;
constexpr int CannotCreateStatus = 73;
constexpr int OutputLostStatus = 74;

struct Named
{
    QStringView name;
    int exitStatus = DoneStatus;
};

// The outcomes in their order, up to ExchangeFailed: that one's name and status are its fault's.
constexpr auto Outcomes = std::to_array<Named>({
    {u"code"},
    {u"off"},
    {u"written"},
    {u"verified"},
    {u"text"},
    {u"done"},
    {u"out-of-range", TransmitterStatus},
    {u"not-stored", TransmitterStatus},
    {u"bad-usage", UsageStatus},
    {u"cannot-map", CannotCreateStatus},
});
static_assert(Outcomes.size() == std::size_t(Outcome::ExchangeFailed));

// The link's faults in their order: what scripts see of them; the reason given is the link's.
constexpr auto Faults = std::to_array<Named>({
    {u"done"},
    {u"port-unavailable", PortStatus},
    {u"line-lost", TransmitterStatus},
    {u"no-echo", TransmitterStatus},
    {u"no-reply", TransmitterStatus},
    {u"broken-reply", TransmitterStatus},
    {u"bad-reply", TransmitterStatus},
    {u"wrong-reply", TransmitterStatus},
});
static_assert(Faults.size() == std::size_t(ExchangeFault::WrongReply) + 1);

const Named &NameAndStatus(const CliReport &report)
{
    return report.outcome == Outcome::ExchangeFailed ? Faults.at(std::size_t(report.fault))
                                                     : Outcomes.at(std::size_t(report.outcome));
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

// "-+-0++0+0-" for 12345: the switches of a valid code, switch 1 first.
QString SwitchString(std::int32_t code)
{
    QString text;
    for (const SwitchPosition position : PositionsFromCode(code))
        text += TextFromPosition(position);
    return text;
}

} // namespace

QString OutcomeName(const CliReport &report)
{
    return NameAndStatus(report).name.toString();
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
    return delivered ? NameAndStatus(report).exitStatus : OutputLostStatus;
}
