#pragma once

// The code that the write command takes: a number, ten switch characters or the off marker; and
// the switch characters that the commands print for a code.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// "off": the marker that switches the transmitter's DIP-switch function off.
inline constexpr auto OffArgument = u"off";

// What the write command stores for text, into *code: a number of at most five digits from
// LowestCode to HighestCode, or exactly SwitchCount characters of +, 0 and - (switch 1 first);
// nullopt for "off". Ten zeros are thus the switches all at 0, not the number 0. False, with what
// is wrong and what would be right in *error, for any other text.
bool CodeArgument(QStringView text, std::optional<std::int32_t> *code, QString *error);

// "-+-0++0+0-" for 12345: the switches of a valid code, switch 1 first.
QString SwitchString(std::int32_t code);
