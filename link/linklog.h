#pragma once

// Diagnostics of the serial link ("k5.link"): device paths and the system's reasons, which the
// window's one-line messages leave out.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcLink)
