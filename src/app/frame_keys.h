// The keys that move through an animation from the view: Left and Right step one frame back
// and forward, wrapping at the ends; Home and End show the first and the last frame; Space
// starts and stops playback. A step stops playback and shows its frame at once.
#pragma once

#include <cstdint>

namespace zel {

struct DocumentState;

enum class FrameKey { kPrevious, kNext, kFirst, kLast };

// The frame (0-based) a key shows when `current` of `count` frames is shown; a current frame
// out of range counts as the first. 0 when there are no frames.
int32_t FrameKeyTarget(FrameKey key, int32_t current, int32_t count);

// Stops playback and shows the key's frame now (the current picture becomes a copy of it).
// False, and nothing changes, unless the document is an animation with frames that is not
// busy.
bool MoveByFrameKey(DocumentState& doc, FrameKey key, uint32_t nowMs);

// Starts a stopped animation, stops a playing one.
void TogglePlayback(DocumentState& doc);

}  // namespace zel
