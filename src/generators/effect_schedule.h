// The ten built-in effects of a generated animation and their schedules: which warp each
// frame gets and with which value. The values are accumulated by repeated addition or
// subtraction of one step in frame order, so a frame's value is exactly what the loop
// over the frames before it reached.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "resources/language.h"

namespace zel {

// In the order of the dialog's list.
enum class Effect : int {
  kCopy = 0,
  kWaving = 1,     // "バイバイ"
  kSwaying = 2,    // "ゆらゆら"
  kTurnRight = 3,  // "右回転"
  kTurnLeft = 4,   // "左回転"
  kPulsing = 5,    // "どきどき"
  kPunk = 6,       // "パンク"
  kZoomIn = 7,     // "ズームイン"
  kZoomOut = 8,    // "ズームアウト"
  kZoomInOut = 9,  // "ｽﾞｰﾑｲﾝｱｳﾄ"
};
constexpr int kEffectCount = 10;

// The effect's text in the program, in the current language or in `language` ("コピー",
// "バイバイ", ... or "Copy", "Waving", ...), and its ASCII alias ("copy", "waving", ...).
const char* EffectText(Effect effect);
const char* EffectText(Effect effect, Language language);
const char* EffectAlias(Effect effect);
// The effect named by its text in either language or by its alias (ASCII case ignored),
// whatever the current language; nullopt for anything else.
std::optional<Effect> EffectByName(const std::string& name);
// Whether the effect uses the amplitude: all but the copy and the two turns.
bool EffectUsesAmplitude(Effect effect);

// What one frame becomes.
enum class WarpKind {
  kNone,    // the picture as it is
  kRotate,  // value: turn in half turns, counterclockwise when positive
  kSwirl,   // value: turn of the centre in half turns
  kRadial,  // value: bulge (> 0) or pinch (< 0) strength
  kRect,    // value: scale of the centred rectangle the picture shrinks to
};

struct FrameStep {
  WarpKind warp = WarpKind::kNone;
  double value = 0;
};

// The steps of frames 0..frames-1 for `effect` with amplitude `amplitude` (1.0 = 100 %).
// Empty for fewer than 2 frames.
std::vector<FrameStep> EffectSchedule(Effect effect, int frames, double amplitude);

}  // namespace zel
