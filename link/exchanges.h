#pragma once

// What each exchange makes of its reply, and why an exchange brought no reply its judge takes.

#include "exchangeresult.h"

#include <QString>

#include <cstdint>
#include <optional>

// FF 00 02 02 02 HI LO with a good checksum: the value the transmitter holds, a code that may
// lie outside the valid codes, or Frame::OffMarker while its DIP-switch function is off.
std::optional<std::uint16_t> JudgeReadCodeReply(const ExchangeResult &result);
// FF 00 02 12 00 with a good checksum: the transmitter confirmed the write.
bool JudgeWriteCodeReply(const ExchangeResult &result);
// FF 00 01 00 N with a good checksum; the text is data bytes 3 to N (the first two are not text),
// one character per byte in Windows-1252 (80 is the euro sign; the five bytes it leaves undefined
// give U+FFFD). Control characters would break the one-line status box, so each is shown by a
// visible stand-in: 00-1F by the control pictures U+2400-U+241F, 7F by U+2421.
std::optional<QString> JudgeVersionReply(const ExchangeResult &result);

enum class ExchangeFault {
    None,
    PortUnavailable, // the port could not be opened; nothing was sent
    LineLost,        // the device went away during the exchange
    NoEcho,          // not even the whole echo of the request came back
    NoReply,         // the echo, then silence
    BrokenReply,     // the reply broke off
    BadReply,        // a wrong checksum, or longer than any reply
    WrongReply,      // a whole reply, but not to this request
};

// The fault of an exchange on an open port whose reply the judge refused; lineLost: the line
// failed during the exchange.
ExchangeFault FaultOf(const ExchangeResult &result, bool lineLost);
