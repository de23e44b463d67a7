#pragma once

// ports lists what COM1 to COM16 stand for and the serial devices that no port names; map and
// unmap make and remove the port links that the window and this program's exchanges go by.

#include "clireport.h"

#include <QString>

CliReport ListPorts();
// device must be a serial device (else BadUsage); the link takes its stable by-id name.
CliReport MapPort(int portNumber, const QString &device);
CliReport UnmapPort(int portNumber);
