#pragma once

// The simulator at work: a transmitter behind a pseudo-terminal line, with the line's pacing,
// the event log and the port link.

#include "portlink.h"
#include "ptyline.h"
#include "simoptions.h"
#include "transmitter.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <memory>

class Simulator : public QObject
{
    Q_OBJECT

public:
    // A byte at 2400 baud with start and stop bit: ten bits, 1/240 s.
    static constexpr std::chrono::nanoseconds ByteTime =
        std::chrono::nanoseconds{std::chrono::seconds{1}} / 240;
    // Output waiting beyond this is not taken on; far beyond any exchange of the tool.
    static constexpr qsizetype MaxQueuedBytes = 64 * 1024;

    explicit Simulator(const SimOptions &options, QObject *parent = nullptr);
    ~Simulator() override;

    // Opens the line, points the link at it and prints the device path.
    bool start(QString *error);
    // Removes the link and closes the line.
    void stop();

private:
    // A stretch of output, sent after pauseBefore has passed since the byte before.
    struct Pending
    {
        QByteArray bytes;
        std::chrono::nanoseconds pauseBefore{0};
        QByteArray sentReply; // logged as sent once these bytes are out
        bool hangUpAfter = false;
    };

    void receive(const QByteArray &bytes);
    void enqueue(Pending pending);
    void schedulePump();
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
    bool m_frontStarted = false;
    bool m_warnedFull = false;
    bool m_hangingUp = false;
    // When the line is free for the next byte.
    std::chrono::steady_clock::time_point m_lineFreeAt;
    QTimer m_pumpTimer;
};
