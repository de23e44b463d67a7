#pragma once

// The three exchanges with the transmitter as the window runs them: read code, write code and
// version. Each shows its first status text, runs on the port chosen and shows the outcome.

#include <QObject>
#include <QString>

struct ExchangeReport;
class PortSelector;
class SwitchPanel;
class TransmitterLink;

class ExchangeHandlers : public QObject
{
    Q_OBJECT

public:
    // The exchanges run on link, at the port ports shows; the code comes from and goes to panel.
    ExchangeHandlers(TransmitterLink &link, const PortSelector &ports, SwitchPanel &panel,
                     QObject *parent = nullptr);

    void readCode();
    void writeCode();
    void readVersion();

Q_SIGNALS:
    // The status box's new text, and what it leaves out (why an exchange failed, in the command
    // line's words) for its tooltip; empty when there is nothing more to say.
    void status(const QString &text, const QString &detail = QString());
    void writeConfirmed();

private:
    // Shows a failed exchange's errorText, or that the port is not available, with the reason as
    // tooltip (request: "the read request"); false when the exchange did not fail.
    bool showFault(const ExchangeReport &report, const QString &errorText, const QString &request);

    TransmitterLink &m_link;
    const PortSelector &m_ports;
    SwitchPanel &m_panel;
};
