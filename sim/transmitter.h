#pragma once

// The transmitter at the far end of the line, without the line itself: it holds a code and a
// version text, and for every byte received it plans what comes back, the line's echo included.
// Time and I/O stay outside; a pause is only planned here.

#include "fault.h"
#include "frame.h"
#include "requestparser.h"
#include "switchcode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <chrono>
#include <cstdint>
#include <optional>

// One well-formed request frame and what goes back for it after the echo.
struct Answer
{
    QByteArray request;                           // the frame as received
    QByteArray reply;                             // empty when the request gets no reply
    std::chrono::milliseconds pauseBeforeEach{0}; // pause before every byte of the reply
    bool hangUp = false;                          // the line hangs up after the reply
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

    // The code held, or Frame::OffMarker while the DIP-switch function is off.
    std::uint16_t heldValue() const { return m_heldValue; }
    void setHeldValue(std::uint16_t value) { m_heldValue = value; }

    // Keeps the first MaxVersionTextSize bytes.
    void setVersionText(QByteArrayView text);

    void setFault(Fault fault) { m_fault = fault; }

    // Takes the next byte from the line.
    LineOutput receive(std::uint8_t byte);
    // What it sends unasked when the line comes up (it has just been switched on).
    QByteArray powerUp() const;

    // A fresh line: forgets the part of a frame received so far.
    void resetLine();

private:
    struct Reply
    {
        std::uint8_t group = 0;
        std::uint8_t command = 0;
        QByteArray data;
    };

    // The fault to play now: none once it has been played on as many requests as it asks for.
    FaultKind faultNow() const;
    // The reply that a request gets, carrying out a write; nothing for a request not understood.
    std::optional<Reply> execute(const RequestFrame &frame, FaultKind fault);
    // The answer after the echo, with the fault played on it; its request left to the caller.
    Answer faultyAnswer(const Reply &reply, FaultKind fault) const;

    RequestParser m_parser;
    std::uint16_t m_heldValue = DefaultCode;
    QByteArray m_versionText{DefaultVersionText.toByteArray()};
    Fault m_fault;
    int m_requests = 0; // frames received
};
