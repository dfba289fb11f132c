#include "generators/several_pictures.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "color/colour_key_reduction.h"
#include "color/index_color.h"
#include "color/quality_quantizer.h"
#include "document/colour_key.h"
#include "document/edit_transaction.h"
#include "generators/colour_census.h"
#include "generators/listed_picture.h"
#include "generators/picture_normalisation.h"
#include "generators/picture_to_animation.h"
#include "platform/parallel.h"
#include "platform/progress.h"
#include "resources/string_table.h"

namespace zel {
namespace {

// One file read and brought to the side: the result code and the picture. A picture with
// transparent pixels (a PNG file's) gives the census and the mapping a copy whose
// transparent pixels carry their neighbours' colour, and `transparent` marks them.
struct Normalised {
  int result = 0;
  PackedDib picture;
  PictureExtent extent;
  std::vector<uint8_t> transparent;
};

// An 8-bit picture's transparent entry (its "TIDX" trailer) gets a colour no other entry
// has, so that it survives the way to full colour as a key colour; that colour, if any.
std::optional<uint32_t> KeyTransparentEntry(PackedDib& picture) {
  int32_t index = -1;
  if (picture.Header().bitCount != 8 || !ReadTransparencyTrailer(picture, &index) || index < 0 ||
      static_cast<uint32_t>(index) >= picture.ColorCount()) {
    return std::nullopt;
  }
  const uint32_t colors = std::min<uint32_t>(picture.ColorCount(), 256);
  Rgbq* table = picture.ColorTable();
  for (uint32_t candidate = 0;; ++candidate) {
    bool taken = false;
    for (uint32_t i = 0; i < colors && !taken; ++i) {
      taken = static_cast<int32_t>(i) != index &&
              PixelColour(&table[i].blue) == candidate;
    }
    if (!taken) {
      table[index] = Rgbq{static_cast<uint8_t>(candidate >> 16),
                          static_cast<uint8_t>(candidate >> 8), static_cast<uint8_t>(candidate), 0};
      return candidate;
    }
  }
}

int NameResult(ListedName name) {
  switch (name) {
    case ListedName::kNoExtension:
      return kSeveralBadName;
    case ListedName::kUnsupported:
      return kSeveralUnsupported;
    default:
      return 0;
  }
}

Normalised ReadNormalised(const std::string& path, int side) {
  Normalised n;
  char letter = 0;
  if (int r = NameResult(ClassifyListedName(path, &letter)); r != 0) {
    n.result = r;
    return n;
  }
  PackedDib picture;
  if (const Outcome read = ReadListedPicture(path, letter, &picture); !read.done()) {
    n.result = read.message() == kMsgBadImageFile ? kSeveralUnreadable : MessageNumber(read.message());
    return n;
  }
  std::optional<uint32_t> key = KeyTransparentEntry(picture);
  if (!key) key = ReadColourKey(picture);
  n.picture = NormalisePicture(std::move(picture), side);
  if (!n.picture) {
    n.result = MessageNumber(kMsgCannotConvert);
    return n;
  }
  if (key) {
    WriteColourKey(n.picture, *key);
    bool failed = false;
    std::optional<KeyedPicture> keyed = SeparateColourKey(n.picture, &failed);
    if (failed) {
      n.result = MessageNumber(kMsgNoMemory);
      return n;
    }
    if (keyed) {
      n.picture = std::move(keyed->filled);
      n.transparent = std::move(keyed->mask);
    }
  }
  const DibHeader h = n.picture.Header();
  n.extent = {h.width, h.height};
  return n;
}

void Report(ProgressSink* sink, int percent) {
  if (sink) sink->ReportProgress(percent);
}

int Fail(SeveralPicturesFailure* failure, int result, int index) {
  if (failure) *failure = SeveralPicturesFailure{result, index};
  return result;
}

// One mapped frame of pass two.
struct Mapped {
  int result = 0;
  PackedDib picture;
  int32_t transparentIndex = -1;
};

std::unique_ptr<FrameSet> FramesOf(std::vector<PackedDib> pictures, int32_t transparentIndex,
                                   const SeveralPicturesOptions& options) {
  const int n = static_cast<int>(pictures.size());
  std::unique_ptr<FrameSet> frames = FrameSet::Create(n);
  if (!frames) return nullptr;
  const std::vector<int32_t> delays =
      SeveralPictureDelays(options.timeValue, n, options.perCycle, options.tempo);
  const DibHeader h = pictures.front().Header();
  frames->screenWidth = h.width;
  frames->screenHeight = h.height;
  frames->transparentIndex = transparentIndex;
  frames->count = n;
  for (int i = 0; i < n; ++i) {
    frames->frame(i).image = std::move(pictures[static_cast<size_t>(i)]);
    frames->frame(i).delay = delays[static_cast<size_t>(i)];
  }
  return frames;
}

// The high-quality way: every picture in full colour at once, one palette from all of them.
int MakeHighQuality(const std::vector<std::string>& paths, const SeveralPicturesOptions& options,
                    uint32_t backgroundColor, ProgressSink* sink, std::unique_ptr<FrameSet>* out,
                    SeveralPicturesFailure* failure) {
  const size_t n = paths.size();
  std::vector<Normalised> read(n);
  {
    ParallelJobs jobs(n, [&](size_t i) { read[i] = ReadNormalised(paths[i], options.side); });
    for (size_t i = 0; i < n; ++i) {
      jobs.Wait(i);
      Report(sink, static_cast<int>(50 * i / n));
      if (read[i].result != 0) return Fail(failure, read[i].result, static_cast<int>(i));
      if (!(read[i].extent == read[0].extent)) {
        return Fail(failure, kSeveralSizeDiffers, static_cast<int>(i));
      }
    }
  }
  std::vector<PackedDib> pictures;
  pictures.reserve(n);
  for (Normalised& r : read) pictures.push_back(std::move(r.picture));
  ColorChoices choices;
  choices.colorCountIndex = std::clamp(options.colorCountIndex, 0, 4) + 3;
  choices.transparentCorner = 0;
  choices.noDiffusion = false;
  // As many colours as the common palette would have, the transparent entry added after.
  std::optional<IndexedFrames> indexed = QualityConvertFrames(
      pictures, choices, backgroundColor, CommonPaletteLimit(options.colorCountIndex));
  if (!indexed || indexed->pictures.size() != n || indexed->transparentIndex < 0) {
    return Fail(failure, MessageNumber(kMsgCannotConvert), -1);
  }
  pictures.clear();
  for (size_t i = 0; i < n; ++i) {
    MarkKeyPixels(indexed->pictures[i], read[i].transparent, indexed->transparentIndex);
  }
  read.clear();
  Report(sink, 100);
  *out = FramesOf(std::move(indexed->pictures), indexed->transparentIndex, options);
  return *out ? 0 : Fail(failure, MessageNumber(kMsgNoMemory), -1);
}

}  // namespace

const char* SeveralPicturesMessage(int result) {
  switch (result) {
    case 0:
    case kSeveralTooFew:
      return nullptr;
    case kSeveralBadName:
      return Say({"画像ファイル名に誤りがあります．", "A picture file name is wrong."});
    case kSeveralUnsupported:
      return Say({"サポートしていない画像形式です．", "The picture format is not supported."});
    case kSeveralUnreadable:
      return Say({"画像ファイルが読み込みできません．", "A picture file cannot be read."});
    case kSeveralTooMany:
      return Say({"画像の数がコマ数の上限を超えています．",
                  "There are more pictures than the frame maximum."});
    case kSeveralSizeDiffers:
      return Say({"画像の幅、高さが他の画像と異なります．",
                  "A picture's width or height differs from the other pictures'."});
    default:
      return MessageText(static_cast<MessageId>(result));
  }
}

std::vector<int32_t> SeveralPictureDelays(int timeValue, int frames, bool perCycle, bool tempo) {
  return FrameDelays(timeValue, frames, perCycle, tempo);
}

int MakeSeveralPictureFrames(const std::vector<std::string>& paths,
                             const SeveralPicturesOptions& options, uint32_t backgroundColor,
                             int frameMax, ProgressSink* sink, std::unique_ptr<FrameSet>* out,
                             SeveralPicturesFailure* failure) {
  out->reset();
  if (failure) *failure = SeveralPicturesFailure{};
  const size_t n = paths.size();
  if (n < 2) return kSeveralTooFew;
  if (n > static_cast<size_t>(std::max(frameMax, 0))) {
    return Fail(failure, kSeveralTooMany, -1);
  }
  if (sink) sink->DisableCancel();
  Report(sink, 0);
  if (options.highQuality)
    return MakeHighQuality(paths, options, backgroundColor, sink, out, failure);

  // Pass one: each picture is read, reduced and counted, then let go; the censuses are
  // summed in list order.
  ColourCensus census;
  PictureExtent extent;
  {
    std::vector<int> results(n, 0);
    std::vector<PictureExtent> extents(n);
    std::vector<std::unique_ptr<ColourCensus>> counted(n);
    ParallelJobs jobs(n, [&](size_t i) {
      Normalised r = ReadNormalised(paths[i], options.side);
      results[i] = r.result;
      extents[i] = r.extent;
      if (r.result != 0) return;
      auto own = std::make_unique<ColourCensus>();
      own->Count(r.picture);
      counted[i] = std::move(own);
    });
    for (size_t i = 0; i < n; ++i) {
      jobs.Wait(i);
      Report(sink, static_cast<int>(50 * i / n));
      if (results[i] != 0) return Fail(failure, results[i], static_cast<int>(i));
      if (!(extents[i] == extents[0]))
        return Fail(failure, kSeveralSizeDiffers, static_cast<int>(i));
      census.Add(*counted[i]);
      counted[i].reset();
    }
    extent = extents[0];
  }
  const std::vector<Rgbq> palette =
      BuildCommonPalette(census, CommonPaletteLimit(options.colorCountIndex));

  // Pass two: read again, reduce, map onto the common palette, add the transparent slot.
  std::vector<Mapped> mapped(n);
  {
    ParallelJobs jobs(n, [&](size_t i) {
      Mapped& m = mapped[i];
      Normalised r = ReadNormalised(paths[i], options.side);
      if (r.result != 0) {
        m.result = r.result;
        return;
      }
      if (!(r.extent == extent)) {
        m.result = kSeveralSizeDiffers;
        return;
      }
      PackedDib indexed = MapToCommonPalette(r.picture, palette);
      r.picture.Reset();
      if (!indexed) {
        m.result = MessageNumber(kMsgNoMemory);
        return;
      }
      std::optional<IndexConversion> slot =
          AppendTransparentEntry(std::move(indexed), backgroundColor);
      if (!slot) {
        m.result = MessageNumber(kMsgCannotConvert);
        return;
      }
      m.picture = std::move(slot->picture);
      m.transparentIndex = slot->transparentIndex;
      MarkKeyPixels(m.picture, r.transparent, m.transparentIndex);
    });
    for (size_t i = 0; i < n; ++i) {
      jobs.Wait(i);
      Report(sink, static_cast<int>(50 + 50 * i / n));
      if (mapped[i].result != 0) return Fail(failure, mapped[i].result, static_cast<int>(i));
      // The pictures share the palette, so the slot is the same in every one.
      if (mapped[i].transparentIndex != mapped[0].transparentIndex) {
        return Fail(failure, MessageNumber(kMsgCannotConvert), static_cast<int>(i));
      }
    }
  }
  Report(sink, 100);
  const int32_t transparentIndex = mapped[0].transparentIndex;
  std::vector<PackedDib> pictures;
  pictures.reserve(n);
  for (Mapped& m : mapped) pictures.push_back(std::move(m.picture));
  *out = FramesOf(std::move(pictures), transparentIndex, options);
  return *out ? 0 : Fail(failure, MessageNumber(kMsgNoMemory), -1);
}

int MakeAnimationFromPictures(DocumentState& doc, const std::vector<std::string>& paths,
                              const SeveralPicturesOptions& options, ProgressSink* sink,
                              uint32_t nowTick, SeveralPicturesFailure* failure) {
  if (paths.size() < 2) return kSeveralTooFew;
  if (!doc.frameSet) return Fail(failure, MessageNumber(kMsgNoMemory), -1);
  const int frameMax = std::min(doc.frameMax, doc.frameSet->capacity());
  std::unique_ptr<FrameSet> frames;
  const int result = MakeSeveralPictureFrames(paths, options, doc.backgroundColor, frameMax, sink,
                                              &frames, failure);
  if (result != 0) return result;
  GeneratedAnimation generated;
  generated.source = DuplicateBlock(frames->frame(0).image);
  if (!generated.source) return Fail(failure, MessageNumber(kMsgNoMemory), -1);
  generated.frames = std::move(frames);
  // The new revision differs from the saved one, so the untitled result is unsaved. The
  // snapshot of the make-anime class is the smallest, and it goes with the rest of the
  // history: there is no way back to the document that was replaced.
  EditTransaction edit(doc, kUndoMakeAnime, PlaybackRule::kRestart, nowTick);
  const Outcome installed = edit.Commit([&] {
    InstallGeneratedAnimation(doc, std::move(generated));
    doc.filePath = paths.front();
    doc.fileTime = 0;
    doc.untitled = true;
    doc.undo.Reset();
    return true;
  });
  return installed.done() ? 0 : Fail(failure, MessageNumber(kMsgNoMemory), -1);
}

}  // namespace zel
