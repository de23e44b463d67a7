#pragma once

// Port names and the device behind each port number.

#include <QString>
#include <QStringView>

inline constexpr int FirstPortNumber = 1;
inline constexpr int LastPortNumber = 16;

// n for exactly "COM1".."COM16" (whole text, case and blanks count), 1 for any other text.
int PortNumberFromText(QStringView comboText);

// The device that port n (1..16) stands for. On Windows the port's own name "COMn". Elsewhere the
// target of the link k5-dipswitch/ports/COMn in the user's configuration folder
// ($XDG_CONFIG_HOME, by default ~/.config) when that link is there, else /dev/ttyS<n-1>.
// Links are resolved to the device's real path, so that the lock that keeps a second opener out
// names the device whatever name it was reached by.
QString DevicePathForPort(int n);
