#include "copy/log.h"

Q_LOGGING_CATEGORY(lcCopy, "discshelf.copy")
