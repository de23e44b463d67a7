// Arbitrary bytes at arbitrary instants for the reply reception, checking what must always hold:
// a status of the enum, never more bytes kept than a reply may have nor past its length byte's
// promise, and a reply called complete only when its checksum holds: all its bytes add up to FF
// modulo 256 (after the start byte FF, the rest to a multiple of 256).
//
// Input: events of three bytes, a byte value and a 16-bit gap before it. The gap's low 15 bits
// count steps of 16 us (up to 0.52 s, just past the limit of 0.5 s); with its top bit set the
// event is a look at the clock with nothing read.

#include "frame.h"
#include "replyreception.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken invariant ends the run with a crash, so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void()                                                                          \
                 : (std::fprintf(stderr, "invariant broken: %s\n", #condition), std::abort()))

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ReplyReception reception;
    LinkInstant now{};
    reception.start(now);
    for (std::size_t i = 0; i + 3 <= size && !reception.finished(); i += 3) {
        const unsigned gap = (unsigned(data[i + 1]) << 8) | data[i + 2];
        now += std::chrono::microseconds(16 * (gap & 0x7FFF));
        if (gap & 0x8000)
            reception.expire(now);
        else
            reception.take(data[i], now);
        FUZZ_CHECK(reception.status() == Reception::Complete ||
                   reception.status() == Reception::BadFrame ||
                   reception.status() == Reception::TimedOut);
        // The whole reply that the length byte promises, once it is in.
        const QByteArray bytes = reception.bytes();
        const int promised =
            bytes.size() > Frame::ReplyLengthOffset
                ? Frame::ReplyDataOffset + std::uint8_t(bytes[Frame::ReplyLengthOffset]) + 1
                : Frame::MaxReplySize;
        FUZZ_CHECK(bytes.size() <= Frame::MaxReplySize && bytes.size() <= promised);
        if (!reception.finished() || reception.status() != Reception::Complete)
            continue;
        FUZZ_CHECK(bytes.size() == promised);
        unsigned sum = 0;
        for (const char b : bytes)
            sum += std::uint8_t(b);
        FUZZ_CHECK(sum % 256 == 0xFF);
    }
    return 0;
}
