// Time adjustment: the detailed form and the slider form, in tool mode. The animation keeps
// playing meanwhile, so the busy bit stays clear and playback is not restarted.
#include <memory>

#include "app/settings.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/time_detail_dialog.h"
#include "ui/dialogs/time_slider_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/tools/tool_host.h"
#include "ui/translate.h"
#include "ui/utf8.h"

namespace zel {
namespace {

constexpr const char* kTimeSliderPrompt = "時間調節、ｽﾗｲﾀﾞｰを操作します";

int RunSliderForm(MainWindow& window, ToolHost& host) {
  DocumentState& doc = window.Session().doc;
  TimeSliderDialog full(doc, TimeSliderDialog::Form::kWindow, &window);
  if (!full.Model().Usable()) return kTimeFormClosed;
  std::unique_ptr<TimeSliderDialog> strip;
  if (!host.StandardBarFloats()) {
    strip = std::make_unique<TimeSliderDialog>(doc, TimeSliderDialog::Form::kStrip, &window);
  }
  host.ShowStatus(Tr(kTimeSliderPrompt));
  return host.RunForm(strip.get(), &full);
}

void TimeAdjustCommand(MainWindow& window, CommandId) {
  ToolHost& host = window.Tools();
  // Tool mode without the busy bit: the animation keeps playing with its new times.
  ToolMode mode(host);
  uint32_t& options = window.Session().settings.block.options;
  for (;;) {
    int result;
    if ((options & kOptionTimeSlider) == 0) {
      TimeDetailDialog dialog(window.Session().doc, &window);
      result = dialog.exec();
    } else {
      result = RunSliderForm(window, host);
    }
    if (result != kTimeFormSwitch) break;
    options ^= kOptionTimeSlider;
  }
}

}  // namespace

const std::vector<CommandExecutor>& TimeExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdTimeAdjust, TimeAdjustCommand},
  };
  return rows;
}

}  // namespace zel
