#pragma once

// The texts the status box shows for the exchanges with the transmitter, exactly as the window
// writes them.

#include "portselection.h"

#include <QString>

namespace StatusText {

inline const QString ReadRunning = QStringLiteral("Read transmitter DIP-switch code");
inline const QString ReadOk = QStringLiteral("Read transmitter DIP-switch code OK!");
inline const QString ReadError = QStringLiteral("Read transmitter DIP-switch code error");
inline const QString WriteRunning = QStringLiteral("Write transmitter DIP-switch code");
inline const QString WriteOk = QStringLiteral("Write transmitter DIP-switch code OK!");
inline const QString WriteError = QStringLiteral("Write transmitter DIP-switch code error");
inline const QString WriteInvalidCode = QStringLiteral("DIP-switch code error, not a valid code");
inline const QString VersionRunning = QStringLiteral("Read transmitter version");
inline const QString VersionError = QStringLiteral("Read transmitter version error");

// "COM" n " not available for use": the port could not be opened.
inline QString PortUnavailable(int port)
{
    return PortName(port) + QStringLiteral(" not available for use");
}

} // namespace StatusText
