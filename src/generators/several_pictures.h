// A new animation from several picture files: every file one frame, reduced to fit a
// square, all mapped onto one common palette with a transparent slot, with delays per
// frame, per cycle or by tempo. The frames are built apart from the document and installed
// only when every file went through.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "document/frame_set.h"
#include "resources/words.h"

namespace zel {

class ProgressSink;

// The progress window's caption while the animation is made.
inline constexpr Words kSeveralPicturesProgressCaption{"複数ﾌｧｲﾙからｱﾆﾒ作成",
                                                       "Animation from several files"};
inline constexpr int kSeveralTimeMax = 1000;

struct SeveralPicturesOptions {
  int colorCountIndex = 0;  // 0..4: 16, 32, 64, 128, 256 colours with the transparent entry
  int side = 100;           // the square pictures are reduced to fit
  int timeValue = 100;      // hundredths of a second, or beats per minute with `tempo`
  bool perCycle = false;    // the time is one whole cycle, shared out over the frames
  bool tempo = false;
  // The palette and mapping of the high-quality quantizer instead of the census; every
  // picture is then held in full colour at once.
  bool highQuality = false;
};

// Results besides 0 and the message numbers 502 (memory) and 509 (a picture that cannot be
// converted or reduced).
enum SeveralPicturesResult : int {
  kSeveralTooFew = -20,       // fewer than two files: nothing is done, nothing is said
  kSeveralBadName = -21,      // a file name without '.'
  kSeveralUnsupported = -22,  // an extension not starting with b, g, j or p
  kSeveralUnreadable = -23,   // a file that cannot be read
  kSeveralTooMany = -24,      // more files than the frame maximum
  kSeveralSizeDiffers = -25,  // a picture whose size differs from the first one's
};

// The text to show for a result: the three messages of the generator, the two the program
// adds, the string table's for message numbers; nullptr for 0 and kSeveralTooFew.
const char* SeveralPicturesMessage(int result);

// The delays of `frames` frames: `timeValue` each, or with `perCycle` trunc(t / frames) each
// and the remainder on the last; with `tempo` t = trunc(6000 / timeValue) first. A time of
// 0 gives 0 everywhere.
std::vector<int32_t> SeveralPictureDelays(int timeValue, int frames, bool perCycle, bool tempo);

struct SeveralPicturesFailure {
  int result = 0;
  int fileIndex = -1;  // the listed file it concerns, or -1
};

// Makes the frames: pass one reads, reduces and counts the colours of each file, pass two
// reads them again and maps them onto the common palette (on every core; the result does
// not depend on their number). `frameMax` is the most frames the document takes. 0 and
// `*out` filled, or a result (and `failure` says which file).
int MakeSeveralPictureFrames(const std::vector<std::string>& paths,
                             const SeveralPicturesOptions& options, uint32_t backgroundColor,
                             int frameMax, ProgressSink* sink, std::unique_ptr<FrameSet>* out,
                             SeveralPicturesFailure* failure = nullptr);

// The command: makes the frames, then replaces the document's frames with them (kind 'f',
// the first listed path, playback from the first frame at `nowTick`, a copy of frame 0 as
// the current picture, untitled and unsaved) and resets the undo history. On any failure
// the document, its history included, is as it was.
int MakeAnimationFromPictures(DocumentState& doc, const std::vector<std::string>& paths,
                              const SeveralPicturesOptions& options, ProgressSink* sink,
                              uint32_t nowTick, SeveralPicturesFailure* failure = nullptr);

}  // namespace zel
