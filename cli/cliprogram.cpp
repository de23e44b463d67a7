#include "cliprogram.h"

#include "clioptions.h"
#include "clireport.h"
#include "portcommands.h"
#include "transmittercommand.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

CliReport Run(const CliOptions &options)
{
    TransmitterCommand transmitter(options.portNumber, options.device);
    switch (options.command) {
    case Command::Read:
        return transmitter.read();
    case Command::Write:
        return transmitter.write(options.code, options.verify);
    case Command::Version:
        return transmitter.version();
    case Command::Ports:
        return ListPorts();
    case Command::Map:
        return MapPort(options.mapPortNumber, options.mapDevice);
    case Command::Unmap:
        return UnmapPort(options.mapPortNumber);
    case Command::Help:
    case Command::ShowVersion:
        break;
    }
    CliReport report;
    report.command = options.commandName;
    report.lines << (options.command == Command::Help
                         ? CliOptions::helpText().chopped(1) // Publish ends the line itself
                         : QCoreApplication::applicationName() + u' ' +
                               QCoreApplication::applicationVersion());
    report.fields.insert(u"text"_s, report.lines.constFirst());
    return report;
}

} // namespace

int RunCli(const QStringList &arguments)
{
    CliOptions options;
    QString error;
    if (!options.parse(arguments, &error)) {
        CliReport report;
        report.command = options.commandName;
        report.outcome = Outcome::BadUsage;
        report.error = error;
        return Publish(report, options.json);
    }
    return Publish(Run(options), options.json);
}
