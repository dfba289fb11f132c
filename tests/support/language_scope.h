// A test's stretch in another language: the current language is `language` while the
// object lives and what it was afterwards.
#pragma once

#include <string_view>

#include "resources/language.h"

namespace zel::testing {

class LanguageScope {
 public:
  explicit LanguageScope(Language language) : before_(CurrentLanguage()) {
    SetCurrentLanguage(language);
  }
  ~LanguageScope() { SetCurrentLanguage(before_); }
  LanguageScope(const LanguageScope&) = delete;
  LanguageScope& operator=(const LanguageScope&) = delete;

 private:
  Language before_;
};

// Whether a text is plain ASCII: what every English text of the program is.
inline bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace zel::testing
