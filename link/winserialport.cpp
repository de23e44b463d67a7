#include "winserialport.h"

#include "linesettings.h"
#include "linklog.h"
#include "serialline.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <array>
#include <deque>
#include <utility>

using namespace Qt::StringLiterals;

struct WinSerialPort::Io
{
    // A write the system has started; its bytes and its OVERLAPPED are the system's until done.
    struct Write
    {
        OVERLAPPED overlapped{};
        QByteArray bytes;
    };

    HANDLE port = INVALID_HANDLE_VALUE;
    OVERLAPPED read{};
    std::array<char, 256> chunk{};
    // Every write signals this one event; the writes end in the order they were started.
    HANDLE writeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::deque<std::unique_ptr<Write>> writes;

    Io()
    {
        // Manual reset: an operation's event stays set until the next operation starts.
        read.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~Io()
    {
        CloseHandle(read.hEvent);
        CloseHandle(writeEvent);
    }
};

WinSerialPort::WinSerialPort(QObject *parent)
    : QIODevice(parent), m_io(std::make_unique<Io>()),
      m_readDone(new QWinEventNotifier(m_io->read.hEvent, this)),
      m_writeDone(new QWinEventNotifier(m_io->writeEvent, this))
{
    m_readDone->setEnabled(false);
    m_writeDone->setEnabled(false);
    connect(m_readDone, &QWinEventNotifier::activated, this, &WinSerialPort::readCompleted);
    connect(m_writeDone, &QWinEventNotifier::activated, this, &WinSerialPort::writeCompleted);
}

WinSerialPort::~WinSerialPort()
{
    closeLine();
}

bool WinSerialPort::openLine(const QString &port, unsigned long *systemError)
{
    if (isOpen())
        close();
    const QString path = port.startsWith(u"\\\\"_s) ? port : u"\\\\.\\"_s + port;
    // No sharing: a second opener, in this program or another, is refused.
    HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                    0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    const auto refuse = [&](const char *what) {
        *systemError = GetLastError();
        setErrorString(qt_error_string(int(*systemError)));
        qCDebug(lcLink).noquote() << path << what << "failed:" << errorString();
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        return false;
    };
    if (handle == INVALID_HANDLE_VALUE)
        return refuse("CreateFile");

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb))
        return refuse("GetCommState");
    dcb.BaudRate = DWORD(LineSettings::Baud);
    dcb.ByteSize = BYTE(LineSettings::DataBits);
    dcb.Parity = LineSettings::Parity ? EVENPARITY : NOPARITY;
    dcb.StopBits = LineSettings::StopBits == 1 ? ONESTOPBIT : TWOSTOPBITS;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(handle, &dcb))
        return refuse("SetCommState");
    // A read waits for its first byte without end, then returns once no byte has followed for
    // 1 ms: a byte takes 4 ms on the line, so each arrives on its own, and nothing polls.
    // (The other way to ask for "return at the first byte", MAXDWORD for the interval and the
    // multiplier, never returns under Wine.) Writes never time out.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 1;
    if (!SetCommTimeouts(handle, &timeouts))
        return refuse("SetCommTimeouts");
    // What waits in the driver from before the open goes before the first read could take it;
    // discardReceived() counts it.
    COMSTAT status{};
    DWORD errors = 0;
    m_heldAtOpen = ClearCommError(handle, &errors, &status) ? status.cbInQue : 0;
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);

    m_io->port = handle;
    m_received.clear();
    m_reading = false;
    QIODevice::open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    m_readDone->setEnabled(true);
    m_writeDone->setEnabled(true);
    startRead();
    return isOpen();
}

void WinSerialPort::close()
{
    closeLine();
}

void WinSerialPort::closeLine()
{
    if (m_io->port == INVALID_HANDLE_VALUE) {
        QIODevice::close();
        return;
    }
    m_readDone->setEnabled(false);
    m_writeDone->setEnabled(false);
    // The pending read and writes end as cancelled; their buffers are ours until they have.
    CancelIo(m_io->port);
    DWORD ignored = 0;
    if (m_reading)
        GetOverlappedResult(m_io->port, &m_io->read, &ignored, TRUE);
    for (const auto &write : m_io->writes)
        GetOverlappedResult(m_io->port, &write->overlapped, &ignored, TRUE);
    CloseHandle(m_io->port);
    m_io->port = INVALID_HANDLE_VALUE;
    ResetEvent(m_io->read.hEvent);
    ResetEvent(m_io->writeEvent);
    m_reading = false;
    m_io->writes.clear();
    m_received.clear();
    QIODevice::close();
}

qint64 WinSerialPort::bytesAvailable() const
{
    return m_received.size() + QIODevice::bytesAvailable();
}

qint64 WinSerialPort::discardReceived()
{
    if (m_io->port == INVALID_HANDLE_VALUE)
        return 0;
    // The pending read may hold bytes already: it ends, and what it got is counted with the rest.
    qint64 held = std::exchange(m_heldAtOpen, 0) + m_received.size();
    m_received.clear();
    DWORD got = 0;
    if (m_reading) {
        CancelIoEx(m_io->port, &m_io->read);
        if (GetOverlappedResult(m_io->port, &m_io->read, &got, TRUE))
            held += got;
        ResetEvent(m_io->read.hEvent);
        m_reading = false;
    }
    COMSTAT status{};
    DWORD errors = 0;
    if (ClearCommError(m_io->port, &errors, &status))
        held += status.cbInQue;
    PurgeComm(m_io->port, PURGE_RXCLEAR);
    startRead();
    return held;
}

QString WinSerialPort::settings() const
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (m_io->port == INVALID_HANDLE_VALUE || !GetCommState(m_io->port, &dcb))
        return {};
    constexpr std::array<char16_t, 5> parities = {u'N', u'O', u'E', u'M', u'S'};
    const QChar parity = dcb.Parity < parities.size() ? QChar(parities[dcb.Parity]) : QChar(u'?');
    const QString stop = dcb.StopBits == ONESTOPBIT     ? u"1"_s
                         : dcb.StopBits == ONE5STOPBITS ? u"1.5"_s
                                                        : u"2"_s;
    return LineSettingsText(qint32(dcb.BaudRate), dcb.ByteSize, parity, stop);
}

qint64 WinSerialPort::readData(char *data, qint64 maxSize)
{
    const qint64 n = qMin(maxSize, qint64(m_received.size()));
    std::copy_n(m_received.constData(), n, data);
    m_received.remove(0, n);
    return n;
}

qint64 WinSerialPort::writeData(const char *data, qint64 size)
{
    if (m_io->port == INVALID_HANDLE_VALUE)
        return -1;
    auto write = std::make_unique<Io::Write>();
    write->overlapped.hEvent = m_io->writeEvent;
    write->bytes = QByteArray(data, size);
    if (!WriteFile(m_io->port, write->bytes.constData(), DWORD(size), nullptr,
                   &write->overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
        fail(GetLastError(), "WriteFile");
        return -1;
    }
    // Done at once or later, the event is set when it is done, and writeCompleted takes it.
    m_io->writes.push_back(std::move(write));
    return size;
}

void WinSerialPort::startRead()
{
    m_reading = true;
    if (!ReadFile(m_io->port, m_io->chunk.data(), DWORD(m_io->chunk.size()), nullptr,
                  &m_io->read) &&
        GetLastError() != ERROR_IO_PENDING) {
        m_reading = false;
        fail(GetLastError(), "ReadFile");
    }
    // Done at once or later, the event is set when it is done, and readCompleted takes it.
}

void WinSerialPort::readCompleted()
{
    DWORD n = 0;
    if (!m_reading)
        return;
    if (!GetOverlappedResult(m_io->port, &m_io->read, &n, FALSE)) {
        const DWORD error = GetLastError();
        if (error == ERROR_IO_INCOMPLETE)
            return; // woken for nothing: still waiting
        m_reading = false;
        if (error != ERROR_OPERATION_ABORTED)
            fail(error, "ReadFile");
        return;
    }
    // The notifier leaves a manual-reset event set; it would wake this again at once.
    ResetEvent(m_io->read.hEvent);
    m_reading = false;
    if (n > 0) {
        m_received.append(m_io->chunk.data(), qsizetype(n));
        Q_EMIT readyRead();
    }
    // A reader woken by readyRead may have closed the port, or closed and opened it again,
    // which started a read of its own.
    if (m_io->port != INVALID_HANDLE_VALUE && !m_reading)
        startRead();
}

void WinSerialPort::writeCompleted()
{
    // The notifier leaves the manual-reset event set. Reset first, then look: a write that ends
    // after the look sets it again.
    ResetEvent(m_io->writeEvent);
    qint64 written = 0;
    while (!m_io->writes.empty()) {
        DWORD n = 0;
        if (!GetOverlappedResult(m_io->port, &m_io->writes.front()->overlapped, &n, FALSE)) {
            const DWORD error = GetLastError();
            if (error == ERROR_IO_INCOMPLETE)
                break; // the later ones are not done either
            if (error != ERROR_OPERATION_ABORTED) {
                fail(error, "WriteFile");
                return;
            }
        }
        written += n;
        m_io->writes.pop_front();
    }
    if (written > 0)
        Q_EMIT bytesWritten(written);
}

void WinSerialPort::fail(unsigned long error, const char *what)
{
    const QString reason =
        u"%1: %2 (error %3)"_s.arg(QLatin1StringView(what), qt_error_string(int(error))).arg(error);
    close();
    Q_EMIT failed(reason);
}
