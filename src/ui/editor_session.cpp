#include "ui/editor_session.h"

#include "app/program_options.h"
#include "app/startup_rules.h"
#include "color/index_color.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "ui/settings_places.h"

namespace zel {

EditorSession::~EditorSession() {
  Shutdown();
}

StartResult EditorSession::Start(int trueColorDisplay) {
  std::string error;
  switch (lock.Acquire(&error)) {
    case InstanceLockResult::kAcquired:
      break;
    case InstanceLockResult::kHeld:
      return StartResult::kAlreadyRunning;
    case InstanceLockResult::kFailed:
      return StartResult::kNoMemory;
  }
  // Without the socket the editor still works; only other programs cannot reach it.
  if (std::optional<std::string> folder = InstanceFolder(false)) {
    channel.Listen(*folder + kInstanceSocketName);
  }

  settingsFolder = SettingsFolder(true);
  picturesFolder = PicturesFolder();

  doc.backgroundColor = kDefaultBackgroundColor;
  doc.trueColorDisplay = trueColorDisplay;
  SetDisplayReduction(&ReduceForPaletteDisplay);

  profile.Load(SettingsFilePath());
  profile.SetPath(SettingsFilePath());
  settings = LoadAppSettings(profile, picturesFolder);
  MoveOldRecentFiles(profile);
  KeepQtSettingsIn(settingsFolder);
  // The built-in definitions are installed on the first start.
  motions.Load(profile, MotionDataFolder());
  doc.backgroundColor = settings.backgroundColor;

  if (!CreateDocumentContainer(doc, settings.block.frameMax)) {
    channel.Close();
    lock.Release();
    return StartResult::kNoMemory;
  }
  doc.undo.Reset();
  started_ = true;
  return StartResult::kStarted;
}

std::string EditorSession::CommandLineName(const std::vector<std::string>& arguments) {
  return EditorFileArgument(arguments);
}

void EditorSession::Shutdown() {
  if (!started_ || shutDown_) return;
  shutDown_ = true;
  channel.Close();
  StoreSettings();
  doc.undo.Drop();
  lock.Release();
}

LoadContext EditorSession::MakeLoadContext(PictureClipboard* clipboard) {
  LoadContext context;
  context.lastImagePath = &settings.block.lastImagePath;
  context.clipboard = clipboard;
  context.nowTick = TickCount();
  return context;
}

bool EditorSession::InsideSettingsFolder(const std::string& path) const {
  return !settingsFolder.empty() && path.compare(0, settingsFolder.size(), settingsFolder) == 0;
}

bool EditorSession::StoreSettings() {
  StoreAppSettings(settings, profile);
  return profile.Save();
}

}  // namespace zel
