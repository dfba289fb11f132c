// "複数画像をｱﾆﾒとして開く" on the real main window, offscreen: files added through the
// dialog's file seam and dropped onto it (a 41st and one of another size refused) become a
// playing frame animation titled "無題 - zel"; answering No to the question keeps the
// document; a failure while making shows its message and changes nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolBar>
#include <QUrl>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/multi_picture_rules.h"
#include "document/document_state.h"
#include "document/playback.h"
#include "imagefiles/bmp_file.h"
#include "ui/dialogs/multi_picture_dialog.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"

namespace zel {
namespace {

PackedDib Photo(int width, int height, int seed) {
  PackedDib p = NewPicture(width, height, 24, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* px = p.Row(y) + 3 * x;
      px[0] = static_cast<uint8_t>(x * 6 + seed * 50);
      px[1] = static_cast<uint8_t>(y * 8 + seed * 30);
      px[2] = static_cast<uint8_t>((x ^ y) * 5 + seed * 70);
    }
  }
  return p;
}

class SeveralPicturesUiTest : public testing::MainWindowFixture {
 protected:
  std::string Picture(const std::string& name, int width, int height, int seed) {
    const std::string path = File(name);
    EXPECT_TRUE(WriteBmpFile(Photo(width, height, seed), path));
    return path;
  }
  // Opens a picture so that a document is open.
  void OpenPicture() {
    ASSERT_TRUE(window_->OpenFile(Picture("open.bmp", 16, 16, 9)).done());
    ASSERT_EQ(Doc().kind, ImageKind::kBitmap);
  }
  // Drops `paths` onto the dialog as a file manager does.
  static void Drop(QWidget* dialog, const std::vector<std::string>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog, &drop);
  }
};

TEST_F(SeveralPicturesUiTest, AddedAndDroppedFilesMakeAPlayingUntitledAnimation) {
  OpenPicture();
  const std::string a = Picture("a.bmp", 40, 30, 1), b = Picture("b.bmp", 40, 30, 2);
  const std::string c = Picture("c.bmp", 40, 30, 3), wide = Picture("wide.bmp", 41, 30, 4);
  std::vector<std::string> frameOrder;
  testing::ModalScript script({[&](QWidget* w) {
    auto* dialog = qobject_cast<MultiPictureDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("複数画像をｱﾆﾒとして開く"));
    ASSERT_EQ(dialog->ColorCountBox()->count(), 5);
    EXPECT_EQ(dialog->ColorCountBox()->itemText(0), QStringLiteral("16色"));
    EXPECT_EQ(dialog->ColorCountBox()->currentIndex(), 4);  // stored 7: 256 colours
    EXPECT_EQ(dialog->SideBox()->value(), 100);
    EXPECT_EQ(dialog->TimeBox()->value(), 100);
    EXPECT_TRUE(dialog->PerFrameButton()->isChecked());
    EXPECT_TRUE(dialog->HundredthsButton()->isChecked());

    std::string next;
    dialog->chooseFile = [&next](const std::string&, std::vector<std::string>& paths) {
      paths = {next};
      return true;
    };
    const auto add = [&](const std::string& path) {
      next = path;
      dialog->AddButton()->click();
    };
    add(a);
    add(wide);  // another size
    EXPECT_EQ(messages_,
              QStringList{QStringLiteral("画像の幅、高さが異なる画像は、登録できません.")});
    messages_.clear();
    // Several files chosen at once: each passes the checks, in the order chosen.
    dialog->chooseFile = [&](const std::string&, std::vector<std::string>& paths) {
      paths = {b, wide, c};
      return true;
    };
    dialog->AddButton()->click();
    ASSERT_EQ(dialog->ListBox()->count(), 3);
    EXPECT_EQ(dialog->ListBox()->item(1)->text().toStdString(), b);
    EXPECT_EQ(dialog->ListBox()->item(2)->text().toStdString(), c);
    EXPECT_EQ(messages_,
              QStringList{QStringLiteral("画像の幅、高さが異なる画像は、登録できません.")});
    messages_.clear();
    dialog->chooseFile = [&next](const std::string&, std::vector<std::string>& paths) {
      paths = {next};
      return true;
    };
    while (dialog->ListBox()->count() < 40) add(dialog->ListBox()->count() % 2 ? b : c);
    add(a);  // a 41st
    EXPECT_EQ(messages_, QStringList{QStringLiteral("40個以上の画像は、登録できません.")});
    EXPECT_EQ(dialog->ListBox()->count(), 40);
    messages_.clear();

    // "削除" two, then a drop: the same checks, in drop order.
    dialog->ListBox()->setCurrentRow(39);
    dialog->RemoveButton()->click();
    dialog->ListBox()->setCurrentRow(38);
    dialog->RemoveButton()->click();
    Drop(dialog, {wide, a, a, a});
    EXPECT_EQ(messages_,
              (QStringList{QStringLiteral("画像の幅、高さが異なる画像は、登録できません."),
                           QStringLiteral("40個以上の画像は、登録できません.")}));
    messages_.clear();
    ASSERT_EQ(dialog->ListBox()->count(), 40);
    EXPECT_EQ(dialog->ListBox()->item(39)->text().toStdString(), a);
    // Moving: the first file goes one down and back up; the last one up.
    dialog->ListBox()->setCurrentRow(0);
    dialog->DownButton()->click();
    EXPECT_EQ(dialog->ListBox()->item(1)->text().toStdString(), a);
    EXPECT_EQ(dialog->ListBox()->currentRow(), 1);
    dialog->UpButton()->click();
    dialog->ListBox()->setCurrentRow(39);
    dialog->UpButton()->click();
    frameOrder = dialog->List().paths;

    dialog->ColorCountBox()->setCurrentIndex(0);
    dialog->TimeBox()->setValue(100);
    dialog->PerCycleButton()->setChecked(true);
    dialog->CreateButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdOpenMultiple));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(questions_, 1);
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();

  ASSERT_EQ(Doc().kind, ImageKind::kFrameAnimation);
  const FrameSet& frames = *Doc().frameSet;
  ASSERT_EQ(frames.count, 40);
  EXPECT_EQ(frames.frame(0).image.ColorCount(), 16u);
  EXPECT_EQ(frames.transparentIndex, 15);
  EXPECT_EQ(frames.frame(0).delay, 2);
  EXPECT_EQ(frames.frame(39).delay, 22);  // 100 = 40 x 2 + 20
  EXPECT_EQ(Doc().filePath, frameOrder.front());
  EXPECT_EQ(session_->settings.block.colorCountIndex, 3);
  EXPECT_EQ(session_->settings.block.sideLength, 100);
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("無題 - zel"));
  EXPECT_TRUE(HasUnsavedChanges(Doc()));
  EXPECT_FALSE(Doc().undo.CanUndo());
  EXPECT_TRUE(window_->AnimationBar()->isVisible());
  EXPECT_FALSE(window_->PictureBar()->isVisible());
  EXPECT_EQ(window_->KindPane()->text(), QString::fromUtf8(KindLabel(ImageKind::kFrameAnimation)));
  EXPECT_EQ(Doc().flags & (kFlagStopped | kFlagBusy), 0u);
  EXPECT_TRUE(PlaybackTick(Doc(), Doc().lastFrameTick + 100));
  EXPECT_EQ(Doc().currentFrame, 1);
  // Unsaved work: closing asks.
  window_->close();
  EXPECT_EQ(saveQuestions_, 1);
}

TEST_F(SeveralPicturesUiTest, NoKeepsTheDocumentAndFailuresChangeNothing) {
  OpenPicture();
  const uint8_t* before = Doc().currentPicture.data();
  answerYes_ = false;
  ASSERT_TRUE(window_->RunCommand(kCmdOpenMultiple));
  EXPECT_EQ(asked_, QStringList{QString::fromUtf8(
                        "この操作は、現在の画像を破棄します。\n続行してよろしいですか?")});
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
  EXPECT_EQ(Doc().currentPicture.data(), before);

  // One file: "作成" closes the dialog and nothing changes. A file gone before "作成": its
  // message, the dialog closes, nothing changes.
  answerYes_ = true;
  const std::string a = Picture("a.bmp", 20, 10, 1), b = Picture("b.bmp", 20, 10, 2);
  for (bool remove : {false, true}) {
    testing::ModalScript script({[&](QWidget* w) {
      auto* dialog = qobject_cast<MultiPictureDialog*>(w);
      ASSERT_NE(dialog, nullptr);
      dialog->AddFiles(remove ? std::vector<std::string>{a, b} : std::vector<std::string>{a});
      if (remove) std::filesystem::remove(b);
      dialog->CreateButton()->click();
    }});
    ASSERT_TRUE(window_->RunCommand(kCmdOpenMultiple));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(messages_, remove ? QStringList{QStringLiteral("画像ファイルが読み込みできません．")}
                                : QStringList{});
    messages_.clear();
    EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
    EXPECT_EQ(Doc().currentPicture.data(), before);
    EXPECT_NE(window_->windowTitle(), QStringLiteral("無題 - zel"));
  }
}

}  // namespace
}  // namespace zel
