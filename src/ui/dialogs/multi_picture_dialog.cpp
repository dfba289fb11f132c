#include "ui/dialogs/multi_picture_dialog.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include "app/command_ids.h"
#include "app/settings.h"
#include "document/document_state.h"
#include "imagefiles/file_names.h"
#include "platform/clock.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/program_resources.h"
#include "ui/dialogs/progress_window.h"
#include "ui/dialogs/time_choice.h"
#include "ui/translate.h"

namespace zel {
namespace {

const char* const kColorCountTexts[] = {"16色", "32色", "64色", "128色", "256色"};

QSpinBox* SpinBox(QWidget* parent, int low, int high, int value) {
  auto* box = new QSpinBox(parent);
  box->setRange(low, high);
  box->setValue(value);
  return box;
}

QPushButton* Button(QWidget* parent, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setAutoDefault(false);
  return button;
}

// The local files among dropped URLs, in drop order.
std::vector<std::string> LocalFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (QFileInfo(path).isFile()) paths.push_back(path.toStdString());
  }
  return paths;
}

}  // namespace

MultiPictureDialog::MultiPictureDialog(DocumentState& doc, Settings& settings, QWidget* parent)
    : QDialog(parent), doc_(doc), settings_(settings) {
  setWindowTitle(Tr("複数画像をｱﾆﾒとして開く"));
  setWindowIcon(CommandIcon(kCmdOpenMultiple));
  setAcceptDrops(true);
  const MultiPictureDialogState state = OpenMultiPictureDialog(settings_);

  listBox_ = new QListWidget(this);
  listBox_->setAccessibleName(Tr("画像ﾌｧｲﾙﾘｽﾄ"));
  listBox_->setSelectionMode(QAbstractItemView::SingleSelection);
  // Drops on the list reach the dialog.
  listBox_->setAcceptDrops(false);
  listBox_->setMinimumWidth(360);
  add_ = Button(this, Tr("追加"));
  remove_ = Button(this, Tr("削除"));
  up_ = Button(this, Tr("上へ"));
  down_ = Button(this, Tr("下へ"));
  colorCount_ = new QComboBox(this);
  for (const char* text : kColorCountTexts) colorCount_->addItem(Tr(text));
  colorCount_->setCurrentIndex(state.comboIndex);
  side_ = SpinBox(this, kMultiPictureSideMin, kMultiPictureSideMax, state.side);
  time_ = SpinBox(this, 0, kMultiPictureTimeMax, state.timeValue);
  times_ = MakeTimeChoice(this, state.perCycle, state.tempo);
  const DialogButtons buttons = MakeCreateCloseButtons(this);
  create_ = buttons.act;
  close_ = buttons.close;

  auto* listButtons = new QVBoxLayout;
  listButtons->addWidget(add_);
  listButtons->addWidget(remove_);
  listButtons->addWidget(up_);
  listButtons->addWidget(down_);
  listButtons->addStretch(1);
  auto* listRow = new QHBoxLayout;
  listRow->addWidget(listBox_, 1);
  listRow->addLayout(listButtons);
  auto* grid = new QGridLayout;
  int row = 0;
  AddLabeledRow(grid, row++, Tr("色数"), colorCount_);
  AddLabeledRow(grid, row++, Tr("一辺の長さ"), side_);
  AddLabeledRow(grid, row++, Tr("表示時間"), time_);
  AddTimeChoiceRows(grid, row, times_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(Tr("画像ﾌｧｲﾙﾘｽﾄ"), this));
  layout->addLayout(listRow);
  layout->addLayout(grid);
  layout->addLayout(buttons.row);

  chooseFile = [this](const std::string& start, std::vector<std::string>& paths) {
    return ShowOpenImagesDialog(this, Tr("追加する画像ファイルを選択します"), Tr("画像ファイル"),
                                QString::fromStdString(OpenDialogPatterns(kOpenImageExtensions)),
                                start, paths);
  };
  connect(add_, &QPushButton::clicked, this, [this] { AddChosenFile(); });
  connect(remove_, &QPushButton::clicked, this, [this] {
    const int current = listBox_->currentRow();
    if (RemovePicture(list_, current)) ShowList(std::min(current, int(list_.paths.size()) - 1));
  });
  const auto move = [this](int delta) {
    const int current = listBox_->currentRow();
    if (MovePicture(list_, current, delta)) ShowList(current + delta);
  };
  connect(up_, &QPushButton::clicked, this, [move] { move(-1); });
  connect(down_, &QPushButton::clicked, this, [move] { move(1); });
  connect(create_, &QPushButton::clicked, this, [this] {
    if (running_) return;
    Create();
    accept();
  });
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void MultiPictureDialog::AddChosenFile() {
  std::vector<std::string> paths;
  if (!chooseFile || !chooseFile(settings_.lastImagePath, paths) || paths.empty()) return;
  settings_.lastImagePath = paths.back();
  AddFiles(paths);
}

void MultiPictureDialog::AddFiles(const std::vector<std::string>& paths) {
  const std::vector<AddPictureResult> results = AddDroppedPictures(list_, paths);
  ShowList(static_cast<int>(list_.paths.size()) - 1);
  // Each refusal's message once, however many files it concerns.
  QStringList shown;
  for (AddPictureResult result : results) {
    const char* text = AddPictureMessage(result);
    if (!text || shown.contains(QString::fromUtf8(text))) continue;
    shown << QString::fromUtf8(text);
    Show(shown.back());
  }
}

void MultiPictureDialog::ShowList(int current) {
  listBox_->clear();
  for (const std::string& path : list_.paths) listBox_->addItem(QString::fromStdString(path));
  if (current >= 0 && current < listBox_->count()) listBox_->setCurrentRow(current);
}

MultiPictureDialogState MultiPictureDialog::ReadState() const {
  MultiPictureDialogState s;
  s.comboIndex = colorCount_->currentIndex();
  s.side = side_->value();
  s.timeValue = time_->value();
  s.perCycle = times_.PerCycle();
  s.tempo = times_.Tempo();
  return s;
}

void MultiPictureDialog::Show(const QString& text) {
  ShowMessageThrough(message, this, text);
}

int MultiPictureDialog::Create() {
  if (running_) return kSeveralTooFew;
  if (list_.paths.size() < 2) {
    result_ = kSeveralTooFew;
    return result_;
  }
  running_ = true;
  const MultiPictureDialogState state = ReadState();
  StoreMultiPictureOptions(state, settings_);
  // No input while the generator runs: the progress window keeps events flowing.
  setEnabled(false);
  {
    ProgressWindow progress(this, QString::fromUtf8(Say(kSeveralPicturesProgressCaption)));
    result_ = MakeAnimationFromPictures(doc_, list_.paths, MultiPictureOptionsOf(state), &progress,
                                        TickCount());
  }
  setEnabled(true);
  if (const char* text = SeveralPicturesMessage(result_)) Show(QString::fromUtf8(text));
  running_ = false;
  return result_;
}

void MultiPictureDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (!running_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MultiPictureDialog::dragMoveEvent(QDragMoveEvent* event) {
  if (!running_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MultiPictureDialog::dropEvent(QDropEvent* event) {
  if (running_) return;
  const std::vector<std::string> paths = LocalFiles(event->mimeData());
  if (paths.empty()) return;
  event->acceptProposedAction();
  AddFiles(paths);
}

}  // namespace zel
