#pragma once

// The commands that talk to the transmitter: read, write (with its read-back) and version. Each
// exchange is the window's: the same link, the same bytes, the same limits, the port opened
// exclusively for the exchange and closed after it.

#include "clireport.h"
#include "transmitterlink.h"

#include <QString>

#include <cstdint>

class TransmitterCommand
{
public:
    // The line: port portNumber, or device when it is not empty.
    TransmitterCommand(int portNumber, const QString &device);

    CliReport read();
    CliReport write(std::uint16_t value, bool verify);
    CliReport version();

private:
    // One exchange, waited for; report gets the device it ran on, and the failure when the judge
    // did not take the reply (what names the request: "read code").
    template <typename Judge>
    auto exchange(const QByteArray &request, Judge judge, const QString &what, CliReport *report);
    // Reads the code into report: the value held (a code or Frame::OffMarker), or nullopt on
    // failure.
    std::optional<std::uint16_t> readInto(CliReport *report);
    CliReport newReport(const QString &command) const;

    const Line m_line;
    const QString m_portName; // empty for a device named directly
    TransmitterLink m_link;
};
