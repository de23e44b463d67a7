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
    // One exchange, waited for. false when the port could not be opened; report then says why.
    bool exchange(const QByteArray &request, ExchangeResult *result, CliReport *report);
    // Reads the code into report: its state, or the failure. Returns the state: the code, or
    // Frame::OffMarker; -1 on failure.
    std::int32_t readInto(CliReport *report);
    // Fills report with the failure of an exchange that brought no acceptable reply. what names
    // the request ("read code").
    void failed(const ExchangeResult &result, const QString &what, CliReport *report) const;
    CliReport newReport(const QString &command) const;
    // "COM3 (/dev/ttyUSB0)": how the messages name the line.
    QString where() const { return PortAndDevice(m_portName, m_device); }

    // The port's name, empty for a device named directly; the device of the last exchange.
    const QString m_portName;
    const int m_portNumber;
    QString m_device;
    TransmitterLink m_link;
};
