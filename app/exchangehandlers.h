#pragma once

// The three exchanges with the transmitter as the window runs them: read code, write code and
// version. Each opens the exchange (the busy guard, the first status text, the port), hands the
// request to the transmitter link and, when the link reports the result, shows its outcome.
// Also the owner of the port selector, whose entries tell by their tooltips which device each
// port stands for, and of the programmed counter.

#include "transmitterlink.h"

#include <QObject>
#include <QString>

class DropDownBox;
class QAbstractButton;
class QLineEdit;
class SwitchPanel;

struct ExchangeControls
{
    DropDownBox *portSelector = nullptr;
    QLineEdit *counterBox = nullptr;
    QAbstractButton *readButton = nullptr;
    QAbstractButton *writeButton = nullptr;
    QAbstractButton *versionButton = nullptr;
    SwitchPanel *panel = nullptr;
};

class ExchangeHandlers : public QObject
{
    Q_OBJECT

public:
    // Fills the port selector, COM1 chosen, and sets the counter to 0.
    explicit ExchangeHandlers(const ExchangeControls &controls, QObject *parent = nullptr);

    // Whether an exchange runs.
    bool busy() const { return m_link.busy(); }
    void resetCounter();
    // The program is ending: a running exchange stops at once and the port is released.
    void abandon() { m_link.abandon(); }

Q_SIGNALS:
    // The status box's new text, and what it leaves out (why a port could not be opened) for its
    // tooltip; empty when there is nothing more to say.
    void status(const QString &text, const QString &detail = QString());

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void readCode();
    void writeCode();
    void readVersion();
    // The exchange opening once the exchange is busy: the first status text, the port selection
    // and the port. false when the port could not be opened; the exchange has then ended.
    bool openExchange(const QString &firstStatus);
    void showCounter();
    // Ports come and go with their adapters: the entries are told afresh each time the list opens.
    void describePorts();

    ExchangeControls m_c;
    TransmitterLink m_link;
    qint64 m_confirmedWrites = 0;
};
