#include "linkhandlers.h"

#include "dropdownbox.h"
#include "exchanges.h"
#include "frame.h"
#include "portselection.h"
#include "statustexts.h"
#include "switchcode.h"
#include "switchpanel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>

LinkHandlers::LinkHandlers(const LinkControls &controls, QObject *parent)
    : QObject(parent), m_c(controls)
{
    connect(m_c.Command1, &QAbstractButton::clicked, this, &LinkHandlers::Command1_Click);
    connect(m_c.Command6, &QAbstractButton::clicked, this, &LinkHandlers::Command6_Click);
    connect(m_c.Command8, &QAbstractButton::clicked, this, &LinkHandlers::Command8_Click);
}

int LinkHandlers::COMPORT_NO()
{
    if (m_c.Combo1->text().isEmpty())
        m_c.Combo1->setText(QStringLiteral("COM1"));
    return PortNumberFromText(m_c.Combo1->text());
}

bool LinkHandlers::openExchange(const QString &firstStatus)
{
    m_c.Text1->setText(firstStatus);
    const int port = COMPORT_NO();
    if (m_link.openPort(port))
        return true;
    m_c.Text1->setText(StatusText::PortUnavailable(port));
    m_link.endExchange();
    return false;
}

void LinkHandlers::Command1_Click()
{
    if (!m_link.beginExchange())
        return;
    if (!openExchange(StatusText::ReadRunning))
        return;
    m_link.exchange(Frame::ReadCodeRequest(), [this](const ExchangeResult &reply) {
        const ReadCodeResult result = JudgeReadCodeReply(reply);
        switch (result.outcome) {
        case ReadCodeOutcome::Error:
            m_c.Text1->setText(StatusText::ReadError);
            return;
        case ReadCodeOutcome::Off:
            m_c.Check1->setChecked(false);
            break;
        case ReadCodeOutcome::Code:
            // Checking the box resets the panel first if the function was off; the code read
            // then takes its place. A value above the highest code ends as the default code.
            m_c.Check1->setChecked(true);
            m_c.Text2->setText(QString::number(result.code));
            m_c.panel->DEC_TO_TRINARY();
            break;
        }
        m_c.Text1->setText(StatusText::ReadOk);
    });
}

void LinkHandlers::Command6_Click()
{
    if (!m_link.beginExchange())
        return;
    // The value is fixed here, before the first wait: whatever the user does to the panel while
    // the exchange waits does not change the request.
    std::uint16_t value = Frame::OffMarker;
    if (m_c.Check1->isChecked()) {
        m_c.panel->TRINARY_TO_DEC();
        const std::int32_t code = CodeFromText(m_c.Text2->text());
        if (m_c.Text2->text().isEmpty() || code < 0) {
            m_c.Text1->setText(StatusText::WriteInvalidCode);
            m_link.endExchange();
            return;
        }
        value = static_cast<std::uint16_t>(code);
    }
    if (!openExchange(StatusText::WriteRunning))
        return;
    m_link.exchange(Frame::WriteCodeRequest(value), [this](const ExchangeResult &reply) {
        if (JudgeWriteCodeReply(reply) != WriteCodeOutcome::Confirmed) {
            m_c.Text1->setText(StatusText::WriteError);
            return;
        }
        bool isNumber = false;
        const qlonglong count = m_c.Text3->text().toLongLong(&isNumber);
        if (isNumber && count < std::numeric_limits<qlonglong>::max())
            m_c.Text3->setText(QString::number(count + 1));
        m_c.Text1->setText(StatusText::WriteOk);
    });
}

void LinkHandlers::Command8_Click()
{
    if (!m_link.beginExchange())
        return;
    if (!openExchange(StatusText::VersionRunning))
        return;
    m_link.exchange(Frame::ReadVersionRequest(), [this](const ExchangeResult &reply) {
        const VersionResult result = JudgeVersionReply(reply);
        m_c.Text1->setText(result.outcome == VersionOutcome::Text ? result.text
                                                                  : StatusText::VersionError);
    });
}
