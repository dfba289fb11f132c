// The rules of the generators' dialogs: "アニメ作成" (a new animation from the picture) and
// "エフェクト" (an effect on the open animation). What the controls show on opening, which
// are enabled, how "作成" clamps and stores them into the settings, and the options the
// generators then run with.
#pragma once

#include "app/settings.h"
#include "document/document_state.h"
#include "generators/animation_effects.h"
#include "generators/picture_to_animation.h"

namespace zel {

// Control ids of "アニメ作成".
enum MakeAnimeControl : int {
  kMakeAnimeMotionButton = 1003,
  kMakeAnimeMotionBox = 1004,
  kMakeAnimeNoDiffusionBox = 1007,
  kMakeAnimeMarginBox = 1008,
  kMakeAnimeColorCount = 1010,
  kMakeAnimeMotionTitle = 1011,
  kMakeAnimeAmplitudeEdit = 1013,
  kMakeAnimeTransparency = 1015,
};

// The controls of "アニメ作成".
struct MakeAnimeDialogState {
  int effect = 0;             // combo 1002, 0..9
  int colorCountIndex = 7;    // combo 1010, 0..7
  int transparentSource = 0;  // combo 1015, 0..4
  int frames = 10;            // edit 1005, 4..40
  int timeValue = 10;         // edit 1006, 10..1000
  int amplitude = 40;         // edit 1013, 5..100
  bool noDiffusion = true;    // 1007
  bool perCycle = false;      // radio 1028 (else 1027)
  bool tempo = false;         // radio 1030 (else 1029)
  bool margin = false;        // 1008
  bool motion = false;        // 1004
  bool highQuality = false;   // "高画質": the high-quality colour reduction
};

// The dialog as it opens: the stored options, each clamped into its range.
MakeAnimeDialogState OpenMakeAnimeDialog(const Settings& settings, bool highQuality);

// Which controls are enabled for the document: the colour controls (1007, 1010 and
// "高画質") only for a picture that is not 8-bit; the transparency source (1015) for such a
// picture or when the frames have no transparent index; the amplitude (1013) for the
// effects that use it; the motion box (1004) when a motion definition exists.
struct MakeAnimeEnabling {
  bool colorControls = true;
  bool transparency = true;
  bool amplitude = true;
  bool motion = false;
};
MakeAnimeEnabling MakeAnimeControlsEnabled(const MakeAnimeDialogState& state,
                                           const DocumentState& doc, bool motionDefinitionsExist);

// "作成": every value clamped into its range and stored, the flags 1, 2, 4, 32 and 64 set or
// cleared (other bits of the option word stay), the high-quality choice kept.
void StoreMakeAnimeOptions(const MakeAnimeDialogState& state, Settings& settings,
                           bool& highQuality);
// The generator's options from the stored settings.
MakeAnimeOptions MakeAnimeOptionsOf(const Settings& settings, bool highQuality);

// The controls of "エフェクト": combo 1002 shows effect - 1 (0..8).
struct EffectDialogState {
  int comboIndex = 0;
  int amplitude = 40;
};
// A stored effect below 1 becomes 1 and above 9 becomes 9; the amplitude is clamped.
EffectDialogState OpenEffectDialog(const Settings& settings);
// The amplitude is enabled except for the two turns (combo indexes 2 and 3).
bool EffectAmplitudeEnabled(int comboIndex);
// "作成": the effect (combo index + 1, into 1..9) and the amplitude (into 5..100).
void StoreEffectOptions(const EffectDialogState& state, Settings& settings);
AnimationEffectOptions EffectOptionsOf(const Settings& settings);

}  // namespace zel
