#include "transmittercommands.h"

#include "quoting.h"
#include "switchcode.h"

#include <QEventLoop>
#include <QFileInfo>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Runs the exchange that start begins with one of the link's calls, until it ends. Into report
// go the port and the device it ran on, and its fault with the reason when it failed (request
// names the request: "the read request").
ExchangeReport Exchange(const std::function<void(TransmitterLink::Done)> &start,
                        const QString &request, CliReport *report)
{
    std::optional<ExchangeReport> ended;
    QEventLoop loop;
    start([&](const ExchangeReport &e) {
        ended = e;
        loop.quit();
    });
    if (!ended)
        loop.exec();
    report->port = ended->port;
    report->device = ended->device;
    if (ended->fault != ExchangeFault::None) {
        report->outcome = Outcome::ExchangeFailed;
        report->fault = ended->fault;
        // A device named with --port that is not there is only the user's text, quoted as their
        // other arguments are. (One that is there is a file the advice may look at.)
        ExchangeReport quoted = *ended;
        if (ended->port.isEmpty() && !QFileInfo::exists(ended->device)) {
            quoted.device = Quoted(quoted.device);
            quoted.portFailure.device = Quoted(quoted.portFailure.device);
        }
        report->error = FaultReason(quoted, request);
    }
    return *ended;
}

} // namespace

CliReport ReadCommand(const Line &line)
{
    CliReport report(u"read"_s);
    TransmitterLink link;
    const ExchangeReport ended =
        Exchange([&](auto done) { link.readCode(line, done); }, u"the read request"_s, &report);
    if (ended.fault != ExchangeFault::None)
        return report;
    // A value that is neither a code nor off is reported as it is: the window would show the
    // default code instead, which the transmitter does not hold.
    report.fields = StateFields(ended.code);
    if (ended.code && *ended.code > HighestCode) {
        report.outcome = Outcome::OutOfRange;
        report.error = PortAndDevice(report.port, report.device) +
                       u": the transmitter holds %1, which is no code (%2 to %3): write a code "
                       u"to it"_s.arg(*ended.code)
                           .arg(LowestCode)
                           .arg(HighestCode);
        return report;
    }
    report.outcome = ended.code ? Outcome::Code : Outcome::Off;
    report.lines << StateText(ended.code);
    return report;
}

CliReport WriteCommand(const Line &line, std::optional<std::int32_t> code, bool verify)
{
    CliReport report(u"write"_s);
    report.fields = StateFields(code);
    TransmitterLink link;
    if (Exchange([&](auto done) { link.writeCode(line, code, done); }, u"the write request"_s,
                 &report)
            .fault != ExchangeFault::None)
        return report;
    report.outcome = Outcome::Written;
    if (verify) {
        const ExchangeReport held =
            Exchange([&](auto done) { link.readCode(line, done); }, u"the read request"_s, &report);
        if (held.fault != ExchangeFault::None)
            return report;
        if (held.code != code) {
            report.outcome = Outcome::NotStored;
            report.fields.insert(u"held"_s, StateFields(held.code));
            report.error = PortAndDevice(report.port, report.device) +
                           u": the transmitter confirmed %1 but holds %2: it did not store it; "
                           u"write again, or set the transmitter aside"_s.arg(StateText(code),
                                                                              StateText(held.code));
            return report;
        }
        report.outcome = Outcome::Verified;
    }
    report.lines << OutcomeName(report) + u' ' + StateText(code);
    return report;
}

CliReport VersionCommand(const Line &line)
{
    CliReport report(u"version"_s);
    TransmitterLink link;
    const ExchangeReport ended = Exchange([&](auto done) { link.readVersion(line, done); },
                                          u"the version request"_s, &report);
    if (ended.fault != ExchangeFault::None)
        return report;
    report.outcome = Outcome::Text;
    report.fields.insert(u"text"_s, ended.text);
    report.lines << ended.text;
    return report;
}
