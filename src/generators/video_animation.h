// A new animation from a video clip: the pictures at a chosen rate from a stretch of the
// clip, scaled to a width, reduced to one palette for all frames, with delays that keep the
// clip's time. Built apart from the document and installed only when complete.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "document/frame_set.h"
#include "imagefiles/video_reader.h"
#include "resources/words.h"

namespace zel {

class ProgressSink;

inline constexpr Words kVideoProgressCaption{"動画からｱﾆﾒ作成", "Animation from a video"};

// The limits of the settings.
inline constexpr double kVideoFpsMin = 1;
inline constexpr double kVideoFpsMax = 50;  // a delay of at least 2 hundredths
inline constexpr int kVideoWidthMin = 16;
inline constexpr int kVideoWidthMax = 4096;
inline constexpr int kVideoColorsMin = 16;
inline constexpr int kVideoColorsMax = 256;
// A pixel whose source colour is within this much (on each of red, green and blue) of the
// colour it had when its index was last chosen keeps that index in the next frame.
inline constexpr int kVideoSteadyTolerance = 3;

struct VideoImportSettings {
  double start = 0;   // seconds from the clip's beginning
  double length = 0;  // seconds; 0 or more than is left: to the end of the clip
  double fps = 10;
  int32_t width = 0;  // 0: the clip's own (display) width
  int colors = 256;
  bool highQuality = true;  // libimagequant's thorough search and error diffusion
};

enum class VideoImportResult {
  kDone,
  kCancelled,
  kBadFile,        // message 550
  kBadSettings,    // a setting outside its limits, or a start at or after the clip's end
  kTooManyFrames,  // more frames than the frame maximum
  kTooLarge,       // the frames would not fit the memory budget
  kNoMemory,
  kCannotConvert,  // the colour reduction failed
};

// The text to show for a result; nullptr for kDone and kCancelled.
const char* VideoImportMessage(VideoImportResult result);

// What the settings make of a clip.
struct VideoImportPlan {
  double start = 0;
  double length = 0;  // as it will be read: cut at the clip's end
  int frames = 0;
  int32_t width = 0, height = 0;
  uint64_t resultBytes = 0;   // the finished frames
  uint64_t workingBytes = 0;  // the full-colour frames held while the palette is made
  VideoImportResult check = VideoImportResult::kDone;  // kBadSettings, kTooManyFrames, kTooLarge
};

// The plan for `settings` on a clip described by `info`, with `frameMax` frames at most.
VideoImportPlan PlanVideoImport(const VideoInfo& info, const VideoImportSettings& settings,
                                int frameMax);

// The delays (hundredths) of `frames` frames at `fps`: frame k lasts
// round(100 (k + 1) / fps) - round(100 k / fps), so the running total stays true.
std::vector<int32_t> VideoFrameDelays(double fps, int frames);

// Where `source` (24-bit) is within kVideoSteadyTolerance of `reference` (the colours the
// previous frame's indices were chosen for), `reduced` takes `previous`'s index; elsewhere
// `reference` takes the new colour. All four of one size.
void KeepSteadyIndices(const PackedDib& source, PackedDib& reference, PackedDib& reduced,
                       const PackedDib& previous);

// The clip's picture shown at `start`, scaled to `width` (the height following the aspect
// ratio), as a 24-bit picture: the dialog's first frame. Null when it cannot be read.
PackedDib VideoPictureAt(const std::string& path, double start, int32_t width);

// Makes the frames: decoding, scaling, palette, mapping. The result does not depend on the
// number of threads. Progress and Cancel through `sink`.
VideoImportResult MakeVideoFrames(const std::string& path, const VideoImportSettings& settings,
                                  int frameMax, ProgressSink* sink, std::unique_ptr<FrameSet>* out);

// The command: makes the frames, then replaces the document with them (a new, untitled
// animation named after the clip, playback from the first frame at `nowTick`) and resets the
// undo history. On any failure or Cancel the document, its history included, is as it was.
VideoImportResult OpenVideoAsAnimation(DocumentState& doc, const std::string& path,
                                       const VideoImportSettings& settings, ProgressSink* sink,
                                       uint32_t nowTick);

}  // namespace zel
