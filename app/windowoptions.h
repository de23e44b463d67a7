#pragma once

// The window's command line, read before any window is made: --help, --version and Qt's own
// options (-platform, -style, ...), which Qt takes; anything else is refused. And a start without
// a display, which Qt ends with an abort, ended with a line that says what to do.

#include <QStringList>

#include <optional>

// Answers --help and --version on standard output and refuses an unknown option or argument
// with one line on standard error. Returns the exit status when the program ends there (0, or 64
// for a refusal), nullopt when the window is to start.
std::optional<int> AnswerOptions(const QStringList &arguments);

// Until ~DisplayGuard, a platform that cannot start ends the program with one line on standard
// error and the status 69 instead of an abort; Qt's own lines about it are held back.
class DisplayGuard
{
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard &) = delete;
    DisplayGuard &operator=(const DisplayGuard &) = delete;
};
