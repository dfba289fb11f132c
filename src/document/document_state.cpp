#include "document/document_state.h"

#include <atomic>

#include "document/colour_key.h"
#include "resources/words.h"

namespace zel {

bool IsAnimation(ImageKind kind) {
  return kind == ImageKind::kGifAnimation || kind == ImageKind::kFrameAnimation;
}

bool IsEditableKind(ImageKind kind) {
  switch (kind) {
    case ImageKind::kGifAnimation:
    case ImageKind::kFrameAnimation:
    case ImageKind::kGifPicture:
    case ImageKind::kBitmap:
    case ImageKind::kJpeg:
    case ImageKind::kPng:
      return true;
    default:
      return false;
  }
}

const char* KindLabel(ImageKind kind) {
  switch (kind) {
    case ImageKind::kGifAnimation:
      return Say({"ｱﾆﾒ", "Anim"});
    case ImageKind::kFrameAnimation:
      return Say({"ﾌﾚｰﾑ", "Frames"});
    case ImageKind::kGifPicture:
      return "GIF";
    case ImageKind::kBitmap:
      return "BMP";
    case ImageKind::kJpeg:
      return "JPEG";
    case ImageKind::kPng:
      return "PNG";
    case ImageKind::kNone:
      break;
  }
  return " ";
}

uint64_t NewRevision() {
  static std::atomic<uint64_t> last{0};
  return ++last;
}

void MarkDocumentChanged(DocumentState& doc) {
  doc.revision = NewRevision();
  // A new change leaves nothing to redo: redoing would throw the change away.
  doc.undo.ClearRedo();
  doc.observers.Notify(DocumentEvent::kEdited);
}

void MarkDocumentLoaded(DocumentState& doc) {
  doc.revision = NewRevision();
  doc.savedRevision = doc.revision;
  doc.observers.Notify(DocumentEvent::kLoaded);
}

void MarkDocumentSaved(DocumentState& doc) {
  doc.savedRevision = doc.revision;
  doc.observers.Notify(DocumentEvent::kSaved);
}

DocumentBusyScope::DocumentBusyScope(DocumentState& doc)
    : doc_(doc), wasBusy_((doc.flags & kFlagBusy) != 0) {
  doc_.flags |= kFlagBusy;
}

void DocumentBusyScope::Release() {
  if (released_) return;
  released_ = true;
  if (!wasBusy_) doc_.flags &= ~static_cast<uint32_t>(kFlagBusy);
}

bool CreateDocumentContainer(DocumentState& doc, int frameMaxSetting) {
  doc.frameMax = ClampFrameMax(frameMaxSetting);
  doc.frameSet = FrameSet::Create(doc.frameMax);
  return doc.frameSet != nullptr;
}

namespace {

DisplayReduction displayReduction = nullptr;

}  // namespace

void SetDisplayReduction(DisplayReduction reduction) {
  displayReduction = reduction;
}

PackedDib MakePaletteDisplayCopy(const PackedDib& picture) {
  if (!picture || picture.size() < kDibHeaderSize) return {};
  if (picture.Header().bitCount > 8) {
    // A palette display shows a deeper picture through a reduced copy.
    return displayReduction != nullptr ? displayReduction(picture) : PackedDib();
  }
  uint32_t colors = picture.ColorCount();
  if (colors == 0 || colors > 256) return {};
  return DuplicateBlock(picture);
}

bool SetCurrentPicture(DocumentState& doc, PackedDib picture, PackedDib display) {
  if (!picture || picture.size() < kDibHeaderSize) return false;
  DibHeader h = picture.Header();
  if (!doc.trueColorDisplay) {
    if (!display) display = MakePaletteDisplayCopy(picture);
    if (!display) return false;
    doc.displayPalettePicture = std::move(display);
  }
  doc.width = h.width;
  doc.height = h.height;
  doc.bitCount = h.bitCount;
  doc.currentPicture = std::move(picture);
  if (doc.pictureChanged) doc.pictureChanged();
  return true;
}

int32_t CurrentTransparentIndex(const DocumentState& doc) {
  if (doc.kind != ImageKind::kBitmap && doc.kind != ImageKind::kGifPicture) return -1;
  if (doc.bitCount != 8 || !doc.currentPicture) return -1;
  uint32_t colors = doc.currentPicture.ColorCount();
  if (colors > 256) colors = 256;
  const Rgbq* table = doc.currentPicture.ColorTable();
  Rgbq background{static_cast<uint8_t>(doc.backgroundColor >> 16),
                  static_cast<uint8_t>(doc.backgroundColor >> 8),
                  static_cast<uint8_t>(doc.backgroundColor), 0};
  for (uint32_t i = 0; i < colors; ++i) {
    if (table[i].blue == background.blue && table[i].green == background.green &&
        table[i].red == background.red) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

namespace {

void PaintEntry(PackedDib& picture, int32_t index, uint32_t color) {
  if (!picture || picture.size() < kDibHeaderSize) return;
  if (static_cast<uint32_t>(index) >= picture.ColorCount()) return;
  if (kDibHeaderSize + 4 * static_cast<size_t>(index) + 4 > picture.size()) return;
  Rgbq& entry = picture.ColorTable()[index];
  entry.red = static_cast<uint8_t>(color);
  entry.green = static_cast<uint8_t>(color >> 8);
  entry.blue = static_cast<uint8_t>(color >> 16);
}

}  // namespace

void ApplyBackgroundColor(DocumentState& doc) {
  // A full-colour picture shows its transparent pixels in its key colour: the background
  // colour, unless another pixel has that colour.
  if (doc.kind != ImageKind::kNone && doc.bitCount == 24) {
    if (MoveColourKey(doc.currentPicture, doc.backgroundColor) && doc.pictureChanged) {
      doc.pictureChanged();
    }
    return;
  }
  if (doc.kind == ImageKind::kNone || doc.bitCount != 8 || !doc.frameSet) return;
  int32_t index = doc.frameSet->transparentIndex;
  if (index < 0) return;
  PaintEntry(doc.currentPicture, index, doc.backgroundColor);
  PaintEntry(doc.displayPalettePicture, index, doc.backgroundColor);
  if (IsAnimation(doc.kind)) {
    for (int i = 0; i < doc.frameSet->count; ++i) {
      PaintEntry(doc.frameSet->frame(i).image, index, doc.backgroundColor);
    }
  }
  if (doc.pictureChanged) doc.pictureChanged();
}

bool InstallAnimation(DocumentState& doc, FrameSet& source, ImageKind kind, uint32_t nowTick) {
  if (source.count < 1 || !source.frame(0).image) return false;
  PackedDib first = DuplicateBlock(source.frame(0).image);
  if (!first) return false;
  doc.frameSet->TakeFrom(source);
  doc.kind = kind;
  doc.currentFrame = 0;
  doc.lastFrameTick = nowTick;
  doc.flags &= ~(kFlagStopped | kFlagStep);
  return SetCurrentPicture(doc, std::move(first));
}

bool InstallSinglePicture(DocumentState& doc, PackedDib picture, ImageKind kind) {
  if (!picture) return false;
  doc.frameSet->FreeFrames();
  doc.kind = kind;
  doc.currentFrame = 0;
  return SetCurrentPicture(doc, std::move(picture));
}

}  // namespace zel
