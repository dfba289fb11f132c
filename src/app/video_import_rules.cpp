#include "app/video_import_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "imagefiles/file_names.h"
#include "resources/words.h"

namespace zel {

VideoImportSettings DefaultVideoSettings(const VideoInfo& info) {
  VideoImportSettings settings;
  settings.start = 0;
  settings.length = info.durationSeconds;
  settings.fps = kVideoDefaultFps;
  if (info.frameRate >= kVideoFpsMin && info.frameRate < kVideoDefaultFps) {
    settings.fps = std::floor(info.frameRate);
  }
  settings.width = std::clamp(std::min(info.displayWidth, kVideoDefaultWidthMax), kVideoWidthMin,
                              kVideoWidthMax);
  settings.colors = kVideoColorsMax;
  settings.highQuality = true;
  return settings;
}

std::string VideoPlanText(const VideoImportPlan& plan) {
  if (plan.check == VideoImportResult::kBadSettings) return VideoImportMessage(plan.check);
  char size[64];
  const double megabytes = static_cast<double>(plan.resultBytes) / (1024.0 * 1024.0);
  std::snprintf(size, sizeof size, "%d x %d  %.1f MB", plan.width, plan.height, megabytes);
  std::string text = std::to_string(plan.frames) + Say({"ｺﾏ  ", " frames  "}) + size;
  if (plan.check != VideoImportResult::kDone) {
    text += "\n";
    text += VideoImportMessage(plan.check);
  }
  return text;
}

std::optional<double> ParseVideoSeconds(const std::string& text) {
  if (text.empty() || text.size() > 32) return std::nullopt;
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == ':') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  if (parts.size() > 3) return std::nullopt;
  double total = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty() || part.front() == '-' || part.front() == '+') return std::nullopt;
    const bool last = i + 1 == parts.size();
    if (!last && part.find('.') != std::string::npos) return std::nullopt;
    for (char c : part) {
      if (!(c >= '0' && c <= '9') && c != '.') return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc{} || end != part.data() + part.size()) return std::nullopt;
    if (i > 0 && value >= 60) return std::nullopt;  // minutes and seconds after a colon
    total = total * 60 + value;
  }
  if (!std::isfinite(total) || total < 0 || total > 86400) return std::nullopt;
  return total;
}

bool IsVideoFileName(const std::string& path) {
  static constexpr const char* kExtensions[] = {"mp4", "m4v", "webm", "mkv", "mov", "avi",
                                                "mpg", "mpeg", "ogv", "wmv", "flv"};
  for (const char* extension : kExtensions) {
    if (HasExtensionIgnoringCase(path, extension)) return true;
  }
  return false;
}

}  // namespace zel
