#include "transmitterlink.h"

#include "lineexchange.h"
#include "linklog.h"
#include "portnames.h"
#include "serialline.h"

#include <utility>

Q_LOGGING_CATEGORY(lcLink, "k5.link")

TransmitterLink::TransmitterLink(QObject *parent)
    : QObject(parent), m_line(new SerialLine(this)),
      m_exchange(new LineExchange(m_line->device(), SteadyNow, this))
{
    connect(m_line, &SerialLine::lost, this, &TransmitterLink::lineLost);
}

TransmitterLink::~TransmitterLink()
{
    stop();
}

bool TransmitterLink::start(const Line &line, const QByteArray &request,
                            std::function<void(const Ended &)> done)
{
    if (m_busy) {
        qCWarning(lcLink) << "exchange refused: another exchange is running";
        return false;
    }
    m_busy = true;
    Ended ended;
    // A port is looked up afresh for each exchange: its link may have changed meanwhile.
    const bool byPort = line.device.isEmpty();
    ended.device = byPort ? DevicePathForPort(line.port) : line.device;
    if (!open(ended.device, byPort ? PortName(line.port) : QString(), &ended.portFailure)) {
        m_busy = false;
        done(ended);
        return true;
    }
    ended.opened = true;
    m_exchange->run(request, [this, ended = std::move(ended),
                              done = std::move(done)](const ExchangeResult &result) mutable {
        ended.result = result;
        ended.lineLost = m_lineLost;
        stop();
        done(ended);
    });
    return true;
}

bool TransmitterLink::open(const QString &device, const QString &portName, PortFailure *failure)
{
    m_label = portName.isEmpty() ? device : portName;
    m_device = device;
    m_lineLost = false;
    // Opened exclusively: the device is locked against other programs and other instances.
    PortProblem problem = PortProblem::Other;
    QString reason;
    if (!m_line->open(device, &problem, &reason)) {
        *failure = {portName, device, problem, reason};
        qCWarning(lcLink).noquote().nospace()
            << m_label << ": cannot open " << device << ": " << reason;
        return false;
    }
    qCDebug(lcLink).noquote().nospace()
        << m_label << ": opened " << device << " at " << m_line->settings();
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
