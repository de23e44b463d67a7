#pragma once

// The simulator's end of the serial line: the master side of a pseudo-terminal pair, whose slave
// device the tool opens as its serial port.
//
// On Linux, while no process has the slave open, the master's reads fail with EIO and poll
// reports POLLHUP without end, so a read notifier would fire continuously: the master is watched
// only while the slave is open. Opens and closes of the slave are learnt from inotify on the
// device, at once and one by one, so that even a close and a reopen between two turns of the event
// loop are both seen. The simulator keeps no slave descriptor of its own (that would hide every
// close). A fresh pair shows no POLLHUP until its slave has been opened and closed once, so the
// line does that itself at the start.

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

class QSocketNotifier;

class PtyLine : public QObject
{
    Q_OBJECT

public:
    explicit PtyLine(QObject *parent = nullptr);
    ~PtyLine() override;

    // Makes a fresh pair, raw and waiting for the other side. A pair made before is closed only
    // after the new one exists, which hangs it up and keeps the new device path a different one.
    bool open(QString *error);
    void close();

    QString devicePath() const { return m_devicePath; }
    // The speed in baud that the other side has set on the line, 0 when it is none of the usual.
    int baudRate() const;

    // Writes what the line takes now: the number of bytes written, 0 when the line is full
    // (writable() follows), -1 on failure. While the other side has the line closed, the bytes
    // are dropped, unless the line keeps them.
    qint64 write(QByteArrayView bytes);
    // Whether the line keeps what is written while the other side has it closed, and what that
    // side left unread at its close, for its next open, as many real lines do. By default a
    // close drops both, as a port's driver does.
    void setKeepsBytes(bool keeps) { m_keepsBytes = keeps; }

Q_SIGNALS:
    void received(const QByteArray &bytes);
    void peerOpened();
    void peerClosed();
    void writable();

private:
    void readOpenEvents();
    // Hands on all that the other side wrote; false when the master's reads fail (EIO: no
    // process has the slave open).
    bool takeInput();
    void readMaster();
    void lostPeer();

    int m_master = -1;
    QString m_devicePath;
    bool m_keepsBytes = false;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    int m_openEvents = -1; // inotify on the slave device
    QSocketNotifier *m_openNotifier = nullptr;
    // Descriptors of the slave held by others, as counted from the open and close events: the
    // other side has the line open while there are any.
    int m_othersOpen = 0;
};
