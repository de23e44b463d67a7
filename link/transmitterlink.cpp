#include "transmitterlink.h"

#include "linklog.h"
#include "portselection.h"

#include <QPointer>

#include <utility>

namespace {

// The settings the open port reports, as "2400 8N1": a pseudo-terminal keeps 8 bits without
// parity whatever is asked, so only this shows a wrong setting.
QString lineSettings(const QSerialPort &port)
{
    const auto parity = [&] {
        switch (port.parity()) {
        case QSerialPort::NoParity: return u'N';
        case QSerialPort::EvenParity: return u'E';
        case QSerialPort::OddParity: return u'O';
        case QSerialPort::SpaceParity: return u'S';
        case QSerialPort::MarkParity: return u'M';
        }
        return u'?';
    };
    const QString stop = port.stopBits() == QSerialPort::OneAndHalfStop
                             ? QStringLiteral("1.5")
                             : QString::number(int(port.stopBits()));
    return QString::number(port.baudRate()) + u' ' + QString::number(int(port.dataBits())) +
           parity() + stop;
}

} // namespace

TransmitterLink::TransmitterLink(QObject *parent)
    : QObject(parent), m_port(new QSerialPort(this)),
      m_exchange(new LineExchange(m_port, SteadyNow, this))
{
    connect(m_port, &QSerialPort::errorOccurred, this, &TransmitterLink::lineFailed);
}

TransmitterLink::~TransmitterLink()
{
    endExchange();
}

bool TransmitterLink::beginExchange()
{
    if (m_busy)
        return false;
    m_busy = true;
    return true;
}

bool TransmitterLink::openPort(int portNumber)
{
    return openDevice(DevicePathForPort(portNumber), PortName(portNumber));
}

bool TransmitterLink::openDevice(const QString &devicePath, const QString &portName)
{
    if (m_port->isOpen())
        m_port->close();
    m_portLabel = portName.isEmpty() ? devicePath : portName;
    m_devicePath = devicePath;
    m_lineLost = false;
    m_port->setPortName(m_devicePath);
    m_port->setBaudRate(QSerialPort::Baud2400);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    // Opened exclusively: the device is locked against other programs and other instances.
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_failure = {portName, m_devicePath, ClassifyOpenFailure(m_port->error(), m_devicePath),
                     m_port->errorString()};
        qCWarning(lcLink).noquote().nospace()
            << m_portLabel << ": cannot open " << m_devicePath << ": " << m_port->errorString()
            << " (" << m_port->error() << ")";
        m_port->clearError();
        return false;
    }
    qCDebug(lcLink).noquote().nospace()
        << m_portLabel << ": opened " << m_devicePath << " at " << lineSettings(*m_port);
    return true;
}

void TransmitterLink::exchange(const QByteArray &request, Done done)
{
    m_exchange->run(request, [this, done = std::move(done)](const ExchangeResult &result) {
        const QPointer<TransmitterLink> alive(this);
        if (done)
            done(result);
        if (alive)
            endExchange();
    });
}

void TransmitterLink::lineFailed(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError) {
        if (error == QSerialPort::WriteError)
            qCDebug(lcLink).noquote() << "write failed:" << m_port->errorString();
        return;
    }
    if (!m_port->isOpen())
        return;
    // The device went away (adapter unplugged, line hung up). Qt may then report ReadError over
    // and over while the port stays open, so the port is closed at once; the wait in progress
    // gets no more bytes and runs out at its deadline.
    m_lineLost = true;
    qCWarning(lcLink).noquote().nospace()
        << m_portLabel << ": line " << m_devicePath << " failed: " << m_port->errorString() << " ("
        << error << "); port closed";
    m_port->close();
}

void TransmitterLink::endExchange()
{
    m_exchange->stop();
    if (m_port->isOpen())
        m_port->close();
    m_busy = false;
}

void TransmitterLink::abandon()
{
    // The same steps as the closing; done is dropped unseen, so no status text is written.
    endExchange();
}
