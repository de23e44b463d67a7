#pragma once

// What one exchange brought back, and how each of the three exchanges judges it. The window maps
// the outcomes to its status texts.

#include "linkvariables.h"
#include "replyreception.h"

#include <QString>

#include <cstdint>

// Handed to the window when an exchange ends. ReplyBytes and FrameSum are the link's variables at
// that moment; without a complete echo the reception did not run, and they are not a reply.
struct ExchangeReply
{
    bool echoComplete = false;
    std::array<qint16, ReplyBytesSize> ReplyBytes{};
    qint16 FrameSum = 0;

    // Whether the reception ran and ended with a whole reply whose checksum holds.
    bool complete() const { return echoComplete && FrameSum == qint16(Reception::Complete); }
};

enum class ReadCodeOutcome {
    Error, // no reply, a bad reply, or the reply of another command
    Off,   // the transmitter's DIP-switch function is off (value FFFF)
    Code,  // a code value 0..65535; it may lie outside the valid codes
};

struct ReadCodeResult
{
    ReadCodeOutcome outcome = ReadCodeOutcome::Error;
    std::int32_t code = 0; // with Code only
};

enum class WriteCodeOutcome { Error, Confirmed };

enum class VersionOutcome { Error, Text };

struct VersionResult
{
    VersionOutcome outcome = VersionOutcome::Error;
    QString text; // with Text only; may be empty
};

// FF 00 02 02 02 HI LO with a good checksum.
ReadCodeResult JudgeReadCodeReply(const ExchangeReply &reply);
// FF 00 02 12 00 with a good checksum.
WriteCodeOutcome JudgeWriteCodeReply(const ExchangeReply &reply);
// FF 00 01 00 N with a good checksum; the text is data bytes 3 to N (the first two are not text),
// one character per byte (Latin-1). Control characters would break the one-line status box, so
// each is shown by a visible stand-in: 00-1F by the control pictures U+2400-U+241F, 7F by U+2421,
// 80-9F by the replacement character U+FFFD.
VersionResult JudgeVersionReply(const ExchangeReply &reply);
