#include "transmittercommand.h"

#include "exchanges.h"
#include "frame.h"
#include "portnames.h"
#include "switchcode.h"

#include <QEventLoop>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The state a value read or written stands for: a code, or nullopt for off.
std::optional<std::int32_t> StateOf(std::int32_t value)
{
    return value == Frame::OffMarker ? std::nullopt : std::optional(value);
}

// The error line for an exchange that ended with fault, on the line named where.
QString FaultText(const QString &where, ExchangeFault fault, const QString &what,
                  qsizetype replyBytes)
{
    const QString line = where + u": "_s;
    switch (fault) {
    case ExchangeFault::LineLost:
        return line + u"the line went away during %1 (adapter unplugged?): connect it again "
                      u"and retry"_s.arg(what);
    case ExchangeFault::NoEcho:
        return line + u"nothing came back, not even the echo of %1: check the cable and the "
                      u"adapter"_s.arg(what);
    case ExchangeFault::NoReply:
        return line + u"the transmitter did not answer %1: check that it is connected and "
                      u"switched on"_s.arg(what);
    case ExchangeFault::BrokenReply:
        return line + u"the answer to %1 broke off after %2 bytes: check the connection and "
                      u"retry"_s.arg(what)
                          .arg(replyBytes);
    case ExchangeFault::BadReply:
        return line + u"the answer to %1 was garbled (wrong checksum, or too long): retry"_s.arg(
                          what);
    case ExchangeFault::WrongReply:
    case ExchangeFault::None:
    case ExchangeFault::PortUnavailable:
        break;
    }
    return line + u"the answer did not belong to %1: check that a K5 transmitter is "
                  u"connected"_s.arg(what);
}

// How the report names an exchange that ended with fault.
Outcome OutcomeOf(ExchangeFault fault)
{
    switch (fault) {
    case ExchangeFault::PortUnavailable:
        return Outcome::PortUnavailable;
    case ExchangeFault::LineLost:
        return Outcome::LineLost;
    case ExchangeFault::NoEcho:
        return Outcome::NoEcho;
    case ExchangeFault::NoReply:
        return Outcome::NoReply;
    case ExchangeFault::BrokenReply:
        return Outcome::BrokenReply;
    case ExchangeFault::BadReply:
        return Outcome::BadReply;
    case ExchangeFault::WrongReply:
    case ExchangeFault::None:
        break;
    }
    return Outcome::WrongReply;
}

} // namespace

TransmitterCommand::TransmitterCommand(int portNumber, const QString &device)
    : m_line{portNumber, device}, m_portName(device.isEmpty() ? PortName(portNumber) : QString())
{}

CliReport TransmitterCommand::newReport(const QString &command) const
{
    CliReport report;
    report.command = command;
    report.port = m_portName;
    report.device = m_line.device.isEmpty() ? DevicePathForPort(m_line.port) : m_line.device;
    return report;
}

template <typename Judge>
auto TransmitterCommand::exchange(const QByteArray &request, Judge judge, const QString &what,
                                  CliReport *report)
{
    using Ended = Exchanged<std::invoke_result_t<Judge &, const ExchangeResult &>>;
    std::optional<Ended> ended;
    QEventLoop loop;
    m_link.run(m_line, request, judge, [&](const Ended &e) {
        ended = e;
        loop.quit();
    });
    if (!ended)
        loop.exec();
    report->device = ended->device;
    if (ended->fault == ExchangeFault::PortUnavailable) {
        report->outcome = Outcome::PortUnavailable;
        report->error = PortFailureText(ended->portFailure);
    } else if (ended->fault != ExchangeFault::None) {
        report->outcome = OutcomeOf(ended->fault);
        report->error = FaultText(PortAndDevice(m_portName, ended->device), ended->fault, what,
                                  ended->replyBytes);
    }
    return ended->reply;
}

std::optional<std::uint16_t> TransmitterCommand::readInto(CliReport *report)
{
    return exchange(Frame::ReadCodeRequest(), JudgeReadCodeReply, u"the read request"_s, report);
}

CliReport TransmitterCommand::read()
{
    CliReport report = newReport(u"read"_s);
    const std::optional<std::uint16_t> value = readInto(&report);
    if (!value)
        return report;
    // A value that is neither a code nor the off marker is reported as it is: the window would
    // show the default code instead, which the transmitter does not hold.
    report.fields = StateFields(StateOf(*value));
    if (*value != Frame::OffMarker && *value > HighestCode) {
        report.outcome = Outcome::OutOfRange;
        report.error = PortAndDevice(report.port, report.device) +
                       u": the transmitter holds %1, which is no code (%2 to %3): write a code "
                       u"to it"_s.arg(*value)
                           .arg(LowestCode)
                           .arg(HighestCode);
        return report;
    }
    report.outcome = *value == Frame::OffMarker ? Outcome::Off : Outcome::Code;
    report.lines << StateText(StateOf(*value));
    return report;
}

CliReport TransmitterCommand::write(std::uint16_t value, bool verify)
{
    CliReport report = newReport(u"write"_s);
    report.fields = StateFields(StateOf(value));
    if (!exchange(Frame::WriteCodeRequest(value), JudgeWriteCodeReply, u"the write request"_s,
                  &report))
        return report;
    report.outcome = Outcome::Written;
    if (verify) {
        const std::optional<std::uint16_t> held = readInto(&report);
        if (!held)
            return report;
        if (*held != value) {
            report.outcome = Outcome::NotStored;
            report.fields.insert(u"held"_s, StateFields(StateOf(*held)));
            report.error = PortAndDevice(report.port, report.device) +
                           u": the transmitter confirmed %1 but holds %2: it did not store it; "
                           u"write again, or set the transmitter aside"_s.arg(
                               StateText(StateOf(value)), StateText(StateOf(*held)));
            return report;
        }
        report.outcome = Outcome::Verified;
    }
    report.lines << OutcomeName(report.outcome) + u' ' + StateText(StateOf(value));
    return report;
}

CliReport TransmitterCommand::version()
{
    CliReport report = newReport(u"version"_s);
    const std::optional<QString> text =
        exchange(Frame::ReadVersionRequest(), JudgeVersionReply, u"the version request"_s, &report);
    if (!text)
        return report;
    report.outcome = Outcome::Text;
    report.fields.insert(u"text"_s, *text);
    report.lines << *text;
    return report;
}
