// The PNG reader and its size query.
#include "fuzz_support.h"
#include "imagefiles/png_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  ReadPngDataSize(data, size);
  PackedDib picture;
  int result = ReadPngData(picture, data, size, {});
  fuzz::Require((result == kPngReadOk) == static_cast<bool>(picture),
                "result and picture disagree");
  fuzz::TouchPicture(picture);
  return 0;
}
