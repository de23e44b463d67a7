#pragma once

// The window's serial link to the transmitter: the serial port, the busy flag that lets one
// exchange run at a time, and the exchange (LineExchange) running on the port.
//
// An exchange runs on the window's thread without blocking it: exchange() sends the request and
// returns; the port's readyRead and a deadline timer then take the echo off the line and receive
// the reply, and the window's done callback runs from its event loop. While it waits the window
// handles its other events and the CPU stays idle.
//
// How the window runs an exchange (the opening and closing that every exchange shares):
//
//     if (!link.beginExchange())            // busy: the click does nothing
//         return;
//     Text1 = first status text;
//     if (Combo1 is empty) Combo1 = "COM1";
//     const int port = PortNumberFromText(Combo1 text);
//     if (!link.openPort(port)) {           // the reason: link.openFailure(), also logged
//         Text1 = "COM" + port + " not available for use";
//         link.endExchange();               // no longer busy
//         return;
//     }
//     link.exchange(Frame::ReadCodeRequest(), [](const ExchangeResult &result) { judge; Text1 });
//     // exchange() returns at once; after done the link closes the port and is no longer busy.
//
// A window that ends its exchange before the port (the write exchange's code check) calls
// endExchange() as well.

#include "lineexchange.h"
#include "portproblem.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

class TransmitterLink : public QObject
{
    Q_OBJECT

public:
    using Done = LineExchange::Done;

    explicit TransmitterLink(QObject *parent = nullptr);
    // Ends a running exchange as abandon() does.
    ~TransmitterLink() override;

    // Whether an exchange runs, from beginExchange() to its closing.
    bool busy() const { return m_busy; }
    // Exchange opening: false, changing nothing, while busy; else the link becomes busy.
    bool beginExchange();
    // Opens the device of port COMn (see DevicePathForPort), exclusively, at 2400 baud, 8 data
    // bits, no parity, 1 stop bit, no flow control. On failure the port stays closed, the device
    // path and the system's reason go to the log and to openFailure(), and false comes back.
    bool openPort(int portNumber);
    // The same for a device named by its path; portName ("COMn") names it in the log and in
    // openFailure() when the device is a port's.
    bool openDevice(const QString &devicePath, const QString &portName = QString());
    // Why the last open failed.
    const PortFailure &openFailure() const { return m_failure; }
    // Whether the line failed (the device went away) since the port was last opened: an
    // exchange that ends without its reply then ended because of it.
    bool lineLost() const { return m_lineLost; }
    // Runs the request (the whole line bytes, see Frame) on the open port as LineExchange::run
    // does; after done, which runs once, the port is closed and the link is no longer busy. Not
    // while an exchange runs. done must not delete the link (deleteLater is fine).
    void exchange(const QByteArray &request, Done done);
    // Exchange closing for an exchange that ends without exchange(): closes the port if it is
    // open; the link is no longer busy.
    void endExchange();
    // The program is ending: stops a running exchange at once, closes the port, never calls done.
    void abandon();

private:
    void lineFailed(QSerialPort::SerialPortError error);

    QSerialPort *const m_port;
    LineExchange *const m_exchange;
    bool m_busy = false;
    // What open() was last asked to open, for the log: "COMn" or the device path.
    QString m_portLabel;
    QString m_devicePath;
    PortFailure m_failure;
    bool m_lineLost = false;
};
