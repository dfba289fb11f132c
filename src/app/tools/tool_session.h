// What an interactive tool does to the document, whatever its inputs: it opens on a copy
// of the current picture (the source copy), shows fast previews computed from that copy,
// and on OK applies the full-quality transform to the picture or to every frame of an
// animation; Cancel puts the exact source back. The editor's tool host runs the windows
// around it; the tools themselves supply only their transforms.
#pragma once

#include <cstdint>
#include <functional>

#include "document/document_state.h"

namespace zel {

class ProgressSink;

// A full-quality transform of one picture; a null result means it failed. It must not touch
// anything but its argument and its own state: OK runs it on several threads at once.
using PictureTransform = std::function<PackedDib(const PackedDib& picture)>;

// The status texts of a tool: on opening, while a preview is computed, after it, and while
// OK applies the result.
struct ToolTexts {
  const char* instruction = "";
  const char* busy = "";
  const char* idle = "";
  const char* converting = "";
};

// Applies `transform` to the picture of every frame, the frames shared out over `threads`
// workers (1 runs on the calling thread), the results installed in frame order on the
// calling thread once all are done. A frame whose transform fails keeps its picture. While
// the workers run the calling thread reports progress to `progress` (when given) from time
// to time. Returns the number of frames changed.
int TransformEveryFrame(FrameSet& frames, const PictureTransform& transform, int threads,
                        ProgressSink* progress = nullptr);

// The worker count for work over `frames` frames: both cores, never more than frames.
int FrameWorkerCount(int frames);

class ToolSession {
 public:
  explicit ToolSession(DocumentState& doc);
  // A session left open is cancelled.
  ~ToolSession();
  ToolSession(const ToolSession&) = delete;
  ToolSession& operator=(const ToolSession&) = delete;

  // Takes the source copy. False (and nothing changes) when there is no picture or no copy
  // can be made.
  bool Open();
  bool IsOpen() const { return open_; }
  const PackedDib& Source() const { return doc_.toolSource; }
  // Whether a preview has been shown since opening.
  bool Changed() const { return changed_; }

  // Installs a preview computed from the source. A null preview (it failed) leaves the
  // previous one in place and returns false.
  bool ShowPreview(PackedDib preview);

  enum class Outcome {
    kUnchanged,  // nothing was previewed: no snapshot, the picture as before
    kApplied,    // the transform was applied
    kFailed,     // a single picture whose transform failed: the source is back
  };
  // OK: when something changed, takes an undo snapshot of `undoClass`, then applies
  // `transform` to the source (a single picture) or to every frame (an animation, whose
  // first frame is then shown). The session is closed afterwards.
  Outcome Ok(int32_t undoClass, const PictureTransform& transform, int threads = 1,
             ProgressSink* progress = nullptr);

  // Cancel: the exact source is the current picture again (when anything was previewed).
  void Cancel();

 private:
  void Close();

  DocumentState& doc_;
  bool open_ = false;
  bool changed_ = false;
};

// What ending a tool does to playback: an animation plays again from its first frame.
void RestartPlaybackAfterTool(DocumentState& doc, uint32_t nowTick);

}  // namespace zel
