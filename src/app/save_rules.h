// When the open document can be saved in each format: the rules the save commands of the
// editor and zel-cli share.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "platform/file_status.h"

namespace zel {

// Any open picture or animation.
bool IsDocumentOpen(const DocumentState& doc);
// GIF: an open document of 8 bits per pixel.
bool CanSaveAsGif(const DocumentState& doc);
// Bitmap (a BMP picture, or a frame bitmap for an animation): any open document.
bool CanSaveAsBitmap(const DocumentState& doc);
// JPEG: an open document of 24 bits per pixel.
bool CanSaveAsJpeg(const DocumentState& doc);
// WebP and PNG (an animation as an animated file): an open document of 8 or 24 bits per
// pixel.
bool CanSaveAsWebp(const DocumentState& doc);
bool CanSaveAsPng(const DocumentState& doc);
// Icon: a single 8-bit picture of 32 x 32 pixels.
bool CanMakeIcon(const DocumentState& doc);

// The files opened with fewer frames than they hold (more than the frame maximum): saving
// over one of them, as it is on disk since that load, loses the frames the document never
// had. A file is known by its device, inode, size and times, so another name for it counts
// and a file rewritten since (by this program's atomic save too) no longer does.
class CutFrameFiles {
 public:
  // Records the file at `path` as it is now (nothing when it cannot be read).
  void Remember(const std::string& path);
  // True when `path` names a remembered file that has not changed since.
  [[nodiscard]] bool Holds(const std::string& path) const;

 private:
  std::vector<FileStatus> files_;
};

// What a save asks before it writes to a name the user chose.
enum class OverwriteQuestion {
  kNone,            // no file there: nothing to ask
  kReplaceFile,     // "出力画像ファイルが存在するようです、上書きします。\nよろしいですか?"
  kReplaceCutFile,  // the file whose frames were cut at load: its remaining frames go too
};
// `exists`: a file is at the name; `cutAtLoad`: it is one of the CutFrameFiles.
[[nodiscard]] OverwriteQuestion OverwriteQuestionFor(bool exists, bool cutAtLoad);
// The same for a name on disk (CheckOutputFileName's "exists", and `cut` when given).
[[nodiscard]] OverwriteQuestion OverwriteQuestionForPath(const std::string& path,
                                                         const CutFrameFiles* cut);
// The question's text (nullptr for kNone).
const char* OverwriteQuestionText(OverwriteQuestion question);

}  // namespace zel
