// The logging category of this area (discshelf.ui): QT_LOGGING_RULES turns its messages on or off.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcUi)
