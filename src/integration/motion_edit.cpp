#include "integration/motion_edit.h"

#include <filesystem>
#include <system_error>

#include "generators/motion_builtins.h"
#include "generators/motion_tracer.h"
#include "imagefiles/bmp_file.h"
#include "platform/binary_record.h"
#include "platform/file_io.h"
#include "resources/string_table.h"

namespace zel {

std::string FreeMotionBitmapPath(const std::string& folder) {
  for (int n = 1; n <= kMotionFileNumberMax; ++n) {
    const std::string path = folder + "mov" + std::to_string(n) + ".bmp";
    if (!PathExists(path)) return path;
  }
  return {};
}

Outcome MotionEdit::PrepareNew(const MotionDefinitions& defs, const std::string& title,
                           const std::string& editorPath, const DesktopEnvironment& desktop) {
  if (title.empty()) return Outcome::Failed(kMsgEnterTitle);
  if (defs.dataFolder().empty()) return Outcome::Failed(kMsgCannotOpen);
  std::error_code error;
  std::filesystem::create_directories(defs.dataFolder(), error);
  const std::string path = FreeMotionBitmapPath(defs.dataFolder());
  if (path.empty()) return Outcome::Failed(kMsgCannotOpen);
  index_ = -1;
  record_ = MotionRecord{TruncateUtf8(title, kMotionTitleMaxBytes), path, 0, 0};
  return PrepareCopy(std::string(), editorPath, desktop);
}

Outcome MotionEdit::PrepareExisting(const MotionDefinitions& defs, int index,
                                const std::string& editorPath, const DesktopEnvironment& desktop) {
  std::optional<MotionRecord> record = defs.Read(index);
  if (!record) return Outcome::Failed(kMsgOutOfRange);
  index_ = index;
  record_ = *record;
  if (record_.bitmapPath.empty()) {
    std::error_code error;
    std::filesystem::create_directories(defs.dataFolder(), error);
    record_.bitmapPath = FreeMotionBitmapPath(defs.dataFolder());
    if (record_.bitmapPath.empty()) return Outcome::Failed(kMsgCannotOpen);
  }
  return PrepareCopy(record_.bitmapPath, editorPath, desktop);
}

Outcome MotionEdit::PrepareCopy(const std::string& source, const std::string& editorPath,
                            const DesktopEnvironment& desktop) {
  if (!folder_.Create("zel-motion-")) return Outcome::Failed(kMsgCannotOpen);
  workPath_ = folder_.path() + std::filesystem::path(record_.bitmapPath).filename().string();
  // The drawing so far when it is one we can trace again, else a blank sheet.
  PackedDib start;
  if (source.empty() || ReadBmpFile(start, source) != kBmpReadOk || start.Header().bitCount != 1) {
    start = BlankMotionBitmap();
  }
  if (!start || !WriteBmpFile(start, workPath_)) {
    folder_.Remove();
    return Outcome::Failed(kMsgCannotOpen);
  }
  initial_ = ReadFileStatus(workPath_);
  command_ = PaintProgramCommand(editorPath, workPath_, desktop);
  if (command_.empty()) {
    folder_.Remove();
    return Outcome::Failed(kMsgNoPicture);
  }
  return Outcome::Done();
}

Outcome MotionEdit::Start() {
  if (command_.empty() || !editor_.Start(command_)) {
    folder_.Remove();
    return Outcome::Failed(kMsgNoPicture);
  }
  wait_.emplace(initial_);
  return Outcome::Done();
}

EditWaitState MotionEdit::Tick(const WindowObservation& window) {
  if (!wait_) return EditWaitState::kAbandoned;
  return wait_->Tick(window, editor_.HasEnded(), ReadFileStatus(workPath_));
}

Outcome MotionEdit::Finish(MotionDefinitions& defs) {
  wait_.reset();
  if (!folder_.created()) return Outcome::Failed(kMsgNoPicture);
  std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(workPath_);
  PackedDib drawing;
  if (!bytes || ReadBmpData(drawing, bytes->data(), bytes->size()) != kBmpReadOk ||
      drawing.Header().bitCount != 1) {
    folder_.Remove();
    return Outcome::Failed(kMsgNoPicture);
  }
  std::vector<MotionPoint> points;
  const Outcome traced = TraceMotionBitmap(drawing, &points);
  if (!traced.done()) {
    folder_.Remove();
    return traced;
  }
  const std::string pathFile = MotionPathFileOf(record_.bitmapPath);
  const std::vector<uint8_t> path = EncodeMotionPath(points);
  if (pathFile.empty() || !WriteFileAtomically(record_.bitmapPath, bytes->data(), bytes->size()) ||
      !WriteFileAtomically(pathFile, path.data(), path.size())) {
    folder_.Remove();
    if (index_ < 0) {
      std::error_code error;
      std::filesystem::remove(record_.bitmapPath, error);
    }
    return Outcome::Failed(kMsgCannotOpen);
  }
  folder_.Remove();
  record_.width = drawing.Header().width;
  record_.height = drawing.Header().height;
  const bool stored = index_ < 0 ? defs.Append(record_) : defs.Write(index_, record_);
  return stored ? Outcome::Done() : Outcome::Failed(kMsgCannotOpen);
}

}  // namespace zel
