// Playback and the view: start, stop or step, the jump dialog and the background colour.
#include <array>
#include <string>

#include "app/frame_keys.h"
#include "app/settings.h"
#include "document/playback.h"
#include "platform/clock.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/color_chooser.h"
#include "ui/dialogs/jump_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"

namespace zel {
namespace {

void BackgroundColorCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  AppSettings& settings = session.settings;
  uint32_t color = session.doc.backgroundColor;
  std::array<uint32_t, 16> custom = settings.customColors;
  if (!ChooseBackgroundColor(&window, color, custom)) return;
  session.doc.backgroundColor = color;
  settings.backgroundColor = color;
  settings.customColors = custom;
  // The colour and the custom colours go to the settings file now; the rest at exit.
  ProfileFile& file = session.profile;
  file.Set(kOptionSection, kBackgroundColorKey, std::to_string(static_cast<int32_t>(color)));
  std::array<uint8_t, 64> bytes{};
  for (size_t i = 0; i < custom.size(); ++i) WriteLe32(bytes.data() + 4 * i, custom[i]);
  file.Set(kColorTableSection, kLenKey, std::to_string(bytes.size()));
  file.Set(kColorTableSection, kValKey, EncodeBinaryRecord(bytes.data(), bytes.size()));
  file.Save();
  ApplyBackgroundColor(session.doc);
  window.RefreshView();
}

template <FrameKey kKey>
void FrameKeyCommand(MainWindow& window, CommandId) {
  if (!MoveByFrameKey(window.Session().doc, kKey, TickCount())) return;
  window.RefreshView();
}

}  // namespace

const std::vector<CommandExecutor>& PlaybackExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdStart, [](MainWindow& window, CommandId) { StartPlayback(window.Session().doc); }},
      {kCmdStop, [](MainWindow& window, CommandId) { StopPlayback(window.Session().doc); }},
      {kCmdJump,
       [](MainWindow& window, CommandId) {
         JumpDialog dialog(window.Session().doc, &window);
         dialog.exec();
       }},
      {kCmdPreviousFrame, FrameKeyCommand<FrameKey::kPrevious>},
      {kCmdNextFrame, FrameKeyCommand<FrameKey::kNext>},
      {kCmdFirstFrameShown, FrameKeyCommand<FrameKey::kFirst>},
      {kCmdLastFrameShown, FrameKeyCommand<FrameKey::kLast>},
      {kCmdStartStop, [](MainWindow& window, CommandId) { TogglePlayback(window.Session().doc); }},
      {kCmdBackgroundColor, BackgroundColorCommand},
      {kCmdInvertBackground,
       [](MainWindow& window, CommandId) {
         InvertBackgroundColor(window.Session().doc);
         window.RefreshView();
       }},
  };
  return rows;
}

}  // namespace zel
