#pragma once

// A serial line that the test plays in its own process, on the link's fake clock: what the test
// delivers is read in order, what the link writes is kept. The test says how much of it waits in
// the device (bytesToWrite), as a serial port's writes wait for its event loop before they go to
// the system. As a SerialLine it opens and closes as the link asks.

#include "serialline.h"

#include <QIODevice>

#include <algorithm>
#include <utility>

class ScriptedDevice : public QIODevice
{
public:
    QByteArray incoming;
    QByteArray sent;
    qint64 unsent = 0; // what bytesToWrite() says: the device has not handed it to the system

    // The line brings bytes; while the device is closed they wait on it.
    void deliver(const QByteArray &bytes)
    {
        incoming += bytes;
        if (isOpen())
            Q_EMIT readyRead();
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return incoming.size(); }
    qint64 bytesToWrite() const override { return unsent; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = std::min(maxSize, qint64(incoming.size()));
        std::copy_n(incoming.constData(), n, data);
        incoming.remove(0, n);
        return n;
    }
    qint64 writeData(const char *data, qint64 size) override
    {
        sent.append(data, size);
        return size;
    }
};

class ScriptedLine : public SerialLine
{
public:
    ScriptedLine() : SerialLine(new ScriptedDevice) {}

    ScriptedDevice &scripted() const { return *static_cast<ScriptedDevice *>(device()); }
    bool open(const QString &, PortProblem *, QString *) override
    {
        return device()->open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    }
    void close() override { device()->close(); }
    qint64 discardReceived() override { return std::exchange(scripted().incoming, {}).size(); }
    QString settings() const override { return QStringLiteral("2400 8N1"); }
};
