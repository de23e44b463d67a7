#include "simulator.h"

#include "simlogging.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

Q_LOGGING_CATEGORY(lcSim, "k5.sim")

namespace {

using Clock = std::chrono::steady_clock;

// Qt timers count whole milliseconds; round up so the byte is due when the timer fires.
std::chrono::milliseconds timerDelay(Clock::duration wait)
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
    connect(&m_line, &PtyLine::received, this, &Simulator::receive);
    connect(&m_line, &PtyLine::writable, this, &Simulator::schedulePump);
    connect(&m_line, &PtyLine::outputRead, this, &Simulator::renewLine);
    connect(&m_line, &PtyLine::peerOpened, this, [this] { logEvent("open"); });
    connect(&m_line, &PtyLine::peerClosed, this, [this] {
        logEvent("closed");
        // A transmitter notices the long gap: a frame begun before it does not go on after it.
        m_transmitter.resetLine();
        dropOutput();
    });
}

Simulator::~Simulator()
{
    stop();
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

    // Byte by byte, so that a reply follows the echo of its own request, as on the line.
    for (const char byte : bytes) {
        const LineOutput output = m_transmitter.receive(static_cast<std::uint8_t>(byte));
        enqueue({output.echo, {}, {}, false});
        for (const Answer &answer : output.answers) {
            logEvent("rx", answer.request);
            const QByteArray &reply = answer.reply;
            if (reply.isEmpty())
                continue;
            if (answer.pauseBeforeLast > std::chrono::milliseconds::zero()) {
                enqueue({reply.first(reply.size() - 1), {}, {}, false});
                enqueue({reply.last(1), answer.pauseBeforeLast, reply, answer.hangUp});
            } else {
                enqueue({reply, {}, reply, answer.hangUp});
            }
        }
    }
}

void Simulator::enqueue(Pending pending)
{
    if (pending.bytes.isEmpty())
        return;
    m_queuedBytes += pending.bytes.size();
    if (m_queue.empty()) {
        m_lineFreeAt = std::max(m_lineFreeAt, Clock::now());
    } else if (Pending &last = m_queue.back();
               last.sentReply.isEmpty() && !last.hangUpAfter &&
               pending.pauseBefore == std::chrono::nanoseconds::zero() &&
               pending.sentReply.isEmpty() && !pending.hangUpAfter) {
        // Plain bytes after plain bytes: one stretch, however many bytes came in one by one.
        last.bytes.append(pending.bytes);
        schedulePump();
        return;
    }
    m_queue.push_back(std::move(pending));
    schedulePump();
}

void Simulator::schedulePump()
{
    // Sending waits for the event loop, so that it never runs inside the line's own handlers.
    if (!m_pumpTimer.isActive())
        m_pumpTimer.start(0);
}

void Simulator::pump()
{
    while (!m_queue.empty()) {
        Pending &front = m_queue.front();
        const auto now = Clock::now();
        if (!m_frontStarted) {
            m_frontStarted = true;
            m_lineFreeAt = std::max(m_lineFreeAt, now) + front.pauseBefore;
        }
        if (now < m_lineFreeAt) {
            m_pumpTimer.start(timerDelay(m_lineFreeAt - now));
            return;
        }

        const qsizetype remaining = front.bytes.size() - m_sentOfFront;
        qsizetype count = remaining;
        if (m_options.pacing) // the bytes whose time has come, at least one
            count = std::min<qsizetype>(remaining, 1 + (now - m_lineFreeAt) / ByteTime);
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
        if (m_options.pacing)
            m_lineFreeAt += written * ByteTime;
        if (m_sentOfFront < front.bytes.size())
            continue;

        if (!front.sentReply.isEmpty())
            logEvent("tx", front.sentReply);
        const bool hangUpNow = front.hangUpAfter;
        m_queue.pop_front();
        m_sentOfFront = 0;
        m_frontStarted = false;
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
    m_frontStarted = false;
    m_pumpTimer.stop();
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
