#pragma once

// The serial device an exchange runs on, opened exclusively with the line's settings (see
// LineSettings), without flow control. Its device() is the QIODevice the exchange reads and
// writes; readyRead comes from the system's own notice that bytes arrived, never from polling.
// QSerialPort serves it where Qt has it; on Windows the program's own Win32 device does. Tests
// bring a line of their own on a device they script.

#include "portproblem.h"

#include <QObject>
#include <QString>

class QIODevice;

class SerialLine : public QObject
{
    Q_OBJECT

public:
    // The system's serial port.
    explicit SerialLine(QObject *parent = nullptr);
    ~SerialLine() override;

    QIODevice *device() const { return m_device; }

    // Opens path ("/dev/ttyS0", "\\.\COM3") with the line's settings. On failure, *problem says
    // what the technician can do about it and *reason gives the system's words.
    virtual bool open(const QString &path, PortProblem *problem, QString *reason);
    virtual void close();
    // Throws away what the open line holds unread (left from before the open: a late reply, an
    // adapter's buffer, a bridge's), and returns how many bytes that was.
    virtual qint64 discardReceived();

    // The settings the open device reports, as "2400 8N1": the line may refuse a setting without
    // failing the open, so only this shows what it really runs at.
    virtual QString settings() const;

Q_SIGNALS:
    // The open device went away (adapter unplugged, line hung up); the line is closed already.
    void lost(const QString &reason);

protected:
    // A line on device, which it then owns.
    explicit SerialLine(QIODevice *device, QObject *parent = nullptr);

private:
    QIODevice *const m_device;
};

// "2400 8N1": how the log writes a line's settings.
inline QString LineSettingsText(qint32 baud, int dataBits, QChar parity, const QString &stopBits)
{
    return QString::number(baud) + u' ' + QString::number(dataBits) + parity + stopBits;
}
