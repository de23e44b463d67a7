#include "portproblem.h"

#ifndef Q_OS_WIN
#include <QFile>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

#ifndef Q_OS_WIN
// The group that serial devices belong to, whose members may open them.
constexpr auto SerialGroup = u"dialout";

// What to do about a device the user may not open: join the serial devices' group where the
// device belongs to it; else say whose it is, as only its owner or the administrator can help
// (or the user, whose own it may be).
QString PermissionAdvice(const QString &device)
{
    const QString join = u"add the user to the group %1 (sudo adduser $USER %1) and log in again"_s;
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(device).constData(), &status) != 0)
        return join.arg(SerialGroup);
    if (status.st_uid == ::geteuid())
        return u"the device is the user's own: give it read and write permission (chmod u+rw %1)"_s
            .arg(device);
    const struct passwd *user = ::getpwuid(status.st_uid);
    const struct group *group = ::getgrgid(status.st_gid);
    const QString owner =
        user ? QString::fromLocal8Bit(user->pw_name) : QString::number(status.st_uid);
    const QString groupName =
        group ? QString::fromLocal8Bit(group->gr_name) : QString::number(status.st_gid);
    if (groupName == SerialGroup)
        return join.arg(SerialGroup);
    return u"the device belongs to the user %1 and the group %2, not to %3: ask %1 or the "
           u"administrator for access to it"_s.arg(owner, groupName, SerialGroup);
}
#endif

} // namespace

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
#else
        return where + u": no permission"_s + reason + u": "_s + PermissionAdvice(failure.device);
#endif
    case PortProblem::InUse:
        // The serial port's words here speak of permission or a lock, which would mislead.
        return where + u": in use by another program: close that program, or wait until it has "
                       u"finished"_s;
    case PortProblem::Other:
        break;
    }
    return where + u": cannot be opened"_s + reason;
}
