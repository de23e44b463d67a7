#pragma once

// The simulator at work: a transmitter behind a pseudo-terminal line, with the line's pacing,
// the event log and the port link.

#include "ptyline.h"
#include "simoptions.h"
#include "transmitter.h"

#include <QObject>

#include <chrono>
#include <deque>

class QSocketNotifier;

class Simulator : public QObject
{
    Q_OBJECT

public:
    // Output waiting beyond this many bytes is not taken on; far beyond any exchange of the tool.
    static constexpr qsizetype MaxQueuedBytes = qsizetype{64} * 1024;
    // How long the other side gets to read what was sent before a hang-up, which throws away
    // what it has not read: a reader that polls easily makes it, and it is still well within
    // the tool's half second for a byte.
    static constexpr std::chrono::milliseconds HangUpGrace{150};

    explicit Simulator(const SimOptions &options, QObject *parent = nullptr);
    ~Simulator() override;

    // Opens the line, points the link at it and prints the device path.
    bool start(QString *error);

private:
    using Clock = std::chrono::steady_clock;

    // A byte of output and the instant it is due on the other side.
    struct Pending
    {
        Clock::time_point due;
        char byte = 0;
        QByteArray reply;         // the reply that this byte completes, logged once it is out
        bool hangUpAfter = false; // the line hangs up once it is out
    };

    void receive(const QByteArray &bytes);
    // Plans the bytes after those planned before: none is due before from (when the bytes it
    // answers were received, or later), and each is due a byte time after the one before it,
    // and pauseBefore later.
    void enqueue(QByteArrayView bytes, Clock::time_point from,
                 std::chrono::nanoseconds pauseBefore = {});
    // Wakes the pump at due, to the nanosecond: Qt's timers wake in whole milliseconds, up to one
    // late, where a timer descriptor wakes at the instant. A due in the past wakes it at once.
    void pumpAt(Clock::time_point due);
    void pump();
    void dropOutput();
    void hangUp();
    bool announceLine(QString *error);
    void logEvent(QByteArrayView event, QByteArrayView bytes = {}) const;

    SimOptions m_options;
    Transmitter m_transmitter;
    PtyLine m_line;
    // The link COMn in the tool's ports folder, empty for none, and the device it was pointed
    // at, empty until then.
    QString m_linkPath;
    QString m_linkTarget;
    std::deque<Pending> m_queue;
    bool m_warnedFull = false;
    bool m_hangingUp = false;
    bool m_speedLogged = false;
    // When the last byte planned is due; a byte is due at the end of its byte time, when a real
    // line has carried its ten bits.
    Clock::time_point m_lastDue{};
    int m_wakeTimer = -1; // a timer descriptor on CLOCK_MONOTONIC, the steady clock's
    QSocketNotifier *m_wakeNotifier = nullptr;
};
