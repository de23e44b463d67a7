#pragma once

// The ternary DIP-switch code, without any window: ten three-position switches read as a
// base-3 number. Switch 1 is the least significant digit; "+" is 2, "0" is 1, "-" is 0.

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>

enum class SwitchPosition : std::int8_t { Minus = 0, Zero = 1, Plus = 2 };

inline constexpr int SwitchCount = 10;
inline constexpr std::int32_t LowestCode = 0;
inline constexpr std::int32_t HighestCode = 59048; // all ten switches at "+"
inline constexpr std::int32_t DefaultCode = 29524; // all ten switches at "0"

// Positions of switches 1 to 10. Index 0 is switch 1, so positions[i - 1] is switch i.
using SwitchPositions = std::array<SwitchPosition, SwitchCount>;

// "+" and "0" read as Plus and Zero; every other text, the empty one included, reads as Minus.
SwitchPosition PositionFromText(QStringView text);
QString TextFromPosition(SwitchPosition position);

std::int32_t CodeFromPositions(const SwitchPositions &positions);
// code must lie in LowestCode..HighestCode.
SwitchPositions PositionsFromCode(std::int32_t code);

// The number that the code box's text stands for: the leading number of the text (sign, digits,
// fraction, exponent), or 0 when the text does not start with one. May be out of range or
// fractional; a huge exponent gives infinity rather than a failure.
double ReadCodeText(QStringView text);

// Whether the code box's text stands for a code, and which: ReadCodeText rounded half to even,
// in range. Returns -1 when the text stands for a number outside LowestCode..HighestCode.
std::int32_t CodeFromText(QStringView text);
