#pragma once

// How each of the three exchanges judges what came back. The window maps the outcomes to its
// status texts.

#include "exchangeresult.h"

#include <QString>

#include <cstdint>

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
ReadCodeResult JudgeReadCodeReply(const ExchangeResult &result);
// FF 00 02 12 00 with a good checksum.
WriteCodeOutcome JudgeWriteCodeReply(const ExchangeResult &result);
// FF 00 01 00 N with a good checksum; the text is data bytes 3 to N (the first two are not text),
// one character per byte in Windows-1252 (80 is the euro sign; the five bytes it leaves undefined
// give U+FFFD). Control characters would break the one-line status box, so each is shown by a
// visible stand-in: 00-1F by the control pictures U+2400-U+241F, 7F by U+2421.
VersionResult JudgeVersionReply(const ExchangeResult &result);
