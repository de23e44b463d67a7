#include "portproblem.h"

using namespace Qt::StringLiterals;

QString PortAndDevice(const QString &portName, const QString &device)
{
    if (portName.isEmpty() || portName == device)
        return portName.isEmpty() ? device : portName;
    return portName + u" ("_s + device + u')';
}

QString PortFailureText(const PortFailure &failure)
{
    const QString where = PortAndDevice(failure.portName, failure.device);
    const QString reason =
        failure.systemReason.isEmpty() ? QString() : u" ("_s + failure.systemReason + u')';
    switch (failure.problem) {
    case PortProblem::NoDevice:
#ifdef Q_OS_WIN
        return where + u": no such port"_s + reason +
               u": connect the adapter, and see its COM port in the Device Manager"_s;
#endif
        if (failure.portName.isEmpty())
            return where + u": no such device"_s + reason +
                   u": connect the adapter, or check the name"_s;
        return where + u": no such device"_s + reason +
               u": connect the adapter, or point %1 at it with \"k5-dipswitch-cli map %1 DEVICE\""_s
                   .arg(failure.portName);
    case PortProblem::NoPermission:
#ifdef Q_OS_WIN
        return where + u": no permission"_s + reason + u": ask the administrator for the port"_s;
#endif
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
