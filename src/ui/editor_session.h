// What the editor owns besides its windows: the document, the settings and their file, the
// single-instance lock and the local socket other programs reach it through. Start runs
// the start-up steps that need no window; Shutdown writes the settings and lets go of
// everything.
#pragma once

#include <string>
#include <vector>

#include "app/save_rules.h"
#include "app/settings.h"
#include "document/document_state.h"
#include "generators/motion_definitions.h"
#include "imagefiles/image_loader.h"
#include "platform/instance_lock.h"
#include "platform/local_channel.h"
#include "platform/profile_file.h"

namespace zel {

enum class StartResult {
  kStarted,
  kAlreadyRunning,  // another editor of this user runs (kSecondInstanceMessage)
  kNoMemory,  // the lock or the frame container cannot be had: "メモリが足りないようです."
};

class EditorSession {
 public:
  EditorSession() = default;
  ~EditorSession();
  EditorSession(const EditorSession&) = delete;
  EditorSession& operator=(const EditorSession&) = delete;

  // Takes the instance lock, opens the socket, reads zel.ini, sets the document up (frame
  // container, background colour, display depth) and opens a fresh undo history.
  // `trueColorDisplay` is 0 on an 8-bit screen.
  StartResult Start(int trueColorDisplay = 1);
  bool started() const { return started_; }

  // The file named on the command line (the arguments after the program name), or "".
  static std::string CommandLineName(const std::vector<std::string>& arguments);

  // Writes the settings (atomically), drops the undo history, closes the socket and
  // releases the lock. Runs once; the destructor calls it too.
  void Shutdown();

  // The context of a load: the settings' last picture path and the clipboard.
  LoadContext MakeLoadContext(PictureClipboard* clipboard);

  // True when `path` lies inside the settings folder.
  bool InsideSettingsFolder(const std::string& path) const;

  // Writes the settings file now (the colour chooser stores its colours at once).
  bool StoreSettings();

  DocumentState doc;
  AppSettings settings;
  ProfileFile profile;
  // The motion definitions, kept in `profile` (written on every change).
  MotionDefinitions motions;
  InstanceLock lock;
  LocalChannelServer channel;
  std::string settingsFolder;  // trailing '/'
  std::string picturesFolder;
  // The file the editor was started with, while it was loaded as the document ("" else).
  std::string commandLinePath;
  // The files opened with frames left out (over the frame maximum): a save over one asks
  // with the question that says so.
  CutFrameFiles cutFrameFiles;

 private:
  bool started_ = false;
  bool shutDown_ = false;
};

}  // namespace zel
