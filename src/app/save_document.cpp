#include "app/save_document.h"

#include <algorithm>

#include "app/save_rules.h"
#include "document/edit_transaction.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/gif_encoder.h"
#include "imagefiles/gif_optimizer.h"
#include "imagefiles/icon_file.h"
#include "imagefiles/jpeg_writer.h"
#include "imagefiles/png_writer.h"
#include "resources/string_table.h"

namespace zel {

namespace {

// The GIF writer's result as the user hears it.
Outcome GifWriteOutcome(int result) {
  switch (result) {
    case kGifWriteOk:
      return Outcome::Done();
    case kGifWriteCancelled:
      return Outcome::Cancelled();
    default:
      return Outcome::Failed(kMsgCannotWriteImage);
  }
}

// The document now is its file.
void Saved(DocumentState& doc, const std::string& path, ImageKind kind) {
  doc.kind = kind;
  doc.filePath = path;
  doc.untitled = false;
  MarkDocumentSaved(doc);
}

}  // namespace

Outcome SaveDocumentAsGif(DocumentState& doc, const std::string& path, ProgressSink* progress,
                          bool optimize) {
  const bool animation = IsAnimation(doc.kind);
  int result = kGifWriteOk;
  {
    // The writer may take a while (a progress window runs events): nothing else may touch
    // the document meanwhile.
    DocumentBusyScope busy(doc);
    if (animation) {
      result = optimize ? WriteOptimizedGifFile(*doc.frameSet, path, progress)
                        : WriteGifFile(*doc.frameSet, path, false, progress);
    } else {
      FrameSet single(1);
      single.transparentIndex = doc.frameSet->transparentIndex;
      single.paletteCount = 0;
      single.count = 1;
      // A copy: the picture stays on show while the progress window keeps the editor alive.
      single.frame(0).image = DuplicateBlock(doc.currentPicture);
      if (!single.frame(0).image) return Outcome::Failed(kMsgNoMemory);
      result = WriteGifFile(single, path, false, progress);
    }
  }
  if (result != kGifWriteOk) return GifWriteOutcome(result);
  Saved(doc, path, animation ? ImageKind::kGifAnimation : ImageKind::kGifPicture);
  return Outcome::Done();
}

Outcome SaveDocumentAsBitmap(DocumentState& doc, const std::string& path) {
  if (IsAnimation(doc.kind)) {
    if (const Outcome written = WriteFrameBitmapFile(path, *doc.frameSet, doc.backgroundColor);
        !written.done()) {
      return written;
    }
    Saved(doc, path, ImageKind::kFrameAnimation);
  } else {
    if (!WriteBmpFile(doc.currentPicture, path)) return Outcome::Failed(kMsgCannotWriteImage);
    Saved(doc, path, ImageKind::kBitmap);
  }
  return Outcome::Done();
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

Outcome SaveDocumentAsJpeg(DocumentState& doc, const std::string& path, int quality) {
  if (WriteJpegFile(doc.currentPicture, path, ClampJpegQuality(quality)) != 0) {
    return Outcome::Failed(kMsgCannotWriteImage);
  }
  Saved(doc, path, ImageKind::kBitmap);
  return Outcome::Done();
}

JpegSaveResult SaveJpegAndReload(DocumentState& doc, const std::string& path, int quality,
                                 LoadContext& context) {
  JpegSaveResult result;
  if (IsAnimation(doc.kind) || !CanSaveAsJpeg(doc)) return result;
  result.status = JpegSaveStatus::kWriteFailed;
  result.outcome = SaveDocumentAsJpeg(doc, path, quality);
  if (!result.outcome.done()) return result;
  // The picture before compression stays one undo away; the document becomes the written
  // file, read back, and that is its saved state.
  const std::string written = doc.filePath;
  EditTransaction reload(doc, kUndoColors);
  result.outcome =
      reload.Commit([&] { return LoadImageFile(doc, written, LoadMode::kOpen, context); });
  if (result.outcome.done()) MarkDocumentSaved(doc);
  result.status = result.outcome.done() ? JpegSaveStatus::kReloaded : JpegSaveStatus::kReloadFailed;
  return result;
}

Outcome PictureWriteOutcome(PictureWriteResult result) {
  switch (result) {
    case PictureWriteResult::kOk:
      return Outcome::Done();
    case PictureWriteResult::kCancelled:
      return Outcome::Cancelled();
    case PictureWriteResult::kNoMemory:
      return Outcome::Failed(kMsgNoMemory);
    case PictureWriteResult::kTooLarge:
      return Outcome::Failed(kMsgWebpTooLarge);
    case PictureWriteResult::kFramesDiffer:
      return Outcome::Failed(kMsgFramesDifferInSize);
    case PictureWriteResult::kCannotWrite:
    case PictureWriteResult::kBadPicture:
    case PictureWriteResult::kEncoderFailed:
      break;
  }
  return Outcome::Failed(kMsgCannotWriteImage);
}

int ClampWebpQuality(int quality) {
  return std::clamp(quality, 0, 100);
}

namespace {

// Runs a WebP or PNG writer on the document, which is busy meanwhile.
template <typename WriteAnimation, typename WritePicture>
PictureWriteResult WriteDocument(DocumentState& doc, WriteAnimation writeAnimation,
                                 WritePicture writePicture) {
  DocumentBusyScope busy(doc);
  if (IsAnimation(doc.kind)) return writeAnimation(*doc.frameSet);
  return writePicture(doc.currentPicture, doc.frameSet->transparentIndex);
}

}  // namespace

Outcome SaveDocumentAsWebp(DocumentState& doc, const std::string& path,
                           const WebpOptions& options, ProgressSink* progress) {
  if (!CanSaveAsWebp(doc)) return Outcome::NothingDone();
  WebpOptions chosen = options;
  chosen.quality = ClampWebpQuality(chosen.quality);
  const PictureWriteResult result = WriteDocument(
      doc,
      [&](const FrameSet& frames) { return WriteWebpAnimation(frames, path, chosen, progress); },
      [&](const PackedDib& picture, int32_t transparent) {
        return WriteWebpPicture(picture, transparent, path, chosen);
      });
  if (result != PictureWriteResult::kOk) return PictureWriteOutcome(result);
  if (!chosen.lossy) Saved(doc, path, doc.kind);
  return Outcome::Done();
}

Outcome SaveDocumentAsPng(DocumentState& doc, const std::string& path, ProgressSink* progress) {
  if (!CanSaveAsPng(doc)) return Outcome::NothingDone();
  const PictureWriteResult result = WriteDocument(
      doc, [&](const FrameSet& frames) { return WritePngAnimation(frames, path, progress); },
      [&](const PackedDib& picture, int32_t transparent) {
        return WritePngPicture(picture, transparent, path);
      });
  if (result != PictureWriteResult::kOk) return PictureWriteOutcome(result);
  Saved(doc, path, doc.kind);
  return Outcome::Done();
}

Outcome MakeIconFile(const DocumentState& doc, const std::string& path) {
  return WriteIconFile(doc.currentPicture, path, doc.frameSet->transparentIndex)
             ? Outcome::Done()
             : Outcome::Failed(kMsgCannotWriteImage);
}

}  // namespace zel
