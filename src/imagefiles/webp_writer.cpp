#include "imagefiles/webp_writer.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <memory>
#include <new>

#include "platform/file_io.h"

namespace zel {
namespace {

PictureWriteResult EncoderResult(WebPEncodingError error) {
  switch (error) {
    case VP8_ENC_OK:
      return PictureWriteResult::kOk;
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
      return PictureWriteResult::kNoMemory;
    case VP8_ENC_ERROR_BAD_DIMENSION:
      return PictureWriteResult::kTooLarge;
    default:
      return PictureWriteResult::kEncoderFailed;
  }
}

// The encoder's settings: lossless at the default effort, or lossy at the quality.
bool Configure(const WebpOptions& options, WebPConfig* config) {
  if (!WebPConfigInit(config)) return false;
  if (options.lossy) {
    config->lossless = 0;
    config->quality = static_cast<float>(std::clamp(options.quality, 0, 100));
  } else {
    config->lossless = 1;
    config->quality = 75;  // the effort of the lossless search
    config->method = 4;
  }
  config->thread_level = 1;
  return WebPValidateConfig(config) != 0;
}

struct PictureDeleter {
  void operator()(WebPPicture* p) const {
    WebPPictureFree(p);
    delete p;
  }
};
using PicturePtr = std::unique_ptr<WebPPicture, PictureDeleter>;

// A WebPPicture of the RGBA pixels (kept as ARGB, which the lossless encoder takes as is).
PictureWriteResult MakePicture(const std::vector<uint8_t>& rgba, int32_t width, int32_t height,
                               PicturePtr& picture) {
  picture.reset(new WebPPicture);
  if (!WebPPictureInit(picture.get())) return PictureWriteResult::kEncoderFailed;
  picture->use_argb = 1;
  picture->width = width;
  picture->height = height;
  if (!WebPPictureImportRGBA(picture.get(), rgba.data(), width * 4)) {
    return PictureWriteResult::kNoMemory;
  }
  return PictureWriteResult::kOk;
}

struct AnimEncoderDeleter {
  void operator()(WebPAnimEncoder* e) const { WebPAnimEncoderDelete(e); }
};

PictureWriteResult CheckSize(int32_t width, int32_t height) {
  return width > kWebpMaxSide || height > kWebpMaxSide ? PictureWriteResult::kTooLarge
                                                       : PictureWriteResult::kOk;
}

}  // namespace

PictureWriteResult BuildWebpAnimation(const FrameSet& frames, const WebpOptions& options,
                                      ProgressSink* progress, std::vector<uint8_t>& out) {
  out.clear();
  std::vector<PictureLayout> layouts;
  if (const auto checked = CheckAnimationFrames(frames, &layouts);
      checked != PictureWriteResult::kOk) {
    return checked;
  }
  const int32_t width = layouts[0].width;
  const int32_t height = layouts[0].height;
  if (const auto fits = CheckSize(width, height); fits != PictureWriteResult::kOk) return fits;
  try {
    WebPConfig config;
    if (!Configure(options, &config)) return PictureWriteResult::kEncoderFailed;
    WebPAnimEncoderOptions animOptions;
    if (!WebPAnimEncoderOptionsInit(&animOptions)) return PictureWriteResult::kEncoderFailed;
    animOptions.anim_params.loop_count = static_cast<int>(PlaysOfLoopCount(frames.loopCount));
    animOptions.anim_params.bgcolor = 0x00000000;  // clear
    animOptions.minimize_size = 0;
    animOptions.allow_mixed = 0;
    std::unique_ptr<WebPAnimEncoder, AnimEncoderDeleter> encoder(
        WebPAnimEncoderNew(width, height, &animOptions));
    if (!encoder) return PictureWriteResult::kNoMemory;

    std::vector<uint8_t> rgba;
    int64_t timestamp = 0;  // milliseconds
    for (int i = 0; i < frames.count; ++i) {
      if (progress != nullptr) {
        progress->ReportProgress(static_cast<int>(static_cast<int64_t>(i) * 100 / frames.count));
        if (progress->TakeCancel()) return PictureWriteResult::kCancelled;
      }
      const Frame& frame = frames.frame(i);
      PictureToRgba(frame.image, layouts[static_cast<size_t>(i)], frames.transparentIndex, rgba);
      PicturePtr picture;
      if (const auto made = MakePicture(rgba, width, height, picture);
          made != PictureWriteResult::kOk) {
        return made;
      }
      if (timestamp > INT32_MAX) return PictureWriteResult::kEncoderFailed;
      if (!WebPAnimEncoderAdd(encoder.get(), picture.get(), static_cast<int>(timestamp),
                              &config)) {
        const auto result = EncoderResult(picture->error_code);
        return result == PictureWriteResult::kOk ? PictureWriteResult::kEncoderFailed : result;
      }
      timestamp += 10 * static_cast<int64_t>(std::max<int32_t>(frame.delay, 0));
    }
    if (timestamp > INT32_MAX ||
        !WebPAnimEncoderAdd(encoder.get(), nullptr, static_cast<int>(timestamp), nullptr)) {
      return PictureWriteResult::kEncoderFailed;
    }
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAssemble(encoder.get(), &data)) return PictureWriteResult::kNoMemory;
    try {
      out.assign(data.bytes, data.bytes + data.size);
    } catch (const std::bad_alloc&) {
      WebPDataClear(&data);
      throw;
    }
    WebPDataClear(&data);
  } catch (const std::bad_alloc&) {
    out.clear();
    return PictureWriteResult::kNoMemory;
  }
  if (progress != nullptr) progress->ReportProgress(100);
  return PictureWriteResult::kOk;
}

PictureWriteResult BuildWebpPicture(const PackedDib& picture, int32_t transparentIndex,
                                    const WebpOptions& options, std::vector<uint8_t>& out) {
  out.clear();
  PictureLayout layout;
  if (const auto checked = CheckPictureLayout(picture, &layout);
      checked != PictureWriteResult::kOk) {
    return checked;
  }
  if (const auto fits = CheckSize(layout.width, layout.height);
      fits != PictureWriteResult::kOk) {
    return fits;
  }
  try {
    WebPConfig config;
    if (!Configure(options, &config)) return PictureWriteResult::kEncoderFailed;
    std::vector<uint8_t> rgba;
    PictureToRgba(picture, layout, layout.bits == 8 ? transparentIndex : -1, rgba);
    PicturePtr webpPicture;
    if (const auto made = MakePicture(rgba, layout.width, layout.height, webpPicture);
        made != PictureWriteResult::kOk) {
      return made;
    }
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    webpPicture->writer = WebPMemoryWrite;
    webpPicture->custom_ptr = &writer;
    const bool encoded = WebPEncode(&config, webpPicture.get()) != 0;
    const PictureWriteResult result =
        encoded ? PictureWriteResult::kOk : EncoderResult(webpPicture->error_code);
    if (encoded) {
      try {
        out.assign(writer.mem, writer.mem + writer.size);
      } catch (const std::bad_alloc&) {
        WebPMemoryWriterClear(&writer);
        throw;
      }
    }
    WebPMemoryWriterClear(&writer);
    if (!encoded) {
      return result == PictureWriteResult::kOk ? PictureWriteResult::kEncoderFailed : result;
    }
  } catch (const std::bad_alloc&) {
    out.clear();
    return PictureWriteResult::kNoMemory;
  }
  return PictureWriteResult::kOk;
}

PictureWriteResult WriteWebpAnimation(const FrameSet& frames, const std::string& path,
                                      const WebpOptions& options, ProgressSink* progress) {
  std::vector<uint8_t> bytes;
  const PictureWriteResult built = BuildWebpAnimation(frames, options, progress, bytes);
  if (built != PictureWriteResult::kOk) return built;
  return WriteFileAtomically(path, bytes.data(), bytes.size()) ? PictureWriteResult::kOk
                                                               : PictureWriteResult::kCannotWrite;
}

PictureWriteResult WriteWebpPicture(const PackedDib& picture, int32_t transparentIndex,
                                    const std::string& path, const WebpOptions& options) {
  std::vector<uint8_t> bytes;
  const PictureWriteResult built = BuildWebpPicture(picture, transparentIndex, options, bytes);
  if (built != PictureWriteResult::kOk) return built;
  return WriteFileAtomically(path, bytes.data(), bytes.size()) ? PictureWriteResult::kOk
                                                               : PictureWriteResult::kCannotWrite;
}

}  // namespace zel
