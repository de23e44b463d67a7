#include "printlog.h"

Q_LOGGING_CATEGORY(lcPrint, "k5.print")
