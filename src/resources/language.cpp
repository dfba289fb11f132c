#include "resources/language.h"

#include <atomic>
#include <cstdlib>

namespace zel {

Language LanguageOfLocale(std::string_view localeName) {
  return localeName.starts_with("ja") ? Language::kJapanese : Language::kEnglish;
}

Language LanguageOfEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      return LanguageOfLocale(value);
    }
  }
  return Language::kEnglish;
}

Language ResolveLanguage(LanguageChoice choice, Language ofLocale) {
  switch (choice) {
    case LanguageChoice::kJapanese:
      return Language::kJapanese;
    case LanguageChoice::kEnglish:
      return Language::kEnglish;
    case LanguageChoice::kAutomatic:
      break;
  }
  return ofLocale;
}

namespace {

// -1 until the language is first asked for or set.
std::atomic<int> currentLanguage{-1};

}  // namespace

Language CurrentLanguage() {
  int value = currentLanguage.load(std::memory_order_relaxed);
  if (value < 0) {
    value = static_cast<int>(LanguageOfEnvironment());
    int unset = -1;
    currentLanguage.compare_exchange_strong(unset, value, std::memory_order_relaxed);
    value = currentLanguage.load(std::memory_order_relaxed);
  }
  return static_cast<Language>(value);
}

void SetCurrentLanguage(Language language) {
  currentLanguage.store(static_cast<int>(language), std::memory_order_relaxed);
}

}  // namespace zel
