#include "ui/dialogs/merge_anime_dialog.h"

#include <QCheckBox>
#include <QCursor>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "generators/merge_settings.h"
#include "imagefiles/file_names.h"
#include "platform/clock.h"
#include "platform/profile_file.h"
#include "ui/dialogs/dialog_buttons.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/message_box.h"
#include "ui/tools/mouse_picks.h"
#include "ui/translate.h"
#include "ui/utf8.h"

namespace zel {
namespace {

constexpr int kPathMaxCharacters = 255;

bool ChooseOverlayFile(QWidget* parent, std::string& path) {
  return ShowOpenImageDialog(parent, Tr("合成するアニメファイルを選択します"), Tr("画像ファイル"),
                             QStringLiteral("*.gif;*.bmp;*.png;*.GIF;*.BMP;*.PNG"), path);
}

}  // namespace

MergeAnimeDialog::MergeAnimeDialog(DocumentState& doc, ProfileFile& profile,
                                   PictureClipboard* clipboard, bool clipboardHasPicture,
                                   ToolHost& host, QWidget* parent)
    : QDialog(parent), doc_(doc), profile_(profile), clipboard_(clipboard), host_(host) {
  setWindowTitle(Tr("ｱﾆﾒの合成"));
  chooseFile = ChooseOverlayFile;
  const MergeSettings settings = ReadMergeSettings(profile_);

  pathLabel_ = new QLabel(Tr("合成するｱﾆﾒ"), this);
  path_ = new QLineEdit(Utf8(settings.path.c_str()), this);
  path_->setMaxLength(kPathMaxCharacters);
  path_->setMinimumWidth(260);
  browse_ = new QPushButton(Tr("参照..."), this);
  browse_->setAutoDefault(false);
  front_ = new QRadioButton(Tr("前景にする"), this);
  behind_ = new QRadioButton(Tr("背景にする"), this);
  (settings.flags & kMergeInFront ? front_ : behind_)->setChecked(true);
  fromClipboard_ = new QCheckBox(Tr("ｸﾘｯﾌﾟﾎﾞｰﾄﾞからｱﾆﾒを取得する"), this);
  x_ = new QSpinBox(this);
  y_ = new QSpinBox(this);
  x_->setRange(0, std::max(doc_.width, 0));
  y_->setRange(0, std::max(doc_.height, 0));
  x_->setValue(settings.x);
  y_->setValue(settings.y);
  position_ = new QPushButton(Tr("位置指定"), this);
  position_->setAutoDefault(false);
  const DialogButtons closing = MakeOkCancelButtons(this);
  ok_ = closing.act;
  cancel_ = closing.close;

  auto* layout = new QVBoxLayout(this);
  auto* source = new QGridLayout;
  source->addWidget(pathLabel_, 0, 0);
  source->addWidget(path_, 0, 1);
  source->addWidget(browse_, 0, 2);
  source->addWidget(fromClipboard_, 1, 0, 1, 3);
  layout->addLayout(source);
  auto* overlap = new QGroupBox(Tr("重なり合い"), this);
  auto* overlapRow = new QHBoxLayout(overlap);
  overlapRow->addWidget(front_);
  overlapRow->addWidget(behind_);
  layout->addWidget(overlap);
  auto* place = new QGroupBox(Tr("貼り付ける位置"), this);
  auto* placeGrid = new QGridLayout(place);
  AddLabeledRow(placeGrid, 0, Tr("x座標"), x_);
  AddLabeledRow(placeGrid, 1, Tr("y座標"), y_);
  placeGrid->addWidget(position_, 0, 2, 2, 1);
  layout->addWidget(place);
  layout->addLayout(closing.row);

  if (!clipboardHasPicture) {
    fromClipboard_->setEnabled(false);
  } else if (settings.flags & kMergeFromClipboard) {
    fromClipboard_->setChecked(true);
  }
  FollowClipboardBox();

  connect(fromClipboard_, &QCheckBox::toggled, this, &MergeAnimeDialog::FollowClipboardBox);
  connect(browse_, &QPushButton::clicked, this, &MergeAnimeDialog::Browse);
  connect(position_, &QPushButton::clicked, this, &MergeAnimeDialog::PickPosition);
  connect(ok_, &QPushButton::clicked, this, &MergeAnimeDialog::Merge);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

int MergeAnimeDialog::Run() {
  setModal(true);
  QEventLoop loop;
  connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
  show();
  loop.exec();
  return result();
}

void MergeAnimeDialog::FollowClipboardBox() {
  const bool fromFile = !fromClipboard_->isChecked();
  pathLabel_->setEnabled(fromFile);
  path_->setEnabled(fromFile);
  browse_->setEnabled(fromFile);
}

void MergeAnimeDialog::Show(const QString& text) {
  ShowMessageThrough(message, this, text);
}

void MergeAnimeDialog::Browse() {
  std::string path = path_->text().toStdString();
  if (path.empty()) path = doc_.filePath;
  for (;;) {
    if (!chooseFile || !chooseFile(this, path)) return;
    if (!HasFileExtension(path)) return;
    if (OverlayFileHasTooManyColors(path)) {
      Show(Tr("この画像ﾌｧｲﾙは、色数が多すぎます"));
      continue;
    }
    path_->setText(Utf8(path.c_str()));
    return;
  }
}

void MergeAnimeDialog::PickPosition() {
  const QPoint cursor = QCursor::pos();
  // A visible modal dialog would keep the mouse from the view: it steps aside meanwhile.
  // The document's busy bit keeps the commands away while it is hidden.
  QPointer<MergeAnimeDialog> self(this);
  hide();
  const PointPickResult picked =
      PickPoint(host_, doc_.width, doc_.height, PointI{x_->value(), y_->value()});
  if (!self) return;
  show();
  raise();
  activateWindow();
  if (picked.code == kPickDone) {
    x_->setValue(picked.point.x);
    y_->setValue(picked.point.y);
  }
  QCursor::setPos(cursor);
}

void MergeAnimeDialog::Merge() {
  MergeSettings settings;
  settings.path = path_->text().left(kPathMaxCharacters).toStdString();
  settings.flags = (front_->isChecked() ? uint32_t{kMergeInFront} : 0u) |
                   (fromClipboard_->isChecked() ? uint32_t{kMergeFromClipboard} : 0u);
  settings.x = x_->value();
  settings.y = y_->value();
  // Kept before the merge runs, so a failed merge still remembers the entries.
  WriteMergeSettings(profile_, settings);
  profile_.Save();
  last_ = MergeAnimations(doc_, settings, clipboard_, TickCount());
  if (last_.error != kMergeOk) {
    Show(Utf8(MergeErrorText(last_).c_str()));
    return;
  }
  accept();
}

}  // namespace zel
