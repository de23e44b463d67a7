#include "linklog.h"

Q_LOGGING_CATEGORY(lcLink, "k5.link")
