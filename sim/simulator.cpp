#include "simulator.h"

#include "linesettings.h"
#include "portmap.h"
#include "portnames.h"
#include "simoutput.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>
#include <utility>

using namespace Qt::StringLiterals;

Simulator::Simulator(const SimOptions &options, QObject *parent)
    : QObject(parent), m_options(options),
      m_transmitter(options.heldValue, options.versionText, options.fault),
      m_linkPath(options.linkPort > 0 ? PortLinkPath(options.linkPort) : QString())
{
    m_line.setKeepsBytes(options.fault.leavesBytesOnLine());

    connect(&m_line, &PtyLine::received, this, &Simulator::receive);
    connect(&m_line, &PtyLine::writable, this, [this] { pumpAt({}); });
    connect(&m_line, &PtyLine::peerOpened, this, [this] { logEvent("open"); });
    connect(&m_line, &PtyLine::peerClosed, this, [this] {
        logEvent("closed");
        m_speedLogged = false;
        // A transmitter notices the long gap: a frame begun before it does not go on after it.
        m_transmitter.resetLine();
        // What is on its way goes on where the line keeps it for the next open.
        if (!m_options.fault.leavesBytesOnLine())
            dropOutput();
    });
}

Simulator::~Simulator()
{
    // Someone may have pointed the name elsewhere since; that link is theirs.
    if (!m_linkTarget.isEmpty() && QFile::symLinkTarget(m_linkPath) == m_linkTarget)
        QFile::remove(m_linkPath);
    delete m_wakeNotifier;
    if (m_wakeTimer >= 0)
        ::close(m_wakeTimer);
}

bool Simulator::start(QString *error)
{
    // The steady clock counts CLOCK_MONOTONIC's time, so its instants serve the descriptor as
    // they are.
    m_wakeTimer = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_wakeTimer < 0) {
        *error = systemError("timerfd_create") + u" (it paces the line)"_s;
        return false;
    }
    m_wakeNotifier = new QSocketNotifier(m_wakeTimer, QSocketNotifier::Read, this);
    connect(m_wakeNotifier, &QSocketNotifier::activated, this, [this] {
        std::uint64_t expirations = 0;
        if (::read(m_wakeTimer, &expirations, sizeof expirations) > 0)
            pump();
    });
    return m_line.open(error) && announceLine(error);
}

bool Simulator::announceLine(QString *error)
{
    // A fresh line is a transmitter just connected: what it says at power-up waits on the line
    // before anyone can find it.
    m_line.write(m_transmitter.powerUp());
    // The link first: whoever reads the path may go for the link at once.
    if (!m_linkPath.isEmpty()) {
        if (!PointPortLink(m_linkPath, m_line.devicePath(), error))
            return false;
        m_linkTarget = m_line.devicePath();
    }
    printLine(stdout, m_line.devicePath().toLocal8Bit());
    return true;
}

void Simulator::receive(const QByteArray &bytes)
{
    if (m_hangingUp)
        return; // the adapter is as good as unplugged
    if (qsizetype(m_queue.size()) > MaxQueuedBytes) {
        // The other side writes far faster than the paced line returns; a real line cannot
        // fall behind like this, so rather than grow without bound the bytes are dropped.
        if (!std::exchange(m_warnedFull, true))
            printProblem(u"output backed up; received bytes dropped"_s);
        return;
    }
    m_warnedFull = false;

    // By the first bytes the other side has set the line up as it wants it.
    if (!std::exchange(m_speedLogged, true))
        logEvent("line " + QByteArray::number(m_line.baudRate()) + " baud");

    // The pseudo-terminal hands over the other side's bytes at once; on the line each takes its
    // byte time, and its echo comes back as soon as it is through.
    const Clock::time_point receivedAt = Clock::now();
    // Byte by byte, so that a reply follows the echo of its own request, as on the line.
    for (const char byte : bytes) {
        const LineOutput output = m_transmitter.receive(static_cast<std::uint8_t>(byte));
        const Clock::time_point sentFrom = receivedAt + output.late;
        enqueue(output.echo, sentFrom);
        for (const Answer &answer : output.answers) {
            logEvent("rx", answer.request);
            if (answer.reply.isEmpty())
                continue;
            enqueue(answer.reply, sentFrom, answer.pauseBeforeEach);
            m_queue.back().reply = answer.reply;
            m_queue.back().hangUpAfter = answer.hangUp;
        }
    }
    // Sending waits for the event loop, so that it never runs inside the line's own handlers.
    pumpAt({});
}

void Simulator::enqueue(QByteArrayView bytes, Clock::time_point from,
                        std::chrono::nanoseconds pauseBefore)
{
    const std::chrono::nanoseconds byteTime =
        m_options.pacing ? LineSettings::ByteTime : std::chrono::nanoseconds::zero();
    for (const char byte : bytes) {
        m_lastDue = std::max(m_lastDue, from) + pauseBefore + byteTime;
        m_queue.push_back({m_lastDue, byte, {}, false});
    }
}

void Simulator::pumpAt(Clock::time_point due)
{
    const Clock::duration sinceBoot = std::max(due.time_since_epoch(), Clock::duration{1});
    const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceBoot);
    const itimerspec wake{
        {}, {time_t(seconds.count()), long(std::chrono::nanoseconds(sinceBoot - seconds).count())}};
    ::timerfd_settime(m_wakeTimer, TFD_TIMER_ABSTIME, &wake, nullptr);
}

void Simulator::pump()
{
    // The bytes whose time has come, up to a hang-up; the rest wait for the first one's instant.
    const Clock::time_point now = Clock::now();
    QByteArray ready;
    for (const Pending &pending : m_queue) {
        if (pending.due > now)
            break;
        ready.append(pending.byte);
        if (pending.hangUpAfter)
            break;
    }
    const qint64 written = ready.isEmpty() ? 0 : m_line.write(ready);
    if (written < 0) {
        dropOutput();
        return;
    }
    for (qint64 i = 0; i < written; ++i) {
        const Pending sent = std::move(m_queue.front());
        m_queue.pop_front();
        if (!sent.reply.isEmpty())
            logEvent("tx", sent.reply);
        if (sent.hangUpAfter) {
            hangUp();
            return;
        }
    }
    // When the line is full, writable() calls again.
    if (written == ready.size() && !m_queue.empty())
        pumpAt(m_queue.front().due);
}

void Simulator::dropOutput()
{
    m_queue.clear(); // a wake-up still armed finds nothing to send
    // What was not sent is gone; the line is free at once.
    m_lastDue = {};
}

void Simulator::hangUp()
{
    m_hangingUp = true;
    dropOutput();
    QTimer::singleShot(HangUpGrace, this, [this] {
        m_hangingUp = false;
        logEvent("hangup");
        m_transmitter.resetLine();
        // A fresh pair first, then the old one closes: the tool's reads fail as with an
        // unplugged adapter, and the new device gets a path of its own.
        QString error;
        if (!m_line.open(&error) || !announceLine(&error)) {
            printProblem(u"no fresh line after the hangup: "_s + error);
            QCoreApplication::exit(1);
        }
    });
}

void Simulator::logEvent(QByteArrayView event, QByteArrayView bytes) const
{
    if (!m_options.log)
        return;
    QByteArray line = event.toByteArray();
    if (!bytes.isEmpty())
        line += ' ' + bytes.toByteArray().toHex(' ').toUpper();
    printLine(stderr, line);
}
