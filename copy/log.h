// The logging category of this area (discshelf.copy): QT_LOGGING_RULES turns its messages on or off.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcCopy)
