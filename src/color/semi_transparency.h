// Semi-transparency: a regular pattern of an index-colour picture's pixels set to the
// transparent index, since GIF transparency is all or nothing per pixel.
#pragma once

#include <cstdint>

#include "document/outcome.h"
#include "document/packed_dib.h"

namespace zel {

struct DocumentState;

// 1 = 25 %, 2 = 50 %, 3 = 75 % of the pixels.
enum class SemiLevel : int { k25 = 1, k50 = 2, k75 = 3 };

// Sets the pattern of `level` in an 8-bit picture, in place, rows counted from the bottom
// stored row. Does nothing unless the picture has 8 bits and `index` is inside its table.
void ApplyTransparencyPattern(PackedDib& picture, int32_t index, SemiLevel level);

// Kinds b, g, j, a, f, p with an 8-bit current picture.
bool CanApplySemiTransparency(const DocumentState& doc);

// The command on the document: a transparent index is made when there is none (a new table
// entry holding the background colour, or an unused one), valid in every frame of an
// animation; the pattern then goes on the current picture, or on every frame. Frames are
// changed on copies and installed all or none, as one edit (kUndoEdit); an animation plays
// again from the first frame at `nowTick`. Done, or nothing done when nothing changed (the
// document and its undo history as they were).
Outcome ApplySemiTransparency(DocumentState& doc, SemiLevel level, uint32_t nowTick);

}  // namespace zel
