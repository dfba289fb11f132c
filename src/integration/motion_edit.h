// Drawing a motion definition in the user's paint program: a copy of the definition's
// bitmap (a blank 96 x 96 one for a new definition) is handed over in a private folder,
// the wait follows the external edit's rules (EditWait), and only a drawing that traces
// replaces the definition's bitmap and path file. A failed edit leaves them as they were
// and registers nothing new.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/outcome.h"
#include "generators/motion_definitions.h"
#include "integration/external_edit.h"
#include "integration/paint_program.h"
#include "platform/file_status.h"
#include "platform/private_folder.h"
#include "platform/process.h"
#include "resources/words.h"

namespace zel {

// Dialog 145 "移動定義の新規作成".
inline constexpr Words kNewMotionCaption{"移動定義の新規作成", "New motion definition"};
inline constexpr Words kNewMotionText{
    "｢OK｣ボタンを押すと、ﾃﾞﾌｫﾙﾄの移動定義ﾌｧｲﾙを作成してペイントブラシを呼びます。\n"
    "編集後､上書保存してください。",
    "Press \"OK\" to make a default motion definition file and open it in the paint "
    "program.\nAfter editing, save it over the same file."};
inline constexpr Words kNewMotionDefaultTitle{"無題", "Untitled"};
// Dialog 154 "移動定義の編集".
inline constexpr Words kEditMotionCaption{"移動定義の編集", "Edit motion definition"};
inline constexpr Words kEditMotionText{
    "｢編集｣ボタンを押すと、移動定義ﾌｧｲﾙを指定してペイントブラシを呼びます。\n"
    "編集後､上書保存してください。",
    "Press \"Edit\" to open the motion definition file in the paint program.\nAfter editing, save "
    "it over the same file."};

// Names tried for a new definition's bitmap: "mov1.bmp" .. "mov99.bmp".
constexpr int kMotionFileNumberMax = 99;

// The first "mov%d.bmp" (1..99) that does not exist in `folder` (trailing '/'); empty when
// all are taken.
std::string FreeMotionBitmapPath(const std::string& folder);

class MotionEdit {
 public:
  MotionEdit() = default;
  MotionEdit(const MotionEdit&) = delete;
  MotionEdit& operator=(const MotionEdit&) = delete;

  // Prepares a new definition titled `title` (cut to the record's field): failed with
  // kMsgEnterTitle for an empty title, kMsgCannotOpen when the data folder cannot be made,
  // has no free name or the copy cannot be written, kMsgNoPicture when there is no paint
  // program.
  Outcome PrepareNew(const MotionDefinitions& defs, const std::string& title,
                     const std::string& editorPath,
                     const DesktopEnvironment& desktop = SystemDesktop());
  // Prepares definition `index`: its bitmap is copied (a blank one when it is missing or
  // not a one-bit picture). Failed with kMsgOutOfRange when the index is out of range or
  // its record unreadable, otherwise as PrepareNew.
  Outcome PrepareExisting(const MotionDefinitions& defs, int index, const std::string& editorPath,
                          const DesktopEnvironment& desktop = SystemDesktop());

  // Starts the paint program; failed with kMsgNoPicture when it cannot be started.
  Outcome Start();
  // One tick of the wait, once a second.
  EditWaitState Tick(const WindowObservation& window);
  // However the wait ended: reads the drawing back; when it is a one-bit picture that
  // traces, writes the bitmap and path file to their places and the record (a new one at
  // the end, selected). Done, or failed with kMsgNoPicture (no picture or not one bit), the
  // tracer's failures, or kMsgCannotOpen (files not written). Nothing of the definitions
  // changes on failure.
  Outcome Finish(MotionDefinitions& defs);

  // The copy the paint program draws on.
  const std::string& workPath() const { return workPath_; }
  const std::vector<std::string>& command() const { return command_; }

 private:
  Outcome PrepareCopy(const std::string& source, const std::string& editorPath,
                      const DesktopEnvironment& desktop);

  PrivateFolder folder_;
  std::string workPath_;
  std::vector<std::string> command_;
  std::optional<FileStatus> initial_;
  std::optional<EditWait> wait_;
  ChildProcess editor_;
  int index_ = -1;  // -1: a new definition
  MotionRecord record_;
};

}  // namespace zel
