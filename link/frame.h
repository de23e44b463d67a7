#pragma once

// Request and reply frames of the transmitter's serial protocol.
//
// Request: 00 FF, then the body (header 01, command group, command, length N, N data bytes), then a
// checksum that makes the body and the checksum add up to a multiple of 256.
// Reply:   FF 00, command group, command, length N, N data bytes, checksum; here the bytes after
// FF add up to a multiple of 256.

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

namespace Frame {

inline constexpr std::uint8_t Lead = 0x00;
inline constexpr std::uint8_t Start = 0xFF;
inline constexpr std::uint8_t Header = 0x01;

inline constexpr std::uint8_t CodeGroup = 0x02;
inline constexpr std::uint8_t VersionGroup = 0x01;
inline constexpr std::uint8_t ReadCodeCommand = 0x02;
inline constexpr std::uint8_t WriteCodeCommand = 0x12;
inline constexpr std::uint8_t ReadVersionCommand = 0x00;

// The code value that stands for a transmitter whose DIP-switch function is off.
inline constexpr std::uint16_t OffMarker = 0xFFFF;

// The longest reply data that fits the reply buffer: its checksum then lands at index 40.
inline constexpr int MaxReplyData = 34;

// Two's complement of the 8-bit sum of the bytes.
std::uint8_t Checksum(QByteArrayView bytes);

// The bytes on the line for a request body: lead, start, body, checksum.
QByteArray Request(QByteArrayView body);

// Request bodies (header to last data byte) of the three exchanges.
QByteArray ReadCodeBody();
QByteArray WriteCodeBody(std::uint16_t value);
QByteArray ReadVersionBody();

// A well-formed reply for the given group and command: FF 00 group command N data checksum.
QByteArray Reply(std::uint8_t group, std::uint8_t command, QByteArrayView data);

} // namespace Frame
