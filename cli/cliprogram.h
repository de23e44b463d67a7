#pragma once

// k5-dipswitch-cli from its arguments to its exit status.

#include <QStringList>

// arguments: the program name first. Prints what the command has to say; returns the exit status.
int RunCli(const QStringList &arguments);
