#include "generators/video_animation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

#include "color/quality_quantizer.h"
#include "document/edit_transaction.h"
#include "generators/picture_to_animation.h"
#include "imagefiles/memory_budget.h"
#include "platform/parallel.h"
#include "platform/progress.h"
#include "resources/string_table.h"

namespace zel {
namespace {

// Source pictures decoded and scaled together before the decoder waits for the scaling:
// enough to keep both cores busy, few enough that decoded pictures do not pile up.
constexpr int kScaleBatch = 12;
// Shares of the progress bar: decoding and scaling, then the palette, then the mapping.
constexpr int kDecodeShare = 60;
constexpr int kPaletteShare = 10;

void Report(ProgressSink* sink, int percent) {
  if (sink) sink->ReportProgress(std::clamp(percent, 0, 100));
}

bool Cancelled(ProgressSink* sink) {
  return sink != nullptr && sink->TakeCancel();
}

VideoImportResult FromStatus(VideoStatus status) {
  switch (status) {
    case VideoStatus::kOk:
      return VideoImportResult::kDone;
    case VideoStatus::kTooLarge:
      return VideoImportResult::kTooLarge;
    case VideoStatus::kNoMemory:
      return VideoImportResult::kNoMemory;
    case VideoStatus::kCancelled:
      return VideoImportResult::kCancelled;
    case VideoStatus::kCannotRead:
      break;
  }
  return VideoImportResult::kBadFile;
}

bool SameSize(const PackedDib& a, const PackedDib& b) {
  const DibHeader ha = a.Header(), hb = b.Header();
  return ha.width == hb.width && ha.height == hb.height;
}

}  // namespace

const char* VideoImportMessage(VideoImportResult result) {
  switch (result) {
    case VideoImportResult::kDone:
    case VideoImportResult::kCancelled:
      return nullptr;
    case VideoImportResult::kBadFile:
      return MessageText(kMsgBadVideoFile);
    case VideoImportResult::kBadSettings:
      return Say({"動画の開始、長さ、コマ数/秒、幅または色数が範囲外です．",
                  "The start, length, frames per second, width or colours are out of range."});
    case VideoImportResult::kTooManyFrames:
      return Say({"コマ数がコマ数の上限を超えています．長さかコマ数/秒を小さくしてください．",
                  "There are more frames than the frame maximum. "
                  "Shorten the length or lower the frames per second."});
    case VideoImportResult::kTooLarge:
      return Say({"アニメが大きすぎてメモリに入りません．幅、長さかコマ数/秒を小さくしてください．",
                  "The animation would not fit in memory. "
                  "Lower the width, the length or the frames per second."});
    case VideoImportResult::kNoMemory:
      return MessageText(kMsgNoMemory);
    case VideoImportResult::kCannotConvert:
      return MessageText(kMsgCannotConvert);
  }
  return nullptr;
}

VideoImportPlan PlanVideoImport(const VideoInfo& info, const VideoImportSettings& settings,
                                int frameMax) {
  VideoImportPlan plan;
  plan.start = settings.start;
  const double duration = info.durationSeconds;
  const bool inRange =
      std::isfinite(settings.fps) && settings.fps >= kVideoFpsMin &&
      settings.fps <= kVideoFpsMax && settings.colors >= kVideoColorsMin &&
      settings.colors <= kVideoColorsMax &&
      (settings.width == 0 ||
       (settings.width >= kVideoWidthMin && settings.width <= kVideoWidthMax)) &&
      std::isfinite(settings.start) && settings.start >= 0 && std::isfinite(settings.length) &&
      settings.length >= 0 && (duration > 0 ? settings.start < duration : settings.length > 0);
  if (!inRange || info.displayWidth <= 0 || info.height <= 0) {
    plan.check = VideoImportResult::kBadSettings;
    return plan;
  }
  const double left = duration > 0 ? duration - settings.start : settings.length;
  plan.length = settings.length > 0 ? std::min(settings.length, left) : left;
  const double frames = std::ceil(plan.length * settings.fps - 1e-6);
  plan.frames = static_cast<int>(std::clamp(frames, 1.0, 1e9));
  plan.width = settings.width > 0 ? settings.width
                                  : std::clamp(info.displayWidth, kVideoWidthMin, kVideoWidthMax);
  plan.height = VideoHeightFor(info, plan.width);
  const uint64_t indexed = 40 + 4 * uint64_t(settings.colors) +
                           uint64_t(RowStride(8, plan.width)) * uint64_t(plan.height) + 16;
  const uint64_t full = uint64_t(RowStride(24, plan.width)) * uint64_t(plan.height);
  plan.resultBytes = indexed * uint64_t(plan.frames);
  plan.workingBytes = full * uint64_t(plan.frames);
  if (plan.frames > frameMax) {
    plan.check = VideoImportResult::kTooManyFrames;
  } else if (plan.resultBytes + plan.workingBytes > PictureMemoryBudget()) {
    plan.check = VideoImportResult::kTooLarge;
  }
  return plan;
}

std::vector<int32_t> VideoFrameDelays(double fps, int frames) {
  std::vector<int32_t> delays;
  if (!(fps > 0) || frames <= 0) return delays;
  delays.reserve(static_cast<size_t>(frames));
  auto total = [fps](int k) { return static_cast<int64_t>(std::floor(100.0 * k / fps + 0.5)); };
  for (int k = 0; k < frames; ++k) delays.push_back(static_cast<int32_t>(total(k + 1) - total(k)));
  return delays;
}

void KeepSteadyIndices(const PackedDib& source, PackedDib& reference, PackedDib& reduced,
                       const PackedDib& previous) {
  if (!SameSize(source, reference) || !SameSize(source, reduced) || !SameSize(source, previous)) {
    return;
  }
  const DibHeader h = source.Header();
  const size_t fullStride = source.Stride(), indexStride = reduced.Stride();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* s = source.Pixels() + fullStride * y;
    uint8_t* r = reference.Pixels() + fullStride * y;
    uint8_t* d = reduced.Pixels() + indexStride * y;
    const uint8_t* p = previous.Pixels() + indexStride * y;
    for (int32_t x = 0; x < h.width; ++x, s += 3, r += 3) {
      if (std::abs(s[0] - r[0]) <= kVideoSteadyTolerance &&
          std::abs(s[1] - r[1]) <= kVideoSteadyTolerance &&
          std::abs(s[2] - r[2]) <= kVideoSteadyTolerance) {
        d[x] = p[x];
      } else {
        r[0] = s[0];
        r[1] = s[1];
        r[2] = s[2];
      }
    }
  }
}

PackedDib VideoPictureAt(const std::string& path, double start, int32_t width) {
  std::unique_ptr<VideoReader> reader;
  if (VideoReader::Open(path, &reader) != VideoStatus::kOk || width < 1 || width > kVideoWidthMax) {
    return {};
  }
  const int32_t height = VideoHeightFor(reader->Info(), width);
  if (uint64_t(RowStride(24, width)) * uint64_t(height) > PictureMemoryBudget()) return {};
  PackedDib picture;
  const VideoStatus read =
      reader->ReadFrames(std::max(start, 0.0), 1, 1, [&](int, std::shared_ptr<const VideoFrame> f) {
        picture = ScaleVideoFrame(*f, width, height);
        return true;
      });
  return read == VideoStatus::kOk ? std::move(picture) : PackedDib{};
}

VideoImportResult MakeVideoFrames(const std::string& path, const VideoImportSettings& settings,
                                  int frameMax, ProgressSink* sink,
                                  std::unique_ptr<FrameSet>* out) {
  out->reset();
  std::unique_ptr<VideoReader> reader;
  if (const VideoStatus opened = VideoReader::Open(path, &reader); opened != VideoStatus::kOk) {
    return FromStatus(opened);
  }
  const VideoImportPlan plan = PlanVideoImport(reader->Info(), settings, frameMax);
  if (plan.check != VideoImportResult::kDone) return plan.check;
  const int count = plan.frames;
  Report(sink, 0);

  // Decoding on this thread; each picture scaled by a job of the stream, a batch at a time.
  std::vector<PackedDib> full(static_cast<size_t>(count));
  {
    std::optional<ParallelStream> stream;
    stream.emplace();
    const VideoStatus read = reader->ReadFrames(
        plan.start, settings.fps, count,
        [&](int k, std::shared_ptr<const VideoFrame> frame) {
          stream->Add([&full, k, frame = std::move(frame), &plan] {
            full[static_cast<size_t>(k)] = ScaleVideoFrame(*frame, plan.width, plan.height);
          });
          if (k % kScaleBatch == kScaleBatch - 1) {
            stream->Finish();
            stream.emplace();
          }
          Report(sink, kDecodeShare * (k + 1) / count);
          return !Cancelled(sink);
        });
    stream->Finish();
    reader.reset();
    if (read != VideoStatus::kOk) return FromStatus(read);
  }
  for (const PackedDib& picture : full) {
    if (!picture) return VideoImportResult::kNoMemory;
  }

  // One palette from every frame's colours.
  std::vector<const PackedDib*> sources;
  sources.reserve(full.size());
  for (const PackedDib& picture : full) sources.push_back(&picture);
  const std::optional<std::vector<Rgbq>> palette =
      QualitySharedPalette(sources, settings.colors, settings.highQuality);
  if (!palette) return VideoImportResult::kCannotConvert;
  Report(sink, kDecodeShare + kPaletteShare);
  if (Cancelled(sink)) return VideoImportResult::kCancelled;

  // Every frame mapped on its own, on every core; then, in frame order, the pixels that did
  // not change keep the previous frame's index.
  std::vector<PackedDib> reduced(full.size());
  PackedDib reference;
  {
    ParallelJobs jobs(full.size(), [&](size_t i) {
      reduced[i] = QualityMapOntoPalette(full[i], *palette, settings.highQuality,
                                         settings.highQuality);
    });
    for (size_t i = 0; i < full.size(); ++i) {
      jobs.Wait(i);
      if (!reduced[i]) return VideoImportResult::kCannotConvert;
      if (i == 0) {
        reference = DuplicateBlock(full[0]);
        if (!reference) return VideoImportResult::kNoMemory;
      } else {
        KeepSteadyIndices(full[i], reference, reduced[i], reduced[i - 1]);
      }
      const int rest = 100 - kDecodeShare - kPaletteShare;
      Report(sink, kDecodeShare + kPaletteShare + rest * static_cast<int>(i + 1) / count);
      if (Cancelled(sink)) return VideoImportResult::kCancelled;
    }
  }
  reference.Reset();
  MoveSharedEntriesToMeans(sources, reduced);
  sources.clear();
  full.clear();

  std::unique_ptr<FrameSet> frames = FrameSet::Create(count);
  if (!frames) return VideoImportResult::kNoMemory;
  const std::vector<int32_t> delays = VideoFrameDelays(settings.fps, count);
  frames->screenWidth = plan.width;
  frames->screenHeight = plan.height;
  frames->transparentIndex = -1;
  frames->count = count;
  const uint32_t colors = reduced.front().ColorCount();
  std::copy_n(reduced.front().ColorTable(), colors, frames->palette.begin());
  frames->paletteCount = static_cast<int32_t>(colors);
  for (int i = 0; i < count; ++i) {
    Frame& frame = frames->frame(i);
    frame.image = std::move(reduced[static_cast<size_t>(i)]);
    frame.delay = delays[static_cast<size_t>(i)];
    frame.transparentIndex = -1;
  }
  Report(sink, 100);
  *out = std::move(frames);
  return VideoImportResult::kDone;
}

VideoImportResult OpenVideoAsAnimation(DocumentState& doc, const std::string& path,
                                       const VideoImportSettings& settings, ProgressSink* sink,
                                       uint32_t nowTick) {
  if (!doc.frameSet) return VideoImportResult::kNoMemory;
  const int frameMax = std::min(doc.frameMax, doc.frameSet->capacity());
  std::unique_ptr<FrameSet> frames;
  const VideoImportResult made = MakeVideoFrames(path, settings, frameMax, sink, &frames);
  if (made != VideoImportResult::kDone) return made;
  GeneratedAnimation generated;
  generated.source = DuplicateBlock(frames->frame(0).image);
  if (!generated.source) return VideoImportResult::kNoMemory;
  generated.frames = std::move(frames);
  // As a load: the new revision is unsaved and untitled, and the history of the replaced
  // document goes, only now that the new one is complete.
  EditTransaction edit(doc, kUndoMakeAnime, PlaybackRule::kRestart, nowTick);
  const Outcome installed = edit.Commit([&] {
    InstallGeneratedAnimation(doc, std::move(generated));
    doc.filePath = path;
    doc.fileTime = 0;
    doc.untitled = true;
    doc.undo.Reset();
    return true;
  });
  return installed.done() ? VideoImportResult::kDone : VideoImportResult::kNoMemory;
}

}  // namespace zel
