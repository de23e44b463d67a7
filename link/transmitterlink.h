#pragma once

// The window's serial link to the transmitter: the port, the exchange flag LinkBusy, the port
// selection (CommPort, Settings) and the reception, with one exchange at a time.
//
// An exchange runs on the window's thread without blocking it: exchange() sends the request and
// returns; the port's readyRead and errorOccurred and a deadline timer then take the echo off
// the line and receive the reply, and the window's done callback runs from its event loop. While
// it waits the window handles its other events and the CPU stays idle.
//
// How the window runs an exchange (the opening and closing that every exchange shares):
//
//     if (!link.beginExchange())            // LinkBusy was 1: the click does nothing
//         return;
//     Text1 = first status text;
//     if (Combo1 is empty) Combo1 = "COM1"; // COMPORT_NO
//     link.selectPort(Combo1 text);
//     if (!link.openPort()) {               // the reason is logged under "k5.link"
//         Text1 = "COM" + link.CommPort() + " not available for use";
//         link.endExchange();               // clears LinkBusy
//         return;
//     }
//     link.exchange(Frame::ReadCodeRequest(), [](const ExchangeResult &reply) { judge; Text1 });
//     // exchange() returns at once; after done the link closes the port and clears LinkBusy.
//
// A window that ends its exchange before the port (the write exchange's code check) calls
// endExchange() as well.

#include "echoremoval.h"
#include "exchanges.h"
#include "replyreception.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringView>

#include <functional>

class QTimer;

class TransmitterLink : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const ExchangeResult &)>;

    explicit TransmitterLink(QObject *parent = nullptr);
    // clock: where the waits take their instants (tests use a fake one).
    TransmitterLink(LinkClock clock, QObject *parent = nullptr);
    // Ends a running exchange as abandon() does.
    ~TransmitterLink() override;

    // Exchange opening: false, changing nothing, while LinkBusy is 1; else sets it to 1.
    bool beginExchange();
    // The port number for the text of the port selector (see PortNumberFromText) and the line
    // settings "2400,N,8,1". Does not open the port.
    void selectPort(QStringView comboText);
    // Opens the device of CommPort, exclusively, with the line settings. On failure the port
    // stays closed, the device path and the system's reason go to the log, and false comes back.
    bool openPort();
    // Sends the request (the whole line bytes, see Frame) one byte per write, takes its echo off
    // the line, receives the reply (UART_READ), then calls done exactly once from the event
    // loop, and after it closes the port and sets LinkBusy to 0. The port must be open (a port
    // that is not ends in a failed echo). Not while an exchange runs. done must not delete the
    // link (deleteLater is fine).
    void exchange(const QByteArray &request, Done done);
    // Exchange closing for an exchange that ends without exchange(): closes the port if it is
    // open and sets LinkBusy to 0.
    void endExchange();
    // The program is ending: stops a running exchange at once, closes the port, never calls done.
    void abandon();

    qint16 LinkBusy() const { return m_linkBusy; }
    qint16 CommPort() const { return m_commPort; }
    QString Settings() const { return m_settings; }
    bool PortOpen() const;
    // The device openPort() last used.
    QString devicePath() const { return m_devicePath; }
    // Whether an exchange is between exchange() and its done callback.
    bool exchangeRunning() const { return m_phase != Phase::Idle; }

private:
    enum class Phase { Idle, Echo, Reply };

    void sendByte(std::uint8_t byte);
    void readArrived();
    void deadlineReached();
    void lineFailed(QSerialPort::SerialPortError error);
    // Each returns true when the exchange has ended (done has run; this may be gone).
    bool drainPort();
    bool takeByte(std::uint8_t byte, LinkInstant now);
    bool echoEnded();
    void armDeadline();
    void finish();
    void stop();

    LinkClock m_clock;
    QSerialPort *const m_port;
    QTimer *const m_deadline;
    EchoRemoval m_echo;
    ReplyReception m_reception;
    Phase m_phase = Phase::Idle;
    Done m_done;
    qint16 m_linkBusy = 0;
    qint16 m_commPort = 1;
    QString m_settings;
    QString m_devicePath;
};
