// The rules of "動画をアニメとして開く": what the dialog shows when it opens, the ranges of its fields,
// the texts of its plan line, and the conversions the dialog and zel-cli share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "generators/video_animation.h"
#include "imagefiles/video_reader.h"
#include "resources/words.h"

namespace zel {

inline constexpr Words kOpenVideoTitle{"動画をｱﾆﾒとして開く", "Open a Video as Animation"};
inline constexpr Words kChooseVideoTitle{"開く動画ファイルを選択します",
                                         "Choose the video file to open"};
inline constexpr Words kVideoFilesName{"動画ファイル", "Video files"};
// The extensions the open dialog lists; any file FFmpeg reads opens.
inline constexpr const char* kVideoPatterns =
    "*.mp4;*.m4v;*.webm;*.mkv;*.mov;*.avi;*.mpg;*.mpeg;*.ogv;*.wmv;*.flv;*.gif;*.webp";
inline constexpr Words kVideoStartLabel{"開始(秒)", "Start (s)"};
inline constexpr Words kVideoLengthLabel{"長さ(秒)", "Length (s)"};
inline constexpr Words kVideoFpsLabel{"ｺﾏ数/秒", "Frames per second"};
inline constexpr Words kVideoWidthLabel{"幅", "Width"};
inline constexpr Words kVideoHeightLabel{"高さ", "Height"};
inline constexpr Words kVideoColorsLabel{"色数", "Colours"};
inline constexpr Words kVideoQualityLabel{"高画質", "High quality"};

// The width the dialog and zel-cli offer first: the clip's own, at most this.
inline constexpr int32_t kVideoDefaultWidthMax = 480;
inline constexpr double kVideoDefaultFps = 10;

// The settings the dialog shows first for a clip: from its start to its end, 10 frames a
// second (the clip's own rate when lower), the clip's width up to 480, 256 colours, high
// quality.
VideoImportSettings DefaultVideoSettings(const VideoInfo& info);

// "12 ｺﾏ  320 x 180  1.5 MB": what the settings make, or the reason they cannot be used.
std::string VideoPlanText(const VideoImportPlan& plan);

// Whether `path` names a video clip by its extension (any case): such a file, given to the
// editor on its command line or dropped on it, opens through the video dialog.
bool IsVideoFileName(const std::string& path);

// Seconds written as "12", "12.5", "1:02.5" or "1:00:00"; nullopt for anything else or for
// a time that is negative or beyond a day.
std::optional<double> ParseVideoSeconds(const std::string& text);

}  // namespace zel
