// Editing the picture, or the whole animation as a frame bitmap, in the user's paint
// program: the exchange file in a private folder, the wait for the edit driven by a
// one-second tick, and the reload with undo.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "document/outcome.h"
#include "integration/paint_program.h"
#include "platform/file_status.h"
#include "platform/private_folder.h"
#include "platform/process.h"
#include "resources/words.h"

namespace zel {

// The file name the paint program shows.
inline constexpr char kExchangeFileName[] = "ZelBitmap.bmp";

// The waiting dialog.
inline constexpr Words kEditWaitCaption{"ビットマップ、フレームビットマップの編集",
                                        "Editing the bitmap or frame bitmap"};
inline constexpr Words kEditWaitText{
    "画像を編集したあとは、ファイル名を変更しないで、\n上書き保存をして終了してください。",
    "When the picture is edited, save it under the same file name\nand quit the paint program."};
inline constexpr Words kEditWaitButton{"編集を待たない", "Don't wait for the edit"};

// What goes to the paint program.
enum class ExchangeType {
  kNone,          // nothing open
  kPicture,       // the current picture as a BMP file
  kCurrentFrame,  // a stopped animation with a palette per frame: the current frame only
  kFrameBitmap,   // the whole animation as a frame bitmap
};
ExchangeType ChooseExchangeType(const DocumentState& doc);

// Writes the exchange file: done, or failed with kMsgOutOfRange (nothing to write) or
// kMsgFileError (not written).
Outcome WriteExchangeFile(const DocumentState& doc, ExchangeType type, const std::string& path);

// What the window reports each second.
struct WindowObservation {
  bool quitRequested = false;
  bool dialogClosed = false;  // "編集を待たない"
  // Whether the main window is minimised; no value where the window system cannot tell.
  std::optional<bool> minimised;
};

enum class EditWaitState {
  kWaiting,
  kEdited,     // the editor ended, or a launcher's file was rewritten: load it back
  kAbandoned,  // the user chose not to wait, restored the window, or the program quits
};

// The waiting rules, ticked once a second. The wait ends:
// - when the user closes the waiting dialog, or the program is asked to quit;
// - when the main window comes back from being minimised (only once it was seen
//   minimised: a window system that never reports it cannot end the wait that way);
// - when the editor ends, unless it ended within the first kLauncherTicks ticks with the
//   file unchanged: that was a launcher handing the file to a program (maybe one already
//   running), and the wait goes on until the file changes and then holds still for a tick.
class EditWait {
 public:
  static constexpr int kLauncherTicks = 3;

  explicit EditWait(std::optional<FileStatus> initial) : initial_(initial), last_(initial) {}
  EditWaitState Tick(const WindowObservation& window, bool editorEnded,
                     const std::optional<FileStatus>& file);
  bool launcherMode() const { return launcher_; }

 private:
  std::optional<FileStatus> initial_;
  std::optional<FileStatus> last_;
  int ticks_ = 0;
  bool seenMinimised_ = false;
  bool launcher_ = false;
};

// Whether a result of the edit is shown to the user: failures to write or load back the
// file and a missing paint program (kMsgNoPaintProgram) are; success, "nothing open"
// (kMsgOutOfRange) and "not updated" (kMsgNotUpdated) are not.
bool EditResultIsReported(const Outcome& result);

// One edit, from writing the file to loading it back. The private folder and the file go
// away with the object.
class ExternalEdit {
 public:
  ExternalEdit() = default;
  ExternalEdit(const ExternalEdit&) = delete;
  ExternalEdit& operator=(const ExternalEdit&) = delete;

  // Writes the exchange file for the document and builds the paint program's command.
  // Done, or failed with kMsgOutOfRange (nothing open), kMsgFileError (file not written),
  // kMsgNoPaintProgram (no paint program set, and none found for BMP).
  Outcome Prepare(const DocumentState& doc, const std::string& editorPath,
              const DesktopEnvironment& desktop = SystemDesktop());
  // Starts the paint program and holds the document busy until Finish (or the end of the
  // object); failed with kMsgNotUpdated (file removed, document not held) when it cannot be
  // started.
  Outcome Start(DocumentState& doc);
  // One tick of the wait.
  EditWaitState Tick(const WindowObservation& window);
  // Ends the edit: lets the document go and, when the file was edited and changed, loads
  // the file back as one edit (kUndoEdit). Done, failed with kMsgNotUpdated (not waited for
  // or unchanged) or the loader's outcome; unless done, the document and its undo history
  // are as they were.
  Outcome Finish(DocumentState& doc, EditWaitState end);

  const std::string& exchangePath() const { return path_; }
  const std::vector<std::string>& command() const { return command_; }
  ExchangeType type() const { return type_; }

 private:
  PrivateFolder folder_;
  std::string path_;
  std::vector<std::string> command_;
  ExchangeType type_ = ExchangeType::kNone;
  std::optional<FileStatus> initial_;
  std::optional<EditWait> wait_;
  std::optional<DocumentBusyScope> busy_;
  ChildProcess editor_;
  int32_t transparentIndex_ = -1;
};

}  // namespace zel
