#pragma once

// The transmitter at the far end of the line, without the line itself: it holds a code and a
// version text, and for every byte received it plans what comes back, the line's echo included,
// with the line fault it plays. Time and I/O stay outside; a pause is only planned here.

#include "frame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringView>

#include <chrono>
#include <cstdint>
#include <optional>

enum class FaultKind {
    None,
    NoEcho,        // nothing comes back, neither echo nor reply
    NoReply,       // echo, no reply
    Cut,           // echo, then only the first Fault::number bytes of the reply
    BadChecksum,   // the reply's checksum byte plus one
    WrongCommand,  // the reply's command byte changed, checksum fitting
    Hangup,        // echo, three bytes of the reply, then the line hangs up
    Slow,          // echo, then the reply with a pause of Fault::pause() before every byte
    TrailingNoise, // three stray bytes right after the reply
    KeepCode,      // a write is confirmed, but the code held stays as it was
    Late,          // echo and reply Fault::pause() later than the line's own time
    LeadingNoise,  // three stray bytes before the echo
    ShortEcho,     // the echo loses the request's first byte
    Chatter,       // a few bytes unasked when the line comes up, none later
};

struct Fault
{
    static constexpr int EveryRequest = -1;

    FaultKind kind = FaultKind::None;
    int number = 0;              // cut:K's length, slow:MS's and late:MS's pause
    int requests = EveryRequest; // how many requests it is played on, from the first

    std::chrono::milliseconds pause() const { return std::chrono::milliseconds{number}; }

    // The longest cut that --fault accepts; longer than any reply.
    static constexpr int MaxCutLength = 255;
    // The longest pause of slow:MS and late:MS; four times the tool's limit is plenty.
    static constexpr std::chrono::milliseconds MaxPause{2000};

    // Whether its bytes may come while the other side has the line closed. Real lines keep
    // those for the next open (a pseudo-terminal, a network bridge, an adapter's receive FIFO);
    // the line then does too.
    bool leavesBytesOnLine() const;

    // Reads a fault as written on the command line ("no-echo", "cut:3", "slow:450", ...);
    // nullopt when the text names no fault.
    static std::optional<Fault> fromText(QStringView text);
};

// One well-formed request frame and what goes back for it after the echo.
struct Answer
{
    QByteArray request; // the frame as received
    QByteArray reply;   // empty when the request gets no reply
    std::chrono::milliseconds pauseBeforeEach{0};
    bool hangUp = false; // the line hangs up after the reply
};

// What goes back on the line for the bytes received: the echo, then each answer in order, all
// of it late by the given time beyond the line's own.
struct LineOutput
{
    QByteArray echo;
    QList<Answer> answers;
    std::chrono::milliseconds late{0};
};

class Transmitter
{
public:
    static constexpr QByteArrayView DefaultVersionText = "K5-SIM 1.0";
    // The version reply carries 01 02 before the text and at most MaxReplyData bytes in all.
    static constexpr qsizetype MaxVersionTextSize = Frame::MaxReplyData - Frame::VersionPrefixSize;
    // The stray bytes of the noise faults: after a reply's checksum, or before an echo.
    static constexpr QByteArrayView NoiseBytes{"\x55\xAA\x00", 3};
    // What the chatter fault sends when the line comes up.
    static constexpr QByteArrayView ChatterBytes{"\r\nK5 boot\r\n"};

    // Keeps the first MaxVersionTextSize bytes of the version text.
    Transmitter(std::uint16_t heldValue, QByteArrayView versionText, Fault fault);

    // The code held, or Frame::OffMarker while the DIP-switch function is off.
    std::uint16_t heldValue() const { return m_heldValue; }

    LineOutput receive(std::uint8_t byte);
    // What it sends unasked when the line comes up (it has just been switched on).
    QByteArray powerUp() const;

    // A fresh line: forgets the part of a frame received so far.
    void resetLine() { m_received.clear(); }

private:
    // The request frames that the bytes received complete, taken from m_received.
    QList<QByteArray> takeFrames();
    // The fault to play now: none once it has been played on as many requests as it asks for.
    FaultKind faultNow() const;
    // Carries out a request and answers it, with the fault played on the reply.
    Answer answer(const QByteArray &request, FaultKind fault);

    // At most one frame's worth of bytes: the start of a frame, or nothing.
    QByteArray m_received;
    std::uint16_t m_heldValue;
    QByteArray m_versionText;
    Fault m_fault;
    int m_requests = 0; // frames received
};
