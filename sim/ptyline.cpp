#include "ptyline.h"

#include "simlogging.h"

#include <QFile>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char *call)
{
    return QLatin1StringView(call) + QLatin1StringView(": ") + qt_error_string(errno);
}

// Raw 8-bit line: no CR/LF translation, no echo by the terminal, no signal characters, no flow
// control. On Linux the master's settings calls reach the slave's settings, so this serves both.
void setRawMode(int fd)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return;
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&settings, B2400);
    ::tcsetattr(fd, TCSANOW, &settings);
}

} // namespace

PtyLine::PtyLine(QObject *parent) : QObject(parent)
{
    m_closedCheck.setInterval(ClosedCheckInterval);
    connect(&m_closedCheck, &QTimer::timeout, this, &PtyLine::checkClosedLine);
    m_outputCheck.setInterval(OutputCheckInterval);
    connect(&m_outputCheck, &QTimer::timeout, this, &PtyLine::checkOutputRead);
}

PtyLine::~PtyLine()
{
    close();
}

bool PtyLine::open(QString *error)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    std::array<char, 128> name{};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name.data(), name.size()) != 0 ||
        ::fcntl(master, F_SETFD, FD_CLOEXEC) != 0 ||
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        *error = systemError("pseudo-terminal setup");
        ::close(master);
        return false;
    }

    // Open the slave once and close it again: it gets its raw settings, and from then on the
    // master reports POLLHUP until the other side opens the device.
    const int slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        *error = systemError(name.data());
        ::close(master);
        return false;
    }
    setRawMode(slave);
    ::close(slave);

    close();
    m_master = master;
    m_devicePath = QString::fromLocal8Bit(name.data());
    m_peerOpen = false;
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    m_readNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyLine::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] {
        m_writeNotifier->setEnabled(false);
        Q_EMIT writable();
    });
    m_closedCheck.start();
    return true;
}

void PtyLine::close()
{
    m_closedCheck.stop();
    m_outputCheck.stop();
    if (m_watchSlave >= 0)
        ::close(m_watchSlave);
    m_watchSlave = -1;
    // Later, not now: close() may run while one of the notifiers is delivering its signal.
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    if (m_master >= 0)
        ::close(m_master); // the other side's reads fail now, as with an unplugged adapter
    m_master = -1;
    m_peerOpen = false;
}

qint64 PtyLine::write(QByteArrayView bytes)
{
    if (m_master < 0)
        return -1;
    if (!m_peerOpen)
        return bytes.size(); // nobody listens: the bytes are lost, as on a real line
    const ssize_t written = ::write(m_master, bytes.data(), size_t(bytes.size()));
    if (written >= 0) {
        if (written < bytes.size())
            m_writeNotifier->setEnabled(true);
        return written;
    }
    if (errno == EAGAIN || errno == EINTR) {
        m_writeNotifier->setEnabled(true);
        return 0;
    }
    qCWarning(lcSim).noquote() << systemError("write");
    return -1;
}

void PtyLine::discardOutput()
{
    if (m_master >= 0)
        ::tcflush(m_master, TCOFLUSH);
}

void PtyLine::awaitOutputRead()
{
    m_outputWaitStart = std::chrono::steady_clock::now();
    if (m_watchSlave >= 0)
        ::close(m_watchSlave);
    // Only a descriptor of the slave tells how much is still unread there. The tool's serial
    // port makes the device exclusive, so unless we are privileged this open fails, and a
    // grace period stands in.
    m_watchSlave = ::open(QFile::encodeName(m_devicePath).constData(),
                          O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    m_outputCheck.start();
}

void PtyLine::checkOutputRead()
{
    const auto waited = std::chrono::steady_clock::now() - m_outputWaitStart;
    bool done = waited >= OutputReadLimit;
    if (m_watchSlave < 0) {
        done = done || waited >= OutputReadGrace;
    } else {
        // Bytes reach the slave's input a moment after the write; the first look waits for it.
        int unread = 0;
        done = done || (waited >= 4 * OutputCheckInterval &&
                        ::ioctl(m_watchSlave, FIONREAD, &unread) == 0 && unread == 0);
    }
    if (!done)
        return;
    m_outputCheck.stop();
    if (m_watchSlave >= 0)
        ::close(m_watchSlave);
    m_watchSlave = -1;
    Q_EMIT outputRead();
}

void PtyLine::readMaster()
{
    std::array<char, 4096> buffer{};
    const ssize_t count = ::read(m_master, buffer.data(), buffer.size());
    if (count > 0) {
        Q_EMIT received(QByteArray(buffer.data(), count));
        return;
    }
    if (count < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    // EIO: no process has the slave open any more.
    lostPeer();
}

void PtyLine::lostPeer()
{
    m_peerOpen = false;
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    // Bytes the other side did not read would greet the next process that opens the device.
    discardOutput();
    // And that process should find a raw line even if the last one left it otherwise.
    setRawMode(m_master);
    m_closedCheck.start();
    Q_EMIT peerClosed();
}

void PtyLine::checkClosedLine()
{
    pollfd watch{m_master, POLLIN, 0};
    if (::poll(&watch, 1, 0) < 0)
        return;
    if (!(watch.revents & POLLHUP)) {
        m_peerOpen = true;
        m_closedCheck.stop();
        m_readNotifier->setEnabled(true);
        Q_EMIT peerOpened();
        return;
    }
    if (watch.revents & POLLIN) {
        // The other side opened the device, wrote and closed it between two looks. Nobody is
        // there to answer; take its bytes off the line.
        std::array<char, 4096> buffer{};
        while (::read(m_master, buffer.data(), buffer.size()) > 0) {
        }
        discardOutput();
        Q_EMIT peerOpened();
        Q_EMIT peerClosed();
    }
}
