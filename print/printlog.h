#pragma once

// Diagnostics of printing: the chosen printer, the output file and the step that failed.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPrint)
