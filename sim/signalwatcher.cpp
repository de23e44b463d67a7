#include "signalwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

SignalWatcher::SignalWatcher(std::initializer_list<int> signalNumbers, QObject *parent)
    : QObject(parent), m_signalNumbers(signalNumbers)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readEnd = ends[0];
    s_writeEnd = ends[1];
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readPipe);

    struct sigaction action
    {
    };
    action.sa_handler = &SignalWatcher::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : m_signalNumbers)
        ::sigaction(number, &action, nullptr);
}

SignalWatcher::~SignalWatcher()
{
    for (const int number : m_signalNumbers)
        ::signal(number, SIG_DFL);
    if (m_readEnd >= 0) {
        ::close(m_readEnd);
        ::close(s_writeEnd);
        s_writeEnd = -1;
    }
}

void SignalWatcher::handle(int signalNumber)
{
    // Only async-signal-safe calls here.
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t ignored = ::write(s_writeEnd, &byte, 1);
    errno = savedErrno;
}

void SignalWatcher::readPipe()
{
    unsigned char byte = 0;
    while (::read(m_readEnd, &byte, 1) == 1)
        Q_EMIT caught(byte);
}
