#pragma once

// Why a port could not be opened, sorted by what the technician can do about it, and the one line
// that says so: the window shows it as the status box's tooltip, the command-line program writes
// it as its error line, so that both speak the same words.

#include <QString>

enum class PortProblem {
    NoDevice,     // nothing at that path: the adapter is unplugged or the name is wrong
    NoPermission, // the user may not open the device
    InUse,        // another program (or another instance of this tool) has it open
    Other,
};

struct PortFailure
{
    QString portName; // "COM3", or empty when the device was named directly
    QString device;
    PortProblem problem = PortProblem::Other;
    QString systemReason; // the serial port's own words
};

// "COM3 (/dev/ttyUSB0)", or the device alone when no port names it: how messages name a line.
QString PortAndDevice(const QString &portName, const QString &device);

// "COM3 (/dev/ttyUSB0): no permission (Permission denied): add ..."; the device alone when the
// failure names no port.
QString PortFailureText(const PortFailure &failure);
