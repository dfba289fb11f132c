#include "integration/browser_preview.h"

#include <cstdio>

#include "imagefiles/gif_encoder.h"
#include "platform/file_io.h"
#include "platform/process.h"

namespace zel {
namespace {

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

bool ShownKind(ImageKind kind) {
  switch (kind) {
    case ImageKind::kBitmap:
    case ImageKind::kGifPicture:
    case ImageKind::kJpeg:
    case ImageKind::kGifAnimation:
    case ImageKind::kFrameAnimation:
    case ImageKind::kPng:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool OpenPageWithDesktop(const std::string& url) {
  return OpenWithDesktop(url);
}

std::string PreviewColorHex(uint32_t backgroundColor) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", backgroundColor & 0xFF,
                (backgroundColor >> 8) & 0xFF, (backgroundColor >> 16) & 0xFF);
  return text;
}

std::string FileUrl(const std::string& absolutePath) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : absolutePath) {
    if (Unreserved(c)) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string BuildPreviewPage(const std::string& gifPath, uint32_t backgroundColor,
                             bool asBackground) {
  const std::string title = HtmlEscape(gifPath);
  const std::string url = FileUrl(gifPath);
  const std::string color = PreviewColorHex(backgroundColor);
  std::string page =
      "<HTML>\n<HEAD>\n<META charset=\"UTF-8\">\n<TITLE>" + title + "</TITLE>\n</HEAD>\n";
  if (asBackground) {
    page += "<BODY BACKGROUND=\"" + url + "\" BGCOLOR=\"#" + color + "\">\n";
  } else {
    page += "<BODY BGCOLOR=\"#" + color + "\">\n<IMG SRC=\"" + url + "\">\n";
  }
  page += "</BODY>\n</HTML>";
  return page;
}

bool ShowInBrowser(const std::string& gifPath, const std::string& pagePath,
                   uint32_t backgroundColor, bool asBackground, const PageOpener& open) {
  const std::string page = BuildPreviewPage(gifPath, backgroundColor, asBackground);
  if (!WriteFileAtomically(pagePath, reinterpret_cast<const uint8_t*>(page.data()), page.size())) {
    return false;
  }
  if (open) open(FileUrl(pagePath));
  return true;
}

bool PreviewAnimation(DocumentState& doc, const std::string& settingsFolder, bool asBackground,
                      const PageOpener& open) {
  if (!ShownKind(doc.kind) || doc.bitCount != 8 || !doc.frameSet || doc.frameSet->count < 2) {
    return false;
  }
  const std::string gifPath = settingsFolder + kPreviewGifName;
  {
    DocumentBusyScope busy(doc);
    // Raw codes: the preview file is written fast and thrown away.
    if (WriteGifFile(*doc.frameSet, gifPath, true, nullptr) != 0) return false;
  }
  return ShowInBrowser(gifPath, settingsFolder + kPreviewPageName, doc.backgroundColor,
                       asBackground, open);
}

}  // namespace zel
