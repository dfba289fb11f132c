// "動画をアニメとして開く" on the real main window, offscreen: the question, the clip chosen in
// the file dialog, the dialog's first values, height, plan and picture, and the new untitled
// animation; a broken clip is refused with its message and changes nothing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolBar>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "document/document_state.h"
#include "imagefiles/bmp_file.h"
#include "resources/string_table.h"
#include "support/video_clips.h"
#include "ui/dialogs/video_import_dialog.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"

namespace zel {
namespace {

class VideoImportUiTest : public testing::MainWindowFixture {
 protected:
  void OpenPicture() {
    PackedDib p = NewPicture(16, 16, 24, 0);
    const std::string path = File("open.bmp");
    ASSERT_TRUE(WriteBmpFile(p, path));
    ASSERT_TRUE(window_->OpenFile(path).done());
    ASSERT_EQ(Doc().kind, ImageKind::kBitmap);
  }
  // The step that picks `path` in the open dialog, as a user types it.
  static testing::ModalScript::Step Choose(const std::string& path) {
    return [path](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->windowTitle(), QStringLiteral("開く動画ファイルを選択します"));
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(name, nullptr);
      name->setText(QString::fromStdString(path));
      static_cast<QDialog*>(dialog)->accept();
      if (dialog->isVisible()) dialog->reject();
    };
  }
};

TEST_F(VideoImportUiTest, TheChosenStretchBecomesAnUntitledAnimation) {
  const std::string clip = testing::BarsClip();
  ASSERT_FALSE(clip.empty());
  OpenPicture();
  testing::ModalScript script({Choose(clip), [&](QWidget* w) {
                                 auto* dialog = qobject_cast<VideoImportDialog*>(w);
                                 ASSERT_NE(dialog, nullptr);
                                 EXPECT_EQ(dialog->windowTitle(),
                                           QStringLiteral("動画をｱﾆﾒとして開く"));
                                 EXPECT_DOUBLE_EQ(dialog->StartBox()->value(), 0);
                                 EXPECT_NEAR(dialog->LengthBox()->value(), 2.0, 0.05);
                                 EXPECT_DOUBLE_EQ(dialog->FpsBox()->value(), 10);
                                 EXPECT_EQ(dialog->WidthBox()->value(), 160);
                                 EXPECT_EQ(dialog->HeightLabel()->text(), QStringLiteral("120"));
                                 EXPECT_EQ(dialog->ColorsBox()->value(), 256);
                                 EXPECT_TRUE(dialog->QualityBox()->isChecked());
                                 EXPECT_TRUE(dialog->PlanLabel()->text().startsWith(
                                     QStringLiteral("20ｺﾏ  160 x 120")))
                                     << dialog->PlanLabel()->text().toStdString();
                                 const QPixmap picture = dialog->PictureLabel()->pixmap();
                                 EXPECT_EQ(picture.width(), 160);
                                 EXPECT_EQ(picture.height(), 120);
                                 dialog->FpsBox()->setValue(15);
                                 dialog->WidthBox()->setValue(80);
                                 dialog->StartBox()->setValue(0.5);
                                 dialog->LengthBox()->setValue(1);
                                 EXPECT_EQ(dialog->HeightLabel()->text(), QStringLiteral("60"));
                                 EXPECT_TRUE(dialog->PlanLabel()->text().startsWith(
                                     QStringLiteral("15ｺﾏ  80 x 60")));
                                 ASSERT_TRUE(dialog->CreateButton()->isEnabled());
                                 dialog->CreateButton()->click();
                               }});
  ASSERT_TRUE(window_->RunCommand(kCmdOpenVideo));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(questions_, 1);
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  ASSERT_EQ(Doc().kind, ImageKind::kFrameAnimation);
  ASSERT_EQ(Doc().frameSet->count, 15);
  EXPECT_EQ(Doc().frameSet->screenWidth, 80);
  EXPECT_EQ(Doc().frameSet->screenHeight, 60);
  EXPECT_EQ(Delays(), (std::vector<int>{7, 6, 7, 7, 6, 7, 7, 6, 7, 7, 6, 7, 7, 6, 7}));
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("無題 - zel"));
  EXPECT_TRUE(HasUnsavedChanges(Doc()));
  EXPECT_FALSE(Doc().undo.CanUndo());
  EXPECT_TRUE(window_->AnimationBar()->isVisible());
}

// A clip named on the command line (`zel --open clip.mp4`, as the desktop entry starts the
// editor) or dropped on the window goes to the same dialog instead of the picture loader.
TEST_F(VideoImportUiTest, AClipGivenToOpenOrDroppedShowsTheVideoDialog) {
  const std::string clip = testing::BarsClip();
  ASSERT_FALSE(clip.empty());
  const auto create = [](QWidget* w) {
    auto* dialog = qobject_cast<VideoImportDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    dialog->CreateButton()->click();
  };
  {
    testing::ModalScript script({create});
    EXPECT_FALSE(window_->OpenFile(clip).done());
    EXPECT_TRUE(script.Finished());
  }
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  ASSERT_EQ(Doc().kind, ImageKind::kFrameAnimation);
  EXPECT_EQ(Doc().frameSet->count, 20);

  OpenPicture();
  questions_ = 0;
  {
    testing::ModalScript script({create});
    window_->DropFiles({QString::fromStdString(clip)});
    EXPECT_TRUE(script.Finished());
  }
  EXPECT_EQ(questions_, 1);
  ASSERT_EQ(Doc().kind, ImageKind::kFrameAnimation);
  EXPECT_EQ(Doc().frameSet->count, 20);
}

TEST_F(VideoImportUiTest, ABrokenClipIsRefusedAndNothingChanges) {
  const std::string clip = testing::BarsClip();
  ASSERT_FALSE(clip.empty());
  OpenPicture();
  const uint8_t* before = Doc().currentPicture.data();
  std::vector<uint8_t> bytes = testing::ReadBytes(clip);
  bytes.resize(bytes.size() / 2);
  const std::string cut = File("cut.mp4");
  testing::WriteBytes(cut, bytes);
  testing::ModalScript script({Choose(cut)});
  ASSERT_TRUE(window_->RunCommand(kCmdOpenVideo));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(messages_, QStringList{QString::fromUtf8(MessageText(kMsgBadVideoFile))});
  EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
  EXPECT_EQ(Doc().currentPicture.data(), before);
}

}  // namespace
}  // namespace zel
