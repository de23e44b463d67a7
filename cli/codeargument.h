#pragma once

// The code that the write command takes: a number, ten switch characters or the off marker; and
// the switch characters that the commands print for a code.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// "off": the marker that switches the transmitter's DIP-switch function off.
inline constexpr auto OffArgument = u"off";

// The value on the wire for text: a number of at most five digits from LowestCode to HighestCode,
// exactly SwitchCount characters of +, 0 and - (switch 1 first), or "off" (Frame::OffMarker).
// Ten zeros are thus the switches all at 0, not the number 0. nullopt, with what is wrong and
// what would be right in *error, for any other text.
std::optional<std::uint16_t> CodeArgument(QStringView text, QString *error);

// "-+-0++0+0-" for 12345: the switches of a valid code, switch 1 first.
QString SwitchString(std::int32_t code);

// Whether text looks like switches whose first one is at "-", which a command line would
// otherwise take for an option.
bool IsDashSwitchString(QStringView text);
