#pragma once

#include "switchcode.h"
#include "transmitter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

struct SimOptions
{
    std::uint16_t heldValue = DefaultCode;
    QByteArray versionText{Transmitter::DefaultVersionText.toByteArray()};
    int linkPort = 0; // n of the port COMn linked to the line, 0 for no link
    bool pacing = true;
    bool log = false;
    QString infoText; // for --help and --version: the text to print instead of running
    Fault fault;

    // Reads the arguments (the program name first). On a bad option gives nullopt and a
    // one-line message in *error.
    static std::optional<SimOptions> parse(const QStringList &arguments, QString *error);
};
