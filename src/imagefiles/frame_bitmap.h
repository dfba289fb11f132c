// Frame bitmaps: a whole animation in one 8-bit bitmap, all frames side by side with a
// small header coded into the pixels, so that any paint program can carry it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/frame_set.h"
#include "document/outcome.h"
#include "document/packed_dib.h"

namespace zel {

// Writes the file form, in which `backgroundColor` (0x00BBGGRR) replaces the transparent
// palette entry. Returns 0 or a message number: 504 (no frames, first frame not 8-bit,
// palette size outside 2..256), 502 (memory), 505 (the file cannot be written).
Outcome WriteFrameBitmapFile(const std::string& path, const FrameSet& frames, uint32_t backgroundColor);
// The bytes of that file, built in memory; the same results except 505.
Outcome BuildFrameBitmapFile(const FrameSet& frames, uint32_t backgroundColor,
                         std::vector<uint8_t>& bytes);
// The in-memory form (a packed picture; the transparent entry is not replaced); null on the
// same conditions.
PackedDib BuildFrameBitmapImage(const FrameSet& frames);

bool IsFrameBitmap(const PackedDib& image);
bool IsFrameBitmapFile(const std::string& path);

// Cuts a frame bitmap into frames, as many as `frames` holds. Returns 0, 503 (not a frame
// bitmap) or 502 (memory). `framesInFile`, when given, receives the frames the bitmap
// carries (also those beyond the capacity).
Outcome ReadFrameBitmap(const PackedDib& image, FrameSet& frames, int* framesInFile = nullptr);
// Reads the file first: 501 when it cannot be read, 502 when no picture results.
Outcome ReadFrameBitmapFile(const std::string& path, FrameSet& frames, int* framesInFile = nullptr);

// A 24-bit frame bitmap (as paint programs save it) turned back into 8 bits; null when
// it has more than 255 or fewer than 2 colours, or is not 24-bit.
PackedDib IndexTrueColorImage(const PackedDib& image);
// Reads the file, converts it to 8 bits and writes it back.
bool ConvertFrameBitmapFile(const std::string& path);

}  // namespace zel
