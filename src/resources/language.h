// The language the program speaks: Japanese, its own, or English. Every text the user reads
// is chosen by the current language; the choice comes from the options' setting, and when
// that is automatic, from the locale (Japanese for a "ja" locale, English for any other).
#pragma once

#include <string_view>

namespace zel {

enum class Language { kJapanese, kEnglish };

// The options' setting: follow the locale, or one language whatever the locale.
enum class LanguageChoice { kAutomatic, kJapanese, kEnglish };

// The language of a POSIX locale name ("ja_JP.UTF-8" → Japanese; "en_US.UTF-8", "C",
// "POSIX" or an empty name → English).
[[nodiscard]] Language LanguageOfLocale(std::string_view localeName);

// The language of the process's locale settings, read as the C library reads them: LC_ALL,
// then LC_MESSAGES, then LANG; the first one set and not empty decides.
[[nodiscard]] Language LanguageOfEnvironment();

// The language a setting chooses, given the locale's.
[[nodiscard]] Language ResolveLanguage(LanguageChoice choice, Language ofLocale);

// The language every text is given in from now on. Until it is set, the environment's.
[[nodiscard]] Language CurrentLanguage();
void SetCurrentLanguage(Language language);

}  // namespace zel
