#include "detect/log.h"

Q_LOGGING_CATEGORY(lcDetect, "discshelf.detect")
