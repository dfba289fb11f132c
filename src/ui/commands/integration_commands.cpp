// Other programs: the clipboard, the paint program, the browser, the MIDI tempo window and
// the sibling programs Vanta and Morsel.
#include "ui/commands/integration_commands.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QMetaObject>
#include <QTimer>
#include <functional>
#include <optional>
#include <thread>

#include "app/replace_document.h"
#include "app/save_rules.h"
#include "app/settings.h"
#include "document/colour_key.h"
#include "imagefiles/image_loader.h"
#include "integration/clipboard_picture.h"
#include "resources/string_table.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/edit_wait_dialog.h"
#include "ui/dialogs/midi_tempo_dialog.h"
#include "ui/dialogs/progress_window.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/utf8.h"

namespace zel {
namespace {

constexpr int kEditTickMs = 1000;

// The plain image offered beside the BMP bytes: the current picture, its transparent
// colour see-through.
QImage PlainImage(const DocumentState& doc) {
  QImage image = ImageFromPackedDib(doc.currentPicture);
  const int32_t transparent = doc.frameSet ? doc.frameSet->transparentIndex : -1;
  if (image.format() == QImage::Format_Indexed8 && transparent >= 0 &&
      transparent < image.colorCount()) {
    QList<QRgb> table = image.colorTable();
    table[transparent] &= 0x00FFFFFFu;
    image.setColorTable(table);
  }
  // A full-colour picture: its key colour.
  if (const std::optional<uint32_t> key = ReadColourKey(doc.currentPicture);
      key && !image.isNull() && !image.hasAlphaChannel()) {
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = qRgb(*key & 0xFF, (*key >> 8) & 0xFF, (*key >> 16) & 0xFF);
    for (int y = 0; y < image.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x) {
        if ((row[x] & 0x00FFFFFFu) == (keyRgb & 0x00FFFFFFu)) row[x] = 0;
      }
    }
  }
  return image;
}

void ImportClipboard(MainWindow& window, CommandId) {
  DocumentState& doc = window.Session().doc;
  if (IsDocumentOpen(doc) && !window.Ask(Utf8(MessageText(kMsgDiscardPicture)))) return;
  // The question runs events: check again before the document is replaced.
  if (window.DocumentBusy()) return;
  LoadContext context = window.Session().MakeLoadContext(&window.Clipboard());
  // A paste that fails leaves the document and its history as they were.
  const ReplaceResult result = ReplaceDocumentFromClipboard(doc, context);
  window.ShowOutcome(result.outcome);
  window.ReportDroppedFrames(context);
}

void ExportClipboard(MainWindow& window, CommandId) {
  DocumentState& doc = window.Session().doc;
  std::optional<std::vector<uint8_t>> bytes = BuildClipboardBmp(doc);
  if (!bytes) return;
  window.Clipboard().Offer(*bytes, PlainImage(doc));
}

void ExternalEditCommand(MainWindow& window, CommandId) {
  window.Integration().StartEdit();
}

void ShowInBrowserCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  const bool background = (session.settings.block.options & kOptionBrowserBackground) != 0;
  PreviewAnimation(session.doc, session.settingsFolder, background, window.Integration().openPage);
}

// Runs `work` on a thread of its own while the window goes on serving its events (drawing,
// the mouse, other programs), and returns its result: for waits on another program's
// socket, which may take up to its time limit. `work` must not touch the document.
template <typename T>
T WhileWindowServes(const std::function<T()>& work) {
  std::optional<T> result;
  QEventLoop loop;
  std::thread thread([&] {
    result = work();
    QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
  });
  loop.exec();
  thread.join();
  return std::move(*result);
}

void SendToVantaCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  DocumentState& doc = session.doc;
  IntegrationState& state = window.Integration();
  if (window.DocumentBusy() || !HasAnimationForVanta(doc)) return;
  // The window keeps serving while Vanta's socket is waited for; the busy bit keeps the
  // document as the user sent it meanwhile.
  VantaRoute route = VantaRoute::kNothing;
  {
    DocumentBusyScope busy(doc);
    window.UpdateCommandStates(false);
    const SiblingChannel channel = state.siblings;
    if (WhileWindowServes<bool>([&channel] { return VantaIsRunning(channel); })) {
      std::optional<std::vector<uint8_t>> data = VantaHandOverData(*doc.frameSet);
      if (data &&
          WhileWindowServes<bool>([&channel, &data] { return HandToVanta(channel, *data); })) {
        route = VantaRoute::kMessage;
      }
    } else {
      route = StartVantaWithFile(doc, session.settingsFolder, state.vantaProgram(),
                                 state.startProgram);
    }
  }
  window.UpdateCommandStates(false);
  state.lastVantaRoute = route;
}

void SendToMorselCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  DocumentState& doc = session.doc;
  if (window.DocumentBusy()) return;
  IntegrationState& state = window.Integration();
  MorselOutcome outcome;
  // The progress window and the wait for Morsel let events through: nothing may change the
  // document meanwhile.
  {
    DocumentBusyScope busy(doc);
    std::unique_ptr<ProgressWindow> progress;
    if (ChooseMorselRoute(doc, session.commandLinePath) != MorselRoute::kJpeg) {
      progress = std::make_unique<ProgressWindow>(&window, Utf8(Say(kMorselProgressCaption)));
    }
    outcome = WriteForMorsel(doc, session.commandLinePath, session.settingsFolder,
                             session.settings.block.jpegQuality, progress.get());
    progress.reset();
    if (outcome.exchangeType >= 0) {
      const SiblingChannel channel = state.siblings;
      const int type = outcome.exchangeType;
      outcome.failure = WhileWindowServes<MorselFailure>(
          [&channel, type] { return NotifyMorsel(channel, type); });
      outcome.delivered = outcome.failure == MorselFailure::kNone;
    }
  }
  window.UpdateCommandStates(false);
  state.lastMorselOutcome = outcome;
  if (const char* text = MorselFailureText(outcome.failure)) {
    window.ShowMessageText(Utf8(text));
    return;
  }
  if (outcome.closeProgram) {
    // The work is in the file it came from: closing has nothing left to ask about it.
    MarkDocumentSaved(doc);
    QMetaObject::invokeMethod(&window, "close", Qt::QueuedConnection);
  }
}

}  // namespace

IntegrationState::IntegrationState(MainWindow& window) : window_(window) {
  editTimer_ = new QTimer(this);
  editTimer_->setInterval(kEditTickMs);
  connect(editTimer_, &QTimer::timeout, this, &IntegrationState::TickEdit);
}

IntegrationState::~IntegrationState() {
  // An abandoned edit loads nothing back: there is nothing to report.
  if (edit_) (void)edit_->Finish(window_.Session().doc, EditWaitState::kAbandoned);
  delete waitDialog_.data();
}

bool IntegrationState::MorselReady() {
  if (!morsel_) {
    morsel_ = std::make_unique<MorselReadiness>(
        [channel = siblings] { return QueryMorselReady(channel); });
  }
  return morsel_->IsReady();
}

bool IntegrationState::StartEdit() {
  EditorSession& session = window_.Session();
  DocumentState& doc = session.doc;
  if (edit_ || window_.DocumentBusy() || !IsDocumentOpen(doc)) return false;
  auto edit = std::make_unique<ExternalEdit>();
  Outcome result = edit->Prepare(doc, session.settings.block.editorPath, desktop());
  if (result.done()) result = edit->Start(doc);
  if (!result.done()) {
    if (EditResultIsReported(result)) window_.ShowOutcome(result);
    return false;
  }
  edit_ = std::move(edit);
  waitDialogClosed_ = false;
  quitRequested_ = false;
  window_.UpdateCommandStates(false);
  window_.showMinimized();
  waitDialog_ = new EditWaitDialog();
  connect(waitDialog_, &QDialog::finished, this, [this] {
    waitDialogClosed_ = true;
    // No need to wait for the next tick to let the user go.
    QTimer::singleShot(0, this, &IntegrationState::TickEdit);
  });
  waitDialog_->show();
  editTimer_->start();
  return true;
}

void IntegrationState::TickEdit() {
  if (!edit_) return;
  WindowObservation observation;
  observation.quitRequested = quitRequested_;
  observation.dialogClosed = waitDialogClosed_;
  observation.minimised = window_.isMinimized();
  const EditWaitState state = edit_->Tick(observation);
  if (state != EditWaitState::kWaiting) EndEdit(state);
}

void IntegrationState::AbandonEdit() {
  quitRequested_ = true;
  if (edit_) EndEdit(EditWaitState::kAbandoned);
}

void IntegrationState::EndEdit(EditWaitState end) {
  editTimer_->stop();
  if (window_.isMinimized()) window_.showNormal();
  if (waitDialog_) {
    waitDialog_->disconnect(this);
    waitDialog_->hide();
    waitDialog_->deleteLater();
    waitDialog_ = nullptr;
  }
  std::unique_ptr<ExternalEdit> edit = std::move(edit_);
  const Outcome result = edit->Finish(window_.Session().doc, end);
  edit.reset();
  if (EditResultIsReported(result)) window_.ShowOutcome(result);
}

EditWaitDialog* IntegrationState::WaitDialog() const {
  return waitDialog_;
}

MidiTempoDialog* IntegrationState::MidiTempo() const {
  return midiTempo_;
}

MidiTempoDialog* IntegrationState::ShowMidiTempo() {
  if (midiTempo_) return midiTempo_;
  MainWindow* window = &window_;
  midiTempo_ = new MidiTempoDialog(
      window_.Session().settings.midiPath,
      [window](const QString& text) { window->ShowMessageText(text); }, &window_);
  midiTempo_->setAttribute(Qt::WA_DeleteOnClose);
  // The remembered file goes into zel.ini at once.
  connect(midiTempo_, &MidiTempoDialog::FileRemembered, this,
          [window] { window->Session().StoreSettings(); });
  midiTempo_->show();
  return midiTempo_;
}

void ShowSavedGifInBrowser(MainWindow& window, const std::string& path) {
  EditorSession& session = window.Session();
  const uint32_t options = session.settings.block.options;
  if ((options & kOptionShowAfterGifSave) == 0) return;
  const std::string absolute = QFileInfo(Utf8(path)).absoluteFilePath().toStdString();
  ShowInBrowser(absolute, session.settingsFolder + kPreviewPageName, session.doc.backgroundColor,
                (options & kOptionBrowserBackground) != 0, window.Integration().openPage);
}

const std::vector<CommandExecutor>& IntegrationExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdImportClipboard, ImportClipboard},
      {kCmdExportClipboard, ExportClipboard},
      {kCmdExternalEdit, ExternalEditCommand},
      {kCmdShowInBrowser, ShowInBrowserCommand},
      {kCmdMidiTempo, [](MainWindow& window, CommandId) { window.Integration().ShowMidiTempo(); }},
      {kCmdSendToVanta, SendToVantaCommand},
      {kCmdSendToMorsel, SendToMorselCommand},
  };
  return rows;
}

}  // namespace zel
