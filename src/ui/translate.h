// The editor's texts in the language in use. The program's own texts are Japanese; under
// English the translator installed at start-up (translations/zel_en.ts, context "zel") gives
// their English, and a text it does not know stays as it is.
#pragma once

#include <QCoreApplication>
#include <QString>

namespace zel {

inline QString Tr(const char* japanese) {
  return QCoreApplication::translate("zel", japanese);
}

}  // namespace zel
