// Every change of the document is one undoable step, taken back and given again by undo and
// redo through the menu commands, and the window follows each step through the document's
// one observer: the "*" of the title tracks the revision, and replacing an unchanged
// document asks nothing.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/recent_files.h"
#include "app/settings.h"
#include "support/gif_builder.h"
#include "ui/dialogs/save_confirm_dialog.h"
#include "ui/dialogs/time_detail_dialog.h"
#include "ui/main_window.h"
#include "ui/modal_script.h"
#include "ui/main_window_fixture.h"

namespace zel {
namespace {

using testing::GifBuilder;

// Three frames of 6 x 4, each pixel its own colour index, so that a turn or a flip moves
// every pixel somewhere else.
std::string WriteAnimation(const std::string& path) {
  std::vector<testing::Rgb> table;
  for (int i = 0; i < 32; ++i) {
    table.push_back({static_cast<uint8_t>(i * 8), static_cast<uint8_t>(255 - i * 8), 7});
  }
  GifBuilder gif(6, 4, table);
  gif.Looping();
  for (int f = 0; f < 3; ++f) {
    std::vector<uint8_t> pixels(24);
    for (int i = 0; i < 24; ++i) pixels[i] = static_cast<uint8_t>((i + f) % 32);
    gif.Control(0x04, 10 + f, 0).Image(0, 0, 6, 4, pixels);
  }
  return testing::WriteGif(path, gif);
}

// The frames' pictures and delays, and the kind: what an undo must give back exactly.
struct Shot {
  ImageKind kind;
  int width;
  int height;
  std::vector<std::vector<uint8_t>> frames;
  std::vector<int> delays;
  bool operator==(const Shot&) const = default;
};

class EditHistoryTest : public testing::MainWindowFixture {
 protected:
  Shot Capture() {
    Shot s{Doc().kind, Doc().width, Doc().height, {}, {}};
    for (int i = 0; i < Doc().frameSet->count; ++i) {
      const PackedDib& p = Doc().frameSet->frame(i).image;
      s.frames.emplace_back(p.data(), p.data() + p.size());
      s.delays.push_back(Doc().frameSet->frame(i).delay);
    }
    return s;
  }
  std::string Title() const { return window_->windowTitle().toStdString(); }
  bool UndoShown() const { return window_->Action(kCmdUndo)->isEnabled(); }
  bool RedoShown() const { return window_->Action(kCmdRedo)->isEnabled(); }
};

TEST_F(EditHistoryTest, TurnsFlipsAndTimesAreUndoneAndRedone) {
  const std::string path = WriteAnimation(File("history.gif"));
  struct Case {
    const char* name;
    std::function<void()> change;
  } cases[] = {
      {"turn left", [&] { ASSERT_TRUE(window_->RunCommand(kCmdRotateLeft)); }},
      {"turn right", [&] { ASSERT_TRUE(window_->RunCommand(kCmdRotateRight)); }},
      {"mirror", [&] { ASSERT_TRUE(window_->RunCommand(kCmdMirrorHorizontal)); }},
      {"flip", [&] { ASSERT_TRUE(window_->RunCommand(kCmdMirrorVertical)); }},
      {"time",
       [&] {
         session_->settings.block.options &= ~kOptionTimeSlider;
         testing::ModalScript script({[&](QWidget* w) {
           auto* dialog = qobject_cast<TimeDetailDialog*>(w);
           ASSERT_NE(dialog, nullptr);
           QLineEdit* edit = dialog->TimeEdit(1);
           edit->selectAll();
           QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
           QCoreApplication::sendEvent(edit, &del);
           for (QChar ch : QStringLiteral("77")) {
             QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
             QCoreApplication::sendEvent(edit, &press);
           }
           dialog->ChangeButton()->click();
         }});
         ASSERT_TRUE(window_->RunCommand(kCmdTimeAdjust));
         EXPECT_TRUE(script.Finished());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenStopped(path, 3);
    const Shot opened = Capture();
    EXPECT_FALSE(UndoShown());
    EXPECT_EQ(Title(), "history.gif - Zel");

    c.change();
    const Shot changed = Capture();
    EXPECT_NE(changed, opened);
    EXPECT_TRUE(UndoShown());
    EXPECT_FALSE(RedoShown());
    EXPECT_EQ(Title(), "history.gif* - Zel");

    ASSERT_TRUE(window_->RunCommand(kCmdUndo));
    EXPECT_EQ(Capture(), opened);
    EXPECT_TRUE(RedoShown());
    EXPECT_EQ(Title(), "history.gif - Zel");  // back at the state opened

    ASSERT_TRUE(window_->RunCommand(kCmdRedo));
    EXPECT_EQ(Capture(), changed);
    EXPECT_EQ(Title(), "history.gif* - Zel");
    EXPECT_EQ(window_->SizePane()->text().toStdString(),
              std::to_string(changed.width) + "," + std::to_string(changed.height));
  }
}

// A change made after an undo forgets the redo, as every change does: a turn included.
TEST_F(EditHistoryTest, AChangeAfterAnUndoForgetsTheRedo) {
  OpenStopped(WriteAnimation(File("redo.gif")), 3);
  ASSERT_TRUE(window_->RunCommand(kCmdInsertFrame));
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_TRUE(RedoShown());
  ASSERT_TRUE(window_->RunCommand(kCmdRotateRight));
  EXPECT_FALSE(RedoShown());
  EXPECT_TRUE(UndoShown());
}

// Opening one file after another without an edit asks nothing, however the first came in;
// after an edit it asks, and after that edit is undone it does not.
TEST_F(EditHistoryTest, OpeningAfterOpeningAsksOnlyAfterAChange) {
  int asked = 0;
  window_->saveConfirmation = [&] {
    ++asked;
    return SaveChoice::kDiscard;
  };
  const std::string first = WriteAnimation(File("first.gif"));
  const std::string second = WriteAnimation(File("second.gif"));
  const std::string third = WriteAnimation(File("third.gif"));
  window_->LoadCommandLineFile(first);
  ASSERT_TRUE(window_->OpenFile(second).done());
  ASSERT_TRUE(window_->OpenFile(third).done());
  // The recent-file command is an open that settles unsaved work first.
  ASSERT_EQ(window_->RecentFiles().front().toStdString(), third);
  ASSERT_TRUE(window_->RunCommand(RecentFileCommand(1)));  // second.gif again
  EXPECT_EQ(Doc().filePath, second);
  EXPECT_EQ(asked, 0);

  ASSERT_TRUE(window_->RunCommand(kCmdReverse));
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  ASSERT_TRUE(window_->RunCommand(RecentFileCommand(1)));
  EXPECT_EQ(asked, 0);

  ASSERT_TRUE(window_->RunCommand(kCmdReverse));
  ASSERT_TRUE(window_->RunCommand(RecentFileCommand(1)));
  EXPECT_EQ(asked, 1);
}

}  // namespace
}  // namespace zel
