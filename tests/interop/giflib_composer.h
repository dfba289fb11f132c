// A second GIF viewer for the tests, independent of this program's reader: giflib reads the
// file (DGifSlurp) and the frames are composed the way web browsers show them.
#pragma once

#include <optional>
#include <string>

#include "interop/composed_animation.h"
#include "interop/interop_helpers.h"

namespace zel::interop {

// Composes what giflib read. The screen starts transparent; each image is drawn at its
// place through its own or the global table, clipped to the screen, its transparent index
// left undrawn; then its GIF89a disposal applies: 0 and 1 keep it, 2 clears its rectangle
// to transparent, 3 puts back the screen as it was before the image. The loop count comes
// from the NETSCAPE2.0 block.
ComposedAnimation ComposeGiflibFile(const GiflibFile& file);

// ReadWithGiflib, then ComposeGiflibFile.
std::optional<ComposedAnimation> ComposeWithGiflib(const std::string& path);

}  // namespace zel::interop
