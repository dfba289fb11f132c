#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace zel {
namespace {

// The translators installed now; they belong to the application.
QPointer<QTranslator> installed;

bool Install(QCoreApplication& app, const QString& file, const QString& folder) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(file, folder) || !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  installed = translator;
  return true;
}

}  // namespace

void RemoveTranslations(QCoreApplication&) {
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed.data();
  }
  QLocale::setDefault(QLocale::system());
}

bool InstallTranslations(QCoreApplication& app, Language language) {
  RemoveTranslations(app);
  switch (language) {
    case Language::kJapanese:
      QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
      return Install(app, QStringLiteral("qtbase_ja"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    case Language::kEnglish:
      QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
      // Built into the program, so that it and its tests find it wherever they run from.
      return Install(app, QStringLiteral("zel_en"), QStringLiteral(":/translations"));
  }
  return false;
}

}  // namespace zel
