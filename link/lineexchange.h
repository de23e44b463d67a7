#pragma once

// One exchange on a line that echoes: the request goes out one byte per write, its echo is taken
// off the line, then the reply is received, each wait with its limit. It runs on the caller's
// thread without blocking it: run() sends and returns, and the device's readyRead and a deadline
// timer drive the rest until done is called from the event loop.
//
// Only bytes that come after the request has been handed to the system count: what the device
// holds when run() starts, and what it reads while part of the request still waits in its write
// buffer (bytesToWrite), are an earlier exchange's or noise, and are dropped. Bytes that follow
// the reply's end are left unread.
//
// It works on any open QIODevice and any clock, so that tests can play a line byte by byte and
// instant by instant. Opening and closing the device belong to the owner.

#include "echoremoval.h"
#include "exchangeresult.h"
#include "linkclock.h"
#include "replyreception.h"

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <functional>

class QIODevice;
class QTimer;

class LineExchange : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const ExchangeResult &)>;

    explicit LineExchange(QIODevice *device, LinkClock clock = SteadyNow,
                          QObject *parent = nullptr);

    // Sends request (the whole line bytes, see Frame), takes its echo of request.size() bytes
    // off the line and receives the reply, then calls done exactly once from the event loop.
    // A device that is not open gets nothing written and ends in a failed echo. Refused, with
    // done never called, while an exchange runs. done may stop() or close the device, and must
    // not delete this object (deleteLater is fine). request is never empty: every request has
    // its lead, start and checksum.
    void run(const QByteArray &request, Done done);
    // Ends a running exchange at once without calling done.
    void stop();
    bool running() const { return m_phase != Phase::Idle; }

private:
    // Sending: the request is not yet all with the system; what is read then is dropped.
    enum class Phase { Idle, Sending, Echo, Reply };

    void sendByte(std::uint8_t byte);
    void dropHeldBytes();
    void readArrived();
    void deadlineReached();
    // Each returns true when the exchange has ended (done has run).
    bool drainDevice();
    bool takeByte(std::uint8_t byte, LinkInstant now);
    bool echoEnded();
    void armDeadline();
    void finish();

    QIODevice *const m_device;
    const LinkClock m_clock;
    QTimer *const m_deadline;
    EchoRemoval m_echo;
    ReplyReception m_reception;
    Phase m_phase = Phase::Idle;
    qint64 m_dropped = 0; // bytes read while Sending
    Done m_done;
};
