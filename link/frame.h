#pragma once

// Request and reply frames of the transmitter's serial protocol: every fixed byte, length and
// field position, and the builders of the frames.
//
// Request: lead 00, start FF, header 01, command group, command, length N, N data bytes, then a
// checksum that makes the bytes from the header through the checksum add up to a multiple of 256.
// Reply:   start FF, 00, command group, command, length N, N data bytes, checksum; here the bytes
// after FF add up to a multiple of 256.

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

namespace Frame {

inline constexpr std::uint8_t Lead = 0x00;
inline constexpr std::uint8_t Start = 0xFF;
// The byte after the start: 01 in every request, 00 in every reply.
inline constexpr std::uint8_t Header = 0x01;
inline constexpr std::uint8_t ReplyHeader = 0x00;

inline constexpr std::uint8_t CodeGroup = 0x02;
inline constexpr std::uint8_t VersionGroup = 0x01;
inline constexpr std::uint8_t ReadCodeCommand = 0x02;
inline constexpr std::uint8_t WriteCodeCommand = 0x12;
inline constexpr std::uint8_t ReadVersionCommand = 0x00;

// The data of the read-code request; the write-code request's data is the same first two bytes,
// then the value's high and low byte.
inline constexpr QByteArrayView ReadCodeData{"\x01\x00\x02", 3};
inline constexpr QByteArrayView WriteCodePrefix{"\x01\x00", 2};

// The code value that stands for a transmitter whose DIP-switch function is off.
inline constexpr std::uint16_t OffMarker = 0xFFFF;

// Where the fields of a request lie in its line bytes.
inline constexpr int RequestHeaderOffset = 2;
inline constexpr int RequestGroupOffset = 3;
inline constexpr int RequestCommandOffset = 4;
inline constexpr int RequestLengthOffset = 5;
inline constexpr int RequestDataOffset = 6;

// Where the fields of a reply lie in the bytes received (the reply has no lead byte).
inline constexpr int ReplyStartOffset = 0;
inline constexpr int ReplyHeaderOffset = 1;
inline constexpr int ReplyGroupOffset = 2;
inline constexpr int ReplyCommandOffset = 3;
inline constexpr int ReplyLengthOffset = 4;
inline constexpr int ReplyDataOffset = 5;

inline constexpr int MaxReplyData = 34;
inline constexpr int MaxReplySize = ReplyDataOffset + MaxReplyData + 1;
static_assert(MaxReplySize == 40);

// The version reply's data opens with this many bytes that are not part of the version text.
inline constexpr int VersionPrefixSize = 2;

// Two's complement of the 8-bit sum of the bytes.
std::uint8_t Checksum(QByteArrayView bytes);

// The whole request on the line, lead to checksum. data holds at most 255 bytes.
QByteArray Request(std::uint8_t group, std::uint8_t command, QByteArrayView data);
QByteArray ReadCodeRequest();
QByteArray WriteCodeRequest(std::uint16_t value);
QByteArray ReadVersionRequest();

// A well-formed reply for the given group and command: FF 00 group command N data checksum.
QByteArray Reply(std::uint8_t group, std::uint8_t command, QByteArrayView data);

} // namespace Frame
