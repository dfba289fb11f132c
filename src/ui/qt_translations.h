// The editor's texts in the language in use. Japanese is the program's own: its texts are
// shown as written, and Qt's own texts (the file dialogs, the colour chooser, the buttons of
// message boxes) come from Qt's Japanese translations. English comes from the program's
// English translation (translations/zel_en.ts, compiled into the program), and Qt's own
// texts stay as Qt writes them, in English.
#pragma once

#include "resources/language.h"

class QCoreApplication;

namespace zel {

// Installs the translators of `language` into the application, in place of those an earlier
// call installed, and sets the default locale to match. Whether every translation the
// language needs was found: under Japanese "qtbase_ja.qm" in Qt's translations folder (when
// it is missing, Qt's texts stay English), under English the program's own "zel_en.qm".
bool InstallTranslations(QCoreApplication& app, Language language);

// Takes out what InstallTranslations installed: every text as written, Qt's in English.
void RemoveTranslations(QCoreApplication& app);

}  // namespace zel
