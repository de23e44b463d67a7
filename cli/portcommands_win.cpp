#include "portcommands.h"

#include "portmap.h"
#include "portnames.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace {

CliReport LinuxOnly(const QString &command, int portNumber)
{
    CliReport report;
    report.command = command;
    report.port = PortName(portNumber);
    report.outcome = Outcome::BadUsage;
    report.error = command + u" is for Linux: on Windows COMn is the system's own port COMn"_s;
    return report;
}

} // namespace

CliReport ListPorts()
{
    CliReport report;
    report.command = u"ports"_s;
    const QStringList present = SystemComPorts();
    QJsonArray ports;
    for (int n = FirstPortNumber; n <= LastPortNumber; ++n) {
        const QString name = PortName(n);
        const bool there = present.contains(name);
        ports.append(QJsonObject{{u"port"_s, name},
                                 {u"device"_s, DevicePathForPort(n)},
                                 {u"present"_s, there},
                                 {u"mapped"_s, false}});
        report.lines << u"%1 %2"_s.arg(name, -5).arg(there ? u"present"_s : u"missing"_s);
    }
    // Ports past COM16, which the window cannot choose but the command line's --port \\.\COMn can.
    QJsonArray unnamed;
    for (const QString &name : present) {
        const int n = name.mid(3).toInt();
        if (n >= FirstPortNumber && n <= LastPortNumber)
            continue;
        if (unnamed.isEmpty())
            report.lines << u"Serial devices that no port names:"_s;
        unnamed.append(QJsonObject{{u"device"_s, name}});
        report.lines << name;
    }
    report.fields = {{u"ports"_s, ports}, {u"unnamed"_s, unnamed}};
    return report;
}

CliReport MapPort(int portNumber, const QString &)
{
    return LinuxOnly(u"map"_s, portNumber);
}

CliReport UnmapPort(int portNumber)
{
    return LinuxOnly(u"unmap"_s, portNumber);
}
