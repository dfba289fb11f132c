// Showing the animation in the desktop's web browser: a GIF file and a small page beside it
// in the settings folder, opened with the desktop's default browser.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "document/document_state.h"

namespace zel {

inline constexpr char kPreviewGifName[] = "$zel.gif";
inline constexpr char kPreviewPageName[] = "$zel.html";

// Opens a page (a file URL); false when nothing could open it. The desktop's opener by
// default; tests give their own.
using PageOpener = std::function<bool(const std::string& url)>;
bool OpenPageWithDesktop(const std::string& url);

// The background colour (0x00BBGGRR) as six upper-case hexadecimal digits, red first:
// red 153, green 102, blue 51 give "996633".
std::string PreviewColorHex(uint32_t backgroundColor);

// "file://" and the absolute path with every byte other than letters, digits, "-._~/"
// percent-encoded, so that no character of the name can end an attribute or start a
// fragment.
std::string FileUrl(const std::string& absolutePath);

// The text with &, <, >, " and ' replaced by their character references.
std::string HtmlEscape(const std::string& text);

// The page: the GIF as an image on the background colour or, with `asBackground`, as the
// page's tiled background on that colour. Lines joined by line feeds, no final line feed.
std::string BuildPreviewPage(const std::string& gifPath, uint32_t backgroundColor,
                             bool asBackground);

// Writes the page to `pagePath` and opens it. False only when the page cannot be written;
// a missing browser is no failure (nothing happens).
bool ShowInBrowser(const std::string& gifPath, const std::string& pagePath,
                   uint32_t backgroundColor, bool asBackground,
                   const PageOpener& open = OpenPageWithDesktop);

// The preview command: writes the animation to "$zel.gif" in `settingsFolder` (trailing
// '/') with the busy bit set, then shows it with the page "$zel.html" beside it. Acts only
// for an 8-bit document of two or more frames; true when the page was shown.
bool PreviewAnimation(DocumentState& doc, const std::string& settingsFolder, bool asBackground,
                      const PageOpener& open = OpenPageWithDesktop);

}  // namespace zel
