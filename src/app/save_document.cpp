#include "app/save_document.h"

#include <algorithm>

#include "app/save_rules.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/gif_encoder.h"
#include "imagefiles/gif_optimizer.h"
#include "imagefiles/icon_file.h"
#include "imagefiles/jpeg_writer.h"
#include "resources/string_table.h"

namespace zel {

int SaveDocumentAsGif(DocumentState& doc, const std::string& path, ProgressSink* progress,
                      bool optimize) {
  if (IsAnimation(doc.kind)) {
    int result = optimize ? WriteOptimizedGifFile(*doc.frameSet, path, progress)
                          : WriteGifFile(*doc.frameSet, path, false, progress);
    if (result != kGifWriteOk) return result;
    doc.kind = ImageKind::kGifAnimation;
  } else {
    FrameSet single(1);
    single.transparentIndex = doc.frameSet->transparentIndex;
    single.paletteCount = 0;
    single.count = 1;
    // A copy: the picture stays on show while the progress window keeps the editor alive.
    single.frame(0).image = DuplicateBlock(doc.currentPicture);
    if (!single.frame(0).image) return kGifWriteNoMemory;
    int result = WriteGifFile(single, path, false, progress);
    if (result != kGifWriteOk) return result;
    doc.kind = ImageKind::kGifPicture;
  }
  doc.filePath = path;
  doc.untitled = false;
  doc.unsavedChanges = false;
  return kGifWriteOk;
}

int SaveDocumentAsBitmap(DocumentState& doc, const std::string& path) {
  if (IsAnimation(doc.kind)) {
    int result = WriteFrameBitmapFile(path, *doc.frameSet, doc.backgroundColor);
    if (result != 0) return result;
    doc.kind = ImageKind::kFrameAnimation;
  } else {
    if (!WriteBmpFile(doc.currentPicture, path)) return -1;
    doc.kind = ImageKind::kBitmap;
  }
  doc.filePath = path;
  doc.untitled = false;
  doc.unsavedChanges = false;
  return 0;
}

int ClampJpegQuality(int quality) {
  return std::clamp(quality, 30, 100);
}

int JpegQualityFromText(const std::string& text, int current) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return ClampJpegQuality(current);
  const size_t end = text.find_last_not_of(" \t") + 1;
  size_t i = begin;
  const bool negative = text[i] == '-';
  if (text[i] == '-' || text[i] == '+') ++i;
  if (i == end) return ClampJpegQuality(current);
  // Digits beyond the range saturate: only which side of 30..100 the number lies on counts.
  int64_t value = 0;
  for (; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return ClampJpegQuality(current);
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), 1000);
  }
  return ClampJpegQuality(static_cast<int>(negative ? -value : value));
}

int SaveDocumentAsJpeg(DocumentState& doc, const std::string& path, int quality) {
  int result = WriteJpegFile(doc.currentPicture, path, ClampJpegQuality(quality));
  if (result != 0) return result;
  doc.filePath = path;
  doc.untitled = false;
  doc.kind = ImageKind::kBitmap;
  doc.unsavedChanges = false;
  return 0;
}

JpegSaveResult SaveJpegAndReload(DocumentState& doc, const std::string& path, int quality,
                                 LoadContext& context) {
  JpegSaveResult result;
  if (IsAnimation(doc.kind) || !CanSaveAsJpeg(doc)) return result;
  result.code = SaveDocumentAsJpeg(doc, path, quality);
  if (result.code != 0) {
    result.status = JpegSaveStatus::kWriteFailed;
    return result;
  }
  doc.undo.TakeSnapshot(doc, kUndoColors);
  const std::string written = doc.filePath;
  result.code = LoadImageFile(doc, written, LoadMode::kOpen, context);
  result.status = result.code == 0 ? JpegSaveStatus::kReloaded : JpegSaveStatus::kReloadFailed;
  return result;
}

bool MakeIconFile(const DocumentState& doc, const std::string& path) {
  return WriteIconFile(doc.currentPicture, path, doc.frameSet->transparentIndex);
}

}  // namespace zel
