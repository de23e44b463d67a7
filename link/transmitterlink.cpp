#include "transmitterlink.h"

#include "lineexchange.h"
#include "linklog.h"
#include "portnames.h"

#include <utility>

Q_LOGGING_CATEGORY(lcLink, "k5.link")

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
    stop();
}

bool TransmitterLink::start(const Line &line, const QByteArray &request,
                            std::function<void(const Ended &)> done)
{
    if (m_busy) {
        qCWarning(lcLink) << "exchange refused: another exchange is running";
        return false;
    }
    m_busy = true;
    Ended ended;
    // A port is looked up afresh for each exchange: its link may have changed meanwhile.
    const bool byPort = line.device.isEmpty();
    ended.device = byPort ? DevicePathForPort(line.port) : line.device;
    if (!open(ended.device, byPort ? PortName(line.port) : QString(), &ended.portFailure)) {
        m_busy = false;
        done(ended);
        return true;
    }
    ended.opened = true;
    m_exchange->run(request, [this, ended = std::move(ended),
                              done = std::move(done)](const ExchangeResult &result) mutable {
        ended.result = result;
        ended.lineLost = m_lineLost;
        stop();
        done(ended);
    });
    return true;
}

bool TransmitterLink::open(const QString &device, const QString &portName, PortFailure *failure)
{
    m_label = portName.isEmpty() ? device : portName;
    m_device = device;
    m_lineLost = false;
    m_port->setPortName(device);
    m_port->setBaudRate(QSerialPort::Baud2400);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    // Opened exclusively: the device is locked against other programs and other instances.
    if (!m_port->open(QIODevice::ReadWrite)) {
        *failure = {portName, device, ClassifyOpenFailure(m_port->error(), device),
                    m_port->errorString()};
        qCWarning(lcLink).noquote().nospace()
            << m_label << ": cannot open " << device << ": " << m_port->errorString() << " ("
            << m_port->error() << ")";
        m_port->clearError();
        return false;
    }
    qCDebug(lcLink).noquote().nospace()
        << m_label << ": opened " << device << " at " << lineSettings(*m_port);
    return true;
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
        << m_label << ": line " << m_device << " failed: " << m_port->errorString()
        << " (" << error << "); port closed";
    m_port->close();
}

void TransmitterLink::stop()
{
    m_exchange->stop();
    if (m_port->isOpen())
        m_port->close();
    m_busy = false;
}
