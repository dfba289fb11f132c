#include "support/webp_builder.h"

#include <webp/encode.h>

#include <cstring>
#include <stdexcept>

namespace zel::testing {
namespace {

void Le(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Chunk(std::vector<uint8_t>& out, const char* fourcc, const std::vector<uint8_t>& payload) {
  out.insert(out.end(), fourcc, fourcc + 4);
  Le(out, static_cast<uint32_t>(payload.size()), 4);
  out.insert(out.end(), payload.begin(), payload.end());
  if (payload.size() % 2 != 0) out.push_back(0);
}

std::vector<uint8_t> Riff(const std::vector<uint8_t>& chunks) {
  std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
  Le(file, static_cast<uint32_t>(chunks.size() + 4), 4);
  file.insert(file.end(), {'W', 'E', 'B', 'P'});
  file.insert(file.end(), chunks.begin(), chunks.end());
  return file;
}

// The VP8L chunk (header and payload) libwebp writes for the pixels.
std::vector<uint8_t> LosslessChunk(const WebpPixels& pixels) {
  WebPConfig config;
  WebPPicture picture;
  if (!WebPConfigInit(&config) || !WebPPictureInit(&picture)) throw std::runtime_error("webp");
  config.lossless = 1;
  config.exact = 1;
  config.quality = 10;
  config.method = 0;
  picture.use_argb = 1;
  picture.width = pixels.width;
  picture.height = pixels.height;
  WebPMemoryWriter writer;
  WebPMemoryWriterInit(&writer);
  picture.writer = WebPMemoryWrite;
  picture.custom_ptr = &writer;
  const bool ok = WebPPictureImportBGRA(&picture, pixels.bgra.data(), pixels.width * 4) &&
                  WebPEncode(&config, &picture);
  WebPPictureFree(&picture);
  std::vector<uint8_t> file(writer.mem, writer.mem + writer.size);
  WebPMemoryWriterClear(&writer);
  if (!ok || file.size() < 20 || std::memcmp(file.data() + 12, "VP8L", 4) != 0) {
    throw std::runtime_error("libwebp could not encode the test frame");
  }
  return std::vector<uint8_t>(file.begin() + 12, file.end());
}

}  // namespace

WebpPixels WebpPixels::Filled(int width, int height, uint32_t argb) {
  WebpPixels p;
  p.width = width;
  p.height = height;
  p.bgra.resize(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p.Set(x, y, argb);
  }
  return p;
}

void WebpPixels::Set(int x, int y, uint32_t argb) {
  uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
  p[0] = static_cast<uint8_t>(argb);
  p[1] = static_cast<uint8_t>(argb >> 8);
  p[2] = static_cast<uint8_t>(argb >> 16);
  p[3] = static_cast<uint8_t>(argb >> 24);
}

std::vector<uint8_t> LosslessWebp(const WebpPixels& pixels) {
  return Riff(LosslessChunk(pixels));
}

WebpAnimationBuilder::WebpAnimationBuilder(int canvasWidth, int canvasHeight, int plays)
    : width_(canvasWidth), height_(canvasHeight), plays_(plays) {}

WebpAnimationBuilder& WebpAnimationBuilder::Frame(const WebpPixels& pixels, int x, int y,
                                                  int durationMs, bool blend, bool dispose) {
  std::vector<uint8_t> payload;
  Le(payload, static_cast<uint32_t>(x / 2), 3);
  Le(payload, static_cast<uint32_t>(y / 2), 3);
  Le(payload, static_cast<uint32_t>(pixels.width - 1), 3);
  Le(payload, static_cast<uint32_t>(pixels.height - 1), 3);
  Le(payload, static_cast<uint32_t>(durationMs), 3);
  payload.push_back(static_cast<uint8_t>((blend ? 0 : 2) | (dispose ? 1 : 0)));
  const std::vector<uint8_t> image = LosslessChunk(pixels);
  payload.insert(payload.end(), image.begin(), image.end());
  Chunk(frames_, "ANMF", payload);
  return *this;
}

std::vector<uint8_t> WebpAnimationBuilder::bytes() const {
  std::vector<uint8_t> chunks;
  std::vector<uint8_t> vp8x = {0x12, 0, 0, 0};  // animation and alpha
  Le(vp8x, static_cast<uint32_t>(width_ - 1), 3);
  Le(vp8x, static_cast<uint32_t>(height_ - 1), 3);
  Chunk(chunks, "VP8X", vp8x);
  std::vector<uint8_t> anim;
  Le(anim, 0xFFFFFFFFu, 4);
  Le(anim, static_cast<uint32_t>(plays_), 2);
  Chunk(chunks, "ANIM", anim);
  chunks.insert(chunks.end(), frames_.begin(), frames_.end());
  return Riff(chunks);
}

}  // namespace zel::testing
