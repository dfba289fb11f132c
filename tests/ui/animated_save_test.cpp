// The editor's "WebPに保存" and "PNGに保存" through the real window: the WebP dialog's choice,
// the file dialog, the written file, and what the document's saved state becomes.
#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "ui/dialogs/save_webp_dialog.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"

namespace zel::testing {
namespace {

ModalScript::Step ChooseName(const std::string& path) {
  return [path](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>()) {
      if (view->selectionModel()) view->selectionModel()->clearSelection();
    }
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();
  };
}

// The WebP dialog's step: lossless, or lossy at `quality`.
ModalScript::Step ChooseWebp(bool lossy, int quality) {
  return [lossy, quality](QWidget* modal) {
    auto* dialog = qobject_cast<SaveWebpDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    (lossy ? dialog->LossyButton() : dialog->LosslessButton())->setChecked(true);
    EXPECT_EQ(dialog->QualitySpin()->isEnabled(), lossy);
    if (lossy) dialog->QualitySpin()->setValue(quality);
    dialog->CreateButton()->click();
  };
}

// Closes the next dialog; `webpDialog` tells whether it was the WebP dialog.
ModalScript::Step Close(bool& webpDialog) {
  return [&webpDialog](QWidget* modal) {
    webpDialog = qobject_cast<SaveWebpDialog*>(modal) != nullptr;
    static_cast<QDialog*>(modal)->reject();
  };
}

std::string WriteAnimation(const std::string& path) {
  GifBuilder gif(24, 16, kEightColors);
  gif.Looping();
  for (int i = 0; i < 3; ++i) {
    gif.Control(0x04, 5 + i, 0).Image(0, 0, 24, 16, Noise(24, 16, 8, 3 + i));
  }
  return WriteGif(path, gif);
}

bool HasChunk(const std::vector<uint8_t>& bytes, const char* type) {
  const std::string text(bytes.begin(), bytes.end());
  return text.find(type) != std::string::npos;
}

class AnimatedSaveTest : public MainWindowFixture {
 protected:
  void RunScripted(CommandId command, std::vector<ModalScript::Step> steps) {
    ModalScript script(std::move(steps));
    ASSERT_TRUE(window_->RunCommand(command));
    EXPECT_TRUE(script.Finished());
  }
};

TEST_F(AnimatedSaveTest, WebpAndPngSavesWriteAnimationsAndSettleTheSavedState) {
  const std::string source = WriteAnimation(File("three.gif"));
  ASSERT_TRUE(window_->OpenFile(source).done());
  ASSERT_EQ(Doc().frameSet->count, 3);

  // Lossy WebP: an export; the document keeps its file and its saved state.
  const std::string lossy = File("lossy.webp");
  session_->settings.block.lastImagePath = File("three.gif");
  RunScripted(kCmdSaveWebp, {ChooseWebp(true, 40), ChooseName(lossy)});
  std::vector<uint8_t> bytes = ReadBytes(lossy);
  ASSERT_GT(bytes.size(), 30u);
  EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "WEBP");
  EXPECT_TRUE(HasChunk(bytes, "ANIM"));
  EXPECT_TRUE(HasChunk(bytes, "VP8 "));  // lossy data
  EXPECT_EQ(Doc().filePath, source);

  // Lossless WebP, chosen again in the dialog: the file becomes the document's file.
  const std::string lossless = File("lossless.webp");
  RunScripted(kCmdSaveWebp, {ChooseWebp(false, 0), ChooseName(lossless)});
  bytes = ReadBytes(lossless);
  EXPECT_TRUE(HasChunk(bytes, "VP8L"));
  EXPECT_EQ(Doc().filePath, lossless);
  EXPECT_FALSE(HasUnsavedChanges(Doc()));

  // PNG: an animated PNG with every frame.
  const std::string png = File("three.png");
  RunScripted(kCmdSavePng, {ChooseName(png)});
  bytes = ReadBytes(png);
  EXPECT_TRUE(HasChunk(bytes, "acTL"));
  EXPECT_TRUE(HasChunk(bytes, "fdAT"));
  EXPECT_EQ(Doc().filePath, png);
  EXPECT_EQ(session_->settings.block.lastImagePath, png);
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join(QStringLiteral("|")).toStdString();

  // Closing the WebP dialog writes nothing and shows no file dialog.
  bool webpDialog = false;
  const auto before = ReadBytes(lossless);
  RunScripted(kCmdSaveWebp, {Close(webpDialog)});
  EXPECT_TRUE(webpDialog);
  EXPECT_EQ(ReadBytes(lossless), before);
}

}  // namespace
}  // namespace zel::testing
