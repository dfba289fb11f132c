// The JPEG reader and its size query.
#include "fuzz_support.h"
#include "imagefiles/jpeg_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  ReadJpegDataSize(data, size);
  PackedDib picture;
  int result = ReadJpegData(picture, data, size, 0, {});
  fuzz::Require((result == kJpegReadOk) == static_cast<bool>(picture),
                "result and picture disagree");
  fuzz::TouchPicture(picture);
  return 0;
}
