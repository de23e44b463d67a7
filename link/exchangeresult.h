#pragma once

// What one exchange brought back, for the judges of its reply.

#include "replyreception.h"

#include <QByteArray>

struct ExchangeResult
{
    // Without the whole echo in time the reception did not run: TimedOut and no reply bytes.
    bool echoComplete = false;
    Reception reception = Reception::TimedOut;
    // The reply's bytes as received, start byte first; at most Frame::MaxReplySize.
    QByteArray reply;

    bool complete() const { return echoComplete && reception == Reception::Complete; }
};
