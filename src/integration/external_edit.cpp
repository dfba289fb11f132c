#include "integration/external_edit.h"

#include "document/edit_transaction.h"
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

Outcome WriteExchangeFile(const DocumentState& doc, ExchangeType type, const std::string& path) {
  const Outcome nothingOpen = Outcome::Failed(kMsgOutOfRange);
  const Outcome notWritten = Outcome::Failed(kMsgFileError);
  switch (type) {
    case ExchangeType::kPicture:
      if (!doc.currentPicture) return nothingOpen;
      return WriteBmpFile(doc.currentPicture, path) ? Outcome::Done() : notWritten;
    case ExchangeType::kCurrentFrame: {
      const int current = doc.currentFrame;
      if (current < 0 || current >= doc.frameSet->count) return nothingOpen;
      const PackedDib& image = doc.frameSet->frame(current).image;
      if (!image) return nothingOpen;
      return WriteBmpFile(image, path) ? Outcome::Done() : notWritten;
    }
    case ExchangeType::kFrameBitmap:
      return WriteFrameBitmapFile(path, *doc.frameSet, doc.backgroundColor).done() ? Outcome::Done()
                                                                                   : notWritten;
    case ExchangeType::kNone:
      break;
  }
  return nothingOpen;
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

bool EditResultIsReported(const Outcome& result) {
  return result.failed() && result.message() != kMsgOutOfRange &&
         result.message() != kMsgNotUpdated;
}

Outcome ExternalEdit::Prepare(const DocumentState& doc, const std::string& editorPath,
                              const DesktopEnvironment& desktop) {
  type_ = ChooseExchangeType(doc);
  if (type_ == ExchangeType::kNone) return Outcome::Failed(kMsgOutOfRange);
  if (!folder_.Create("zel-edit-")) return Outcome::Failed(kMsgFileError);
  path_ = folder_.path() + kExchangeFileName;
  const Outcome written = WriteExchangeFile(doc, type_, path_);
  if (!written.done()) {
    folder_.Remove();
    return written.message() == kMsgOutOfRange ? written : Outcome::Failed(kMsgFileError);
  }
  initial_ = ReadFileStatus(path_);
  command_ = PaintProgramCommand(editorPath, path_, desktop);
  if (command_.empty()) {
    // Said to the user: without it Ctrl+E would do nothing without a word.
    folder_.Remove();
    return Outcome::Failed(kMsgNoPaintProgram);
  }
  return Outcome::Done();
}

Outcome ExternalEdit::Start(DocumentState& doc) {
  transparentIndex_ = doc.frameSet ? doc.frameSet->transparentIndex : -1;
  if (command_.empty() || !editor_.Start(command_)) {
    folder_.Remove();
    return Outcome::Failed(kMsgNotUpdated);
  }
  busy_.emplace(doc);
  wait_.emplace(initial_);
  return Outcome::Done();
}

EditWaitState ExternalEdit::Tick(const WindowObservation& window) {
  if (!wait_) return EditWaitState::kAbandoned;
  return wait_->Tick(window, editor_.HasEnded(), ReadFileStatus(path_));
}

Outcome ExternalEdit::Finish(DocumentState& doc, EditWaitState end) {
  busy_.reset();
  wait_.reset();
  Outcome result = Outcome::Failed(kMsgNotUpdated);
  if (end == EditWaitState::kEdited && folder_.created()) {
    std::optional<FileStatus> now = ReadFileStatus(path_);
    if (now && now != initial_) {
      // Paint programs save the frame bitmap in full colour; it goes back to 8 bits.
      if (IsAnimation(doc.kind) && doc.frameSet->paletteCount >= 0) ConvertFrameBitmapFile(path_);
      EditTransaction edit(doc, kUndoEdit);
      result = edit.Commit([&] {
        LoadContext context;
        const Outcome loaded = LoadImageFile(doc, path_, LoadMode::kReload, context);
        if (loaded.done() &&
            (doc.kind == ImageKind::kGifPicture || doc.kind == ImageKind::kBitmap)) {
          doc.frameSet->transparentIndex =
              transparentIndex_ < 0 ? -1 : CurrentTransparentIndex(doc);
        }
        return loaded;
      });
    }
  }
  folder_.Remove();
  return result;
}

}  // namespace zel
