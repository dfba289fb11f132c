// Merging a second picture or animation into the open document: laid in front of or
// behind it at a chosen position, the two palettes compacted and merged, two animations
// paired by time. The result is built apart from the document and installed, with its undo
// snapshot, only when every frame of it could be made.
#pragma once

#include <cstdint>
#include <string>

#include "document/document_state.h"
#include "generators/merge_overlay.h"
#include "generators/merge_settings.h"

namespace zel {

class PictureClipboard;

// Failures of a merge, each with its message (MergeErrorText).
enum MergeError : int {
  kMergeOk = 0,
  kMergeFileNotFound = 1,   // missing file or a name without '.'
  kMergeNoMemory = 2,       // memory; the open document cannot be compacted or composed
  kMergeCannotOpen = 3,     // the overlay cannot be read
  kMergeNotIndexed = 5,     // the overlay picture has more than 8 bits per pixel
  kMergeTooManyColors = 6,  // the palettes do not fit 256 entries (or a full-colour base)
  kMergeNoDuration = 7,     // an animation's delays add up to 0
  kMergeNoClipboard = 8,    // nothing usable on the clipboard
};

// What was merged into what: decides the undo class and what the editor refreshes.
enum class MergeCase {
  kNone,
  kAnimationWithAnimation,  // undo class 32771
  kAnimationWithPicture,    // undo class 32771
  kPictureWithAnimation,    // undo class 32800; the document becomes an animation ('a')
  kPictureWithPicture,      // undo class 32798
};

struct MergeResult {
  int error = kMergeOk;
  int32_t baseColors = 0;  // palette counts after compaction (for error 6)
  int32_t overlayColors = 0;
  MergeCase mergeCase = MergeCase::kNone;
};

// The message of a failed merge ("" for success).
std::string MergeErrorText(const MergeResult& result);

// Merges `overlay` into the document with the flags of MergeSettings (kMergeInFront) and
// the overlay's top-left corner at (x, y), held within 0..the open picture's width and
// height. On failure the document is exactly as it was and no snapshot is taken.
MergeResult MergeIntoDocument(DocumentState& doc, MergeOverlay overlay, uint32_t flags, int32_t x,
                              int32_t y, uint32_t nowTick);

// Gets the overlay the settings name (the file, or the clipboard with kMergeFromClipboard)
// and merges it.
MergeResult MergeAnimations(DocumentState& doc, const MergeSettings& settings,
                            PictureClipboard* clipboard, uint32_t nowTick);

}  // namespace zel
