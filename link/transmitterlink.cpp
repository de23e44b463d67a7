#include "transmitterlink.h"

#include "frame.h"
#include "lineexchange.h"
#include "linklog.h"
#include "portnames.h"
#include "serialline.h"

#include <utility>

Q_LOGGING_CATEGORY(lcLink, "k5.link")

TransmitterLink::TransmitterLink(QObject *parent)
    : TransmitterLink(new SerialLine, SteadyNow, parent)
{}

TransmitterLink::TransmitterLink(SerialLine *line, LinkClock clock, QObject *parent)
    : QObject(parent), m_line(line),
      m_exchange(new LineExchange(m_line->device(), std::move(clock), this))
{
    m_line->setParent(this);
    connect(m_line, &SerialLine::lost, this, &TransmitterLink::lineLost);
}

TransmitterLink::~TransmitterLink()
{
    stop();
}

bool TransmitterLink::readCode(const Line &line, Done done)
{
    return run(line, Frame::ReadCodeRequest(), JudgeReadCodeReply, std::move(done));
}

bool TransmitterLink::writeCode(const Line &line, std::optional<std::int32_t> code, Done done)
{
    const auto value = std::uint16_t(code.value_or(Frame::OffMarker));
    return run(line, Frame::WriteCodeRequest(value), JudgeWriteCodeReply, std::move(done));
}

bool TransmitterLink::readVersion(const Line &line, Done done)
{
    return run(line, Frame::ReadVersionRequest(), JudgeVersionReply, std::move(done));
}

bool TransmitterLink::run(const Line &line, const QByteArray &request, Judge judge, Done done)
{
    if (m_busy) {
        qCWarning(lcLink) << "exchange refused: another exchange is running";
        return false;
    }
    m_busy = true;
    ExchangeReport report;
    // A port is looked up afresh for each exchange: its link may have changed meanwhile.
    const bool byPort = line.device.isEmpty();
    report.port = byPort ? PortName(line.port) : QString();
    report.device = byPort ? DevicePathForPort(line.port) : line.device;
    if (!open(&report)) {
        m_busy = false;
        report.fault = ExchangeFault::PortUnavailable;
        done(report);
        return true;
    }
    m_exchange->run(request, [this, judge, report = std::move(report),
                              done = std::move(done)](const ExchangeResult &result) mutable {
        report.replyBytes = result.reply.size();
        if (!judge(result, &report))
            report.fault = FaultOf(result, m_lineLost);
        stop();
        done(report);
    });
    return true;
}

bool TransmitterLink::open(ExchangeReport *report)
{
    m_label = report->port.isEmpty() ? report->device : report->port;
    m_device = report->device;
    m_lineLost = false;
    // Opened exclusively: the device is locked against other programs and other instances.
    PortProblem problem = PortProblem::Other;
    QString reason;
    if (!m_line->open(report->device, &problem, &reason)) {
        report->portFailure = {report->port, report->device, problem, reason};
        qCWarning(lcLink).noquote().nospace()
            << m_label << ": cannot open " << report->device << ": " << reason;
        return false;
    }
    qCDebug(lcLink).noquote().nospace()
        << m_label << ": opened " << report->device << " at " << m_line->settings();
    if (const qint64 held = m_line->discardReceived(); held > 0)
        qCDebug(lcLink).noquote().nospace()
            << m_label << ": discarded " << held << " bytes that waited on the line";
    return true;
}

void TransmitterLink::lineLost(const QString &reason)
{
    // The wait in progress gets no more bytes and runs out at its deadline.
    m_lineLost = true;
    qCWarning(lcLink).noquote().nospace()
        << m_label << ": line " << m_device << " failed: " << reason << "; port closed";
}

void TransmitterLink::stop()
{
    m_exchange->stop();
    m_line->close();
    m_busy = false;
}
