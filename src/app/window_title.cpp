#include "app/window_title.h"

namespace zel {

std::string MainWindowTitle(const DocumentState& doc) {
  if (doc.untitled) return Say(kGeneratedUntitledTitle);
  const std::string& path = doc.filePath;
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) name = Say(kUntitledTitle);
  if (HasUnsavedChanges(doc)) name += kModifiedMarker;
  return name + " - " + kApplicationTitle;
}

}  // namespace zel
