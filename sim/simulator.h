#pragma once

// The simulator at work: a transmitter behind a pseudo-terminal line, with the line's pacing,
// the event log and the port link.

#include "portlink.h"
#include "ptyline.h"
#include "simoptions.h"
#include "transmitter.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <memory>

class QSocketNotifier;

class Simulator : public QObject
{
    Q_OBJECT

public:
    // A byte at 2400 baud with start and stop bit: ten bits, 1/240 s.
    static constexpr std::chrono::nanoseconds ByteTime =
        std::chrono::nanoseconds{std::chrono::seconds{1}} / 240;
    // Output waiting beyond this is not taken on; far beyond any exchange of the tool.
    static constexpr qsizetype MaxQueuedBytes = qsizetype{64} * 1024;

    explicit Simulator(const SimOptions &options, QObject *parent = nullptr);
    ~Simulator() override;

    // Opens the line, points the link at it and prints the device path.
    bool start(QString *error);
    // Removes the link and closes the line.
    void stop();

private:
    using Clock = std::chrono::steady_clock;

    // A stretch of output, each byte with the instant it is due on the other side.
    struct Pending
    {
        QByteArray bytes;
        QList<Clock::time_point> due;
        QByteArray sentReply; // logged as sent once these bytes are out
        bool hangUpAfter = false;
    };

    void receive(const QByteArray &bytes);
    // Plans the bytes after those planned before: none is due before the bytes it answers were
    // received, and each is due a byte time after the one before it, or pauseBefore later.
    void enqueue(QByteArrayView bytes, Clock::time_point receivedAt,
                 std::chrono::nanoseconds pauseBefore = {}, const QByteArray &sentReply = {},
                 bool hangUpAfter = false);
    void schedulePump();
    // Runs the pump once the time has come, to the microsecond where the system allows.
    void pumpAt(Clock::time_point due);
    void pump();
    void dropOutput();
    void hangUp();
    void renewLine();
    bool announceLine(QString *error);
    void logEvent(QByteArrayView event, QByteArrayView bytes = {}) const;

    SimOptions m_options;
    Transmitter m_transmitter;
    PtyLine m_line;
    std::unique_ptr<PortLink> m_link;
    std::deque<Pending> m_queue;
    qsizetype m_queuedBytes = 0;
    qsizetype m_sentOfFront = 0;
    bool m_warnedFull = false;
    bool m_hangingUp = false;
    bool m_speedLogged = false;
    // When the last byte planned is due; a byte is due at the end of its byte time, when a real
    // line has carried its ten bits.
    Clock::time_point m_lastDue{};
    QTimer m_pumpTimer;
    // Qt's timers wake in whole milliseconds, up to one late; a timer descriptor wakes at the
    // instant. -1 where there is none, and m_pumpTimer does it all.
    int m_wakeTimer = -1;
    QSocketNotifier *m_wakeNotifier = nullptr;
};
