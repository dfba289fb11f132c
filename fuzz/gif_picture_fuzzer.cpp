// The GIF picture reader (the first picture of a file) and the screen-size query, both
// through a file as the program opens it.
#include "fuzz_support.h"
#include "imagefiles/gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  static fuzz::MemoryFile file;
  file.Write(data, size);

  PackedDib picture;
  int result = ReadGifPicture(picture, file.path(), [](uint32_t, uint32_t) {});
  fuzz::Require((result == 0) == static_cast<bool>(picture), "result and picture disagree");
  fuzz::TouchPicture(picture);
  ReadGifScreenSize(file.path());
  return 0;
}
