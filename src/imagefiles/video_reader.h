// Reading video clips through FFmpeg's libraries (libavformat, libavcodec, libswscale):
// the clip's size, length and rate, and its pictures at chosen times, scaled to 24 bits.
// Nothing of FFmpeg shows through this header.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "document/packed_dib.h"

namespace zel {

struct VideoInfo {
  int32_t width = 0;   // the coded picture
  int32_t height = 0;
  // The width the picture is shown at: the coded width with the pixel aspect ratio applied.
  int32_t displayWidth = 0;
  double durationSeconds = 0;  // 0 when the file does not say
  double frameRate = 0;        // frames per second; 0 when the file does not say
};

enum class VideoStatus {
  kOk,
  kCannotRead,  // not a video FFmpeg reads, no video stream, or damaged or cut short
  kTooLarge,    // the decoded pictures would not fit the memory budget
  kNoMemory,
  kCancelled,
};

// One decoded source picture, shared by every output time that shows it. Its pixels stay
// valid while any holder keeps it, on any thread.
class VideoFrame;

// Called for output frame `index` with the source picture shown at that time; false stops
// the reading (kCancelled).
using VideoFrameTaker = std::function<bool(int index, std::shared_ptr<const VideoFrame> frame)>;

class VideoReader {
 public:
  ~VideoReader();
  VideoReader(const VideoReader&) = delete;
  VideoReader& operator=(const VideoReader&) = delete;

  // Opens the clip's first video stream and checks that a decoded picture fits the budget.
  [[nodiscard]] static VideoStatus Open(const std::string& path,
                                        std::unique_ptr<VideoReader>* out);

  const VideoInfo& Info() const;

  // Hands over the pictures shown at start + k / fps for k = 0 .. count - 1, in order: for
  // each time the last picture whose time has come, or the clip's first picture for times
  // before it. Seeks near `start` first. A read or decode error, a picture the decoder marks
  // as damaged, or a clip that ends well before the last time while its header says it goes
  // on gives kCannotRead. A reader reads once.
  [[nodiscard]] VideoStatus ReadFrames(double start, double fps, int count,
                                       const VideoFrameTaker& take);

 private:
  struct State;
  explicit VideoReader(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// The frame scaled to `width` x `height` (Lanczos) as a bottom-up 24-bit picture; null when
// memory is short or the frame's format cannot be converted. Safe on any thread.
PackedDib ScaleVideoFrame(const VideoFrame& frame, int32_t width, int32_t height);

// The height a picture of `width` gets when the clip is scaled to it, aspect kept (at least 1).
int32_t VideoHeightFor(const VideoInfo& info, int32_t width);

}  // namespace zel
