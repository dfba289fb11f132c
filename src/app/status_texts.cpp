#include "app/status_texts.h"

namespace zel {

std::string StatusKindText(const DocumentState& doc) {
  return KindLabel(doc.kind);
}

std::string StatusFramePaneText(const DocumentState& doc) {
  if (doc.kind == ImageKind::kNone) return {};
  if (IsAnimation(doc.kind)) {
    int count = doc.frameSet ? doc.frameSet->count : 0;
    return std::to_string(doc.currentFrame + 1) + "/" + std::to_string(count);
  }
  return doc.bitCount == 8 ? "INDEX" : "TRUE";
}

std::string StatusSizeText(const DocumentState& doc) {
  if (doc.kind == ImageKind::kNone) return {};
  return std::to_string(doc.width) + "," + std::to_string(doc.height);
}

bool ShowsAnimationToolBar(ImageKind kind) {
  return IsAnimation(kind);
}

}  // namespace zel
