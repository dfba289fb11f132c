#include "integration/external_edit.h"

#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/image_loader.h"
#include "resources/string_table.h"

namespace zel {

ExchangeType ChooseExchangeType(const DocumentState& doc) {
  switch (doc.kind) {
    case ImageKind::kBitmap:
    case ImageKind::kGifPicture:
    case ImageKind::kJpeg:
    case ImageKind::kPng:
      return ExchangeType::kPicture;
    case ImageKind::kGifAnimation:
    case ImageKind::kFrameAnimation:
      if (doc.frameSet && doc.frameSet->paletteCount < 0 && (doc.flags & kFlagStopped)) {
        return ExchangeType::kCurrentFrame;
      }
      return ExchangeType::kFrameBitmap;
    default:
      return ExchangeType::kNone;
  }
}

int WriteExchangeFile(const DocumentState& doc, ExchangeType type, const std::string& path) {
  switch (type) {
    case ExchangeType::kPicture:
      if (!doc.currentPicture) return kMsgOutOfRange;
      return WriteBmpFile(doc.currentPicture, path) ? 0 : kMsgFileError;
    case ExchangeType::kCurrentFrame: {
      const int current = doc.currentFrame;
      if (current < 0 || current >= doc.frameSet->count) return kMsgOutOfRange;
      const PackedDib& image = doc.frameSet->frame(current).image;
      if (!image) return kMsgOutOfRange;
      return WriteBmpFile(image, path) ? 0 : kMsgFileError;
    }
    case ExchangeType::kFrameBitmap:
      return WriteFrameBitmapFile(path, *doc.frameSet, doc.backgroundColor) == 0 ? 0
                                                                                 : kMsgFileError;
    case ExchangeType::kNone:
      break;
  }
  return kMsgOutOfRange;
}

EditWaitState EditWait::Tick(const WindowObservation& window, bool editorEnded,
                             const std::optional<FileStatus>& file) {
  ++ticks_;
  const std::optional<FileStatus> previous = last_;
  last_ = file;
  if (window.dialogClosed || window.quitRequested) return EditWaitState::kAbandoned;
  if (window.minimised) {
    if (*window.minimised) {
      seenMinimised_ = true;
    } else if (seenMinimised_) {
      return EditWaitState::kAbandoned;
    }
  }
  const bool changed = file != initial_;
  if (launcher_) {
    // The file counts once it was rewritten and has held still for a tick.
    return changed && file == previous ? EditWaitState::kEdited : EditWaitState::kWaiting;
  }
  if (!editorEnded) return EditWaitState::kWaiting;
  if (!changed && ticks_ <= kLauncherTicks) {
    launcher_ = true;
    return EditWaitState::kWaiting;
  }
  return EditWaitState::kEdited;
}

bool EditResultIsReported(int result) {
  return result != 0 && result != kMsgOutOfRange && result != kMsgNotUpdated;
}

int ExternalEdit::Prepare(const DocumentState& doc, const std::string& editorPath,
                          const DesktopEnvironment& desktop) {
  type_ = ChooseExchangeType(doc);
  if (type_ == ExchangeType::kNone) return kMsgOutOfRange;
  if (!folder_.Create("zel-edit-")) return kMsgFileError;
  path_ = folder_.path() + kExchangeFileName;
  int result = WriteExchangeFile(doc, type_, path_);
  if (result != 0) {
    folder_.Remove();
    return result == kMsgOutOfRange ? result : kMsgFileError;
  }
  initial_ = ReadFileStatus(path_);
  command_ = PaintProgramCommand(editorPath, path_, desktop);
  if (command_.empty()) {
    // Said to the user: without it Ctrl+E would do nothing without a word.
    folder_.Remove();
    return kMsgNoPaintProgram;
  }
  return 0;
}

int ExternalEdit::Start(DocumentState& doc) {
  transparentIndex_ = doc.frameSet ? doc.frameSet->transparentIndex : -1;
  if (command_.empty() || !editor_.Start(command_)) {
    folder_.Remove();
    return kMsgNotUpdated;
  }
  doc.flags |= kFlagBusy;
  wait_.emplace(initial_);
  return 0;
}

EditWaitState ExternalEdit::Tick(const WindowObservation& window) {
  if (!wait_) return EditWaitState::kAbandoned;
  return wait_->Tick(window, editor_.HasEnded(), ReadFileStatus(path_));
}

int ExternalEdit::Finish(DocumentState& doc, EditWaitState end) {
  doc.flags &= ~kFlagBusy;
  wait_.reset();
  int result = kMsgNotUpdated;
  if (end == EditWaitState::kEdited && folder_.created()) {
    std::optional<FileStatus> now = ReadFileStatus(path_);
    if (now && now != initial_) {
      doc.undo.TakeSnapshot(doc, kUndoEdit);
      // Paint programs save the frame bitmap in full colour; it goes back to 8 bits.
      if (IsAnimation(doc.kind) && doc.frameSet->paletteCount >= 0) ConvertFrameBitmapFile(path_);
      LoadContext context;
      result = LoadImageFile(doc, path_, LoadMode::kReload, context);
      if (result == 0 && (doc.kind == ImageKind::kGifPicture || doc.kind == ImageKind::kBitmap)) {
        doc.frameSet->transparentIndex = transparentIndex_ < 0 ? -1 : CurrentTransparentIndex(doc);
      }
    }
  }
  folder_.Remove();
  return result;
}

}  // namespace zel
