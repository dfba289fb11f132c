// The help page the help command opens: the one in the language in use.
#pragma once

#include <string>

#include "resources/language.h"

namespace zel {

inline constexpr char kJapaneseHelpPage[] = "index.html";
inline constexpr char kEnglishHelpPage[] = "index_en.html";

// The page in `helpFolder` (ending in '/' or not) for `language`: "index.html" under
// Japanese, "index_en.html" under English, or "index.html" when the English page is not
// there as a regular file.
[[nodiscard]] std::string HelpPagePath(const std::string& helpFolder, Language language);

// The folder of the help pages for the program in `programFolder`: "help" beside it where the
// build puts them, else "../share/zel/help" where an installation does (/usr/bin/zel →
// /usr/share/zel/help).
[[nodiscard]] std::string HelpFolder(const std::string& programFolder);

}  // namespace zel
