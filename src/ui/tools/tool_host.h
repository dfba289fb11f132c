// Tool mode, built once for every tool of the editor. While a tool runs the three tool bars
// are hidden (and shown again afterwards exactly as they were) and the status texts are
// saved and put back. For an interactive tool the host drives its ToolSession: the busy bit
// keeps playback off the frames and an animation plays again from its first frame when the
// tool ends. The host places a tool's form (the bar along the bottom of the view, or the
// full form below the picture), renders only the latest input as a fast preview, applies
// OK over the picture or every frame on worker threads with progress, and restores the
// exact source on Cancel.
#pragma once

#include <QString>
#include <memory>

namespace zel {

class InteractiveTool;
class MainWindow;
class PictureView;
class ProgressSink;
class ToolForm;
class ToolSession;
struct DocumentState;

class ToolHost {
 public:
  explicit ToolHost(MainWindow& window);
  ~ToolHost();

  // Tool mode; Begin and End come in pairs (ToolMode does both). While it lasts the texts
  // of status panes 0 and 3 can be changed freely: End puts them back. Tool mode alone
  // leaves the busy bit and playback alone: time adjustment runs in it while the animation
  // keeps playing, so that the new times are seen at once.
  void Begin();
  void End();
  bool Active() const { return active_; }

  void ShowStatus(const QString& text);  // status pane 0
  void ShowSize(const QString& text);    // status pane 3
  QString StatusText() const;
  QString SizeText() const;

  PictureView* View() const;
  DocumentState& Doc() const;
  bool StandardBarFloats() const;

  // Runs a form modally where it belongs: `bar` along the bottom edge of the view unless
  // the standard tool bar floats or the bar does not fit (then, or when `bar` is null,
  // `full` opens 4 pixels right of the view's left edge and 4 below the picture, kept on
  // the screen; where windows cannot be placed, as on Wayland, centred over the view).
  // Returns the form's result.
  int RunForm(ToolForm* bar, ToolForm* full);

  // Runs a whole interactive tool in tool mode: the source copy, a preview on every change
  // of the inputs (only the latest is rendered), OK and Cancel. A bar form that closes with
  // kToolFormNoRoom reopens as the full form. Returns kToolFormOk, kToolFormSwitch (the
  // source is back; the caller opens the tool's other form) or kToolFormCancel (also when
  // no copy of the picture could be made).
  int RunTool(InteractiveTool& tool);

  // The number of worker threads OK uses over the frames of an animation (0: one per
  // core). Tests set it to compare.
  int workerThreads = 0;

 private:
  int PictureBottom() const;
  void RenderLatest(InteractiveTool& tool, ToolSession& session);
  void ApplyOk(InteractiveTool& tool, ToolSession& session, ToolForm& form);

  MainWindow& window_;
  bool active_ = false;
  bool barsVisible_[3] = {false, false, false};
  QString savedStatus_;
  QString savedSize_;
  bool previewPending_ = false;
  bool applying_ = false;
};

// Tool mode for the lifetime of the object.
class ToolMode {
 public:
  explicit ToolMode(ToolHost& host) : host_(host) { host_.Begin(); }
  ~ToolMode() { host_.End(); }
  ToolMode(const ToolMode&) = delete;
  ToolMode& operator=(const ToolMode&) = delete;

 private:
  ToolHost& host_;
};

}  // namespace zel
