#include "app/save_rules.h"

namespace zel {

bool IsDocumentOpen(const DocumentState& doc) {
  switch (doc.kind) {
    case ImageKind::kBitmap:
    case ImageKind::kGifPicture:
    case ImageKind::kJpeg:
    case ImageKind::kGifAnimation:
    case ImageKind::kFrameAnimation:
    case ImageKind::kPng:
      return true;
    case ImageKind::kNone:
      break;
  }
  return false;
}

bool CanSaveAsGif(const DocumentState& doc) {
  return IsDocumentOpen(doc) && doc.bitCount == 8;
}

bool CanSaveAsBitmap(const DocumentState& doc) {
  return IsDocumentOpen(doc);
}

bool CanSaveAsJpeg(const DocumentState& doc) {
  return IsDocumentOpen(doc) && doc.bitCount == 24;
}

bool CanMakeIcon(const DocumentState& doc) {
  return IsDocumentOpen(doc) && !IsAnimation(doc.kind) && doc.bitCount == 8 && doc.width == 32 &&
         doc.height == 32;
}

}  // namespace zel
