// Puts the program's own translations and Qt's into the running application, so that every
// window, box and help text made afterwards speaks the user's language.
#pragma once

#include <QLocale>

namespace Translations {

// Replaces what an earlier call installed. The default locale is the system's unless
// QLocale::setDefault() changed it. The first of the locale's languages that is English
// (the source language) or has a catalogue of ours wins; returns whether one of ours was loaded.
bool install(const QLocale &locale = QLocale());

} // namespace Translations
