#include "portproblem.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

PortProblem ClassifyOpenFailure(QSerialPort::SerialPortError error, const QString &device)
{
    if (error == QSerialPort::DeviceNotFoundError || !QFileInfo::exists(device))
        return PortProblem::NoDevice;
    if (error != QSerialPort::PermissionError)
        return PortProblem::Other;
#ifdef Q_OS_UNIX
    // The serial port says PermissionError both for a device the user may not open and for one
    // that another program holds (its lock or the device's exclusive mode). The file's own access
    // rights tell the two apart.
    if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return PortProblem::NoPermission;
#endif
    return PortProblem::InUse;
}

QString PortAndDevice(const QString &portName, const QString &device)
{
    return portName.isEmpty() ? device : portName + u" ("_s + device + u')';
}

QString PortFailureText(const PortFailure &failure)
{
    const QString where = PortAndDevice(failure.portName, failure.device);
    const QString reason =
        failure.systemReason.isEmpty() ? QString() : u" ("_s + failure.systemReason + u')';
    switch (failure.problem) {
    case PortProblem::NoDevice:
        if (failure.portName.isEmpty())
            return where + u": no such device"_s + reason +
                   u": connect the adapter, or check the name"_s;
        return where + u": no such device"_s + reason +
               u": connect the adapter, or point %1 at it with \"k5-dipswitch-cli map %1 DEVICE\""_s
                   .arg(failure.portName);
    case PortProblem::NoPermission:
        return where + u": no permission"_s + reason +
               u": add the user to the group dialout (sudo adduser $USER dialout) and log in again"_s;
    case PortProblem::InUse:
        // The serial port's words here speak of permission or a lock, which would mislead.
        return where + u": in use by another program: close that program, or wait until it has "
                       u"finished"_s;
    case PortProblem::Other:
        break;
    }
    return where + u": cannot be opened"_s + reason;
}
