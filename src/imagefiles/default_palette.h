// The program's fixed 256-colour table. It fills the colour-table entries a frame bitmap
// does not take from its first frame.
#pragma once

#include <array>

#include "document/packed_dib.h"

namespace zel {

// Entries 0-9 and 246-255 are the twenty static colours of the Windows system palette;
// 10-225 the 6 x 6 x 6 colour cube on the levels 0, 51, 102, 153, 204, 255 (blue varying
// fastest); 226-245 twenty grays between the cube's levels.
const std::array<Rgbq, 256>& DefaultPalette();

}  // namespace zel
