#pragma once

// The port links behind COM1..COM16 (see PortsFolder): what each port stands for, and making and
// removing the links, which the simulator and the command-line program's map and unmap share.

#include <QString>
#include <QStringList>

// The stable names that udev gives serial adapters, which survive replugging and reordering.
inline constexpr auto SerialByIdFolder = u"/dev/serial/by-id";

// Always made whole by DescribePort.
struct PortDevice
{
    QString device; // as the port's link names it, or the built-in port it falls back to
    bool mapped;    // the port has a link in the ports folder
    bool present;   // the device is there
    // It is a character device, as serial lines are; a file, a FIFO or a folder is not.
    bool characterDevice = true;
};

// What port n (1..16) stands for now.
PortDevice DescribePort(int n);

#ifdef Q_OS_WIN
// The COM ports the system has now ("COM1", "COM7", ...), in the order of their numbers.
QStringList SystemComPorts();
#else

// The name in byIdFolder for the same device as device, or device itself when there is none.
QString StableDeviceName(const QString &device,
                         const QString &byIdFolder = QString::fromUtf16(SerialByIdFolder));

// Whether path leads to a serial device: a character device that the system lists as a serial
// port, or a pseudo-terminal (the simulator's line).
bool IsSerialDevice(const QString &path);

// Makes linkPath a symbolic link to target in one step, replacing an earlier link and making the
// folders. A file that is not a link is left alone and reported in *error.
bool PointPortLink(const QString &linkPath, const QString &target, QString *error);
#endif
