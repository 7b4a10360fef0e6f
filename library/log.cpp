#include "library/log.h"

Q_LOGGING_CATEGORY(lcLibrary, "discshelf.library")
