#pragma once

// The command line, checked before anything reaches a line or a file.

#include "transmitterlink.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

enum class Command { Read, Write, Version, Ports, Map, Unmap, Help, ShowVersion };

struct CliOptions
{
    Command command = Command::Help;
    QString commandName;
    // The line of read, write and version: COM1, as in the window, unless --port names another.
    Line line{1, {}};
    // write: the code to store (nullopt: switch the function off), and whether to read it back.
    std::optional<std::int32_t> code;
    bool verify = false;
    // map and unmap: the port; map: the device given.
    int mapPortNumber = 0;
    QString mapDevice;
    bool json = false;

    // Reads the arguments (the program name first). On bad usage: false, with what is wrong in
    // *error; json and commandName are set as far as they could be read.
    bool parse(const QStringList &arguments, QString *error);
    static QString helpText();
};
