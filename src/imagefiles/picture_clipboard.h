// The system clipboard as the loader uses it: a source of pictures in the packed-bitmap
// layout. The editor implements it over the desktop's clipboard.
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
