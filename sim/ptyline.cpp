#include "ptyline.h"

#include "linesettings.h"
#include "simoutput.h"

#include <QSocketNotifier>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The usual speeds, as termios names them.
using Speed = std::pair<speed_t, int>;
constexpr std::array<Speed, 5> Speeds = {
    {{B1200, 1200}, {B2400, 2400}, {B4800, 4800}, {B9600, 9600}, {B19200, 19200}}};

// Raw 8-bit line: no CR/LF translation, no echo by the terminal, no signal characters, no flow
// control. On Linux the master's settings calls reach the slave's settings, so this serves both.
// TCSAFLUSH also discards what the slave holds unread, TCSANOW keeps it.
void setRawMode(int fd, int when = TCSAFLUSH)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return;
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&settings, std::ranges::find(Speeds, LineSettings::Baud, &Speed::second)->first);
    ::tcsetattr(fd, when, &settings);
}

} // namespace

PtyLine::PtyLine(QObject *parent) : QObject(parent) {}

PtyLine::~PtyLine()
{
    close();
}

bool PtyLine::open(QString *error)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master < 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    const auto fail = [&](const char *call) {
        *error = systemError(call);
        ::close(master);
        return false;
    };
    std::array<char, 128> name{};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name.data(), name.size()) != 0)
        return fail("pseudo-terminal setup");

    // Open the slave once and close it again: it gets its raw settings, and from then on the
    // master reports POLLHUP until the other side opens the device.
    const int slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        return fail(name.data());
    setRawMode(slave);
    ::close(slave);

    close();
    m_master = master;
    m_devicePath = QString::fromLocal8Bit(name.data());
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    m_readNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyLine::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] {
        m_writeNotifier->setEnabled(false);
        Q_EMIT writable();
    });
    // The watch comes after the line's own open above, whose events would count as the tool's;
    // nobody else knows the device yet.
    m_openEvents = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_openEvents < 0 ||
        ::inotify_add_watch(m_openEvents, name.data(), IN_OPEN | IN_CLOSE) < 0) {
        *error = systemError(m_openEvents < 0 ? "inotify_init1" : "inotify_add_watch");
        close();
        return false;
    }
    m_openNotifier = new QSocketNotifier(m_openEvents, QSocketNotifier::Read, this);
    connect(m_openNotifier, &QSocketNotifier::activated, this, &PtyLine::readOpenEvents);
    return true;
}

void PtyLine::readOpenEvents()
{
    alignas(inotify_event) std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t count = ::read(m_openEvents, buffer.data(), buffer.size());
        if (count <= 0)
            return; // EAGAIN: all taken
        const auto eventAt = [&](ssize_t &at) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + at, sizeof event);
            at += ssize_t(sizeof event + event.len);
            return event.mask;
        };
        for (ssize_t at = 0; at < count;) {
            const std::uint32_t mask = eventAt(at);
            if ((mask & IN_OPEN) && m_othersOpen++ == 0) {
                m_readNotifier->setEnabled(true);
                Q_EMIT peerOpened();
            }
            if ((mask & IN_CLOSE) && m_othersOpen > 0 && --m_othersOpen == 0) {
                // What the other side wrote before it closed did reach the line; but once a new
                // side has opened it, what waits there is the new side's, for after the close.
                bool reopened = false;
                for (ssize_t next = at; next < count && !reopened;)
                    reopened = eventAt(next) & IN_OPEN;
                if (!reopened)
                    takeInput();
                lostPeer();
            }
        }
    }
}

bool PtyLine::takeInput()
{
    std::array<char, 4096> buffer{};
    ssize_t count = 0;
    while ((count = ::read(m_master, buffer.data(), buffer.size())) > 0)
        Q_EMIT received(QByteArray(buffer.data(), count));
    return count < 0 && errno == EAGAIN;
}

int PtyLine::baudRate() const
{
    // The master shares the line's settings with the slave, as the other side left them.
    termios settings{};
    ::tcgetattr(m_master, &settings);
    const auto *const known = std::ranges::find(Speeds, ::cfgetospeed(&settings), &Speed::first);
    return known == Speeds.end() ? 0 : known->second;
}

void PtyLine::close()
{
    // Later, not now: close() may run while one of the notifiers is delivering its signal.
    for (QSocketNotifier **notifier : {&m_readNotifier, &m_writeNotifier, &m_openNotifier}) {
        if (*notifier) {
            (*notifier)->setEnabled(false);
            (*notifier)->deleteLater();
        }
        *notifier = nullptr;
    }
    // With the watch go the events not read yet; with the master the other side's reads fail,
    // as with an unplugged adapter.
    for (int *fd : {&m_openEvents, &m_master}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    m_othersOpen = 0;
}

qint64 PtyLine::write(QByteArrayView bytes)
{
    if (m_othersOpen == 0) {
        // Nobody listens: the bytes wait for the next open where the line keeps them (what does
        // not fit is lost, as in a full buffer), else they are lost.
        if (m_keepsBytes && m_master >= 0) [[maybe_unused]]
            const ssize_t kept = ::write(m_master, bytes.data(), size_t(bytes.size()));
        return bytes.size();
    }
    const ssize_t written = ::write(m_master, bytes.data(), size_t(bytes.size()));
    if (written < 0 && errno != EAGAIN) {
        printProblem(systemError("write"));
        return -1;
    }
    if (written < bytes.size())
        m_writeNotifier->setEnabled(true);
    return std::max<qint64>(written, 0);
}

void PtyLine::readMaster()
{
    // A close and a reopen that came before these bytes are taken in their turn first: a tool
    // that closes and at once opens again and writes must not lose its echo to the close.
    readOpenEvents();
    if (m_othersOpen == 0 || takeInput())
        return;
    // EIO: no process has the slave open any more. The close's event is queued before the
    // master hears of it, so the events tell it first, with each open and close in its turn.
    // After them the other side may be back already.
    readOpenEvents();
    pollfd watch{m_master, POLLIN, 0};
    if (m_othersOpen == 0 || ::poll(&watch, 1, 0) <= 0 || !(watch.revents & POLLHUP))
        return;
    m_othersOpen = 0; // events lost: the master has the last word
    lostPeer();
}

void PtyLine::lostPeer()
{
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    // Bytes the other side did not read would greet the next process that opens the device: the
    // flush drops those still on their way, the settings those the slave holds already (a real
    // port's driver drops them at the close), unless the line keeps them. And that process finds
    // a raw line even if the last one left it otherwise.
    if (!m_keepsBytes)
        ::tcflush(m_master, TCOFLUSH);
    setRawMode(m_master, m_keepsBytes ? TCSANOW : TCSAFLUSH);
    Q_EMIT peerClosed();
}
