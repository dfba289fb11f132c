// Qt's own texts (the file dialogs, the colour chooser, the buttons of message boxes) in
// the program's language, Japanese, like every text of the program itself.
#pragma once

class QCoreApplication;
class QTranslator;

namespace zel {

// Loads Qt's Japanese translations ("qtbase_ja.qm" from Qt's translations folder) into the
// application and makes Japanese the default locale. The translator belongs to `app`;
// nullptr when the translations are not installed (Qt's texts then stay English).
QTranslator* InstallQtTranslations(QCoreApplication& app);

}  // namespace zel
