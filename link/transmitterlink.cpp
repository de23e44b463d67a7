#include "transmitterlink.h"

#include "frame.h"
#include "lineexchange.h"
#include "linesettings.h"
#include "linklog.h"
#include "portnames.h"
#include "serialline.h"

#include <QTimer>

#include <algorithm>
#include <utility>

Q_LOGGING_CATEGORY(lcLink, "k5.link")

QString Line::portName() const
{
    return device.isEmpty() ? PortName(port) : QString();
}

QString Line::devicePath() const
{
    return device.isEmpty() ? DevicePathForPort(port) : device;
}

TransmitterLink::TransmitterLink(QObject *parent)
    : TransmitterLink(new SerialLine, SteadyNow, parent)
{}

TransmitterLink::TransmitterLink(SerialLine *line, LinkClock clock, QObject *parent)
    : QObject(parent), m_line(line), m_clock(std::move(clock)),
      m_exchange(new LineExchange(m_line->device(), m_clock, this)), m_settle(new QTimer(this))
{
    m_line->setParent(this);
    connect(m_line, &SerialLine::lost, this, &TransmitterLink::lineLost);
    m_settle->setSingleShot(true);
    connect(m_settle, &QTimer::timeout, this, [this] { std::exchange(m_settled, {})(); });
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
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
        m_lastEnd ? LimitAfter(*m_lastEnd, LineSettings::Settle) - m_clock()
                  : LinkInstant::duration{});
    if (wait.count() <= 0) {
        begin(line, request, judge, std::move(done));
        return true;
    }
    m_settled = [this, line, request, judge, done = std::move(done)]() mutable {
        begin(line, request, judge, std::move(done));
    };
    m_settle->start(std::min(wait, LineSettings::Settle));
    return true;
}

void TransmitterLink::begin(const Line &line, const QByteArray &request, Judge judge, Done done)
{
    ExchangeReport report;
    // A port is looked up afresh for each exchange: its link may have changed meanwhile.
    report.port = line.portName();
    report.device = line.devicePath();
    if (!open(&report)) {
        m_busy = false;
        report.fault = ExchangeFault::PortUnavailable;
        done(report);
        return;
    }
    m_exchange->run(request, [this, judge, report = std::move(report),
                              done = std::move(done)](const ExchangeResult &result) mutable {
        report.replyBytes = result.reply.size();
        if (!judge(result, &report))
            report.fault = FaultOf(result, m_lineLost);
        stop();
        m_lastEnd = m_clock();
        done(report);
    });
}

bool TransmitterLink::open(ExchangeReport *report)
{
    m_label = report->port.isEmpty() ? report->device : report->port;
    m_device = report->device;
    m_lineLost = false;
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
    m_settle->stop();
    m_settled = {};
    m_exchange->stop();
    m_line->close();
    m_busy = false;
}
