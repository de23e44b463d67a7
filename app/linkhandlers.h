#pragma once

// The click handlers of the three exchange buttons: read code (Command1), write code (Command6)
// and version (Command8). Each opens the exchange, hands the request to the transmitter link and,
// when the link reports the reply, maps the link's typed outcome onto the window's controls. The
// requests, the reply checks and the outcomes themselves belong to the link.

#include "transmitterlink.h"

#include <QObject>

class DropDownBox;
class QAbstractButton;
class QCheckBox;
class QLineEdit;
class SwitchPanel;

struct LinkControls
{
    QLineEdit *Text1 = nullptr; // status box
    QLineEdit *Text2 = nullptr; // code box
    QLineEdit *Text3 = nullptr; // programmed counter
    QCheckBox *Check1 = nullptr;
    DropDownBox *Combo1 = nullptr; // port selector
    SwitchPanel *panel = nullptr;
    QAbstractButton *Command1 = nullptr; // read
    QAbstractButton *Command6 = nullptr; // write
    QAbstractButton *Command8 = nullptr; // version
};

class LinkHandlers : public QObject
{
    Q_OBJECT

public:
    explicit LinkHandlers(const LinkControls &controls, QObject *parent = nullptr);

    qint16 LinkBusy() const { return m_link.busy() ? 1 : 0; }
    TransmitterLink &link() { return m_link; }

private:
    void Command1_Click();
    void Command6_Click();
    void Command8_Click();

    // The exchange opening after LinkBusy is set: the first status text, the port selection and
    // the port. false when the port could not be opened; the exchange has then ended.
    bool openExchange(const QString &firstStatus);
    // The port number for the text of Combo1, which becomes "COM1" when empty.
    int COMPORT_NO();

    LinkControls m_c;
    TransmitterLink m_link;
};
