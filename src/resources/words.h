// A text the program shows, in both of its languages. Tables of these rows keep the
// Japanese, the program's own wording, beside its English, and `Say` picks the one of the
// current language.
#pragma once

#include "resources/language.h"

namespace zel {

struct Words {
  const char* japanese;
  const char* english;
};

// The text in `language`.
[[nodiscard]] constexpr const char* Say(const Words& words, Language language) {
  return language == Language::kJapanese ? words.japanese : words.english;
}

// The text in the current language.
[[nodiscard]] inline const char* Say(const Words& words) {
  return Say(words, CurrentLanguage());
}

}  // namespace zel
