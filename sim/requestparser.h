#pragma once

// Finds the request frames (see Frame) in the byte stream that arrives at the transmitter.
//
// The parser takes the stream one byte at a time and hands out every well-formed frame, whatever
// its group and command; stray bytes, bad headers and bad checksums yield nothing. After a failed
// frame it looks for the next 00 FF from the byte after the failed lead, so a frame that follows a
// truncated one is still found.
//
// It holds at most one frame's worth of bytes, whatever it is fed.

#include "frame.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

struct RequestFrame
{
    std::uint8_t group = 0;
    std::uint8_t command = 0;
    QByteArray data;
    QByteArray bytes; // the whole frame as received, lead to checksum
};

class RequestParser
{
public:
    // Takes the next byte of the stream. Returns the frames that this byte completes: usually
    // none or one; more only when a failed frame had hidden shorter ones behind its lead.
    QList<RequestFrame> feed(std::uint8_t byte);

    void reset();
    // Whether no part of a frame is held: the next byte may begin one.
    bool idle() const { return m_buffer.isEmpty(); }

private:
    QByteArray m_buffer;
};
