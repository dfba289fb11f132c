#include "imagefiles/image_loader.h"

#include <memory>

#include "document/edit_transaction.h"
#include "imagefiles/apng_reader.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/file_names.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/jpeg_errors.h"
#include "imagefiles/jpeg_reader.h"
#include "imagefiles/png_reader.h"
#include "imagefiles/webp_reader.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "resources/string_table.h"

namespace zel {
namespace {

// What a reader produced, before anything of the document changes.
struct Loaded {
  ImageKind kind = ImageKind::kNone;
  PackedDib picture;
  std::unique_ptr<FrameSet> frames;  // two or more frames: an animation
  int32_t transparentIndex = -1;     // of a single picture
  // The current frame of a local-palette animation is replaced by a copy of the picture.
  bool replacesCurrentFrame = false;
};

// Pictures of 8 bits or fewer become 8-bit pictures that keep only the colours they use.
// That fails only for a pixel beyond the colour table, which has no colour to show: such
// a picture is refused.
bool NormalizeSmallDepth(PackedDib& picture) {
  if (picture.size() < kDibHeaderSize || picture.Header().bitCount > 8) return true;
  PackedDib normal = NormalizeIndexedImage(picture, 256);
  if (!normal) return false;
  picture = std::move(normal);
  return true;
}

// An 8-bit picture whose transparent index travels in its "TIDX" trailer: it becomes the
// 8-bit picture of the colours it uses, and the index follows its entry (-1 when no pixel
// uses it, or when it lies outside the table).
bool NormalizeKeepingTransparency(PackedDib& picture, int32_t* transparentIndex) {
  *transparentIndex = -1;
  int32_t index = -1;
  if (picture.size() < kDibHeaderSize || picture.Header().bitCount != 8 ||
      !ReadTransparencyTrailer(picture, &index)) {
    return NormalizeSmallDepth(picture);
  }
  const DibHeader h = picture.Header();
  const uint32_t colors = picture.ColorCount();
  bool used[256] = {};
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int32_t x = 0; x < h.width; ++x) used[row[x]] = true;
  }
  if (!NormalizeSmallDepth(picture)) return false;
  if (index < 0 || static_cast<uint32_t>(index) >= colors || index > 255 || !used[index]) {
    return true;
  }
  int32_t before = 0;
  for (int32_t i = 0; i < index; ++i) before += used[i] ? 1 : 0;
  *transparentIndex = before;
  return true;
}

// Every pixel of an 8-bit picture names an entry of its table.
bool PixelsWithinTable(const PackedDib& picture) {
  const DibHeader h = picture.Header();
  const uint32_t colors = picture.ColorCount();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int32_t x = 0; x < h.width; ++x) {
      if (row[x] >= colors) return false;
    }
  }
  return true;
}

// Frames read into a temporary set become either an animation or a single picture.
Outcome TakeFrames(std::unique_ptr<FrameSet> frames, ImageKind animationKind, ImageKind pictureKind,
               Loaded& out) {
  if (frames->count >= 2) {
    out.picture = DuplicateBlock(frames->frame(0).image);
    if (!out.picture) return Outcome::Failed(kMsgNoMemory);
    out.kind = animationKind;
    out.frames = std::move(frames);
    return Outcome::Done();
  }
  if (frames->count == 1) {
    out.picture = std::move(frames->frame(0).image);
    out.transparentIndex = frames->frame(0).transparentIndex;
  }
  out.kind = pictureKind;
  return out.picture ? Outcome::Done() : Outcome::Failed(kMsgBadImageFile);
}

std::unique_ptr<FrameSet> NewTemporarySet(const DocumentState& doc) {
  return FrameSet::Create(doc.frameMax);
}

Outcome ReadFile(DocumentState& doc, const std::string& path, char letter, LoadContext& context,
             Loaded& out) {
  switch (letter) {
    case 'b': {
      if (IsFrameBitmapFile(path)) {
        std::unique_ptr<FrameSet> frames = NewTemporarySet(doc);
        if (!frames) return Outcome::Failed(kMsgNoMemory);
        if (ReadFrameBitmapFile(path, *frames, &context.framesInFile).done()) {
          return TakeFrames(std::move(frames), ImageKind::kFrameAnimation, ImageKind::kBitmap, out);
        }
      }
      context.framesInFile = 0;
      if (int code = ReadBmpFile(out.picture, path); code != 0) {
        return Outcome::Failed(ReaderFailureMessage(letter, code));
      }
      if (!out.picture || !NormalizeSmallDepth(out.picture)) return Outcome::Failed(kMsgBadImageFile);
      out.kind = ImageKind::kBitmap;
      out.replacesCurrentFrame = doc.frameSet->paletteCount < 0;
      return Outcome::Done();
    }
    case 'g': {
      std::unique_ptr<FrameSet> frames = NewTemporarySet(doc);
      if (!frames) return Outcome::Failed(kMsgNoMemory);
      if (int code = LoadGifAnimationFile(path, *frames, doc.frameMax, &context.framesInFile);
          code != kGifReadOk) {
        return Outcome::Failed(ReaderFailureMessage(letter, code));
      }
      const Outcome result =
          TakeFrames(std::move(frames), ImageKind::kGifAnimation, ImageKind::kGifPicture, out);
      if (result.done() && context.lastImagePath) *context.lastImagePath = path;
      return result;
    }
    case 'j':
      if (int code = ReadJpegFile(out.picture, path, 1, nullptr); code != 0) {
        return Outcome::Failed(ReaderFailureMessage(letter, code));
      }
      if (!out.picture) return Outcome::Failed(kMsgBadImageFile);
      out.kind = ImageKind::kJpeg;
      if (context.lastImagePath) *context.lastImagePath = path;
      return Outcome::Done();
    case 'p': {
      std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
      if (!bytes) return Outcome::Failed(ReaderFailureMessage(letter, kPngCannotRead));
      // An animated PNG opens as an animation; any other as the still picture.
      std::unique_ptr<FrameSet> frames = NewTemporarySet(doc);
      if (!frames) return Outcome::Failed(kMsgNoMemory);
      const ApngReadResult animated = ReadApngData(bytes->data(), bytes->size(), *frames,
                                                   doc.frameMax, &context.framesInFile);
      if (animated == ApngReadResult::kOk) {
        Outcome result =
            TakeFrames(std::move(frames), ImageKind::kFrameAnimation, ImageKind::kBitmap, out);
        if (result.done() && out.kind == ImageKind::kBitmap &&
            !NormalizeKeepingTransparency(out.picture, &out.transparentIndex)) {
          return Outcome::Failed(kMsgBadImageFile);
        }
        if (result.done() && context.lastImagePath) *context.lastImagePath = path;
        return result;
      }
      if (animated != ApngReadResult::kNotAnimated) {
        context.framesInFile = 0;
        return Outcome::Failed(ReaderFailureMessage(letter, static_cast<int>(animated)));
      }
      context.framesInFile = 0;
      if (int code = ReadPngData(out.picture, bytes->data(), bytes->size(), nullptr); code != 0) {
        return Outcome::Failed(ReaderFailureMessage(letter, code));
      }
      // Transparency a GIF can hold comes as a transparent index, or as the key colour of a
      // full-colour picture, which the picture keeps.
      if (!out.picture || !NormalizeKeepingTransparency(out.picture, &out.transparentIndex)) {
        return Outcome::Failed(kMsgBadImageFile);
      }
      out.kind = ImageKind::kPng;
      if (context.lastImagePath) *context.lastImagePath = path;
      return Outcome::Done();
    }
    case 'w': {
      std::unique_ptr<FrameSet> frames = NewTemporarySet(doc);
      if (!frames) return Outcome::Failed(kMsgNoMemory);
      if (WebpReadResult code = ReadWebpFile(path, *frames, doc.frameMax, &context.framesInFile);
          code != WebpReadResult::kOk) {
        return Outcome::Failed(ReaderFailureMessage(letter, static_cast<int>(code)));
      }
      const Outcome result =
          TakeFrames(std::move(frames), ImageKind::kFrameAnimation, ImageKind::kBitmap, out);
      // A still picture comes in as a PNG file's: with alpha of 0 and 255 only, the
      // transparent entry or key colour; 8-bit pictures keep only the colours they use.
      if (result.done() && out.kind == ImageKind::kBitmap &&
          !NormalizeKeepingTransparency(out.picture, &out.transparentIndex)) {
        return Outcome::Failed(kMsgBadImageFile);
      }
      if (result.done() && context.lastImagePath) *context.lastImagePath = path;
      return result;
    }
    default:
      return Outcome::Failed(kMsgBadFileName);
  }
}

// A pasted or handed-over picture: a frame bitmap becomes an animation; an 8-bit picture
// may carry its transparent index behind its rows.
Outcome TakePicture(DocumentState& doc, PackedDib picture, LoadContext& context, Loaded& out) {
  if (!picture || picture.size() < kDibHeaderSize) return Outcome::Failed(kMsgNoPictureHandedOver);
  if (!IsWholePicture(picture)) return Outcome::Failed(kMsgBadImageFile);
  if (IsFrameBitmap(picture)) {
    std::unique_ptr<FrameSet> frames = NewTemporarySet(doc);
    if (!frames) return Outcome::Failed(kMsgNoMemory);
    if (ReadFrameBitmap(picture, *frames, &context.framesInFile).done()) {
      return TakeFrames(std::move(frames), ImageKind::kFrameAnimation, ImageKind::kBitmap, out);
    }
  }
  int32_t trailerIndex = -1;
  if (picture.Header().bitCount == 8 && ReadTransparencyTrailer(picture, &trailerIndex)) {
    // The picture keeps its table as it came, so that the index stays right.
    if (!PixelsWithinTable(picture)) return Outcome::Failed(kMsgBadImageFile);
    bool inTable = trailerIndex >= 0 && static_cast<uint32_t>(trailerIndex) < picture.ColorCount();
    out.transparentIndex = inTable ? trailerIndex : -1;
  } else if (!NormalizeSmallDepth(picture)) {
    return Outcome::Failed(kMsgBadImageFile);
  }
  out.picture = std::move(picture);
  out.kind = ImageKind::kBitmap;
  return Outcome::Done();
}

// Installs what was read. Nothing of the document changes when the picture cannot be shown.
Outcome Install(DocumentState& doc, Loaded& loaded, LoadMode mode, const std::string& path,
            const LoadContext& context) {
  if (!loaded.picture) return Outcome::Failed(kMsgBadImageFile);
  // A palette display needs its copy of the picture (reduced when deeper than 8 bits)
  // before anything of the document changes.
  PackedDib display;
  if (!doc.trueColorDisplay) {
    display = MakePaletteDisplayCopy(loaded.picture);
    if (!display) return Outcome::Failed(kMsgBadImageFile);
  }
  if (loaded.replacesCurrentFrame && doc.frameSet->count > 0) {
    int current = doc.currentFrame;
    if (current >= 0 && current < doc.frameSet->count) {
      PackedDib copy = DuplicateBlock(loaded.picture);
      if (!copy) return Outcome::Failed(kMsgNoMemory);
      doc.frameSet->frame(current).image = std::move(copy);
    }
  }
  if (loaded.frames) {
    // A reload (the external editor's frame bitmap) keeps what the file the frames came
    // from said about looping.
    if (mode == LoadMode::kReload) loaded.frames->loopCount = doc.frameSet->loopCount;
    doc.frameSet->TakeFrom(*loaded.frames);
  } else if (mode != LoadMode::kReload) {
    doc.frameSet->loopCount = kLoopForever;  // a picture made into an animation loops for ever
  }
  SetCurrentPicture(doc, std::move(loaded.picture), std::move(display));

  // A reload keeps the kind of the document it refreshes.
  ImageKind kind = mode == LoadMode::kReload ? doc.kind : loaded.kind;
  switch (kind) {
    case ImageKind::kJpeg:
      doc.frameSet->transparentIndex = -1;
      break;
    case ImageKind::kPng:
    case ImageKind::kBitmap:
    case ImageKind::kGifPicture:
      doc.frameSet->transparentIndex = loaded.transparentIndex;
      break;
    default:
      break;
  }
  if (mode != LoadMode::kReload) {
    doc.kind = kind;
    bool fromFile = mode == LoadMode::kOpen;
    doc.fileTime = fromFile ? FileModificationTime(path) : 0;
    doc.filePath = fromFile ? path : std::string();
    doc.untitled = false;
  }
  ApplyBackgroundColor(doc);
  if (IsAnimation(doc.kind)) {
    doc.lastFrameTick = context.nowTick;
    doc.currentFrame = 0;
    doc.flags &= ~(kFlagStopped | kFlagStep);
  } else {
    doc.frameSet->FreeFrames();
  }
  return Outcome::Done();
}

Outcome InstallAndStartHistory(DocumentState& doc, Loaded& loaded, LoadMode mode,
                               const std::string& path, const LoadContext& context) {
  const Outcome installed = Install(doc, loaded, mode, path, context);
  if (installed.done() && context.startHistory) doc.undo.Reset();
  return installed;
}

// The frames kept: those of the installed animation, or 1 for a picture. A file that held
// no more frames than were kept reports the kept count as its own.
void FinishReport(const DocumentState& doc, const Outcome& result, LoadContext& context) {
  if (!result.done()) {
    context.framesInFile = context.framesKept = 0;
    return;
  }
  context.framesKept = IsAnimation(doc.kind) ? doc.frameSet->count : 1;
  if (context.framesInFile < context.framesKept) context.framesInFile = context.framesKept;
}

}  // namespace

MessageId ReaderFailureMessage(char letter, int readerCode) {
  bool noMemory = false;
  bool tooLarge = false;
  switch (letter) {
    case 'b':
      noMemory = readerCode == kBmpNoMemory;
      tooLarge = readerCode == kBmpTooLarge;
      break;
    case 'g':
      noMemory = readerCode == kGifNoMemory;
      tooLarge = readerCode == kGifTooLarge;
      break;
    case 'j':
      // libjpeg's own allocations fail as the library's out-of-memory errors.
      noMemory = readerCode == kJpegNoMemory ||
                 readerCode == JpegReadLibraryCode(JERR_OUT_OF_MEMORY) ||
                 readerCode == JpegReadLibraryCode(JERR_NO_BACKING_STORE);
      tooLarge = readerCode == kJpegTooLarge;
      break;
    case 'p':
      noMemory = readerCode == kPngNoMemory;
      tooLarge = readerCode == kPngTooLarge;
      break;
    case 'w':
      noMemory = readerCode == static_cast<int>(WebpReadResult::kNoMemory);
      tooLarge = readerCode == static_cast<int>(WebpReadResult::kTooLarge);
      break;
    default:
      break;
  }
  if (tooLarge) return kMsgPictureTooLarge;
  return noMemory ? kMsgNoMemory : kMsgBadImageFile;
}

char ReaderLetter(const std::string& path) {
  char letter = LoaderLetter(path);
  switch (letter) {
    case 'b':
    case 'g':
    case 'j':
    case 'p':
      return letter;
    case 'w':
      // Of the names beginning with "w" only WebP files are pictures the program reads.
      return HasExtensionIgnoringCase(path, "webp") ? letter : 0;
    default:
      return 0;
  }
}

Outcome LoadImageFile(DocumentState& doc, const std::string& path, LoadMode mode,
                      LoadContext& context) {
  context.framesInFile = context.framesKept = 0;
  if (mode == LoadMode::kHandOver) return Outcome::Failed(kMsgNoPictureHandedOver);
  const uint32_t oldFlags = doc.flags;
  doc.flags = (doc.flags | kFlagLoaded | kFlagStopped) & ~kFlagStep;

  Loaded loaded;
  Outcome result = Outcome::Done();
  if (mode == LoadMode::kClipboard) {
    PackedDib picture = context.clipboard ? context.clipboard->ReadPicture() : PackedDib();
    result = TakePicture(doc, std::move(picture), context, loaded);
  } else {
    if (mode == LoadMode::kReload && IsAnimation(doc.kind) && doc.frameSet->paletteCount >= 0 &&
        !IsFrameBitmapFile(path)) {
      result = Outcome::Failed(kMsgNotFrameBitmap);
    } else {
      char letter = ReaderLetter(path);
      result = letter ? ReadFile(doc, path, letter, context, loaded)
                      : Outcome::Failed(kMsgBadFileName);
    }
  }
  if (result.done()) {
    if (mode == LoadMode::kReload) {
      // A reload is part of the caller's edit, which commits it.
      result = Install(doc, loaded, mode, path, context);
    } else {
      EditTransaction load(doc, EditTransaction::kLoad);
      result = load.Commit([&] { return InstallAndStartHistory(doc, loaded, mode, path, context); });
    }
  }
  FinishReport(doc, result, context);
  if (!result.done()) doc.flags = oldFlags;
  return result;
}

Outcome LoadHandedOverPicture(DocumentState& doc, PackedDib picture, LoadContext& context) {
  context.framesInFile = context.framesKept = 0;
  const uint32_t oldFlags = doc.flags;
  doc.flags = (doc.flags | kFlagLoaded | kFlagStopped) & ~kFlagStep;
  Loaded loaded;
  Outcome result = TakePicture(doc, std::move(picture), context, loaded);
  if (result.done()) {
    EditTransaction load(doc, EditTransaction::kLoad);
    result = load.Commit([&] {
      return InstallAndStartHistory(doc, loaded, LoadMode::kHandOver, std::string(), context);
    });
  }
  FinishReport(doc, result, context);
  if (!result.done()) doc.flags = oldFlags;
  return result;
}

}  // namespace zel
