#include "exchangehandlers.h"

#include "dropdownbox.h"
#include "exchanges.h"
#include "frame.h"
#include "portmap.h"
#include "portnames.h"
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

template <typename Judge, typename Show>
void ExchangeHandlers::run(const QByteArray &request, Judge judge, const QString &errorText,
                           Show show)
{
    const int port = PortNumberFromText(m_c.portSelector->text());
    m_link.run({port, {}}, request, judge, [this, port, errorText, show](const auto &ended) {
        if (ended.fault == ExchangeFault::PortUnavailable)
            Q_EMIT status(StatusText::PortUnavailable(port), PortFailureText(ended.portFailure));
        else if (ended.fault != ExchangeFault::None)
            Q_EMIT status(errorText);
        else
            show(ended.reply);
    });
}

void ExchangeHandlers::readCode()
{
    if (busy())
        return;
    Q_EMIT status(StatusText::ReadRunning);
    run(Frame::ReadCodeRequest(), JudgeReadCodeReply, StatusText::ReadError,
        [this](std::optional<std::uint16_t> value) {
            m_c.panel->showRead(*value == Frame::OffMarker ? std::nullopt
                                                           : std::optional<std::int32_t>(*value));
            Q_EMIT status(StatusText::ReadOk);
        });
}

void ExchangeHandlers::writeCode()
{
    if (busy())
        return;
    // The value is fixed here, before the first wait: whatever the user does to the panel while
    // the exchange waits does not change the request.
    const std::optional<std::int32_t> code = m_c.panel->codeToWrite();
    const std::uint16_t value = code ? std::uint16_t(*code) : Frame::OffMarker;
    Q_EMIT status(StatusText::WriteRunning);
    run(Frame::WriteCodeRequest(value), JudgeWriteCodeReply, StatusText::WriteError, [this](bool) {
        ++m_confirmedWrites;
        showCounter();
        Q_EMIT status(StatusText::WriteOk);
    });
}

void ExchangeHandlers::readVersion()
{
    if (busy())
        return;
    Q_EMIT status(StatusText::VersionRunning);
    run(Frame::ReadVersionRequest(), JudgeVersionReply, StatusText::VersionError,
        [this](const std::optional<QString> &text) { Q_EMIT status(*text); });
}
