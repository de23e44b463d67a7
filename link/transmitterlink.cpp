#include "transmitterlink.h"

#include "frame.h"
#include "linklog.h"
#include "portselection.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

// Milliseconds from now to just past the deadline, for a timer that cannot count finer. At
// least 1, so that a wait that has reached its deadline exactly is looked at again after it.
int MillisecondsUntilPast(LinkInstant deadline, LinkInstant now)
{
    if (deadline <= now)
        return 1;
    // Unsigned, so that no pair of instants can overflow the subtraction.
    const auto gap = std::uint64_t(deadline.time_since_epoch().count()) -
                     std::uint64_t(now.time_since_epoch().count());
    constexpr std::uint64_t nsPerMs = 1'000'000;
    constexpr std::uint64_t longest = 1000; // no wait is longer than its 0.5 s limit
    return int(std::clamp<std::uint64_t>((gap + nsPerMs - 1) / nsPerMs, 1, longest));
}

} // namespace

TransmitterLink::TransmitterLink(QObject *parent) : TransmitterLink(SteadyNow, parent) {}

TransmitterLink::TransmitterLink(LinkClock clock, QObject *parent)
    : QObject(parent), m_clock(std::move(clock)), m_port(new QSerialPort(this)),
      m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    m_deadline->setTimerType(Qt::PreciseTimer);
    connect(m_deadline, &QTimer::timeout, this, &TransmitterLink::deadlineReached);
    connect(m_port, &QSerialPort::readyRead, this, &TransmitterLink::readArrived);
    connect(m_port, &QSerialPort::errorOccurred, this, &TransmitterLink::lineFailed);
}

TransmitterLink::~TransmitterLink()
{
    stop();
}

bool TransmitterLink::beginExchange()
{
    if (m_linkBusy == 1)
        return false;
    m_linkBusy = 1;
    return true;
}

void TransmitterLink::selectPort(QStringView comboText)
{
    m_commPort = qint16(PortNumberFromText(comboText));
    m_settings = QString::fromUtf16(LineSettings);
}

bool TransmitterLink::openPort()
{
    if (m_port->isOpen())
        m_port->close();
    m_devicePath = DevicePathForPort(m_commPort);
    m_port->setPortName(m_devicePath);
    m_port->setBaudRate(QSerialPort::Baud2400);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    // Opened exclusively: the device is locked against other programs and other instances. Both
    // "no permission" and "in use" come as PermissionError; the system's text tells them apart.
    if (!m_port->open(QIODevice::ReadWrite)) {
        qCWarning(lcLink).noquote().nospace()
            << "COM" << m_commPort << ": cannot open " << m_devicePath << ": "
            << m_port->errorString() << " (" << m_port->error() << ")";
        m_port->clearError();
        return false;
    }
    qCDebug(lcLink).noquote().nospace() << "COM" << m_commPort << ": opened " << m_devicePath;
    return true;
}

bool TransmitterLink::PortOpen() const
{
    return m_port->isOpen();
}

void TransmitterLink::exchange(const QByteArray &request, Done done)
{
    if (m_phase != Phase::Idle) {
        qCWarning(lcLink) << "exchange refused: another exchange is running";
        return;
    }
    m_done = std::move(done);
    for (const char b : request)
        sendByte(std::uint8_t(b));

    // The echo's limit counts from here, just after the last byte was handed to the port.
    m_phase = Phase::Echo;
    m_echo.start(int(request.size()), m_clock());
    armDeadline();
}

void TransmitterLink::sendByte(std::uint8_t byte)
{
    // A byte that cannot be written is skipped; the missing echo then ends the exchange.
    if (m_port->isOpen())
        m_port->write(reinterpret_cast<const char *>(&byte), 1);
}

void TransmitterLink::readArrived()
{
    if (m_phase == Phase::Idle || drainPort())
        return;
    armDeadline();
}

void TransmitterLink::deadlineReached()
{
    if (m_phase == Phase::Idle)
        return;
    // Bytes that are in the port count as read now, before the wait is judged.
    if (drainPort())
        return;
    const LinkInstant now = m_clock();
    if (m_phase == Phase::Echo ? m_echo.expire(now) : m_reception.expire(now)) {
        finish();
        return;
    }
    armDeadline();
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
    qCWarning(lcLink).noquote().nospace()
        << "COM" << m_commPort << ": line " << m_devicePath << " failed: " << m_port->errorString()
        << " (" << error << "); port closed";
    m_port->close();
}

bool TransmitterLink::drainPort()
{
    char byte = 0;
    while (m_phase != Phase::Idle && m_port->isOpen() && m_port->read(&byte, 1) == 1) {
        if (takeByte(std::uint8_t(byte), m_clock()))
            return true;
    }
    return false;
}

bool TransmitterLink::takeByte(std::uint8_t byte, LinkInstant now)
{
    if (m_phase == Phase::Echo) {
        if (!m_echo.take(now))
            return false;
        return echoEnded();
    }
    if (!m_reception.take(byte, now))
        return false;
    finish();
    return true;
}

bool TransmitterLink::echoEnded()
{
    if (!m_echo.complete()) {
        finish();
        return true;
    }
    m_phase = Phase::Reply;
    m_reception.start(m_clock());
    return false;
}

void TransmitterLink::armDeadline()
{
    const LinkInstant deadline =
        m_phase == Phase::Echo ? m_echo.deadline() : m_reception.deadline();
    m_deadline->start(MillisecondsUntilPast(deadline, m_clock()));
}

void TransmitterLink::finish()
{
    m_phase = Phase::Idle;
    m_deadline->stop();
    ExchangeResult result{m_echo.complete(), Reception::TimedOut, {}};
    if (result.echoComplete)
        result = {true, m_reception.status(), m_reception.bytes()};
    const Done done = std::exchange(m_done, {});
    const QPointer<TransmitterLink> alive(this);
    if (done)
        done(result);
    if (alive)
        endExchange();
}

void TransmitterLink::endExchange()
{
    stop();
    m_linkBusy = 0;
}

void TransmitterLink::abandon()
{
    // The same steps as the closing; done is dropped unseen, so no status text is written.
    endExchange();
}

void TransmitterLink::stop()
{
    m_phase = Phase::Idle;
    m_done = {};
    m_deadline->stop();
    if (m_port->isOpen())
        m_port->close();
}
