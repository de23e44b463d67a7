#pragma once

// What each exchange makes of its reply, how an exchange ended, and why, in the words the
// technician reads.

#include "exchangeresult.h"
#include "portproblem.h"

#include <QString>

#include <cstdint>
#include <optional>

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

struct ExchangeReport
{
    ExchangeFault fault = ExchangeFault::None; // None: the transmitter answered the request
    QString port;                              // "COMn", or empty for a device named directly
    QString device;                            // the device it ran on, or could not open
    PortFailure portFailure;                   // why the port could not be opened
    qsizetype replyBytes = 0;                  // how much of a reply came
    // A read's answer: the value held, which may lie outside the codes; nullopt while the
    // transmitter's DIP-switch function is off.
    std::optional<std::int32_t> code;
    QString text; // a version's answer
};

// Each judge says whether a reply answers its request, and puts what it carries into report.
// FF 00 02 02 02 HI LO with a good checksum: the value held, off for Frame::OffMarker.
bool JudgeReadCodeReply(const ExchangeResult &result, ExchangeReport *report);
// FF 00 02 12 00 with a good checksum: the transmitter confirmed the write.
bool JudgeWriteCodeReply(const ExchangeResult &result, ExchangeReport *report);
// FF 00 01 00 N with a good checksum; the text is data bytes 3 to N (the first two are not text),
// one character per byte in Windows-1252 (80 is the euro sign; the five bytes it leaves undefined
// give U+FFFD). Control characters would break the one-line status box, so each is shown by a
// visible stand-in: 00-1F by the control pictures U+2400-U+241F, 7F by U+2421.
bool JudgeVersionReply(const ExchangeResult &result, ExchangeReport *report);

// The fault of an exchange on an open port whose reply the judge refused; lineLost: the line
// failed during the exchange.
ExchangeFault FaultOf(const ExchangeResult &result, bool lineLost);

// Why the exchange failed and what to do, with its port and device first:
// "COM1 (/dev/ttyUSB0): the transmitter did not answer the read request: ...". request names
// the exchange ("the read request").
QString FaultReason(const ExchangeReport &report, const QString &request);
