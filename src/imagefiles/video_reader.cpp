#include "imagefiles/video_reader.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "imagefiles/ffmpeg_library.h"
#include "imagefiles/memory_budget.h"
#include "platform/parallel.h"

namespace zel {
namespace {

// FFmpeg's functions; loaded by the first Open, which every other use follows.
const FfmpegLibrary& Ff() {
  return *LoadFfmpegLibrary();
}

}  // namespace

class VideoFrame {
 public:
  explicit VideoFrame(AVFrame* frame) : frame_(frame) {}
  ~VideoFrame() { Ff().av_frame_free(&frame_); }
  VideoFrame(const VideoFrame&) = delete;
  VideoFrame& operator=(const VideoFrame&) = delete;
  const AVFrame* Get() const { return frame_; }

 private:
  AVFrame* frame_;
};

namespace {

// The largest side of a decoded picture the program takes.
constexpr int kVideoSideMax = 16384;
// Decoded pictures the decoder and the scaling jobs may hold at once; the budget must hold
// this many of the largest.
constexpr uint64_t kPicturesInFlight = 24;
// Times closer than this count as the same (a picture due at a time is shown at it).
constexpr double kTimeSlack = 1e-6;
// A clip that stops sooner than this many frame intervals before the time its header
// promises is cut short.
constexpr double kEndSlackFrames = 2.5;

struct FormatClose {
  void operator()(AVFormatContext* p) const { Ff().avformat_close_input(&p); }
};
struct CodecFree {
  void operator()(AVCodecContext* p) const { Ff().avcodec_free_context(&p); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { Ff().av_packet_free(&p); }
};
struct FrameFree {
  void operator()(AVFrame* p) const { Ff().av_frame_free(&p); }
};
struct SwsFree {
  void operator()(SwsContext* p) const { Ff().sws_freeContext(p); }
};

bool SizeAccepted(int width, int height) {
  if (width <= 0 || height <= 0 || width > kVideoSideMax || height > kVideoSideMax) return false;
  // A decoded picture at up to four bytes a pixel, several of them at once.
  const uint64_t bytes = uint64_t(width) * uint64_t(height) * 4 * kPicturesInFlight;
  return bytes <= PictureMemoryBudget();
}

double Seconds(AVRational r) {
  return r.den == 0 ? 0.0 : static_cast<double>(r.num) / r.den;
}

}  // namespace

struct VideoReader::State {
  std::unique_ptr<AVFormatContext, FormatClose> format;
  std::unique_ptr<AVCodecContext, CodecFree> codec;
  int stream = -1;
  AVRational timeBase{0, 1};
  int64_t startPts = 0;
  VideoInfo info;
  bool used = false;
};

VideoReader::VideoReader(std::unique_ptr<State> state) : state_(std::move(state)) {}
VideoReader::~VideoReader() = default;

const VideoInfo& VideoReader::Info() const {
  return state_->info;
}

VideoStatus VideoReader::Open(const std::string& path, std::unique_ptr<VideoReader>* out) {
  out->reset();
  if (LoadFfmpegLibrary() == nullptr) return VideoStatus::kCannotRead;
  Ff().av_log_set_level(AV_LOG_QUIET);
  auto state = std::make_unique<State>();
  AVFormatContext* raw = nullptr;
  if (Ff().avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
    return VideoStatus::kCannotRead;
  }
  state->format.reset(raw);
  // The decoders that probe the streams, and the one that reads, refuse pictures beyond the
  // budget before they allocate them.
  const int64_t maxPixels = static_cast<int64_t>(
      std::min<uint64_t>(PictureMemoryBudget() / (4 * kPicturesInFlight), INT32_MAX));
  {
    std::vector<AVDictionary*> options(raw->nb_streams, nullptr);
    for (AVDictionary*& o : options) Ff().av_dict_set_int(&o, "max_pixels", maxPixels, 0);
    const int found = Ff().avformat_find_stream_info(raw, options.empty() ? nullptr : options.data());
    for (AVDictionary*& o : options) Ff().av_dict_free(&o);
    if (found < 0) return VideoStatus::kCannotRead;
  }
  const AVCodec* decoder = nullptr;
  const int stream = Ff().av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (stream < 0 || decoder == nullptr) return VideoStatus::kCannotRead;
  AVStream* s = raw->streams[stream];
  const AVCodecParameters* par = s->codecpar;
  if (par->width <= 0 || par->height <= 0) return VideoStatus::kCannotRead;
  if (!SizeAccepted(par->width, par->height)) return VideoStatus::kTooLarge;
  // Only the chosen stream is demuxed.
  for (unsigned i = 0; i < raw->nb_streams; ++i) {
    if (static_cast<int>(i) != stream) raw->streams[i]->discard = AVDISCARD_ALL;
  }
  state->codec.reset(Ff().avcodec_alloc_context3(decoder));
  if (!state->codec) return VideoStatus::kNoMemory;
  if (Ff().avcodec_parameters_to_context(state->codec.get(), par) < 0) return VideoStatus::kCannotRead;
  state->codec->thread_count = std::max(1, ParallelWorkers());
  state->codec->max_pixels = maxPixels;
  if (Ff().avcodec_open2(state->codec.get(), decoder, nullptr) < 0) return VideoStatus::kCannotRead;

  state->stream = stream;
  state->timeBase = s->time_base;
  if (state->timeBase.num <= 0 || state->timeBase.den <= 0) return VideoStatus::kCannotRead;
  state->startPts = s->start_time != AV_NOPTS_VALUE ? s->start_time : 0;
  VideoInfo& info = state->info;
  info.width = par->width;
  info.height = par->height;
  const AVRational sar = Ff().av_guess_sample_aspect_ratio(raw, s, nullptr);
  double display = par->width;
  if (sar.num > 0 && sar.den > 0) display = par->width * Seconds(sar);
  info.displayWidth = static_cast<int32_t>(std::clamp(std::lround(display), 1L, long{kVideoSideMax}));
  double duration = 0;
  if (s->duration != AV_NOPTS_VALUE && s->duration > 0) {
    duration = s->duration * Seconds(s->time_base);
  } else if (raw->duration != AV_NOPTS_VALUE && raw->duration > 0) {
    duration = static_cast<double>(raw->duration) / AV_TIME_BASE;
  }
  info.durationSeconds = std::isfinite(duration) && duration > 0 ? duration : 0;
  AVRational rate = s->avg_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) rate = s->r_frame_rate;
  const double fps = (rate.num > 0 && rate.den > 0) ? Seconds(rate) : 0;
  info.frameRate = std::isfinite(fps) && fps > 0 && fps < 1000 ? fps : 0;
  out->reset(new VideoReader(std::move(state)));
  return VideoStatus::kOk;
}

VideoStatus VideoReader::ReadFrames(double start, double fps, int count,
                                    const VideoFrameTaker& take) {
  State& st = *state_;
  if (st.used || !(fps > 0) || count <= 0 || !(start >= 0)) return VideoStatus::kCannotRead;
  st.used = true;
  AVFormatContext* format = st.format.get();
  AVCodecContext* codec = st.codec.get();
  const double tb = Seconds(st.timeBase);
  const double interval = st.info.frameRate > 0 ? 1.0 / st.info.frameRate : 0.04;

  if (start > 0) {
    const int64_t target = st.startPts + static_cast<int64_t>(std::floor(start / tb));
    // When the clip cannot seek, it is read from its beginning instead.
    if (Ff().av_seek_frame(format, st.stream, target, AVSEEK_FLAG_BACKWARD) >= 0) {
      Ff().avcodec_flush_buffers(codec);
    }
  }

  std::unique_ptr<AVPacket, PacketFree> packet(Ff().av_packet_alloc());
  std::unique_ptr<AVFrame, FrameFree> decoded(Ff().av_frame_alloc());
  if (!packet || !decoded) return VideoStatus::kNoMemory;

  bool draining = false, ended = false, failed = false;
  double lastTime = -1e300;
  // The next decoded picture and its time, or false at the end of the clip.
  auto next = [&](std::shared_ptr<const VideoFrame>* frame, double* time) -> bool {
    for (;;) {
      const int got = Ff().avcodec_receive_frame(codec, decoded.get());
      if (got == 0) {
        if (!SizeAccepted(decoded->width, decoded->height)) {
          failed = true;
          return false;
        }
        const int64_t pts = decoded->best_effort_timestamp;
        double t = pts != AV_NOPTS_VALUE ? (pts - st.startPts) * tb : lastTime + interval;
        if (!std::isfinite(t)) t = lastTime + interval;
        t = std::max(t, lastTime);  // times never run backwards
        if ((decoded->flags & AV_FRAME_FLAG_CORRUPT) != 0 && t + kTimeSlack >= start) {
          failed = true;
          return false;
        }
        AVFrame* held = Ff().av_frame_clone(decoded.get());
        Ff().av_frame_unref(decoded.get());
        if (held == nullptr) {
          failed = true;
          return false;
        }
        lastTime = t;
        *time = t;
        frame->reset(new (std::nothrow) VideoFrame(held));
        if (!*frame) {
          Ff().av_frame_free(&held);
          failed = true;
          return false;
        }
        return true;
      }
      if (got == AVERROR_EOF) {
        ended = true;
        return false;
      }
      if (got != AVERROR(EAGAIN)) {
        failed = true;
        return false;
      }
      if (draining) {  // nothing more will come
        ended = true;
        return false;
      }
      const int read = Ff().av_read_frame(format, packet.get());
      if (read == AVERROR_EOF) {
        draining = true;
        if (Ff().avcodec_send_packet(codec, nullptr) < 0) {
          ended = true;
          return false;
        }
        continue;
      }
      if (read < 0) {
        failed = true;
        return false;
      }
      if (packet->stream_index != st.stream) {
        Ff().av_packet_unref(packet.get());
        continue;
      }
      const bool corrupt = (packet->flags & AV_PKT_FLAG_CORRUPT) != 0;
      const int sent = Ff().avcodec_send_packet(codec, packet.get());
      Ff().av_packet_unref(packet.get());
      if (corrupt || (sent < 0 && sent != AVERROR(EAGAIN))) {
        failed = true;
        return false;
      }
    }
  };

  std::shared_ptr<const VideoFrame> current, pending;
  double pendingTime = 0;
  bool havePending = next(&pending, &pendingTime);
  if (failed) return VideoStatus::kCannotRead;
  if (!havePending) return VideoStatus::kCannotRead;  // not one picture
  const double promisedEnd = st.info.durationSeconds;
  for (int k = 0; k < count; ++k) {
    const double t = start + k / fps;
    while (havePending && pendingTime <= t + kTimeSlack) {
      current = std::move(pending);
      havePending = next(&pending, &pendingTime);
      if (failed) return VideoStatus::kCannotRead;
    }
    if (!current) {  // every picture so far lies after t: the first one stands for it
      current = std::move(pending);
      havePending = next(&pending, &pendingTime);
      if (failed) return VideoStatus::kCannotRead;
    }
    if (!havePending && ended && promisedEnd > 0 &&
        lastTime + kEndSlackFrames * interval < std::min(t, promisedEnd - interval)) {
      return VideoStatus::kCannotRead;  // the header promises pictures the file does not hold
    }
    if (!take(k, current)) return VideoStatus::kCancelled;
  }
  return VideoStatus::kOk;
}

namespace {

// Sets the conversion's source colour matrix and range to the frame's, where it states them.
void UseFrameColours(SwsContext* sws, const AVFrame* f) {
  int* invTable = nullptr;
  int* table = nullptr;
  int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
  if (Ff().sws_getColorspaceDetails(sws, &invTable, &srcRange, &table, &dstRange, &brightness,
                               &contrast, &saturation) < 0) {
    return;
  }
  const int space = f->colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : f->colorspace;
  if (f->color_range != AVCOL_RANGE_UNSPECIFIED) srcRange = f->color_range == AVCOL_RANGE_JPEG;
  Ff().sws_setColorspaceDetails(sws, Ff().sws_getCoefficients(space), srcRange, table, dstRange, brightness,
                           contrast, saturation);
}

}  // namespace

PackedDib ScaleVideoFrame(const VideoFrame& frame, int32_t width, int32_t height) {
  const AVFrame* f = frame.Get();
  if (width <= 0 || height <= 0 || width > kVideoSideMax || height > kVideoSideMax) return {};
  const auto format = static_cast<AVPixelFormat>(f->format);
  if (Ff().av_pix_fmt_desc_get(format) == nullptr) return {};
  // One pass from the source's format and size to 24 bits at the size, Lanczos, the way
  // FFmpeg's own scale filter makes its pictures.
  std::unique_ptr<SwsContext, SwsFree> sws(
      Ff().sws_getContext(f->width, f->height, format, width, height, AV_PIX_FMT_BGR24,
                     SWS_LANCZOS | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
  if (!sws) return {};
  UseFrameColours(sws.get(), f);
  PackedDib out = NewPicture(width, height, 24, 0);
  if (!out) return out;
  const int rowBytes = 3 * width;
  std::unique_ptr<uint8_t[]> rows(new (std::nothrow) uint8_t[size_t(rowBytes) * height + 64]);
  if (!rows) return {};
  uint8_t* dst[4] = {rows.get(), nullptr, nullptr, nullptr};
  int dstStride[4] = {rowBytes, 0, 0, 0};
  if (Ff().sws_scale(sws.get(), f->data, f->linesize, 0, f->height, dst, dstStride) != height) {
    return {};
  }
  const size_t stride = out.Stride();
  for (int32_t y = 0; y < height; ++y) {  // the picture is stored bottom-up
    std::memcpy(out.Pixels() + stride * (height - 1 - y), rows.get() + size_t(rowBytes) * y,
                static_cast<size_t>(rowBytes));
  }
  return out;
}

int32_t VideoHeightFor(const VideoInfo& info, int32_t width) {
  if (info.displayWidth <= 0 || info.height <= 0 || width <= 0) return 1;
  const double h = static_cast<double>(width) * info.height / info.displayWidth;
  return static_cast<int32_t>(std::clamp(std::lround(h), 1L, long{kVideoSideMax}));
}

}  // namespace zel
