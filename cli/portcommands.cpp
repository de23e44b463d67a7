#include "portcommands.h"

#include "portmap.h"
#include "portnames.h"
#include "quoting.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSerialPortInfo>
#include <QSet>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// "0403:6001", the USB vendor and product of a device that has them.
QString UsbIdentifier(const QSerialPortInfo &info)
{
    if (!info.hasVendorIdentifier() || !info.hasProductIdentifier())
        return {};
    return u"%1:%2"_s.arg(uint(info.vendorIdentifier()), 4, 16, QChar(u'0'))
        .arg(uint(info.productIdentifier()), 4, 16, QChar(u'0'));
}

const QString NotSerial = u"not a serial device"_s;

} // namespace

CliReport ListPorts()
{
    CliReport report(u"ports"_s);
    QJsonArray ports;
    QSet<QString> named;
    for (int n = FirstPortNumber; n <= LastPortNumber; ++n) {
        const PortDevice port = DescribePort(n);
        named.insert(QFileInfo(DevicePathForPort(n)).canonicalFilePath());
        // Something there that no line can be, such as a file the link was pointed at by hand.
        const bool unfit = port.present && !port.characterDevice;
        QJsonObject entry{{u"port"_s, PortName(n)},
                          {u"device"_s, port.device},
                          {u"present"_s, port.present && !unfit},
                          {u"mapped"_s, port.mapped}};
        if (unfit)
            entry.insert(u"problem"_s, NotSerial);
        ports.append(entry);
        report.lines << u"%1 %2 %3%4%5"_s.arg(PortName(n), -5)
                            .arg(unfit          ? u"unfit"_s
                                 : port.present ? u"present"_s
                                                : u"missing"_s,
                                 -7)
                            .arg(port.device, port.mapped ? QString() : u" (built-in)"_s,
                                 unfit ? u" ("_s + NotSerial + u')' : QString());
    }

    QJsonArray unnamed;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString device = info.systemLocation();
        if (named.contains(QFileInfo(device).canonicalFilePath()))
            continue;
        if (unnamed.isEmpty())
            report.lines << u"Serial devices that no port names:"_s;
        const QString stable = StableDeviceName(device);
        QJsonObject entry{{u"device"_s, device}};
        QString line = device;
        // Each field, and in the line its label before it when it says something.
        for (const auto &[key, label, value] :
             {std::tuple(u"by_id"_s, u"by-id"_s, stable == device ? QString() : stable),
              std::tuple(u"description"_s, u"description"_s, info.description()),
              std::tuple(u"manufacturer"_s, u"maker"_s, info.manufacturer()),
              std::tuple(u"usb_id"_s, u"usb"_s, UsbIdentifier(info)),
              std::tuple(u"serial_number"_s, u"serial"_s, info.serialNumber())}) {
            entry.insert(key, value);
            if (!value.isEmpty())
                line += u"  "_s + label + u' ' + value;
        }
        unnamed.append(entry);
        report.lines << line;
    }
    report.fields = {{u"ports"_s, ports}, {u"unnamed"_s, unnamed}};
    return report;
}

CliReport MapPort(int portNumber, const QString &device)
{
    CliReport report(u"map"_s, PortName(portNumber));
    // The link is read from the ports folder: a relative target would be taken from there.
    const QString absolute = QFileInfo(device).absoluteFilePath();
    const QString problem = device.isEmpty()               ? u"no device given"_s
                            : !QFileInfo::exists(absolute) ? Quoted(device) + u": no such device"_s
                            : !IsSerialDevice(absolute)    ? Quoted(device) + u": "_s + NotSerial
                                                           : QString();
    if (!problem.isEmpty()) {
        report.outcome = Outcome::BadUsage;
        report.error = problem + u": give the adapter's device, as 'ports' lists them"_s;
        return report;
    }
    const QString target = StableDeviceName(absolute);
    QString error;
    if (!PointPortLink(PortLinkPath(portNumber), target, &error)) {
        report.outcome = Outcome::CannotMap;
        report.error = report.port + u": "_s + error;
        return report;
    }
    report.device = target;
    report.lines << report.port + u" -> "_s + target;
    return report;
}

CliReport UnmapPort(int portNumber)
{
    CliReport report(u"unmap"_s, PortName(portNumber));
    const QString link = PortLinkPath(portNumber);
    const QFileInfo info(link);
    report.fields.insert(u"was_mapped"_s, info.isSymLink());
    if (info.isSymLink()) {
        QFile file(link);
        if (!file.remove()) {
            report.outcome = Outcome::CannotMap;
            report.error =
                report.port + u": cannot remove "_s + link + u": "_s + file.errorString();
            return report;
        }
    } else if (info.exists()) {
        report.outcome = Outcome::CannotMap;
        report.error =
            report.port + u": "_s + link + u" is not a port link: move it away by hand"_s;
        return report;
    }
    report.device = DevicePathForPort(portNumber);
    report.lines << (info.isSymLink() ? u"%1 -> %2 (built-in)"_s
                                      : u"%1 was not mapped: it stands for %2 (built-in)"_s)
                        .arg(report.port, report.device);
    return report;
}
