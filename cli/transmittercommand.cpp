#include "transmittercommand.h"

#include "exchanges.h"
#include "frame.h"
#include "portselection.h"
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

} // namespace

TransmitterCommand::TransmitterCommand(int portNumber, const QString &device)
    : m_portName(device.isEmpty() ? PortName(portNumber) : QString()), m_portNumber(portNumber),
      m_device(device.isEmpty() ? DevicePathForPort(portNumber) : device)
{}

CliReport TransmitterCommand::newReport(const QString &command) const
{
    CliReport report;
    report.command = command;
    report.port = m_portName;
    report.device = m_device;
    return report;
}

bool TransmitterCommand::exchange(const QByteArray &request, ExchangeResult *result,
                                  CliReport *report)
{
    // A port is looked up afresh for each exchange, as the window does; the messages name the
    // device that was used.
    if (!m_portName.isEmpty()) {
        m_device = DevicePathForPort(m_portNumber);
        report->device = m_device;
    }
    m_link.beginExchange();
    if (!m_link.openDevice(m_device, m_portName)) {
        m_link.endExchange();
        report->outcome = Outcome::PortUnavailable;
        report->error = PortFailureText(m_link.openFailure());
        return false;
    }
    QEventLoop loop;
    bool ended = false;
    m_link.exchange(request, [&](const ExchangeResult &r) {
        *result = r;
        ended = true;
        loop.quit();
    });
    if (!ended)
        loop.exec();
    return true;
}

void TransmitterCommand::failed(const ExchangeResult &result, const QString &what,
                                CliReport *report) const
{
    const QString line = where() + u": "_s;
    if (m_link.lineLost()) {
        report->outcome = Outcome::LineLost;
        report->error = line + u"the line went away during %1 (adapter unplugged?): connect it "
                               u"again and retry"_s.arg(what);
    } else if (!result.echoComplete) {
        report->outcome = Outcome::NoEcho;
        report->error = line + u"nothing came back, not even the echo of %1: check the cable "
                               u"and the adapter"_s.arg(what);
    } else if (result.reception == Reception::TimedOut && result.reply.isEmpty()) {
        report->outcome = Outcome::NoReply;
        report->error = line + u"the transmitter did not answer %1: check that it is connected "
                               u"and switched on"_s.arg(what);
    } else if (result.reception == Reception::TimedOut) {
        report->outcome = Outcome::BrokenReply;
        report->error = line + u"the answer to %1 broke off after %2 bytes: check the connection "
                               u"and retry"_s.arg(what)
                                   .arg(result.reply.size());
    } else if (result.reception == Reception::BadFrame) {
        report->outcome = Outcome::BadReply;
        report->error = line + u"the answer to %1 was garbled (wrong checksum, or too long): "
                               u"retry"_s.arg(what);
    } else {
        report->outcome = Outcome::WrongReply;
        report->error = line + u"the answer did not belong to %1: check that a K5 transmitter is "
                               u"connected"_s.arg(what);
    }
}

std::int32_t TransmitterCommand::readInto(CliReport *report)
{
    ExchangeResult result;
    if (!exchange(Frame::ReadCodeRequest(), &result, report))
        return -1;
    const ReadCodeResult judged = JudgeReadCodeReply(result);
    if (judged.outcome == ReadCodeOutcome::Error) {
        failed(result, u"the read request"_s, report);
        return -1;
    }
    return judged.outcome == ReadCodeOutcome::Off ? Frame::OffMarker : judged.code;
}

CliReport TransmitterCommand::read()
{
    CliReport report = newReport(u"read"_s);
    const std::int32_t value = readInto(&report);
    if (value < 0)
        return report;
    // A value that is neither a code nor the off marker is reported as it is: the window would
    // show the default code instead, which the transmitter does not hold.
    report.fields = StateFields(StateOf(value));
    if (value != Frame::OffMarker && value > HighestCode) {
        report.outcome = Outcome::OutOfRange;
        report.error = where() + u": the transmitter holds %1, which is no code (%2 to %3): "
                                 u"write a code to it"_s.arg(value)
                                     .arg(LowestCode)
                                     .arg(HighestCode);
        return report;
    }
    report.outcome = value == Frame::OffMarker ? Outcome::Off : Outcome::Code;
    report.lines << StateText(StateOf(value));
    return report;
}

CliReport TransmitterCommand::write(std::uint16_t value, bool verify)
{
    CliReport report = newReport(u"write"_s);
    report.fields = StateFields(StateOf(value));
    ExchangeResult result;
    if (!exchange(Frame::WriteCodeRequest(value), &result, &report))
        return report;
    if (JudgeWriteCodeReply(result) != WriteCodeOutcome::Confirmed) {
        failed(result, u"the write request"_s, &report);
        return report;
    }
    report.outcome = Outcome::Written;
    if (verify) {
        const std::int32_t held = readInto(&report);
        if (held < 0)
            return report;
        if (held != value) {
            report.outcome = Outcome::NotStored;
            report.fields.insert(u"held"_s, StateFields(StateOf(held)));
            report.error = where() + u": the transmitter confirmed %1 but holds %2: it did not "
                                     u"store it; write again, or set the transmitter aside"_s.arg(
                                         StateText(StateOf(value)), StateText(StateOf(held)));
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
    ExchangeResult result;
    if (!exchange(Frame::ReadVersionRequest(), &result, &report))
        return report;
    const VersionResult version = JudgeVersionReply(result);
    if (version.outcome != VersionOutcome::Text) {
        failed(result, u"the version request"_s, &report);
        return report;
    }
    report.outcome = Outcome::Text;
    report.fields.insert(u"text"_s, version.text);
    report.lines << version.text;
    return report;
}
