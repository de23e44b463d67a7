#include "portmap.h"

#include "portnames.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

QStringList SystemComPorts()
{
    // Every serial port driver enters its ports here: "\Device\Serial0" = "COM1". (QSettings
    // cannot read these: it takes the backslashes in the names for folders.)
    QStringList ports;
    HKEY map = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &map) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameSize = DWORD(std::size(name));
        wchar_t value[64];
        DWORD valueBytes = sizeof value;
        DWORD type = 0;
        const LONG result = RegEnumValueW(map, i, name, &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE *>(value), &valueBytes);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        const QString port =
            QString::fromWCharArray(value, int(valueBytes / sizeof(wchar_t))).section(QChar(0), 0, 0);
        if (port.startsWith(u"COM"_s, Qt::CaseInsensitive))
            ports << port.toUpper();
    }
    RegCloseKey(map);
    std::sort(ports.begin(), ports.end(), [](const QString &a, const QString &b) {
        return a.mid(3).toInt() < b.mid(3).toInt();
    });
    ports.removeDuplicates();
    return ports;
}

PortDevice DescribePort(int n)
{
    const QString device = DevicePathForPort(n);
    return {device, false, SystemComPorts().contains(PortName(n)), true};
}
