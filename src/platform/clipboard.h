// The system clipboard as the program uses it: pictures in the packed-bitmap layout.
#pragma once

#include "document/packed_dib.h"

namespace zel {

class PictureClipboard {
 public:
  virtual ~PictureClipboard() = default;
  // A copy of the picture on the clipboard, or null when there is none.
  virtual PackedDib ReadPicture() = 0;
};

}  // namespace zel
