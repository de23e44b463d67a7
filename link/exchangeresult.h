#pragma once

// What one exchange brought back, handed to the window when the exchange ends.

#include "replyreception.h"

#include <QByteArray>

struct ExchangeResult
{
    // Without the whole echo in time the reception did not run: TimedOut and no reply bytes.
    bool echoComplete = false;
    Reception reception = Reception::TimedOut;
    // The reply's bytes as received, start byte first; at most Frame::MaxReplySize.
    QByteArray reply;

    // Whether a whole reply whose checksum holds came back.
    bool complete() const { return echoComplete && reception == Reception::Complete; }
};
