#include "exchangehandlers.h"

#include "portselector.h"
#include "statustexts.h"
#include "switchpanel.h"
#include "transmitterlink.h"

ExchangeHandlers::ExchangeHandlers(TransmitterLink &link, const PortSelector &ports,
                                   SwitchPanel &panel, QObject *parent)
    : QObject(parent), m_link(link), m_ports(ports), m_panel(panel)
{}

bool ExchangeHandlers::showFault(const ExchangeReport &report, const QString &errorText,
                                 const QString &request)
{
    if (report.fault == ExchangeFault::None)
        return false;
    Q_EMIT status(report.fault == ExchangeFault::PortUnavailable
                      ? StatusText::PortUnavailable(m_ports.port())
                      : errorText,
                  FaultReason(report, request));
    return true;
}

void ExchangeHandlers::readCode()
{
    if (m_link.busy())
        return;
    Q_EMIT status(StatusText::ReadRunning);
    m_link.readCode({m_ports.port(), {}}, [this](const ExchangeReport &report) {
        if (showFault(report, StatusText::ReadError, QStringLiteral("the read request")))
            return;
        if (report.code)
            m_panel.showCode(*report.code);
        else
            m_panel.showOff();
        Q_EMIT status(StatusText::ReadOk);
    });
}

void ExchangeHandlers::writeCode()
{
    if (m_link.busy())
        return;
    // Fixed before the first wait, so that edits to the panel meanwhile leave the request alone.
    const std::optional<std::int32_t> code = m_panel.settleCode();
    Q_EMIT status(StatusText::WriteRunning);
    m_link.writeCode({m_ports.port(), {}}, code, [this](const ExchangeReport &report) {
        if (showFault(report, StatusText::WriteError, QStringLiteral("the write request")))
            return;
        Q_EMIT writeConfirmed();
        Q_EMIT status(StatusText::WriteOk);
    });
}

void ExchangeHandlers::readVersion()
{
    if (m_link.busy())
        return;
    Q_EMIT status(StatusText::VersionRunning);
    m_link.readVersion({m_ports.port(), {}}, [this](const ExchangeReport &report) {
        if (!showFault(report, StatusText::VersionError, QStringLiteral("the version request")))
            Q_EMIT status(report.text);
    });
}
