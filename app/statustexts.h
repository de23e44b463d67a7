#pragma once

// Every text the status box shows, exactly as the window writes them; a version read shows the
// transmitter's own text.

#include "portnames.h"

#include <QString>

namespace StatusText {

// At start.
inline const QString VersionIdentifier = QStringLiteral("SW4172-36v03-K5_DIP-switch");

inline const QString ReadRunning = QStringLiteral("Read transmitter DIP-switch code");
inline const QString ReadOk = QStringLiteral("Read transmitter DIP-switch code OK!");
inline const QString ReadError = QStringLiteral("Read transmitter DIP-switch code error");
inline const QString WriteRunning = QStringLiteral("Write transmitter DIP-switch code");
inline const QString WriteOk = QStringLiteral("Write transmitter DIP-switch code OK!");
inline const QString WriteError = QStringLiteral("Write transmitter DIP-switch code error");
inline const QString VersionRunning = QStringLiteral("Read transmitter version");
inline const QString VersionError = QStringLiteral("Read transmitter version error");
// After a print the box is emptied.
inline const QString PrinterError = QStringLiteral("Printer error");

// "COM" n " not available for use": the port could not be opened.
inline QString PortUnavailable(int port)
{
    return PortName(port) + QStringLiteral(" not available for use");
}

} // namespace StatusText
