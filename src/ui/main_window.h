// The editor's main window, the shell the commands run in: the menus, the three tool bars and
// the four-pane status bar built from the command data, the view, dropped files, the local
// socket and the recent-file list. The commands themselves are carried out by their
// families' executors (ui/commands/); tool mode belongs to the tool host (ui/tools/).
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/enabling_rules.h"
#include "app/instance_messages.h"
#include "app/command_ids.h"
#include "app/menu_tree.h"
#include "document/document_observers.h"
#include "document/outcome.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/save_confirm_dialog.h"
#include "ui/qt_clipboard.h"

class QAction;
class QLabel;
class QMenu;
class QSocketNotifier;
class QTimer;
class QToolBar;

namespace zel {

class EditorSession;
class FrameStrip;
class IntegrationState;
class PictureView;
class ToolHost;
class ChannelRequest;
struct ChannelMessage;
struct LoadContext;
struct DocumentState;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // The session must have started; it outlives the window.
  explicit MainWindow(EditorSession& session, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Step 12 of start-up: an animated GIF named on the command line is loaded now and marks
  // the document as the command-line one. Any other picture is returned for OpenFile after
  // the window shows (empty when nothing is left to open).
  std::string LoadCommandLineFile(const std::string& name);

  // Carries out a command when this build has it and its rule enables it; false otherwise.
  bool RunCommand(CommandId id);
  // Whether the command is offered now: it has an executor and its rule enables it.
  bool IsAvailable(CommandId id);

  // The open command once a file is chosen: load, and only once the file is in, reset
  // undo and add the file to the recent files. A failure's message is shown; nothing is
  // done (nor shown) while a long operation keeps the document busy.
  Outcome OpenFile(const std::string& path);
  // Before the open commands replace the document: when it holds unsaved work, "保存の確認"
  // is asked. True when the work was saved or the user chose to let it go; false on cancel
  // or a save that did not happen.
  bool SettleUnsavedWork();
  // A drop of `paths`: exactly one existing file, and confirmed when a document is open.
  // True when it was loaded.
  bool DropFiles(const QStringList& paths);
  // The save-as-GIF command after the file name is known. True when the file was written.
  bool SaveGifTo(const std::string& path);

  // The message of a request from another program (identification or picture hand-over).
  // A picture replaces an open document only after string 516 is answered Yes; it is
  // refused while a modal dialog or a tool is open, an edit or a long operation runs. The
  // word a sender hears (HandOverReplyWord).
  uint32_t HandleInstanceMessage(const ChannelMessage& message);
  // A picture hand-over, and what became of it; `beforeAsking` runs before string 516 is
  // asked.
  HandOverAnswer ReceivePicture(const ChannelMessage& request,
                                const std::function<void()>& beforeAsking);

  // Follows the kind: the animation tool bar for an animation, else the picture tool bar.
  void ShowToolBarsForKind();
  void UpdateStatusBar();
  // Refreshes enabled and checked states; the clipboard is asked only for menus.
  void UpdateCommandStates(bool includeClipboard);

  // Replacements of the modal questions and messages, for tests. Each is used when set.
  std::function<SaveChoice()> saveConfirmation;  // "保存の確認"
  std::function<bool(const QString&)> question;  // yes/no questions: true is Yes
  std::function<void(const QString&)> message;   // message boxes
  // The delete-frames pop-up, built and ready: returns the number of the chosen item
  // (kDeleteCurrentFrameItem, kDeleteFramesBeforeItem, kDeleteFramesAfterItem) or 0 when
  // it was dismissed. A grayed item cannot be chosen.
  std::function<int(QMenu&)> deleteFramesChoice;

  static constexpr int kDeleteFramesBeforeItem = zel::kDeleteFramesBeforeItem;
  static constexpr int kDeleteFramesAfterItem = zel::kDeleteFramesAfterItem;
  static constexpr int kDeleteCurrentFrameItem = zel::kDeleteCurrentFrameItem;

  // --- what the commands reach in the shell ---
  EditorSession& Session() { return session_; }
  QtClipboard& Clipboard() { return clipboard_; }
  ToolHost& Tools() { return *tools_; }
  IntegrationState& Integration() { return *integration_; }
  void ShowMessageText(const QString& text);
  void ShowMessage(MessageId id);
  // How the editor shows what became of any command: a failure's message in a box;
  // done, nothing done and cancelled show nothing. Every command's outcome ends here.
  void ShowOutcome(const Outcome& outcome);
  bool Ask(const QString& text);
  // Gives the keyboard back after a modal dialog or message box has gone: to the modal
  // dialog still open under it, else to the main window (its focus widget, else the view).
  // Runs by itself after every dialog and box the program shows (see eventFilter); a window
  // of the program's own that is still up, or a menu, keeps the keyboard.
  void RegainFocus();
  // The notice of frames beyond the frame maximum after a load, once the window has drawn.
  void ReportDroppedFrames(const LoadContext& context);
  // True while a long operation (a save with its progress window, a tool) keeps the
  // document busy: nothing may replace or change it meanwhile.
  bool DocumentBusy() const;
  void UpdateTitle();
  void RefreshView();
  // Everything the window shows of the document: tool bars, status bar, title, view, strip
  // and enabling. The document's observer calls it; so does what changes the frame shown
  // or the picture on show without changing the document (a jump, a cancelled tool).
  void RefreshAll();
  // A pop-up of commands at the cursor; each entry greyed by its own rule.
  void ShowPopup(const std::vector<int>& entries);
  void AddRecentFile(const QString& path);
  void RemoveRecentFile(const QString& path);

  PictureView* View() const { return view_; }
  FrameStrip* Strip() const { return frameStrip_; }
  QToolBar* StandardBar() const { return standardBar_; }
  QToolBar* PictureBar() const { return pictureBar_; }
  QToolBar* AnimationBar() const { return animationBar_; }
  QLabel* KindPane() const { return kindPane_; }
  QLabel* FramePane() const { return framePane_; }
  QLabel* SizePane() const { return sizePane_; }
  QLabel* ZoomPane() const { return zoomPane_; }
  QAction* Action(int id) const;
  QStringList RecentFiles() const { return recentFiles_; }

 protected:
  // Watches the whole application for dialogs and message boxes that close, so that the
  // keyboard comes back to the window however they were run (exec, a local loop, a box
  // shown from inside a dialog that closes right after it).
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void FillMenu(QMenu* menu, const std::vector<MenuNode>& nodes);
  void CreateToolBars();
  QToolBar* MakeToolBar(const QString& title, const QString& objectName,
                        const std::vector<int>& buttons);
  void CreateStatusBar();
  void ListenToChannel();
  // Answers a request from the socket; a sender that asked for the details of a picture
  // hand-over hears first that its user is being asked, and then the outcome.
  void ServeChannelRequest(ChannelRequest& request);
  bool BusyForHandOver() const;
  CommandContext MakeContext(bool includeClipboard);
  // The one handler of every change of the document: title, enabling, status bar, tool
  // bars, view and frame strip.
  void DocumentChanged(DocumentEvent event);
  // Loads `path` as the new document (mode 0): the undo history is reset only once the
  // file is in; a failure shows its message and leaves document and history as they were.
  Outcome LoadNewDocument(const std::string& path);

  void LoadRecentFiles();
  void StoreRecentFiles();
  void UpdateRecentActions();

  EditorSession& session_;
  QtClipboard clipboard_;
  std::unique_ptr<ToolHost> tools_;
  std::unique_ptr<IntegrationState> integration_;
  std::map<CommandId, QAction*> actions_;
  QAction* recentPlaceholder_ = nullptr;
  QStringList recentFiles_;
  PictureView* view_ = nullptr;
  QToolBar* standardBar_ = nullptr;
  QToolBar* pictureBar_ = nullptr;
  QToolBar* animationBar_ = nullptr;
  QLabel* kindPane_ = nullptr;
  QLabel* framePane_ = nullptr;
  QLabel* sizePane_ = nullptr;
  QLabel* zoomPane_ = nullptr;
  DocumentObservers::Token observerToken_ = 0;
  QSocketNotifier* channelNotifier_ = nullptr;
  bool receivingPicture_ = false;  // string 516 is being asked for a hand-over
  FrameStrip* frameStrip_ = nullptr;
};

}  // namespace zel
