#include "lineexchange.h"

#include "linklog.h"

#include <QIODevice>
#include <QTimer>

#include <algorithm>
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

LineExchange::LineExchange(QIODevice *device, LinkClock clock, QObject *parent)
    : QObject(parent), m_device(device), m_clock(std::move(clock)), m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    m_deadline->setTimerType(Qt::PreciseTimer);
    connect(m_deadline, &QTimer::timeout, this, &LineExchange::deadlineReached);
    connect(m_device, &QIODevice::readyRead, this, &LineExchange::readArrived);
}

void LineExchange::run(const QByteArray &request, Done done)
{
    if (running()) {
        qCWarning(lcLink) << "exchange refused: another exchange is running";
        return;
    }
    m_done = std::move(done);
    dropHeldBytes();
    for (const char b : request)
        sendByte(std::uint8_t(b));

    // The echo's limit counts from here, just after the last byte was handed to the device.
    m_phase = Phase::Sending;
    m_dropped = 0;
    m_echo.start(int(request.size()), m_clock());
    armDeadline();
}

void LineExchange::dropHeldBytes()
{
    if (!m_device->isOpen())
        return;
    const qint64 held = m_device->readAll().size();
    if (held > 0)
        qCDebug(lcLink) << "dropped" << held << "bytes that were there before the request";
}

void LineExchange::stop()
{
    m_phase = Phase::Idle;
    m_done = {};
    m_deadline->stop();
}

void LineExchange::sendByte(std::uint8_t byte)
{
    // A byte that cannot be written is skipped; the missing echo then ends the exchange.
    if (m_device->isOpen())
        m_device->write(reinterpret_cast<const char *>(&byte), 1);
}

void LineExchange::readArrived()
{
    if (!running() || drainDevice())
        return;
    armDeadline();
}

void LineExchange::deadlineReached()
{
    if (!running())
        return;
    // Bytes that are in the device count as read now, before the wait is judged.
    if (drainDevice())
        return;
    const LinkInstant now = m_clock();
    if (m_phase == Phase::Reply ? m_reception.expire(now) : m_echo.expire(now)) {
        finish();
        return;
    }
    armDeadline();
}

bool LineExchange::drainDevice()
{
    // One byte a read: bytes that follow the reply's end stay unread.
    char byte = 0;
    while (running() && m_device->isOpen() && m_device->read(&byte, 1) == 1) {
        if (takeByte(std::uint8_t(byte), m_clock()))
            return true;
    }
    return false;
}

bool LineExchange::takeByte(std::uint8_t byte, LinkInstant now)
{
    if (m_phase == Phase::Sending) {
        // A byte read before the last of the request went out cannot be its echo.
        if (m_device->bytesToWrite() > 0) {
            ++m_dropped;
            return false;
        }
        if (m_dropped > 0)
            qCDebug(lcLink) << "dropped" << m_dropped
                            << "bytes that came before the request went out";
        m_phase = Phase::Echo;
    }
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

bool LineExchange::echoEnded()
{
    if (!m_echo.complete()) {
        finish();
        return true;
    }
    m_phase = Phase::Reply;
    m_reception.start(m_clock());
    return false;
}

void LineExchange::armDeadline()
{
    const LinkInstant deadline =
        m_phase == Phase::Reply ? m_reception.deadline() : m_echo.deadline();
    m_deadline->start(MillisecondsUntilPast(deadline, m_clock()));
}

void LineExchange::finish()
{
    ExchangeResult result;
    result.echoComplete = m_echo.complete();
    if (result.echoComplete) {
        result.reception = m_reception.status();
        result.reply = m_reception.bytes();
    }
    const Done done = std::exchange(m_done, {});
    stop();
    if (done)
        done(result);
}
