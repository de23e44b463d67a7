#include "serialline.h"

#include "winserialport.h"

#include <windows.h>

namespace {

WinSerialPort *Port(QIODevice *device)
{
    return static_cast<WinSerialPort *>(device);
}

PortProblem ClassifyOpenFailure(unsigned long error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return PortProblem::NoDevice;
    // A serial port is open to every user: it is refused because another program holds it.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return PortProblem::InUse;
    case ERROR_PRIVILEGE_NOT_HELD:
        return PortProblem::NoPermission;
    default:
        return PortProblem::Other;
    }
}

} // namespace

SerialLine::SerialLine(QObject *parent) : QObject(parent), m_device(new WinSerialPort(this))
{
    connect(Port(m_device), &WinSerialPort::failed, this, &SerialLine::lost);
}

SerialLine::SerialLine(QIODevice *device, QObject *parent) : QObject(parent), m_device(device)
{
    m_device->setParent(this);
}

SerialLine::~SerialLine() = default;

bool SerialLine::open(const QString &path, PortProblem *problem, QString *reason)
{
    unsigned long error = 0;
    if (Port(m_device)->openLine(path, &error))
        return true;
    *problem = ClassifyOpenFailure(error);
    *reason = m_device->errorString();
    return false;
}

qint64 SerialLine::discardReceived()
{
    return Port(m_device)->discardReceived();
}

void SerialLine::close()
{
    m_device->close();
}

QString SerialLine::settings() const
{
    return Port(m_device)->settings();
}
