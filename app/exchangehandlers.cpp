#include "exchangehandlers.h"

#include "dropdownbox.h"
#include "exchanges.h"
#include "frame.h"
#include "portmap.h"
#include "portselection.h"
#include "statustexts.h"
#include "switchpanel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QEvent>
#include <QLineEdit>

ExchangeHandlers::ExchangeHandlers(const ExchangeControls &controls, QObject *parent)
    : QObject(parent), m_c(controls)
{
    // The first entry, COM1, is the one chosen.
    for (int n = FirstPortNumber; n <= LastPortNumber; ++n)
        m_c.portSelector->addItem(PortName(n));
    describePorts();
    m_c.portSelector->view()->installEventFilter(this);
    showCounter();

    connect(m_c.readButton, &QAbstractButton::clicked, this, &ExchangeHandlers::readCode);
    connect(m_c.writeButton, &QAbstractButton::clicked, this, &ExchangeHandlers::writeCode);
    connect(m_c.versionButton, &QAbstractButton::clicked, this, &ExchangeHandlers::readVersion);
}

void ExchangeHandlers::resetCounter()
{
    m_confirmedWrites = 0;
    showCounter();
}

void ExchangeHandlers::showCounter()
{
    m_c.counterBox->setText(QString::number(m_confirmedWrites));
}

bool ExchangeHandlers::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched == m_c.portSelector->view())
        describePorts();
    return QObject::eventFilter(watched, event);
}

void ExchangeHandlers::describePorts()
{
    for (int n = FirstPortNumber; n <= LastPortNumber; ++n) {
        const PortDevice port = DescribePort(n);
        const QString tip =
            port.present ? port.device
                         : QStringLiteral("Nothing connected: %1 is not there").arg(port.device);
        m_c.portSelector->setItemData(n - FirstPortNumber, tip, Qt::ToolTipRole);
    }
}

bool ExchangeHandlers::openExchange(const QString &firstStatus)
{
    Q_EMIT status(firstStatus);
    if (m_c.portSelector->text().isEmpty())
        m_c.portSelector->setText(PortName(FirstPortNumber));
    const int port = PortNumberFromText(m_c.portSelector->text());
    if (m_link.openPort(port))
        return true;
    Q_EMIT status(StatusText::PortUnavailable(port), PortFailureText(m_link.openFailure()));
    m_link.endExchange();
    return false;
}

void ExchangeHandlers::readCode()
{
    if (!m_link.beginExchange() || !openExchange(StatusText::ReadRunning))
        return;
    m_link.exchange(Frame::ReadCodeRequest(), [this](const ExchangeResult &result) {
        const ReadCodeResult read = JudgeReadCodeReply(result);
        if (read.outcome == ReadCodeOutcome::Error) {
            Q_EMIT status(StatusText::ReadError);
            return;
        }
        m_c.panel->showRead(read.outcome == ReadCodeOutcome::Code ? std::optional(read.code)
                                                                  : std::nullopt);
        Q_EMIT status(StatusText::ReadOk);
    });
}

void ExchangeHandlers::writeCode()
{
    if (!m_link.beginExchange())
        return;
    // The value is fixed here, before the first wait: whatever the user does to the panel while
    // the exchange waits does not change the request.
    const CodeToWrite code = m_c.panel->codeToWrite();
    if (code.kind == CodeToWrite::Kind::NotValid) {
        Q_EMIT status(StatusText::WriteInvalidCode);
        m_link.endExchange();
        return;
    }
    const auto value =
        code.kind == CodeToWrite::Kind::Code ? std::uint16_t(code.code) : Frame::OffMarker;
    if (!openExchange(StatusText::WriteRunning))
        return;
    m_link.exchange(Frame::WriteCodeRequest(value), [this](const ExchangeResult &result) {
        if (JudgeWriteCodeReply(result) != WriteCodeOutcome::Confirmed) {
            Q_EMIT status(StatusText::WriteError);
            return;
        }
        ++m_confirmedWrites;
        showCounter();
        Q_EMIT status(StatusText::WriteOk);
    });
}

void ExchangeHandlers::readVersion()
{
    if (!m_link.beginExchange() || !openExchange(StatusText::VersionRunning))
        return;
    m_link.exchange(Frame::ReadVersionRequest(), [this](const ExchangeResult &result) {
        const VersionResult version = JudgeVersionReply(result);
        Q_EMIT status(version.outcome == VersionOutcome::Text ? version.text
                                                              : StatusText::VersionError);
    });
}
