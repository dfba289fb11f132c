// "アニメの合成" in the real main window: the dialog over a playing animation, the position
// picked with the mouse over the view, undo, and a failing merge that keeps the dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>

#include <QToolBar>
#include "app/command_ids.h"
#include "generators/merge_settings.h"
#include "imagefiles/bmp_file.h"
#include "main_window_fixture.h"
#include "modal_script.h"
#include "ui/dialogs/merge_anime_dialog.h"
#include "ui/picture_view.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::Rgb;
using testing::SendMouse;

// Three 40 x 30 frames of blue, green and white.
std::string WriteFrames(const std::string& path) {
  GifBuilder gif(40, 30, {{0, 0, 255}, {0, 255, 0}, {255, 255, 255}, {0, 0, 0}});
  gif.Looping();
  for (int f = 0; f < 3; ++f) {
    gif.Control(0x04, 10, -1);
    gif.Image(0, 0, 40, 30, std::vector<uint8_t>(40 * 30, uint8_t(f)));
  }
  return testing::WriteGif(path, gif);
}

uint32_t ColorAt(const PackedDib& picture, int x, int y) {
  const Rgb c = testing::PixelColor(picture, x, y);
  return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

class MergeCommandTest : public testing::MainWindowFixture {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(MainWindowFixture::SetUp());
    Resize(640, 480);
    OpenStopped(WriteFrames(File("frames.gif")), 3);
    red_ = File("red.bmp");
    ASSERT_TRUE(
        WriteBmpFile(testing::MakePicture(4, 4, std::vector<uint8_t>(16, 0), {{255, 0, 0}}), red_));
  }

  std::string red_;
};

TEST_F(MergeCommandTest, PickedPositionMergesOverEveryFrameAndUndoRestores) {
  std::vector<std::vector<uint8_t>> before;
  for (int i = 0; i < 3; ++i) before.push_back(testing::Bytes(Doc().frameSet->frame(i).image));

  testing::ModalScript script({[&](QWidget* w) {
    auto* dialog = qobject_cast<MergeAnimeDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ｱﾆﾒの合成"));
    EXPECT_TRUE(Doc().flags & kFlagBusy);
    EXPECT_EQ(dialog->XSpin()->maximum(), 40);
    EXPECT_EQ(dialog->YSpin()->maximum(), 30);
    EXPECT_TRUE(dialog->FrontButton()->isChecked());
    dialog->PathEdit()->setText(QString::fromStdString(red_));

    // The pick runs over the view while the dialog steps aside.
    std::function<void()> poll = [&] {
      auto* overlay = window_->View()->findChild<QWidget*>(QStringLiteral("pick-overlay"));
      if (!overlay) {
        QTimer::singleShot(5, poll);
        return;
      }
      EXPECT_FALSE(dialog->isVisible());
      SendMouse(overlay, QEvent::MouseMove, QPoint(10, 8), Qt::NoButton);
      SendMouse(overlay, QEvent::MouseButtonPress, QPoint(10, 8), Qt::LeftButton);
      SendMouse(overlay, QEvent::MouseButtonRelease, QPoint(10, 8), Qt::LeftButton);
    };
    QTimer::singleShot(5, poll);
    dialog->PositionButton()->click();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->XSpin()->value(), 10);
    EXPECT_EQ(dialog->YSpin()->value(), 8);
    dialog->OkButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdMergeAnimations));
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  EXPECT_FALSE(Doc().flags & kFlagBusy);
  EXPECT_FALSE(Doc().flags & kFlagStopped);  // playing again

  const uint32_t bases[] = {0x0000FF, 0x00FF00, 0xFFFFFF};
  ASSERT_EQ(Doc().frameSet->count, 3);
  for (int i = 0; i < 3; ++i) {
    const PackedDib& frame = Doc().frameSet->frame(i).image;
    EXPECT_EQ(ColorAt(frame, 10, 8), 0xFF0000u) << i;
    EXPECT_EQ(ColorAt(frame, 13, 11), 0xFF0000u) << i;
    EXPECT_EQ(ColorAt(frame, 9, 8), bases[i]) << i;
    EXPECT_EQ(ColorAt(frame, 14, 11), bases[i]) << i;
  }
  const MergeSettings stored = ReadMergeSettings(session_->profile);
  EXPECT_EQ(stored.path, red_);
  EXPECT_EQ(stored.x, 10);
  EXPECT_EQ(stored.y, 8);

  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(testing::Bytes(Doc().frameSet->frame(i).image), before[i]) << i;
  }
}

TEST_F(MergeCommandTest, AFailingMergeKeepsTheDialogOpenAndTheEntriesStored) {
  const std::vector<uint8_t> before = testing::Bytes(Doc().frameSet->frame(0).image);
  const std::string missing = File("missing.gif");
  testing::ModalScript script({[&](QWidget* w) {
    auto* dialog = qobject_cast<MergeAnimeDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    dialog->PathEdit()->setText(QString::fromStdString(missing));
    dialog->BehindButton()->setChecked(true);
    dialog->XSpin()->setValue(7);
    dialog->OkButton()->click();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_[0], QStringLiteral("ﾌｧｲﾙが見つかりません"));
    dialog->CancelButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdMergeAnimations));
  EXPECT_TRUE(script.Finished());
  const MergeSettings stored = ReadMergeSettings(session_->profile);
  EXPECT_EQ(stored.path, missing);
  EXPECT_EQ(stored.flags, 0u);
  EXPECT_EQ(stored.x, 7);
  EXPECT_EQ(testing::Bytes(Doc().frameSet->frame(0).image), before);
  EXPECT_FALSE(Doc().undo.CanUndo());
  EXPECT_FALSE(Doc().flags & kFlagBusy);
}

TEST_F(MergeCommandTest, ClipboardChoiceAndTheBrowseRefusalOfFullColour) {
  QGuiApplication::clipboard()->clear();
  const std::string deep = File("deep.bmp");
  ASSERT_TRUE(WriteBmpFile(NewPicture(2, 2, 24, 0), deep));
  testing::ModalScript empty({[&](QWidget* w) {
    auto* dialog = qobject_cast<MergeAnimeDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->ClipboardBox()->isEnabled());
    // The browse button asks again after a picture of more than 8 bits.
    std::vector<std::string> answers = {deep, red_};
    int asked = 0;
    dialog->chooseFile = [&](QWidget*, std::string& path) {
      path = answers[static_cast<size_t>(asked++)];
      return true;
    };
    dialog->BrowseButton()->click();
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_[0], QStringLiteral("この画像ﾌｧｲﾙは、色数が多すぎます"));
    EXPECT_EQ(dialog->PathEdit()->text().toStdString(), red_);
    dialog->CancelButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdMergeAnimations));
  EXPECT_TRUE(empty.Finished());

  // A picture on the clipboard: the box turns the file controls off and merges it.
  window_->Clipboard().Offer(
      BuildBmpFile(testing::MakePicture(2, 2, std::vector<uint8_t>(4, 0), {{255, 0, 0}})),
      QImage());
  testing::ModalScript pasted({[&](QWidget* w) {
    auto* dialog = qobject_cast<MergeAnimeDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->ClipboardBox()->isEnabled());
    dialog->ClipboardBox()->setChecked(true);
    EXPECT_FALSE(dialog->PathEdit()->isEnabled());
    EXPECT_FALSE(dialog->BrowseButton()->isEnabled());
    dialog->XSpin()->setValue(39);
    dialog->OkButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdMergeAnimations));
  EXPECT_TRUE(pasted.Finished());
  EXPECT_EQ(Doc().frameSet->screenWidth, 41);
  EXPECT_EQ(ColorAt(Doc().frameSet->frame(1).image, 40, 1), 0xFF0000u);
  EXPECT_EQ(ColorAt(Doc().frameSet->frame(1).image, 38, 1), 0x00FF00u);
  EXPECT_TRUE(ReadMergeSettings(session_->profile).flags & kMergeFromClipboard);
}

// A picture with an animation laid over it becomes an animation: the animation tool bar
// comes as after "アニメ作成", and undo gives the picture back.
TEST_F(MergeCommandTest, PictureWithAnAnimationBecomesAPlayingAnimation) {
  GifBuilder gif(8, 8, {{9, 9, 9}, {200, 0, 0}});
  gif.Image(0, 0, 8, 8, std::vector<uint8_t>(64, 0));
  OpenStopped(testing::WriteGif(File("one.gif"), gif), 1);
  ASSERT_EQ(Doc().kind, ImageKind::kGifPicture);
  const std::vector<uint8_t> before = testing::Bytes(Doc().currentPicture);
  testing::ModalScript script({[&](QWidget* w) {
    auto* dialog = qobject_cast<MergeAnimeDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    dialog->PathEdit()->setText(QString::fromStdString(File("frames.gif")));
    dialog->BehindButton()->setChecked(true);
    dialog->OkButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdMergeAnimations));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Doc().kind, ImageKind::kGifAnimation);
  ASSERT_EQ(Doc().frameSet->count, 3);
  EXPECT_EQ(ColorAt(Doc().frameSet->frame(2).image, 3, 3), 0x090909u);
  EXPECT_EQ(ColorAt(Doc().frameSet->frame(2).image, 30, 3), 0xFFFFFFu);
  EXPECT_TRUE(window_->AnimationBar()->isVisible());
  EXPECT_FALSE(Doc().flags & kFlagStopped);
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Doc().kind, ImageKind::kGifPicture);
  EXPECT_EQ(testing::Bytes(Doc().currentPicture), before);
}

}  // namespace
}  // namespace zel
