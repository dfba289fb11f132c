#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "app/command_table.h"
#include "app/instance_messages.h"
#include "app/load_notices.h"
#include "app/recent_files.h"
#include "app/replace_document.h"
#include "app/save_rules.h"
#include "app/startup_rules.h"
#include "app/status_texts.h"
#include "app/video_import_rules.h"
#include "app/view_zoom.h"
#include "app/window_title.h"
#include "imagefiles/image_loader.h"
#include "platform/folders.h"
#include "platform/heap_tuning.h"
#include "platform/local_channel.h"
#include "resources/string_table.h"
#include "ui/commands/command_executors.h"
#include "ui/commands/integration_commands.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/program_resources.h"
#include "ui/dialogs/save_confirm_dialog.h"
#include "ui/editor_session.h"
#include "ui/frame_strip.h"
#include "ui/picture_view.h"
#include "ui/tools/tool_host.h"
#include "ui/translate.h"
#include "ui/utf8.h"
#include "ui/window_memory.h"

namespace zel {
namespace {

// An icon for a command without a theme icon: its short name on a rounded tile.
QIcon DrawnIcon(const CommandInfo& info) {
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QColor(0x40, 0x50, 0x70));
  painter.setBrush(QColor(0xE8, 0xEE, 0xF8));
  painter.drawRoundedRect(QRectF(1.5, 1.5, 21, 21), 4, 4);
  QFont font = painter.font();
  font.setPixelSize(11);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, Tr(info.toolTip).left(2));
  return QIcon(pixmap);
}

// The desktop theme's icon where a standard one fits, else the program's own drawing.
QIcon ToolBarIcon(const CommandInfo& info) {
  QIcon icon;
  if (info.iconName && *info.iconName) icon = QIcon::fromTheme(Utf8(info.iconName));
  if (icon.isNull()) {
    LoadProgramResources();
    QString resource = CommandIconPath(static_cast<int>(info.id));
    if (QFile::exists(resource)) icon = QIcon(resource);
  }
  return icon.isNull() ? DrawnIcon(info) : icon;
}

// A label pane of the status bar, at least `width` pixels and wide enough for `sample`.
QLabel* MakePane(QWidget* parent, int width, const QString& sample) {
  auto* label = new QLabel(parent);
  label->setAlignment(Qt::AlignCenter);
  int needed = label->fontMetrics().horizontalAdvance(sample) + 8;
  label->setMinimumWidth(std::max(width, needed));
  return label;
}

}  // namespace

MainWindow::MainWindow(EditorSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session) {
  setAcceptDrops(true);
  view_ = new PictureView(session_.doc, this);
  setCentralWidget(view_);
  resize(800, 600);

  tools_ = std::make_unique<ToolHost>(*this);
  integration_ = std::make_unique<IntegrationState>(*this);
  CreateActions();
  CreateMenus();
  CreateToolBars();
  CreateStatusBar();
  LoadRecentFiles();
  ListenToChannel();

  connect(view_, &PictureView::FrameAdvanced, this,
          [this] { framePane_->setText(Utf8(StatusFramePaneText(session_.doc))); });
  connect(view_, &PictureView::ViewChanged, this,
          [this] { zoomPane_->setText(Utf8(ViewZoomText(view_->Zoom().zoom))); });

  frameStrip_ = new FrameStrip(*this);
  addDockWidget(Qt::BottomDockWidgetArea, frameStrip_);
  connect(view_, &PictureView::FrameAdvanced, frameStrip_, &FrameStrip::CurrentFrameChanged);

  // The window follows the document through one handler; what playback changes (the frame
  // shown, and with it the frame commands' enabling) follows the view's frame signal.
  // Once the events of a change are served, the heap gives back what the document no longer
  // holds (the frames of a document replaced, undone or cut, what a load used on the way):
  // the editor lives long, and a long animation's frames must not stay with it after it has
  // gone. One give-back for any number of changes in a row.
  auto* giveBack = new QTimer(this);
  giveBack->setSingleShot(true);
  giveBack->setInterval(0);
  connect(giveBack, &QTimer::timeout, this, [] { GiveBackFreeMemory(); });
  observerToken_ = session_.doc.observers.Subscribe([this, giveBack](DocumentEvent event) {
    DocumentChanged(event);
    if (event != DocumentEvent::kSaved) giveBack->start();
  });
  connect(view_, &PictureView::FrameAdvanced, this, [this] { UpdateCommandStates(false); });
  // Paste follows what the clipboard offers, also for its key while no menu was opened.
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
          [this] { UpdateCommandStates(true); });

  UpdateStatusBar();
  UpdateTitle();
  UpdateCommandStates(true);
  qApp->installEventFilter(this);
  RestoreWindowLayout(*this, session_.profile);
  // The strip keeps the place the layout gave it; whether it shows is the setting's.
  frameStrip_->setVisible(session_.settings.showFrameStrip);
}

MainWindow::~MainWindow() {
  session_.doc.observers.Unsubscribe(observerToken_);
  qApp->removeEventFilter(this);
}

// --- building the window from the command data ---------------------------------------------

void MainWindow::CreateActions() {
  for (const CommandInfo& info : CommandTable()) {
    if (IsRecentFileCommand(info.id)) continue;
    auto* action = new QAction(Tr(info.caption), this);
    const CommandId id = info.id;
    action->setStatusTip(Tr(info.prompt));
    action->setToolTip(Tr(info.toolTip));
    action->setIcon(ToolBarIcon(info));
    action->setIconVisibleInMenu(false);
    QList<QKeySequence> keys;
    if (info.accelerator && *info.accelerator) keys << QKeySequence(Utf8(info.accelerator));
    for (const ExtraAccelerator& extra : ExtraAccelerators()) {
      if (extra.id == info.id) keys << QKeySequence(Utf8(extra.accelerator));
    }
    if (!keys.isEmpty()) action->setShortcuts(keys);
    action->setCheckable(IsCommandCheckable(id));
    action->setEnabled(false);
    // The window holds every action so that its keys work whatever bar is shown.
    addAction(action);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id] = action;
  }
  const CommandInfo* recent = FindCommand(kCmdRecentFile1);
  for (int i = 0; i < kRecentFileCount; ++i) {
    const CommandId id = RecentFileCommand(i);
    auto* action = new QAction(this);
    if (recent) action->setStatusTip(Tr(recent->prompt));
    action->setVisible(false);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id] = action;
  }
  recentPlaceholder_ = new QAction(recent ? Tr(recent->caption) : QString(), this);
  recentPlaceholder_->setEnabled(false);
}

QAction* MainWindow::Action(int id) const {
  auto it = actions_.find(static_cast<CommandId>(id));
  return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::FillMenu(QMenu* menu, const std::vector<MenuNode>& nodes) {
  for (const MenuNode& node : nodes) {
    if (node.separator) {
      menu->addSeparator();
    } else if (node.commandId == kCmdRecentFile1) {
      menu->addAction(recentPlaceholder_);
      for (int i = 0; i < kRecentFileCount; ++i) menu->addAction(Action(RecentFileCommand(i)));
    } else if (node.commandId != 0) {
      if (QAction* action = Action(node.commandId)) menu->addAction(action);
    } else {
      QMenu* sub = menu->addMenu(Tr(node.caption));
      connect(sub, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(true); });
      FillMenu(sub, node.children);
    }
  }
}

void MainWindow::CreateMenus() {
  for (const MenuNode& top : MainMenu()) {
    QMenu* menu = menuBar()->addMenu(Tr(top.caption));
    connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(true); });
    FillMenu(menu, top.children);
  }
}

QToolBar* MainWindow::MakeToolBar(const QString& title, const QString& objectName,
                                  const std::vector<int>& buttons) {
  QToolBar* bar = new QToolBar(title, this);
  bar->setObjectName(objectName);
  bar->setAllowedAreas(Qt::AllToolBarAreas);
  for (int id : buttons) {
    if (id == 0) {
      bar->addSeparator();
    } else if (QAction* action = Action(id)) {
      bar->addAction(action);
    }
  }
  addToolBar(Qt::TopToolBarArea, bar);
  return bar;
}

void MainWindow::CreateToolBars() {
  standardBar_ = MakeToolBar(Tr("汎用ツール"), QStringLiteral("standard"), StandardToolBar());
  // The picture and animation bars (one of them shows at a time) get a row of their own.
  addToolBarBreak(Qt::TopToolBarArea);
  pictureBar_ = MakeToolBar(Tr("ピクチャーツール"), QStringLiteral("picture"), PictureToolBar());
  animationBar_ = MakeToolBar(Tr("アニメツール"), QStringLiteral("animation"), AnimationToolBar());
  pictureBar_->hide();
  animationBar_->hide();
}

void MainWindow::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  kindPane_ = MakePane(bar, 32, Tr("ﾌﾚｰﾑ"));
  framePane_ = MakePane(bar, 48, Utf8("9999/9999"));
  sizePane_ = MakePane(bar, 64, Utf8("9999,9999"));
  bar->addPermanentWidget(kindPane_);
  bar->addPermanentWidget(framePane_);
  bar->addPermanentWidget(sizePane_);
  // The view's zoom, right of the picture's size.
  zoomPane_ = MakePane(bar, 40, Utf8("1600%"));
  zoomPane_->setText(Utf8(ViewZoomText(view_->Zoom().zoom)));
  bar->addPermanentWidget(zoomPane_);
}

void MainWindow::ListenToChannel() {
  int fd = session_.channel.ListeningFd();
  if (fd < 0) return;
  channelNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(channelNotifier_, &QSocketNotifier::activated, this, [this] {
    // The answer may wait for the user (string 516); meanwhile this runs again for other
    // senders, who hear that the editor is busy.
    if (std::unique_ptr<ChannelRequest> request = session_.channel.AcceptRequest()) {
      ServeChannelRequest(*request);
    }
  });
}

// --- command states -------------------------------------------------------------------------

CommandContext MainWindow::MakeContext(bool includeClipboard) {
  CommandContext ctx;
  ctx.doc = &session_.doc;
  ctx.canUndo = session_.doc.undo.CanUndo();
  ctx.canRedo = session_.doc.undo.CanRedo();
  ctx.motionDefinitionsExist = session_.motions.Count() > 0;
  ctx.clipboardHasPicture = includeClipboard && clipboard_.HasPicture();
  ctx.vantaAvailable = integration_->VantaAvailable();
  // Morsel is asked (from a cache) only when its answer matters.
  ctx.commandLinePath = session_.commandLinePath;
  ctx.morselReady = IsDocumentOpen(session_.doc) &&
                    ChooseMorselRoute(session_.doc, session_.commandLinePath) !=
                        MorselRoute::kRewriteCommandLineFile &&
                    integration_->MorselReady();
  ctx.pictureToolBarVisible = pictureBar_ && pictureBar_->isVisibleTo(this);
  ctx.animationToolBarVisible = animationBar_ && animationBar_->isVisibleTo(this);
  ctx.standardToolBarVisible = standardBar_ && standardBar_->isVisibleTo(this);
  ctx.statusBarVisible = statusBar()->isVisibleTo(this);
  ctx.frameStripVisible = frameStrip_ && frameStrip_->isVisibleTo(this);
  return ctx;
}

bool MainWindow::IsAvailable(CommandId id) {
  if (IsRecentFileCommand(id)) {
    return id - kCmdRecentFile1 < recentFiles_.size() && IsCommandEnabled(id, MakeContext(false));
  }
  return FindExecutor(id) != nullptr &&
         IsCommandEnabled(id, MakeContext(id == kCmdImportClipboard));
}

void MainWindow::UpdateCommandStates(bool includeClipboard) {
  const CommandContext ctx = MakeContext(includeClipboard);
  for (auto& [id, action] : actions_) {
    if (IsRecentFileCommand(id)) continue;
    if (id == kCmdImportClipboard && !includeClipboard) continue;
    action->setEnabled(FindExecutor(id) != nullptr && IsCommandEnabled(id, ctx));
    if (action->isCheckable()) action->setChecked(IsCommandChecked(id, ctx));
  }
  UpdateRecentActions();
}

bool MainWindow::RunCommand(CommandId id) {
  if (!IsAvailable(id)) return false;
  FindExecutor(id)->run(*this, id);
  UpdateStatusBar();
  UpdateTitle();
  UpdateCommandStates(false);
  return true;
}

// --- status bar, tool bars, title -----------------------------------------------------------

void MainWindow::ShowToolBarsForKind() {
  const bool animation = ShowsAnimationToolBar(session_.doc.kind);
  if (pictureBar_->isVisibleTo(this) == animation) pictureBar_->setVisible(!animation);
  if (animationBar_->isVisibleTo(this) != animation) animationBar_->setVisible(animation);
}

void MainWindow::UpdateStatusBar() {
  kindPane_->setText(Utf8(StatusKindText(session_.doc)));
  framePane_->setText(Utf8(StatusFramePaneText(session_.doc)));
  sizePane_->setText(Utf8(StatusSizeText(session_.doc)));
  // Every change of the document ends here; the strip follows it.
  if (frameStrip_) frameStrip_->Refresh();
}

void MainWindow::UpdateTitle() {
  setWindowTitle(Utf8(MainWindowTitle(session_.doc)));
}

void MainWindow::RefreshView() {
  view_->PictureChanged();
}

void MainWindow::DocumentChanged(DocumentEvent event) {
  // A new document starts at 100 %, or fitted when larger than the view, at its top-left;
  // the fit is taken once the bars of its kind are in place.
  if (event == DocumentEvent::kLoaded) {
    ShowToolBarsForKind();
    view_->StartNewPicture();
  }
  RefreshAll();
}

void MainWindow::RefreshAll() {
  ShowToolBarsForKind();
  UpdateStatusBar();
  UpdateTitle();
  RefreshView();
  UpdateCommandStates(false);
}

void MainWindow::ShowPopup(const std::vector<int>& entries) {
  UpdateCommandStates(false);
  QMenu menu(this);
  for (int id : entries) {
    if (id == 0) {
      menu.addSeparator();
    } else if (QAction* action = Action(id)) {
      menu.addAction(action);
    }
  }
  menu.exec(QCursor::pos());
}

bool MainWindow::SaveGifTo(const std::string& path) {
  return zel::SaveGifTo(*this, path);
}

// --- messages -------------------------------------------------------------------------------

// Shown once the window has drawn the loaded document (and, for a hand-over, once the other
// program has its answer).
void MainWindow::ReportDroppedFrames(const LoadContext& context) {
  const std::string notice = DroppedFramesNotice(context.framesInFile, context.framesKept);
  if (notice.empty()) return;
  QTimer::singleShot(0, this, [this, text = Utf8(notice)] { ShowMessageText(text); });
}

void MainWindow::ShowMessageText(const QString& text) {
  ShowMessageThrough(message, this, text);
}

void MainWindow::ShowMessage(MessageId id) {
  if (const char* text = MessageText(id)) ShowMessageText(Utf8(text));
}

void MainWindow::ShowOutcome(const Outcome& outcome) {
  if (const char* text = OutcomeText(outcome)) ShowMessageText(Utf8(text));
}

bool MainWindow::Ask(const QString& text) {
  return question ? question(text) : AskYesNo(this, text);
}

void MainWindow::RegainFocus() {
  if (!isVisible() || isMinimized()) return;
  // A menu keeps the keyboard until it closes.
  if (QApplication::activePopupWidget()) return;
  // A box closed over a dialog that stays: the dialog has it back. The window manager may
  // have given the focus to a window that was closing meanwhile, so it is asked for again.
  if (QWidget* modal = QApplication::activeModalWidget()) {
    if (modal->isVisible() && QApplication::activeWindow() != modal) modal->activateWindow();
    return;
  }
  // A window of the program's own still up (the MIDI tempo window, a tool's form) keeps it.
  QWidget* active = QApplication::activeWindow();
  if (active && active != this && active->isVisible()) return;
  raise();
  activateWindow();
  QWidget* focus = focusWidget();
  if (focus == nullptr || !focus->isVisible() || !focus->isEnabled()) focus = view_;
  focus->setFocus(Qt::ActiveWindowFocusReason);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Hide && watched != this && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->isWindow() && (widget->isModal() || qobject_cast<QDialog*>(widget))) {
      // Once the dialog's own code has run to its end (a box before a dialog closes, a
      // dialog that closes right after its box).
      QTimer::singleShot(0, this, &MainWindow::RegainFocus);
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// --- loading --------------------------------------------------------------------------------

std::string MainWindow::LoadCommandLineFile(const std::string& name) {
  if (name.empty()) return {};
  if (!IsQuickAnimatedGif(name)) return name;
  DocumentState& doc = session_.doc;
  LoadContext context = session_.MakeLoadContext(&clipboard_);
  if (!ReplaceDocumentFromFile(doc, name, context, &session_.cutFrameFiles).Replaced()) return {};
  // The command-line document does not count as a later load.
  doc.flags = (doc.flags | kFlagFromCommandLine) & ~kFlagLoaded;
  session_.commandLinePath = name;
  AddRecentFile(Utf8(name));
  ReportDroppedFrames(context);
  return {};
}

bool MainWindow::DocumentBusy() const {
  return IsDocumentBusy(session_.doc);
}

Outcome MainWindow::LoadNewDocument(const std::string& path) {
  DocumentState& doc = session_.doc;
  LoadContext context = session_.MakeLoadContext(&clipboard_);
  // The history goes only once the new document is in; a file whose frames were cut is
  // remembered for the save question.
  const ReplaceResult replaced =
      ReplaceDocumentFromFile(doc, path, context, &session_.cutFrameFiles);
  const Outcome result = replaced.outcome;
  ShowOutcome(result);
  ReportDroppedFrames(context);
  return result;
}

Outcome MainWindow::OpenFile(const std::string& path) {
  if (DocumentBusy()) return Outcome::NothingDone();
  if (IsVideoFileName(path)) {  // a clip given on the command line: its dialog
    OpenVideoFile(*this, path);
    return Outcome::NothingDone();
  }
  const Outcome result = LoadNewDocument(path);
  if (result.done()) AddRecentFile(Utf8(path));
  return result;
}

bool MainWindow::DropFiles(const QStringList& paths) {
  if (DocumentBusy()) return false;
  if (paths.size() != 1 || !QFileInfo(paths.front()).isFile()) return false;
  if (IsDocumentOpen(session_.doc) && !Ask(Utf8(MessageText(kMsgDiscardPicture)))) return false;
  if (IsVideoFileName(paths.front().toStdString())) {  // a dropped clip: its dialog
    OpenVideoFile(*this, paths.front().toStdString());
    return false;
  }
  return LoadNewDocument(paths.front().toStdString()).done();
}

bool MainWindow::BusyForHandOver() const {
  return receivingPicture_ || QApplication::activeModalWidget() != nullptr || DocumentBusy() ||
         tools_->Active() || integration_->Editing();
}

HandOverAnswer MainWindow::ReceivePicture(const ChannelMessage& request,
                                          const std::function<void()>& beforeAsking) {
  // Never under a dialog or tool the user is working in (the question below included),
  // during an edit in the paint program nor in the middle of a save: the sender hears that
  // the editor is busy and may try again.
  if (BusyForHandOver()) return HandOverAnswer::kBusy;
  PackedDib picture = HandOverPicture(request.data);
  // Bytes that are no picture at all are refused before the user is asked anything.
  if (!picture || !IsWholePicture(picture)) return HandOverAnswer::kNotAPicture;
  DocumentState& doc = session_.doc;
  if (IsDocumentOpen(doc)) {
    receivingPicture_ = true;
    if (beforeAsking) beforeAsking();
    const bool replace = Ask(Utf8(MessageText(kMsgDiscardPicture)));
    receivingPicture_ = false;
    if (!replace) return HandOverAnswer::kRefusedByUser;
    // The question runs events: check again before the document is replaced.
    if (BusyForHandOver()) return HandOverAnswer::kBusy;
  }
  LoadContext context = session_.MakeLoadContext(&clipboard_);
  // Data from another program: a picture that does not load leaves everything, the undo
  // history included, as it was.
  if (!ReplaceDocumentWithPicture(doc, std::move(picture), context).Replaced()) {
    return HandOverAnswer::kLoadFailed;
  }
  ReportDroppedFrames(context);
  return HandOverAnswer::kLoaded;
}

uint32_t MainWindow::HandleInstanceMessage(const ChannelMessage& request) {
  if (request.message == kMsgIdentify) return AnswerIdentify(request.wParam);
  if (!IsPictureHandOver(request)) return 0;
  return HandOverReplyWord(ReceivePicture(request, {}), WantsDetailedAnswers(request));
}

void MainWindow::ServeChannelRequest(ChannelRequest& request) {
  const ChannelMessage& message = request.Message();
  if (!IsPictureHandOver(message)) {
    request.Reply(HandleInstanceMessage(message));
    return;
  }
  // A sender that gave up while the editor could not attend to it (a long task) is gone:
  // its picture is not taken behind its back.
  if (request.SenderGone()) return;
  const bool detailed = WantsDetailedAnswers(message);
  // A sender that asked for the details hears that the user is being asked, and then waits
  // for as long as the user takes.
  const HandOverAnswer answer = ReceivePicture(message, [&request, detailed] {
    if (detailed) request.Reply(static_cast<uint32_t>(HandOverAnswer::kAskingUser));
  });
  request.Reply(HandOverReplyWord(answer, detailed));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    paths << (url.isLocalFile() ? url.toLocalFile() : QString());
  }
  event->acceptProposedAction();
  // The question box must not run inside the drag-and-drop machinery.
  QTimer::singleShot(0, this, [this, paths] { DropFiles(paths); });
}

// --- recent files ---------------------------------------------------------------------------

void MainWindow::LoadRecentFiles() {
  recentFiles_.clear();
  for (const std::string& path : zel::LoadRecentFiles(session_.profile)) recentFiles_ << Utf8(path);
  UpdateRecentActions();
}

namespace {

std::vector<std::string> StdList(const QStringList& list) {
  std::vector<std::string> out;
  for (const QString& path : list) out.push_back(path.toStdString());
  return out;
}

QStringList QtList(const std::vector<std::string>& list) {
  QStringList out;
  for (const std::string& path : list) out << QString::fromStdString(path);
  return out;
}

}  // namespace

void MainWindow::AddRecentFile(const QString& path) {
  recentFiles_ = QtList(WithRecentFile(StdList(recentFiles_), path.toStdString(), CurrentFolder()));
  StoreRecentFiles();
}

void MainWindow::RemoveRecentFile(const QString& path) {
  const QStringList before = recentFiles_;
  recentFiles_ = QtList(WithoutRecentFile(StdList(recentFiles_), path.toStdString()));
  if (recentFiles_ != before) StoreRecentFiles();
}

// The list goes to zel.ini at once, as it changes.
void MainWindow::StoreRecentFiles() {
  zel::StoreRecentFiles(StdList(recentFiles_), session_.profile);
  session_.profile.Save();
  UpdateRecentActions();
}

void MainWindow::UpdateRecentActions() {
  for (int i = 0; i < kRecentFileCount; ++i) {
    QAction* action = Action(RecentFileCommand(i));
    if (!action) continue;
    const bool used = i < recentFiles_.size();
    action->setVisible(used);
    action->setEnabled(used && !DocumentBusy());
    if (used) {
      QString name = recentFiles_.at(i);
      name.replace(QLatin1Char('&'), QStringLiteral("&&"));
      action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
    }
  }
  if (recentPlaceholder_) recentPlaceholder_->setVisible(recentFiles_.isEmpty());
}

// --- closing --------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing ends a wait for the paint program; the document stays as it was.
  if (integration_->Editing()) integration_->AbandonEdit();
  // A save in progress finishes first; closing now would pull the document from under it.
  if (DocumentBusy()) {
    event->ignore();
    return;
  }
  if (!SettleUnsavedWork()) {
    event->ignore();
    return;
  }
  RememberWindowLayout(*this, session_.profile);
  event->accept();
}

bool MainWindow::SettleUnsavedWork() {
  if (DocumentBusy()) return false;
  const DocumentState& doc = session_.doc;
  if (!NeedsSaveConfirmation(doc)) return true;
  const SaveChoice choice = saveConfirmation ? saveConfirmation() : AskSaveBeforeClose(this);
  // Only "保存しない" lets unsaved work go; a cancelled or failed save keeps it.
  if (choice == SaveChoice::kCancel) return false;
  return choice == SaveChoice::kDiscard || SaveBeforeClose(*this);
}

}  // namespace zel
