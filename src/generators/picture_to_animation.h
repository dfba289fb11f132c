// A new animation made from the document's picture: the source picture with its
// transparent index, the optional margin, N frames warped by one of the ten effects, the
// optional motion along a path, the delays, and the installation into the document.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "document/document_state.h"
#include "document/frame_set.h"
#include "document/outcome.h"
#include "document/packed_dib.h"
#include "generators/effect_schedule.h"
#include "resources/words.h"

namespace zel {

class ProgressSink;

// Bits of MakeAnimeOptions::flags (the same bits as in the settings' option word).
enum MakeAnimeFlag : uint32_t {
  kMakeAnimeNoDiffusion = 0x1,  // reduce full colour without error diffusion
  kMakeAnimePerCycle = 0x2,     // the time value is one whole cycle
  kMakeAnimeTempo = 0x4,        // the time value is a tempo in beats per minute
  kMakeAnimeMargin = 0x20,      // a margin around the picture before the effect
  kMakeAnimeMotion = 0x40,      // the frames move along the selected motion path
};

inline constexpr int kMakeAnimeFramesMin = 4;
inline constexpr int kMakeAnimeFramesMax = 40;
inline constexpr int kMakeAnimeTimeMin = 10;
inline constexpr int kMakeAnimeTimeMax = 1000;
inline constexpr int kAmplitudeMin = 5;
inline constexpr int kAmplitudeMax = 100;

// The progress window's caption while a generator runs.
inline constexpr Words kGeneratorProgressCaption{"Zel 画像の作成", "Zel: making the pictures"};

struct MakeAnimeOptions {
  Effect effect = Effect::kCopy;
  int colorCountIndex = 7;    // 0..7: 2^(k+1) colours
  int transparentSource = 0;  // 0 none (a slot is added), 1..4 the corner pixel's colour
  int frames = 10;
  int timeValue = 10;  // hundredths of a second, or beats per minute with kMakeAnimeTempo
  int amplitude = 40;  // percent
  uint32_t flags = kMakeAnimeNoDiffusion;
  bool highQuality = false;  // colour reduction by the high-quality quantizer
};

// The source every frame is made from: an 8-bit picture and its transparent index.
struct PreparedSource {
  PackedDib picture;
  int32_t transparentIndex = -1;
};

// Prepares the source from the document's picture: done, or failed with kMsgNoPicture or
// kMsgCannotConvert (no transparent slot, a corner pixel beyond the colour table, a failed
// colour reduction).
// `frameSetTransparentIndex` is the document's frame set's transparent index (< 0: none);
// transparent entries get `backgroundColor` (COLORREF 0x00BBGGRR).
Outcome PrepareSourcePicture(const PackedDib& current, int32_t frameSetTransparentIndex,
                             const MakeAnimeOptions& options, uint32_t backgroundColor,
                             PreparedSource* out);

// The picture centred in a square of its diagonal filled with `transparentIndex`; pictures
// narrower or lower than 8 pixels come back as a copy. Null when memory is short.
PackedDib AddDiagonalMargin(const PackedDib& picture, int32_t transparentIndex);

// The delays of `frames` frames, in hundredths of a second.
std::vector<int32_t> FrameDelays(int timeValue, int frames, bool perCycle, bool tempo);

// Moves frame `step` of the animation along the chosen motion path.
using MotionPlacement = std::function<PackedDib(const PackedDib& frame, int step)>;
// Prepares the motion for frames of `width` x `height` and `frames` steps, uncovered areas
// filled with `transparentIndex` (8-bit) or `fillColorRef` (0x00BBGGRR); an empty placement
// when there is nothing to move along (the frames then stay as they are). The placement is
// called from several threads at once.
using MotionPreparation = std::function<MotionPlacement(
    int width, int height, int frames, int32_t transparentIndex, uint32_t fillColorRef)>;

// The frames share the source's size (also the screen size), palette and transparent index.
struct GeneratedAnimation {
  std::unique_ptr<FrameSet> frames;
  PackedDib source;  // becomes the current picture
};

// Generates the frames (on every core; the result does not depend on the number of
// threads). Done, cancelled (through `sink`), or failed: kMsgOutOfRange (bad options, more
// frames than `frameMax`), kMsgNoMemory, kMsgNoPicture, kMsgCannotConvert. Progress goes to
// `sink` when given.
Outcome GenerateAnimation(const PackedDib& current, int32_t frameSetTransparentIndex,
                          uint32_t backgroundColor, const MakeAnimeOptions& options, int frameMax,
                          const MotionPreparation* motion, ProgressSink* sink,
                          GeneratedAnimation* out);

// Replaces the document's frames with the generated ones: kind 'f', frame 0, the source as
// the current picture. The installer of an edit transaction (whose playback rule restarts
// playback).
void InstallGeneratedAnimation(DocumentState& doc, GeneratedAnimation generated);

// The command: the generation, then one edit of the make-anime class that installs it and
// restarts playback at `nowTick`. Done, cancelled or failed; unless done, the document and
// its undo history are as they were.
Outcome MakeAnimation(DocumentState& doc, const MakeAnimeOptions& options,
                      const MotionPreparation* motion, ProgressSink* sink, uint32_t nowTick);

}  // namespace zel
