#include "ui/dialogs/midi_tempo_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "integration/midi_tempo.h"
#include "ui/translate.h"
#include "ui/utf8.h"

namespace zel {
namespace {

constexpr const char* kCaption = "MIDIのﾃﾝﾎﾟを調べる";
constexpr const char* kBrowseTitle = "MIDIのテンポを調べる";
constexpr const char* kFilter = "MIDIファイル (*.mid)";
constexpr const char* kLabels[] = {"ﾃﾝﾎﾟ(回/分)", "1拍(秒)", "2拍(秒)", "3拍(秒)", "4拍(秒)"};

}  // namespace

MidiTempoDialog::MidiTempoDialog(std::string& midiPath,
                                 std::function<void(const QString&)> showMessage, QWidget* parent)
    : QDialog(parent), midiPath_(midiPath), showMessage_(std::move(showMessage)) {
  setWindowTitle(Tr(kCaption));
  setModal(false);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(Tr("ﾌｧｲﾙ名"), this), 0, 0);
  fileEdit_ = new QLineEdit(this);
  fileEdit_->setMinimumWidth(260);
  grid->addWidget(fileEdit_, 0, 1);
  auto* browse = new QPushButton(Tr("参照..."), this);
  browse->setAutoDefault(false);
  grid->addWidget(browse, 0, 2);
  for (int i = 0; i < 5; ++i) {
    grid->addWidget(new QLabel(Tr(kLabels[i]), this), i + 1, 0);
    fields_[i] = new QLineEdit(this);
    fields_[i]->setReadOnly(true);
    fields_[i]->setMaximumWidth(100);
    grid->addWidget(fields_[i], i + 1, 1, Qt::AlignLeft);
  }
  auto* close = new QPushButton(Tr("閉じる"), this);
  close->setAutoDefault(false);
  grid->addWidget(close, 6, 2);
  connect(browse, &QPushButton::clicked, this, &MidiTempoDialog::Browse);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  connect(fileEdit_, &QLineEdit::returnPressed, this, [this] { ChooseFile(fileEdit_->text()); });

  fileEdit_->setText(Utf8(midiPath_));
  bool read = false;
  if (!midiPath_.empty()) Fill(midiPath_, &read);
}

bool MidiTempoDialog::Fill(const std::string& path, bool* read) {
  const MidiTempoResult result = FindMidiTempoFile(path);
  *read = result.found;
  if (result.found && result.microsecondsPerQuarter > 0) {
    const TempoNumbers numbers = FormatTempo(result.microsecondsPerQuarter);
    fields_[0]->setText(Utf8(numbers.beatsPerMinute));
    for (int i = 0; i < 4; ++i) fields_[i + 1]->setText(Utf8(numbers.beatSeconds[i]));
    return true;
  }
  for (QLineEdit* field : fields_) field->clear();
  return false;
}

void MidiTempoDialog::ChooseFile(const QString& path) {
  fileEdit_->setText(path);
  bool read = false;
  Fill(path.toStdString(), &read);
  if (read) {
    midiPath_ = path.toStdString();
    emit FileRemembered();
  } else {
    showMessage_(Utf8(Say(kMidiNoTempoMessage)));
  }
}

void MidiTempoDialog::Browse() {
  QFileDialog dialog(this, Tr(kBrowseTitle));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(Tr(kFilter));
  const QString start = fileEdit_->text();
  if (!start.isEmpty()) {
    const QFileInfo info(start);
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  ChooseFile(dialog.selectedFiles().front());
}

}  // namespace zel
