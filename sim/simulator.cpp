#include "simulator.h"

#include "simlogging.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSim, "k5.sim")

namespace {

// Qt timers count whole milliseconds; round up so the byte is due when the timer fires. The
// deadlines themselves stay exact, so the rounding never adds up over a burst.
std::chrono::milliseconds timerDelay(std::chrono::steady_clock::duration wait)
{
    return std::chrono::ceil<std::chrono::milliseconds>(wait);
}

} // namespace

Simulator::Simulator(const SimOptions &options, QObject *parent)
    : QObject(parent), m_options(options)
{
    m_transmitter.setHeldValue(options.heldValue);
    m_transmitter.setVersionText(options.versionText);
    m_transmitter.setFault(options.fault);
    if (!options.linkName.isEmpty())
        m_link = std::make_unique<PortLink>(options.linkName);

    m_pumpTimer.setSingleShot(true);
    m_pumpTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pumpTimer, &QTimer::timeout, this, &Simulator::pump);
    // The steady clock counts CLOCK_MONOTONIC's time, so its deadlines serve the descriptor as
    // they are.
    m_wakeTimer = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_wakeTimer >= 0) {
        m_wakeNotifier = new QSocketNotifier(m_wakeTimer, QSocketNotifier::Read, this);
        connect(m_wakeNotifier, &QSocketNotifier::activated, this, [this] {
            std::uint64_t expirations = 0;
            if (::read(m_wakeTimer, &expirations, sizeof expirations) > 0)
                pump();
        });
    }
    connect(&m_line, &PtyLine::received, this, &Simulator::receive);
    connect(&m_line, &PtyLine::writable, this, &Simulator::schedulePump);
    connect(&m_line, &PtyLine::outputRead, this, &Simulator::renewLine);
    connect(&m_line, &PtyLine::peerOpened, this, [this] { logEvent("open"); });
    connect(&m_line, &PtyLine::peerClosed, this, [this] {
        logEvent("closed");
        m_speedLogged = false;
        // A transmitter notices the long gap: a frame begun before it does not go on after it.
        m_transmitter.resetLine();
        dropOutput();
    });
}

Simulator::~Simulator()
{
    stop();
    delete m_wakeNotifier;
    if (m_wakeTimer >= 0)
        ::close(m_wakeTimer);
}

bool Simulator::start(QString *error)
{
    return m_line.open(error) && announceLine(error);
}

void Simulator::stop()
{
    if (m_link)
        m_link->remove();
    m_line.close();
}

bool Simulator::announceLine(QString *error)
{
    // The link first: whoever reads the path may go for the link at once.
    if (m_link && !m_link->pointTo(m_line.devicePath(), error))
        return false;
    const QByteArray line = m_line.devicePath().toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
    return true;
}

void Simulator::receive(const QByteArray &bytes)
{
    if (m_hangingUp)
        return; // the adapter is as good as unplugged
    if (m_queuedBytes > MaxQueuedBytes) {
        // The other side writes far faster than the paced line returns; a real line cannot
        // fall behind like this, so rather than grow without bound the bytes are dropped.
        if (!m_warnedFull)
            qCWarning(lcSim) << "output backed up; dropping received bytes";
        m_warnedFull = true;
        return;
    }
    m_warnedFull = false;

    // By the first bytes the other side has set the line up as it wants it.
    if (!m_speedLogged)
        logEvent("line " + QByteArray::number(m_line.baudRate()) + " baud");
    m_speedLogged = true;

    // The pseudo-terminal hands over the other side's bytes at once; on the line each takes its
    // byte time, and its echo comes back as soon as it is through.
    const Clock::time_point receivedAt = Clock::now();
    // Byte by byte, so that a reply follows the echo of its own request, as on the line.
    for (const char byte : bytes) {
        const LineOutput output = m_transmitter.receive(static_cast<std::uint8_t>(byte));
        enqueue(output.echo, receivedAt);
        for (const Answer &answer : output.answers) {
            logEvent("rx", answer.request);
            const QByteArray &reply = answer.reply;
            if (reply.isEmpty())
                continue;
            if (answer.pauseBeforeEach > std::chrono::milliseconds::zero()) {
                // One byte at a time, each due its pause after the one before; the pump sleeps
                // until each deadline. The last byte completes the reply for the log.
                for (qsizetype i = 0; i < reply.size(); ++i) {
                    const bool last = i == reply.size() - 1;
                    enqueue(reply.sliced(i, 1), receivedAt, answer.pauseBeforeEach,
                            last ? reply : QByteArray(), last && answer.hangUp);
                }
            } else {
                enqueue(reply, receivedAt, {}, reply, answer.hangUp);
            }
        }
    }
}

void Simulator::enqueue(QByteArrayView bytes, Clock::time_point receivedAt,
                        std::chrono::nanoseconds pauseBefore, const QByteArray &sentReply,
                        bool hangUpAfter)
{
    if (bytes.isEmpty())
        return;
    const std::chrono::nanoseconds byteTime =
        m_options.pacing ? std::chrono::nanoseconds(ByteTime) : std::chrono::nanoseconds::zero();
    QList<Clock::time_point> due;
    due.reserve(bytes.size());
    Clock::time_point at = std::max(m_lastDue, receivedAt) + pauseBefore;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        due.append(at += byteTime);
    m_lastDue = at;
    m_queuedBytes += bytes.size();

    if (!m_queue.empty()) {
        // Plain bytes after plain bytes: one stretch, however many bytes came in one by one.
        Pending &last = m_queue.back();
        if (last.sentReply.isEmpty() && !last.hangUpAfter && sentReply.isEmpty() && !hangUpAfter) {
            last.bytes.append(bytes);
            last.due.append(due);
            schedulePump();
            return;
        }
    }
    m_queue.push_back({bytes.toByteArray(), std::move(due), sentReply, hangUpAfter});
    schedulePump();
}

void Simulator::schedulePump()
{
    // Sending waits for the event loop, so that it never runs inside the line's own handlers.
    if (!m_pumpTimer.isActive())
        m_pumpTimer.start(0);
}

void Simulator::pumpAt(Clock::time_point due)
{
    if (m_wakeTimer >= 0) {
        const auto sinceStart = due.time_since_epoch();
        const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceStart);
        itimerspec wake{};
        wake.it_value.tv_sec = time_t(seconds.count());
        wake.it_value.tv_nsec = long(
            std::chrono::duration_cast<std::chrono::nanoseconds>(sinceStart - seconds).count());
        if (wake.it_value.tv_sec == 0 && wake.it_value.tv_nsec == 0)
            wake.it_value.tv_nsec = 1; // zero would disarm it
        if (::timerfd_settime(m_wakeTimer, TFD_TIMER_ABSTIME, &wake, nullptr) == 0)
            return;
    }
    m_pumpTimer.start(timerDelay(due - Clock::now()));
}

void Simulator::pump()
{
    while (!m_queue.empty()) {
        Pending &front = m_queue.front();
        const auto now = Clock::now();
        // The bytes whose time has come; the rest wait for the first one's deadline.
        qsizetype count = 0;
        while (m_sentOfFront + count < front.bytes.size() &&
               front.due[m_sentOfFront + count] <= now)
            ++count;
        if (count == 0) {
            pumpAt(front.due[m_sentOfFront]);
            return;
        }

        const qint64 written =
            m_line.write(QByteArrayView(front.bytes).sliced(m_sentOfFront, count));
        if (written < 0) {
            dropOutput();
            return;
        }
        if (written == 0)
            return; // the line is full; writable() calls again
        m_sentOfFront += written;
        m_queuedBytes -= written;
        if (m_sentOfFront < front.bytes.size())
            continue;

        if (!front.sentReply.isEmpty())
            logEvent("tx", front.sentReply);
        const bool hangUpNow = front.hangUpAfter;
        m_queue.pop_front();
        m_sentOfFront = 0;
        if (hangUpNow) {
            hangUp();
            return;
        }
    }
}

void Simulator::dropOutput()
{
    m_queue.clear();
    m_queuedBytes = 0;
    m_sentOfFront = 0;
    m_pumpTimer.stop();
    if (m_wakeTimer >= 0) {
        const itimerspec disarm{};
        ::timerfd_settime(m_wakeTimer, TFD_TIMER_ABSTIME, &disarm, nullptr);
    }
    // What was not sent is gone; the line is free at once.
    m_lastDue = {};
}

void Simulator::hangUp()
{
    // What was sent before the hangup should reach the tool; a hangup throws away what the
    // other side has not read yet.
    m_hangingUp = true;
    dropOutput();
    m_line.awaitOutputRead();
}

void Simulator::renewLine()
{
    m_hangingUp = false;
    logEvent("hangup");
    m_transmitter.resetLine();
    // A fresh pair first, then the old one closes: the tool's reads fail as with an unplugged
    // adapter, and the new device gets a path of its own.
    QString error;
    if (!m_line.open(&error) || !announceLine(&error)) {
        qCCritical(lcSim).noquote() << "no fresh line after the hangup:" << error;
        QCoreApplication::exit(1);
    }
}

void Simulator::logEvent(QByteArrayView event, QByteArrayView bytes) const
{
    if (!m_options.log)
        return;
    QByteArray line = event.toByteArray();
    if (!bytes.isEmpty())
        line += ' ' + bytes.toByteArray().toHex(' ').toUpper();
    line += '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}
