// Builds WebP files for tests: lossless frames encoded by libwebp, put into the container
// byte by byte, so each case shows exactly the chunks it needs (or breaks one).
#pragma once

#include <cstdint>
#include <vector>

namespace zel::testing {

// Pixels top row first, 4 bytes each: blue, green, red, alpha.
struct WebpPixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgra;
  // One colour everywhere.
  static WebpPixels Filled(int width, int height, uint32_t argb);
  void Set(int x, int y, uint32_t argb);
};

// A still lossless WebP file ("RIFF", "WEBP", one "VP8L" chunk). Exact: colours under alpha
// 0 are kept too.
std::vector<uint8_t> LosslessWebp(const WebpPixels& pixels);

// An animated WebP file: "VP8X", "ANIM" and one "ANMF" chunk a frame.
class WebpAnimationBuilder {
 public:
  // `plays`: the ANIM chunk's loop count (0 for ever).
  WebpAnimationBuilder(int canvasWidth, int canvasHeight, int plays = 0);
  // A frame at (x, y) (even numbers) shown for `durationMs`; `blend` alpha-blends it onto
  // the canvas, `dispose` clears its rectangle after it is shown.
  WebpAnimationBuilder& Frame(const WebpPixels& pixels, int x, int y, int durationMs,
                              bool blend = false, bool dispose = false);
  std::vector<uint8_t> bytes() const;

 private:
  int width_;
  int height_;
  int plays_;
  std::vector<uint8_t> frames_;  // the ANMF chunks
};

}  // namespace zel::testing
