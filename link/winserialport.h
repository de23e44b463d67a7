#pragma once

// A serial port of Windows as a QIODevice: "\\.\COMn" opened exclusively, with overlapped reads
// and writes whose completion the system signals through events that QWinEventNotifier watches,
// so that nothing polls and the thread stays free. Each write() is one WriteFile, started at once:
// when write() returns, the bytes are the system's, and nothing waits in the device
// (bytesToWrite() is 0). The system carries out the writes in the order they were started.

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

class QWinEventNotifier;

class WinSerialPort : public QIODevice
{
    Q_OBJECT

public:
    explicit WinSerialPort(QObject *parent = nullptr);
    ~WinSerialPort() override;

    // Opens port ("COM3", or a path that starts with "\\") for reading and writing, shared with
    // nobody, with the line's settings and without flow control. On failure *systemError is the
    // system's error code and errorString() its words.
    bool openLine(const QString &port, unsigned long *systemError);
    void close() override;
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    // Throws away what the driver and the device hold received; returns how many bytes.
    qint64 discardReceived();

    // The settings the driver reports, as "2400 8N1"; empty when it says nothing.
    QString settings() const;

Q_SIGNALS:
    // A read or write failed for a reason other than the port being closed; the port is closed.
    void failed(const QString &reason);

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    struct Io;

    // What close() does, also from the destructor.
    void closeLine();
    void startRead();
    void readCompleted();
    void writeCompleted();
    void fail(unsigned long error, const char *what);

    const std::unique_ptr<Io> m_io;
    QWinEventNotifier *const m_readDone;
    QWinEventNotifier *const m_writeDone;
    QByteArray m_received;
    bool m_reading = false; // a ReadFile is pending
    qint64 m_heldAtOpen = 0; // bytes the driver held when the port was opened
};
