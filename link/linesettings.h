#pragma once

// The line to the transmitter, named once: the link opens its port with these settings and waits
// by these limits, the simulator paces its line by them, and the help texts quote them.

#include <chrono>

namespace LineSettings {

inline constexpr int Baud = 2400;
inline constexpr int DataBits = 8;
inline constexpr bool Parity = false;
inline constexpr int StopBits = 1;

// A byte on the line with its start and stop bits: 1/240 s.
inline constexpr std::chrono::nanoseconds ByteTime =
    std::chrono::nanoseconds{std::chrono::seconds{1}} * (1 + DataBits + StopBits) / Baud;

// The whole echo of a request must be back within this time of the last byte handed to the
// port, and each reply byte within this time of the start of its wait.
inline constexpr std::chrono::milliseconds Limit{500};

// The least time from an exchange's end to the next one's open: stray bytes that follow a reply
// (noise after its checksum, a few bytes' time) are then in, for the open to discard.
inline constexpr std::chrono::milliseconds Settle{20};

} // namespace LineSettings
