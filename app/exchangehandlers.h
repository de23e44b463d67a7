#pragma once

// The three exchanges with the transmitter as the window runs them: read code, write code and
// version. Each shows its first status text, runs its request on the selected port and shows
// the outcome. Also the owner of the port selector, whose entries tell by their tooltips which
// device each port stands for, and of the programmed counter.

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
    void abandon() { m_link.stop(); }

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
    // Runs request on the selected port; show gets the judge's reply when it took it, else the
    // status box shows errorText, or that the port is not available.
    template <typename Judge, typename Show>
    void run(const QByteArray &request, Judge judge, const QString &errorText, Show show);
    void showCounter();
    // Ports come and go with their adapters: the entries are told afresh each time the list opens.
    void describePorts();

    ExchangeControls m_c;
    TransmitterLink m_link;
    qint64 m_confirmedWrites = 0;
};
