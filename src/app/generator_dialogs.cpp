#include "app/generator_dialogs.h"

#include <algorithm>

namespace zel {

namespace {

void SetBit(uint32_t& word, uint32_t bit, bool on) {
  word = on ? word | bit : word & ~bit;
}

MakeAnimeDialogState Clamped(MakeAnimeDialogState s) {
  s.effect = std::clamp(s.effect, 0, kEffectCount - 1);
  s.colorCountIndex = std::clamp(s.colorCountIndex, 0, 7);
  s.transparentSource = std::clamp(s.transparentSource, 0, 4);
  s.frames = std::clamp(s.frames, kMakeAnimeFramesMin, kMakeAnimeFramesMax);
  s.timeValue = std::clamp(s.timeValue, kMakeAnimeTimeMin, kMakeAnimeTimeMax);
  s.amplitude = std::clamp(s.amplitude, kAmplitudeMin, kAmplitudeMax);
  return s;
}

}  // namespace

MakeAnimeDialogState OpenMakeAnimeDialog(const Settings& settings, bool highQuality) {
  MakeAnimeDialogState s;
  s.effect = settings.makeAnimeEffect;
  s.colorCountIndex = settings.colorCountIndex;
  s.transparentSource = settings.transparentCorner;
  s.frames = settings.makeAnimeFrames;
  s.timeValue = settings.makeAnimeTime;
  s.amplitude = settings.makeAnimeAmplitude;
  s.noDiffusion = (settings.options & kOptionNoDiffusion) != 0;
  s.perCycle = (settings.options & kOptionTimePerCycle) != 0;
  s.tempo = (settings.options & kOptionTimeAsTempo) != 0;
  s.margin = (settings.options & kOptionInsertMargins) != 0;
  s.motion = (settings.options & kOptionMove) != 0;
  s.highQuality = highQuality;
  return Clamped(s);
}

MakeAnimeEnabling MakeAnimeControlsEnabled(const MakeAnimeDialogState& state,
                                           const DocumentState& doc, bool motionDefinitionsExist) {
  const bool indexed = doc.currentPicture && doc.currentPicture.Header().bitCount == 8;
  const bool noTransparentIndex = !doc.frameSet || doc.frameSet->transparentIndex < 0;
  MakeAnimeEnabling e;
  e.colorControls = !indexed;
  e.transparency = !indexed || noTransparentIndex;
  e.amplitude =
      EffectUsesAmplitude(static_cast<Effect>(std::clamp(state.effect, 0, kEffectCount - 1)));
  e.motion = motionDefinitionsExist;
  return e;
}

void StoreMakeAnimeOptions(const MakeAnimeDialogState& state, Settings& settings,
                           bool& highQuality) {
  const MakeAnimeDialogState s = Clamped(state);
  settings.makeAnimeEffect = s.effect;
  settings.colorCountIndex = s.colorCountIndex;
  settings.transparentCorner = s.transparentSource;
  settings.makeAnimeFrames = s.frames;
  settings.makeAnimeTime = s.timeValue;
  settings.makeAnimeAmplitude = s.amplitude;
  SetBit(settings.options, kOptionNoDiffusion, s.noDiffusion);
  SetBit(settings.options, kOptionTimePerCycle, s.perCycle);
  SetBit(settings.options, kOptionTimeAsTempo, s.tempo);
  SetBit(settings.options, kOptionInsertMargins, s.margin);
  SetBit(settings.options, kOptionMove, s.motion);
  highQuality = s.highQuality;
}

MakeAnimeOptions MakeAnimeOptionsOf(const Settings& settings, bool highQuality) {
  const MakeAnimeDialogState s = OpenMakeAnimeDialog(settings, highQuality);
  MakeAnimeOptions o;
  o.effect = static_cast<Effect>(s.effect);
  o.colorCountIndex = s.colorCountIndex;
  o.transparentSource = s.transparentSource;
  o.frames = s.frames;
  o.timeValue = s.timeValue;
  o.amplitude = s.amplitude;
  o.flags = settings.options & (kMakeAnimeNoDiffusion | kMakeAnimePerCycle | kMakeAnimeTempo |
                                kMakeAnimeMargin | kMakeAnimeMotion);
  o.highQuality = s.highQuality;
  return o;
}

EffectDialogState OpenEffectDialog(const Settings& settings) {
  return {std::clamp(settings.effectIndex, 1, 9) - 1,
          std::clamp(settings.effectAmplitude, kAmplitudeMin, kAmplitudeMax)};
}

bool EffectAmplitudeEnabled(int comboIndex) {
  return comboIndex != 2 && comboIndex != 3;
}

void StoreEffectOptions(const EffectDialogState& state, Settings& settings) {
  settings.effectIndex = std::clamp(state.comboIndex + 1, 1, 9);
  settings.effectAmplitude = std::clamp(state.amplitude, kAmplitudeMin, kAmplitudeMax);
}

AnimationEffectOptions EffectOptionsOf(const Settings& settings) {
  const EffectDialogState s = OpenEffectDialog(settings);
  return {static_cast<Effect>(s.comboIndex + 1), s.amplitude};
}

}  // namespace zel
