#pragma once

// read, write (with its read-back) and version. Each exchange is the window's: the same link,
// bytes and limits, on the port opened exclusively for it and closed after it.

#include "clireport.h"
#include "transmitterlink.h"

#include <cstdint>
#include <optional>

CliReport ReadCommand(const Line &line);
// code: nullopt switches the DIP-switch function off.
CliReport WriteCommand(const Line &line, std::optional<std::int32_t> code, bool verify);
CliReport VersionCommand(const Line &line);
