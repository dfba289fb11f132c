#include "generators/effect_schedule.h"

#include <cctype>

#include "resources/words.h"

namespace zel {

namespace {

struct EffectName {
  Words text;
  const char* alias;
};

constexpr EffectName kNames[kEffectCount] = {
    {{"コピー", "Copy"}, "copy"},
    {{"バイバイ", "Waving"}, "waving"},
    {{"ゆらゆら", "Swaying"}, "swaying"},
    {{"右回転", "Turn right"}, "turn-right"},
    {{"左回転", "Turn left"}, "turn-left"},
    {{"どきどき", "Pulsing"}, "pulsing"},
    {{"パンク", "Punk"}, "punk"},
    {{"ズームイン", "Zoom in"}, "zoom-in"},
    {{"ズームアウト", "Zoom out"}, "zoom-out"},
    {{"ｽﾞｰﾑｲﾝｱｳﾄ", "Zoom in and out"}, "zoom-in-out"},
};

std::string AsciiLower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// Waving and swaying: from -a evenly up to +a, then evenly back down, ending one step
// above -a so that the loop does not show -a twice.
void Waving(WarpKind warp, int n, double a, std::vector<FrameStep>& steps) {
  const int h = (n - 2) / 2;
  const int m = n - h - 2;
  double v = -a;
  steps.push_back({warp, v});
  const double up = 2 * a / (h + 1);
  for (int i = 1; i <= h; ++i) {
    v += up;
    steps.push_back({warp, v});
  }
  v = a;
  steps.push_back({warp, v});
  const double down = 2 * a / (m + 1);
  for (int j = 1; j <= m; ++j) {
    v -= down;
    steps.push_back({warp, v});
  }
}

}  // namespace

const char* EffectText(Effect effect, Language language) {
  return Say(kNames[static_cast<int>(effect)].text, language);
}
const char* EffectText(Effect effect) {
  return EffectText(effect, CurrentLanguage());
}
const char* EffectAlias(Effect effect) {
  return kNames[static_cast<int>(effect)].alias;
}

std::optional<Effect> EffectByName(const std::string& name) {
  const std::string lower = AsciiLower(name);
  for (int i = 0; i < kEffectCount; ++i) {
    if (name == kNames[i].text.japanese || lower == AsciiLower(kNames[i].text.english) ||
        lower == kNames[i].alias) {
      return static_cast<Effect>(i);
    }
  }
  return std::nullopt;
}

bool EffectUsesAmplitude(Effect effect) {
  return effect != Effect::kCopy && effect != Effect::kTurnRight && effect != Effect::kTurnLeft;
}

std::vector<FrameStep> EffectSchedule(Effect effect, int n, double a) {
  std::vector<FrameStep> steps;
  if (n < 2) return steps;
  steps.reserve(static_cast<size_t>(n));
  switch (effect) {
    case Effect::kCopy:
      steps.assign(static_cast<size_t>(n), FrameStep{});
      break;
    case Effect::kWaving:
      Waving(WarpKind::kRotate, n, a, steps);
      break;
    case Effect::kSwaying:
      Waving(WarpKind::kSwirl, n, a, steps);
      break;
    case Effect::kTurnRight:
    case Effect::kTurnLeft: {
      const bool right = effect == Effect::kTurnRight;
      const double step = 2.0 / n;
      double v = right ? 1.0 : -1.0;
      for (int i = 0; i < n; ++i) {
        steps.push_back({WarpKind::kRotate, v});
        v += right ? -step : step;
      }
      break;
    }
    case Effect::kPulsing:
    case Effect::kPunk: {
      const double step = (effect == Effect::kPunk ? 2 * a : a) / (n - 1);
      double v = -a;
      for (int i = 0; i < n; ++i) {
        steps.push_back({WarpKind::kRadial, v});
        v += step;
      }
      break;
    }
    case Effect::kZoomIn: {
      const double step = a / (n - 1);
      double v = 1.0 - a;
      for (int i = 0; i < n - 1; ++i) {
        steps.push_back({WarpKind::kRect, v});
        v += step;
      }
      steps.push_back({});
      break;
    }
    case Effect::kZoomOut: {
      const double step = a / (n - 1);
      double v = 1.0;
      steps.push_back({});
      for (int i = 1; i < n; ++i) {
        v -= step;
        steps.push_back({WarpKind::kRect, v});
      }
      break;
    }
    case Effect::kZoomInOut: {
      const int c = (n - 1) / 2;
      const double step = 2 * a / (n - 1);
      double v = 1.0;
      for (int i = 0; i < c; ++i) v -= step;
      for (int i = 0; i < n; ++i) {
        if (i == c) {
          steps.push_back({});
        } else {
          steps.push_back({WarpKind::kRect, v});
        }
        v += i < c ? step : -step;
      }
      break;
    }
  }
  return steps;
}

}  // namespace zel
