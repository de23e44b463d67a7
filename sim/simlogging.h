#pragma once

// The simulator's diagnostics (not its --log events, which are its output).

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSim)
