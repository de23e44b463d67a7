#include "serialline.h"

#include "linesettings.h"
#include "linklog.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>

#include <cerrno>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QSerialPort *Port(QIODevice *device)
{
    return static_cast<QSerialPort *>(device);
}

PortProblem ClassifyOpenFailure(QSerialPort::SerialPortError error, const QString &device)
{
    if (error == QSerialPort::DeviceNotFoundError || !QFileInfo::exists(device))
        return PortProblem::NoDevice;
    if (error != QSerialPort::PermissionError)
        return PortProblem::Other;
    // The serial port says PermissionError both for a device the user may not open and for one
    // that another program holds (its lock or the device's exclusive mode). The file's own access
    // rights tell the two apart.
    if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return PortProblem::NoPermission;
    return PortProblem::InUse;
}

} // namespace

SerialLine::SerialLine(QObject *parent) : QObject(parent), m_device(new QSerialPort(this))
{
    connect(Port(m_device), &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) {
                if (error == QSerialPort::WriteError)
                    qCDebug(lcLink).noquote() << "write failed:" << m_device->errorString();
                if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
                    return;
                if (!m_device->isOpen())
                    return;
                // Qt may report ReadError over and over while the port stays open, so it is
                // closed at once.
                const QString reason =
                    u"%1 (error %2)"_s.arg(m_device->errorString()).arg(int(error));
                m_device->close();
                Q_EMIT lost(reason);
            });
}

SerialLine::SerialLine(QIODevice *device, QObject *parent) : QObject(parent), m_device(device)
{
    m_device->setParent(this);
}

SerialLine::~SerialLine() = default;

bool SerialLine::open(const QString &path, PortProblem *problem, QString *reason)
{
    QSerialPort *const port = Port(m_device);
    port->setPortName(path);
    port->setBaudRate(LineSettings::Baud);
    port->setParity(LineSettings::Parity ? QSerialPort::EvenParity : QSerialPort::NoParity);
    port->setDataBits(QSerialPort::DataBits(LineSettings::DataBits));
    port->setStopBits(QSerialPort::StopBits(LineSettings::StopBits));
    port->setFlowControl(QSerialPort::NoFlowControl);
    // Exclusive: QSerialPort locks the device against other programs and other instances.
    if (port->open(QIODevice::ReadWrite))
        return true;
    *problem = ClassifyOpenFailure(port->error(), path);
    *reason = port->errorString();
    port->clearError();
    return false;
}

qint64 SerialLine::discardReceived()
{
    QSerialPort *const port = Port(m_device);
    int waiting = 0;
    if (::ioctl(port->handle(), FIONREAD, &waiting) != 0)
        waiting = 0;
    const qint64 held = waiting + port->bytesAvailable();
    port->clear(QSerialPort::Input);
    return held;
}

void SerialLine::close()
{
    if (m_device->isOpen())
        m_device->close();
}

QString SerialLine::settings() const
{
    const QSerialPort &port = *Port(m_device);
    // By QSerialPort::Parity's values: none 0, even 2, odd 3, space 4, mark 5.
    constexpr QStringView parities = u"N?EOSM";
    const QChar parity = port.parity() < parities.size() ? parities[port.parity()] : QChar(u'?');
    const QString stop = port.stopBits() == QSerialPort::OneAndHalfStop
                             ? QStringLiteral("1.5")
                             : QString::number(int(port.stopBits()));
    return LineSettingsText(port.baudRate(), int(port.dataBits()), parity, stop);
}
