#pragma once

// The commands that talk to the transmitter: read, write (with its read-back) and version. Each
// exchange is the window's: the same link, the same bytes, the same limits, the port opened
// exclusively for the exchange and closed after it.

#include "clireport.h"
#include "transmitterlink.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class TransmitterCommand
{
public:
    // The line: port portNumber, or device when it is not empty.
    TransmitterCommand(int portNumber, const QString &device);

    CliReport read();
    // code: nullopt switches the DIP-switch function off.
    CliReport write(std::optional<std::int32_t> code, bool verify);
    CliReport version();

private:
    // Waits for the exchange that start begins with the link's call. Into report go the device
    // it ran on, and its fault with the reason when it failed (request names the request: "the
    // read request").
    ExchangeReport exchange(const std::function<void(TransmitterLink::Done)> &start,
                            const QString &request, CliReport *report);
    CliReport newReport(const QString &command) const;

    const Line m_line;
    TransmitterLink m_link;
};
