#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
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
#include <QSettings>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <array>
#include <cstring>

#include "app/change_color.h"
#include "app/command_table.h"
#include "app/instance_messages.h"
#include "app/load_notices.h"
#include "app/save_document.h"
#include "app/save_rules.h"
#include "app/settings.h"
#include "app/startup_rules.h"
#include "app/status_texts.h"
#include "document/frame_operations.h"
#include "document/playback.h"
#include "document/time_adjustment.h"
#include "imagefiles/file_names.h"
#include "imagefiles/image_loader.h"
#include "platform/clock.h"
#include "platform/local_channel.h"
#include "resources/string_table.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/change_color_dialog.h"
#include "ui/dialogs/color_chooser.h"
#include "ui/dialogs/define_dialog.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/jump_dialog.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/palette_dialog.h"
#include "ui/dialogs/program_resources.h"
#include "ui/dialogs/progress_window.h"
#include "ui/dialogs/save_confirm_dialog.h"
#include "ui/dialogs/save_jpeg_dialog.h"
#include "ui/dialogs/time_detail_dialog.h"
#include "ui/dialogs/time_slider_dialog.h"
#include "ui/editor_session.h"
#include "ui/picture_view.h"

namespace zel {
namespace {

// Recent files live in Qt's own settings: organisation "Zel", application "zel".
constexpr const char* kRecentOrganization = "Zel";
constexpr const char* kRecentApplication = "zel";
constexpr const char* kRecentGroup = "Recent File List";

constexpr int kStateRefreshMs = 250;

// Texts of the file commands.
constexpr const char* kOpenTitle = "表示する画像ファイルを選択します";
constexpr const char* kOpenFilterName = "画像ファイル";
constexpr const char* kOpenPatterns = "*.jpg;*.bmp;*.gif;*.png";
constexpr const char* kGifSaveTitle = "保存するGIFファイルを設定します";
constexpr const char* kGifFilterName = "GIFファイル";
constexpr const char* kBmpSaveTitle = "保存するBMPファイルを選択します";
constexpr const char* kBmpFilterName = "BMPファイル";
constexpr const char* kIconSaveTitle = "作成するアイコンファイルを選択します";
constexpr const char* kIconFilterName = "アイコンファイル";
constexpr const char* kGifProgressCaption = "GIFﾌｧｲﾙの作成";
constexpr const char* kUntitledTitle = "無題";
constexpr const char* kApplicationTitle = "Zel";

// The delete-frames pop-up and the slider form's prompt.
constexpr const char* kDeleteCurrentFrameText = "現在のコマを削除する";
constexpr const char* kDeleteFramesBeforeText = "現在より前の全部を削除する";
constexpr const char* kDeleteFramesAfterText = "現在より後ろの全部を削除する";
constexpr const char* kTimeSliderPrompt = "時間調節、ｽﾗｲﾀﾞｰを操作します";

QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}
QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

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
  painter.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, Utf8(info.toolTip).left(2));
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

  RegisterCommands();
  CreateActions();
  CreateMenus();
  CreateToolBars();
  CreateStatusBar();
  LoadRecentFiles();
  ListenToChannel();

  connect(view_, &PictureView::FrameAdvanced, this,
          [this] { framePane_->setText(Utf8(StatusFramePaneText(session_.doc))); });

  stateTimer_ = new QTimer(this);
  connect(stateTimer_, &QTimer::timeout, this, [this] { UpdateCommandStates(false); });
  stateTimer_->start(kStateRefreshMs);

  UpdateStatusBar();
  UpdateTitle();
  UpdateCommandStates(false);
}

MainWindow::~MainWindow() = default;

// --- building the window from the command data ---------------------------------------------

void MainWindow::CreateActions() {
  for (const CommandInfo& info : CommandTable()) {
    if (IsRecentFileCommand(info.id)) continue;
    auto* action = new QAction(Utf8(info.caption), this);
    const int id = info.id;
    action->setStatusTip(Utf8(info.prompt));
    action->setToolTip(Utf8(info.toolTip));
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
    const int id = kCmdRecentFile1 + i;
    auto* action = new QAction(this);
    if (recent) action->setStatusTip(Utf8(recent->prompt));
    action->setVisible(false);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id] = action;
  }
  recentPlaceholder_ = new QAction(recent ? Utf8(recent->caption) : QString(), this);
  recentPlaceholder_->setEnabled(false);
}

QAction* MainWindow::Action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::FillMenu(QMenu* menu, const std::vector<MenuNode>& nodes) {
  for (const MenuNode& node : nodes) {
    if (node.separator) {
      menu->addSeparator();
    } else if (node.commandId == kCmdRecentFile1) {
      menu->addAction(recentPlaceholder_);
      for (int i = 0; i < kRecentFileCount; ++i) menu->addAction(Action(kCmdRecentFile1 + i));
    } else if (node.commandId != 0) {
      if (QAction* action = Action(node.commandId)) menu->addAction(action);
    } else {
      QMenu* sub = menu->addMenu(Utf8(node.caption));
      connect(sub, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(true); });
      FillMenu(sub, node.children);
    }
  }
}

void MainWindow::CreateMenus() {
  for (const MenuNode& top : MainMenu()) {
    QMenu* menu = menuBar()->addMenu(Utf8(top.caption));
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
  standardBar_ = MakeToolBar(Utf8("汎用ツール"), QStringLiteral("standard"), StandardToolBar());
  // The picture and animation bars (one of them shows at a time) get a row of their own.
  addToolBarBreak(Qt::TopToolBarArea);
  pictureBar_ = MakeToolBar(Utf8("ピクチャーツール"), QStringLiteral("picture"), PictureToolBar());
  animationBar_ =
      MakeToolBar(Utf8("アニメツール"), QStringLiteral("animation"), AnimationToolBar());
  pictureBar_->hide();
  animationBar_->hide();
}

void MainWindow::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  kindPane_ = MakePane(bar, 32, Utf8("ﾌﾚｰﾑ"));
  framePane_ = MakePane(bar, 48, Utf8("9999/9999"));
  sizePane_ = MakePane(bar, 64, Utf8("9999,9999"));
  bar->addPermanentWidget(kindPane_);
  bar->addPermanentWidget(framePane_);
  bar->addPermanentWidget(sizePane_);
}

void MainWindow::RegisterCommands() {
  auto add = [this](int id, void (MainWindow::*method)()) {
    dispatch_.Register(id, [this, method](int) { (this->*method)(); });
  };
  add(kCmdOpen, &MainWindow::OpenCommand);
  add(kCmdSaveGif, &MainWindow::SaveGifCommand);
  add(kCmdSaveBitmap, &MainWindow::SaveBitmapCommand);
  add(kCmdSaveJpeg, &MainWindow::SaveJpegCommand);
  add(kCmdMakeIcon, &MainWindow::MakeIconCommand);
  add(kCmdUndo, &MainWindow::UndoCommand);
  add(kCmdBackgroundColor, &MainWindow::BackgroundColorCommand);
  add(kCmdHelp, &MainWindow::HelpCommand);
  dispatch_.Register(kCmdSavePopup, [this](int) { ShowPopup(SavePopup()); });
  dispatch_.Register(kCmdTransparencyPopup, [this](int) { ShowPopup(TransparencyPopup()); });
  dispatch_.Register(kCmdExit, [this](int) { close(); });
  dispatch_.Register(kCmdStart, [this](int) { StartPlayback(session_.doc); });
  dispatch_.Register(kCmdStop, [this](int) { StopPlayback(session_.doc); });
  dispatch_.Register(kCmdJump, [this](int) {
    JumpDialog dialog(session_.doc, this);
    dialog.exec();
  });
  add(kCmdDeleteFrames, &MainWindow::DeleteFramesCommand);
  dispatch_.Register(kCmdInsertFrame, [this](int) { RunFrameOperation(&InsertFrameCopy); });
  dispatch_.Register(kCmdConvertToPicture, [this](int) { RunFrameOperation(&ConvertToPicture); });
  dispatch_.Register(kCmdMakeFirstFrame,
                     [this](int) { RunFrameOperation(&MakeCurrentFrameFirst); });
  dispatch_.Register(kCmdRepeatAnimation, [this](int) { RunFrameOperation(&RepeatAnimation); });
  dispatch_.Register(kCmdReverse, [this](int) {
    ReverseAnimation(session_.doc, TickCount());
    AfterFrameChange();
  });
  add(kCmdTimeAdjust, &MainWindow::TimeAdjustCommand);
  dispatch_.Register(kCmdInvertBackground, [this](int) {
    InvertBackgroundColor(session_.doc);
    RefreshView();
  });
  dispatch_.Register(kCmdOptions, [this](int) {
    DefineDialog dialog(session_.settings.block, this);
    dialog.exec();
  });
  dispatch_.Register(kCmdStandardToolBar, [this](int) { ToggleBar(standardBar_); });
  dispatch_.Register(kCmdStatusBar, [this](int) { ToggleBar(statusBar()); });
  dispatch_.Register(kCmdPictureToolBar, [this](int) { ToggleBar(pictureBar_); });
  dispatch_.Register(kCmdAnimationToolBar, [this](int) { ToggleBar(animationBar_); });
  dispatch_.Register(kCmdAbout, [this](int) { ShowAboutDialog(this); });
  dispatch_.Register(kCmdPaletteOperation, [this](int) {
    RunPaletteDialog(session_, this, [this](const QString& text) { return Ask(text); });
    RefreshView();
  });
  // A toggle: an 8-bit picture goes back to full colour, any other opens the dialog.
  dispatch_.Register(kCmdColorResolution, [this](int) {
    DocumentState& doc = session_.doc;
    if (doc.currentPicture && doc.currentPicture.Header().bitCount == 8) {
      if (!ToggleToFullColor(doc)) ShowMessageNumber(kMsgNoMemory);
    } else {
      ChangeColorDialog dialog(doc, session_.settings.block, session_.settings.highQualityColors,
                               this);
      if (message) dialog.message = message;
      dialog.exec();
    }
    RefreshView();
  });
  for (int i = 0; i < kRecentFileCount; ++i) {
    dispatch_.Register(kCmdRecentFile1 + i, [this](int id) { OpenRecentFile(id); });
  }
}

void MainWindow::ListenToChannel() {
  int fd = session_.channel.ListeningFd();
  if (fd < 0) return;
  channelNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(channelNotifier_, &QSocketNotifier::activated, this, [this] {
    session_.channel.AcceptAndServeOne(
        [this](const ChannelMessage& request) { return HandleInstanceMessage(request); });
  });
}

// --- command states -------------------------------------------------------------------------

CommandContext MainWindow::MakeContext(bool includeClipboard) {
  CommandContext ctx;
  ctx.doc = &session_.doc;
  ctx.canUndo = session_.doc.undo.CanUndo();
  ctx.clipboardHasPicture = includeClipboard && clipboard_.HasPicture();
  ctx.pictureToolBarVisible = pictureBar_ && pictureBar_->isVisibleTo(this);
  ctx.animationToolBarVisible = animationBar_ && animationBar_->isVisibleTo(this);
  ctx.standardToolBarVisible = standardBar_ && standardBar_->isVisibleTo(this);
  ctx.statusBarVisible = statusBar()->isVisibleTo(this);
  return ctx;
}

bool MainWindow::IsAvailable(int id) {
  if (IsRecentFileCommand(id)) {
    return id - kCmdRecentFile1 < recentFiles_.size() && IsCommandEnabled(id, MakeContext(false));
  }
  return dispatch_.Has(id) && IsCommandAvailable(id, MakeContext(id == kCmdImportClipboard));
}

void MainWindow::UpdateCommandStates(bool includeClipboard) {
  const CommandContext ctx = MakeContext(includeClipboard);
  for (auto& [id, action] : actions_) {
    if (IsRecentFileCommand(id)) continue;
    if (id == kCmdImportClipboard && !includeClipboard) continue;
    action->setEnabled(dispatch_.Has(id) && IsCommandAvailable(id, ctx));
    if (action->isCheckable()) action->setChecked(IsCommandChecked(id, ctx));
  }
  UpdateRecentActions();
}

bool MainWindow::RunCommand(int id) {
  if (!IsAvailable(id)) return false;
  dispatch_.Run(id);
  UpdateStatusBar();
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
}

void MainWindow::UpdateTitle() {
  const std::string& path = session_.doc.filePath;
  QString name = path.empty() ? Utf8(kUntitledTitle) : QFileInfo(Utf8(path)).fileName();
  setWindowTitle(name + QStringLiteral(" - ") + Utf8(kApplicationTitle));
}

void MainWindow::RefreshView() {
  view_->update();
}

void MainWindow::AfterLoad() {
  ShowToolBarsForKind();
  UpdateStatusBar();
  UpdateTitle();
  RefreshView();
  UpdateCommandStates(false);
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
  if (message) {
    message(text);
  } else {
    ShowMessage(this, text);
  }
}

void MainWindow::ShowMessageNumber(int id) {
  if (const char* text = MessageText(id)) ShowMessageText(Utf8(text));
}

bool MainWindow::Ask(const QString& text) {
  return question ? question(text) : AskYesNo(this, text);
}

// --- loading --------------------------------------------------------------------------------

std::string MainWindow::LoadCommandLineFile(const std::string& name) {
  if (name.empty()) return {};
  if (!IsQuickAnimatedGif(name)) return name;
  DocumentState& doc = session_.doc;
  LoadContext context = session_.MakeLoadContext(&clipboard_);
  if (LoadImageFile(doc, name, LoadMode::kOpen, context) != 0) return {};
  // The command-line document does not count as a later load.
  doc.flags = (doc.flags | kFlagFromCommandLine) & ~kFlagLoaded;
  AddRecentFile(Utf8(name));
  AfterLoad();
  ReportDroppedFrames(context);
  return {};
}

bool MainWindow::DocumentBusy() const {
  return (session_.doc.flags & kFlagBusy) != 0;
}

int MainWindow::LoadNewDocument(const std::string& path) {
  DocumentState& doc = session_.doc;
  LoadContext context = session_.MakeLoadContext(&clipboard_);
  int result = LoadImageFile(doc, path, LoadMode::kOpen, context);
  // The history belongs to the document it was made on: it goes only when that document
  // has really been replaced.
  if (result == 0) doc.undo.Reset();
  if (result != 0) ShowMessageNumber(result);
  AfterLoad();
  ReportDroppedFrames(context);
  return result;
}

int MainWindow::OpenFile(const std::string& path) {
  if (DocumentBusy()) return -1;
  int result = LoadNewDocument(path);
  if (result == 0) AddRecentFile(Utf8(path));
  return result;
}

bool MainWindow::DropFiles(const QStringList& paths) {
  if (DocumentBusy()) return false;
  if (paths.size() != 1 || !QFileInfo(paths.front()).isFile()) return false;
  if (IsDocumentOpen(session_.doc) && !Ask(Utf8(MessageText(kMsgDiscardPicture)))) return false;
  return LoadNewDocument(paths.front().toStdString()) == 0;
}

uint32_t MainWindow::HandleInstanceMessage(const ChannelMessage& request) {
  if (request.message == kMsgIdentify) return AnswerIdentify(request.wParam);
  if (!IsPictureHandOver(request)) return 0;
  // Never under a dialog the user is answering (this question included) nor in the middle
  // of a save: the sender hears 0 and may try again.
  if (QApplication::activeModalWidget() != nullptr || DocumentBusy()) return 0;
  PackedDib picture = HandOverPicture(request.data);
  // Bytes that are no picture at all are refused before the user is asked anything.
  if (!picture || !IsWholePicture(picture)) return 0;
  DocumentState& doc = session_.doc;
  if (IsDocumentOpen(doc) && !Ask(Utf8(MessageText(kMsgDiscardPicture)))) return 0;
  // The question runs events: check again before the document is replaced.
  if (DocumentBusy()) return 0;
  LoadContext context = session_.MakeLoadContext(&clipboard_);
  // Data from another program: a picture that does not load leaves everything, the undo
  // history included, as it was.
  if (LoadHandedOverPicture(doc, std::move(picture), context) != 0) return 0;
  doc.undo.Reset();
  AfterLoad();
  ReportDroppedFrames(context);
  return 1;
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

// --- file commands --------------------------------------------------------------------------

void MainWindow::OpenCommand() {
  Settings& settings = session_.settings.block;
  const DocumentState& doc = session_.doc;
  std::string path = !doc.filePath.empty() ? doc.filePath : settings.lastImagePath;
  if (!settings.openPathHint.empty() && session_.InsideSettingsFolder(path)) {
    path = settings.openPathHint;
  }
  if (!ShowOpenImageDialog(this, Utf8(kOpenTitle), Utf8(kOpenFilterName), Utf8(kOpenPatterns),
                           path)) {
    return;
  }
  if (!session_.InsideSettingsFolder(path)) settings.openPathHint = path;
  settings.lastImagePath = path;
  OpenFile(path);
}

void MainWindow::SaveGifCommand() {
  SaveGifWithDialog();
}

bool MainWindow::SaveGifWithDialog() {
  if (!CanSaveAsGif(session_.doc)) return false;
  std::string& last = session_.settings.block.lastImagePath;
  std::string path = last;
  if (!session_.InsideSettingsFolder(path)) {
    path = ReplaceExtension(last, "gif");
    if (!ShowSaveImageDialog(this, Utf8(kGifSaveTitle), Utf8(kGifFilterName),
                             QStringLiteral("*.gif"), "gif", path)) {
      return false;
    }
    last = path;
  }
  return SaveGifTo(path);
}

bool MainWindow::SaveGifTo(const std::string& path) {
  DocumentState& doc = session_.doc;
  // One save at a time: a second one would stamp its result on the first one's document.
  if (DocumentBusy() || !CanSaveAsGif(doc)) return false;
  // The progress window runs events: while the busy bit is set, playback stands still and
  // no command, load or hand-over touches the document the writer is walking.
  doc.flags |= kFlagBusy;
  int result;
  {
    ProgressWindow progress(this, Utf8(kGifProgressCaption));
    progress.DisableCancel();
    result = SaveDocumentAsGif(doc, path, &progress);
  }
  doc.flags &= ~static_cast<uint32_t>(kFlagBusy);
  UpdateCommandStates(false);
  if (result != 0) {
    ShowMessageText(Utf8(kGifWriteFailedText));
    return false;
  }
  UpdateTitle();
  UpdateStatusBar();
  return true;
}

void MainWindow::SaveBitmapCommand() {
  SaveBitmapWithDialog();
}

bool MainWindow::SaveBitmapWithDialog() {
  DocumentState& doc = session_.doc;
  if (DocumentBusy() || !CanSaveAsBitmap(doc)) return false;
  std::string& last = session_.settings.block.lastImagePath;
  // The remembered path changes only when a name is confirmed.
  std::string path = ReplaceExtension(last, "bmp");
  if (!ShowSaveImageDialog(this, Utf8(kBmpSaveTitle), Utf8(kBmpFilterName), QStringLiteral("*.bmp"),
                           "bmp", path)) {
    return false;
  }
  last = path;
  int result = SaveDocumentAsBitmap(doc, path);
  if (result != 0) {
    if (result > 0) {
      ShowMessageNumber(result);
    } else {
      ShowMessageText(Utf8(kGifWriteFailedText));
    }
    return false;
  }
  UpdateTitle();
  return true;
}

void MainWindow::MakeIconCommand() {
  if (!CanMakeIcon(session_.doc)) return;
  std::string& last = session_.settings.block.lastImagePath;
  std::string path = ReplaceExtension(last, "ico");
  if (!ShowSaveImageDialog(this, Utf8(kIconSaveTitle), Utf8(kIconFilterName),
                           QStringLiteral("*.ico"), "ico", path)) {
    return;
  }
  last = path;
  if (!MakeIconFile(session_.doc, path)) ShowMessageText(Utf8(kGifWriteFailedText));
}

void MainWindow::SaveJpegCommand() {
  Settings& settings = session_.settings.block;
  SaveJpegDialog dialog(settings.lastImagePath, settings.jpegQuality, this);
  if (dialog.exec() != QDialog::Accepted) return;
  DocumentState& doc = session_.doc;
  if (IsAnimation(doc.kind) || !CanSaveAsJpeg(doc)) return;
  if (SaveDocumentAsJpeg(doc, settings.lastImagePath, settings.jpegQuality) != 0) {
    ShowMessageText(Utf8(kGifWriteFailedText));
    return;
  }
  // The picture before compression stays one undo away; the view shows the written file.
  doc.undo.TakeSnapshot(doc, kUndoColors);
  LoadContext context = session_.MakeLoadContext(&clipboard_);
  const std::string written = doc.filePath;
  int result = LoadImageFile(doc, written, LoadMode::kOpen, context);
  if (result != 0) ShowMessageNumber(result);
  AddRecentFile(Utf8(written));
  AfterLoad();
}

void MainWindow::OpenRecentFile(int id) {
  const int index = id - kCmdRecentFile1;
  if (index < 0 || index >= recentFiles_.size()) return;
  const QString path = recentFiles_.at(index);
  // A file that failed to load leaves the list (a refusal while busy, -1, does not).
  if (OpenFile(path.toStdString()) > 0) RemoveRecentFile(path);
}

// --- other commands -------------------------------------------------------------------------

void MainWindow::UndoCommand() {
  session_.doc.undo.Undo(session_.doc);
  ShowToolBarsForKind();
  UpdateStatusBar();
  RefreshView();
}

void MainWindow::BackgroundColorCommand() {
  AppSettings& settings = session_.settings;
  uint32_t color = session_.doc.backgroundColor;
  std::array<uint32_t, 16> custom = settings.customColors;
  if (!ChooseBackgroundColor(this, color, custom)) return;
  session_.doc.backgroundColor = color;
  settings.backgroundColor = color;
  settings.customColors = custom;
  // The colour and the custom colours go to the settings file now; the rest at exit.
  ProfileFile& file = session_.profile;
  file.Set(kOptionSection, kBackgroundColorKey, std::to_string(static_cast<int32_t>(color)));
  std::array<uint8_t, 64> bytes{};
  for (size_t i = 0; i < custom.size(); ++i) WriteLe32(bytes.data() + 4 * i, custom[i]);
  file.Set(kColorTableSection, kLenKey, std::to_string(bytes.size()));
  file.Set(kColorTableSection, kValKey, EncodeBinaryRecord(bytes.data(), bytes.size()));
  file.Save();
  ApplyBackgroundColor(session_.doc);
  RefreshView();
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

// --- frame commands and time adjustment ----------------------------------------------------

void MainWindow::AfterFrameChange() {
  ShowToolBarsForKind();
  UpdateStatusBar();
  RefreshView();
}

void MainWindow::RunFrameOperation(bool (*operation)(DocumentState&)) {
  operation(session_.doc);
  AfterFrameChange();
}

void MainWindow::DeleteFramesCommand() {
  DocumentState& doc = session_.doc;
  if (!CanDeleteFrames(doc)) return;
  QMenu menu(this);
  auto item = [&menu](const char* text, int number, bool enabled) {
    QAction* action = menu.addAction(Utf8(text));
    action->setData(number);
    action->setEnabled(enabled);
  };
  item(kDeleteCurrentFrameText, kDeleteCurrentFrameItem, true);
  menu.addSeparator();
  item(kDeleteFramesBeforeText, kDeleteFramesBeforeItem, CanDeleteFramesBefore(doc));
  item(kDeleteFramesAfterText, kDeleteFramesAfterItem, CanDeleteFramesAfter(doc));

  int choice = 0;
  if (deleteFramesChoice) {
    choice = deleteFramesChoice(menu);
  } else if (QAction* chosen = menu.exec(QCursor::pos())) {
    choice = chosen->data().toInt();
  }
  // Only an item the menu offered counts.
  bool offered = false;
  for (QAction* action : menu.actions()) {
    if (!action->isSeparator() && action->isEnabled() && action->data().toInt() == choice) {
      offered = true;
    }
  }
  if (!offered) return;
  switch (choice) {
    case kDeleteCurrentFrameItem:
      DeleteCurrentFrame(doc);
      break;
    case kDeleteFramesBeforeItem:
      DeleteFramesBefore(doc);
      break;
    case kDeleteFramesAfterItem:
      DeleteFramesAfter(doc);
      break;
    default:
      return;
  }
  AfterFrameChange();
}

void MainWindow::TimeAdjustCommand() {
  // Tool mode: the three bars go away while the times are adjusted.
  QToolBar* const bars[] = {standardBar_, pictureBar_, animationBar_};
  bool visible[3];
  for (int i = 0; i < 3; ++i) {
    visible[i] = bars[i]->isVisibleTo(this);
    if (visible[i]) bars[i]->hide();
  }
  // The view takes the bars' room now, before a form is placed along it.
  layout()->activate();
  RefreshView();

  uint32_t& options = session_.settings.block.options;
  for (;;) {
    int result;
    if ((options & kOptionTimeSlider) == 0) {
      TimeDetailDialog dialog(session_.doc, this);
      result = dialog.exec();
    } else {
      result = RunSliderTimeForm();
    }
    if (result != kTimeFormSwitch) break;
    options ^= kOptionTimeSlider;
  }

  for (int i = 0; i < 3; ++i) {
    if (visible[i]) bars[i]->show();
  }
  layout()->activate();
  RefreshView();
}

int MainWindow::RunSliderTimeForm() {
  QStatusBar* bar = statusBar();
  const QString savedPrompt = bar->currentMessage();
  const QString savedSize = sizePane_->text();
  bar->showMessage(Utf8(kTimeSliderPrompt));
  const bool floats = standardBar_->isFloating();
  const int result = RunTimeSliderForm(session_.doc, view_, floats, this);
  if (savedPrompt.isEmpty()) {
    bar->clearMessage();
  } else {
    bar->showMessage(savedPrompt);
  }
  sizePane_->setText(savedSize);
  return result;
}

void MainWindow::ToggleBar(QWidget* bar) {
  bar->setVisible(!bar->isVisibleTo(this));
}

void MainWindow::HelpCommand() {
  const QString page = QCoreApplication::applicationDirPath() + QStringLiteral("/help/index.html");
  QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

// --- recent files ---------------------------------------------------------------------------

void MainWindow::LoadRecentFiles() {
  QSettings store(Utf8(kRecentOrganization), Utf8(kRecentApplication));
  store.beginGroup(Utf8(kRecentGroup));
  recentFiles_.clear();
  for (int i = 1; i <= kRecentFileCount; ++i) {
    QString path = store.value(QStringLiteral("File%1").arg(i)).toString();
    if (!path.isEmpty() && !recentFiles_.contains(path)) recentFiles_ << path;
  }
  UpdateRecentActions();
}

void MainWindow::AddRecentFile(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  recentFiles_.removeAll(absolute);
  recentFiles_.prepend(absolute);
  while (recentFiles_.size() > kRecentFileCount) recentFiles_.removeLast();
  StoreRecentFiles();
}

void MainWindow::RemoveRecentFile(const QString& path) {
  if (recentFiles_.removeAll(path) > 0) StoreRecentFiles();
}

void MainWindow::StoreRecentFiles() {
  QSettings store(Utf8(kRecentOrganization), Utf8(kRecentApplication));
  store.beginGroup(Utf8(kRecentGroup));
  for (int i = 0; i < kRecentFileCount; ++i) {
    const QString key = QStringLiteral("File%1").arg(i + 1);
    if (i < recentFiles_.size()) {
      store.setValue(key, recentFiles_.at(i));
    } else {
      store.remove(key);
    }
  }
  UpdateRecentActions();
}

void MainWindow::UpdateRecentActions() {
  for (int i = 0; i < kRecentFileCount; ++i) {
    QAction* action = Action(kCmdRecentFile1 + i);
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

bool MainWindow::SaveBeforeClose() {
  return CanSaveAsGif(session_.doc) ? SaveGifWithDialog() : SaveBitmapWithDialog();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A save in progress finishes first; closing now would pull the document from under it.
  if (DocumentBusy()) {
    event->ignore();
    return;
  }
  const DocumentState& doc = session_.doc;
  if (NeedsSaveConfirmation(doc, doc.undo.CanUndo())) {
    const SaveChoice choice = saveConfirmation ? saveConfirmation() : AskSaveBeforeClose(this);
    // Only "保存しない" lets unsaved work go; a cancelled or failed save keeps the window.
    if (choice == SaveChoice::kCancel || (choice == SaveChoice::kSave && !SaveBeforeClose())) {
      event->ignore();
      return;
    }
  }
  event->accept();
}

}  // namespace zel
