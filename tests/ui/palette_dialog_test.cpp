// The palette operation on the real main window, offscreen: entries merged through the
// dialog's own widgets, OK, and undo bringing the picture back byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/settings.h"
#include "support/gif_builder.h"
#include "ui/dialogs/palette_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"
#include "ui/private_home.h"

namespace zel {
namespace {

using testing::Bytes;
using testing::GifBuilder;
using testing::PicturePixels;
using testing::PixelColor;
using testing::Rgb;

const std::vector<Rgb> kColors = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
const std::vector<uint8_t> kPixels = {0, 1, 2, 3, 1, 2, 3, 0};

std::string WritePicture(const std::string& path) {
  GifBuilder gif(4, 2, kColors);
  gif.Image(0, 0, 4, 2, kPixels);
  return testing::WriteGif(path, gif);
}

class PaletteDialogTest : public testing::MainWindowFixture {
 protected:
  PaletteDialogTest() { noMessages_ = true; }

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(MainWindowFixture::SetUp());
    ASSERT_TRUE(window_->OpenFile(WritePicture(File("four.gif"))).done());
    ASSERT_EQ(Doc().currentPicture.Header().bitCount, 8);
  }

  // Runs the palette command; `step` drives the dialog once it shows and must close it.
  void RunDialog(const std::function<void(PaletteDialog&)>& step) {
    testing::ModalScript script({[&](QWidget* w) {
      auto* dialog = qobject_cast<PaletteDialog*>(w);
      ASSERT_NE(dialog, nullptr);
      step(*dialog);
    }});
    ASSERT_TRUE(window_->RunCommand(kCmdPaletteOperation));
    EXPECT_TRUE(script.Finished());
  }
};

TEST_F(PaletteDialogTest, MergingTwoEntriesChangesThePictureAndUndoRestoresIt) {
  const std::vector<uint8_t> before = Bytes(Doc().currentPicture);
  ASSERT_TRUE(window_->IsAvailable(kCmdPaletteOperation));

  RunDialog([](PaletteDialog& dialog) {
    EXPECT_EQ(dialog.TransparentEdit()->text(), QStringLiteral("なし"));
    const int listed = dialog.List()->topLevelItemCount();
    ASSERT_GE(listed, 4);
    EXPECT_EQ(dialog.CountEdit()->text(), QString::number(listed));
    EXPECT_EQ(dialog.Item(3)->text(0), QStringLiteral("2"));

    // One row: its entry is shown, merging is off.
    dialog.Item(3)->setSelected(true);
    EXPECT_EQ(dialog.IndexEdit()->text(), QStringLiteral("3"));
    EXPECT_EQ(dialog.BlueEdit()->text(), QStringLiteral("255"));
    EXPECT_TRUE(dialog.ColorButton()->isEnabled());
    EXPECT_FALSE(dialog.MergeButton()->isEnabled());
    // Two rows: merging is on, the entry's fields are off and empty. Sorting refills the
    // list; the row first in list order keeps, whatever order they were selected in.
    dialog.SortButton(PaletteSort::kDotCount)->click();
    dialog.Item(3)->setSelected(true);
    dialog.Item(1)->setSelected(true);
    EXPECT_TRUE(dialog.MergeButton()->isEnabled());
    EXPECT_FALSE(dialog.ColorButton()->isEnabled());
    EXPECT_TRUE(dialog.IndexEdit()->text().isEmpty());
    dialog.MergeButton()->click();

    EXPECT_EQ(dialog.Item(3), nullptr);
    EXPECT_EQ(dialog.Item(1)->text(0), QStringLiteral("4"));
    EXPECT_EQ(dialog.CountEdit()->text(), QString::number(listed - 1));
    EXPECT_FALSE(dialog.MergeButton()->isEnabled());
    dialog.OkButton()->click();
  });

  const PackedDib& after = Doc().currentPicture;
  ASSERT_EQ(after.ColorCount(), 3u);
  EXPECT_EQ(PicturePixels(after), (std::vector<uint8_t>{0, 1, 2, 1, 1, 2, 1, 0}));
  const Rgb red = PixelColor(after, 3, 0);
  EXPECT_EQ(std::vector<int>({red.r, red.g, red.b}), std::vector<int>({255, 0, 0}));
  EXPECT_TRUE(asked_.isEmpty());

  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Bytes(Doc().currentPicture), before);
}

TEST_F(PaletteDialogTest, TransparentCheckSetsThenMergesIntoTheTransparentEntry) {
  RunDialog([](PaletteDialog& dialog) {
    dialog.Item(2)->setSelected(true);
    ASSERT_TRUE(dialog.TransparentCheck()->isEnabled());
    dialog.TransparentCheck()->click();  // no entry is transparent yet: no question
    EXPECT_EQ(dialog.Item(2)->text(0), QStringLiteral("2*"));
    EXPECT_EQ(dialog.TransparentEdit()->text(), QStringLiteral("あり"));
    dialog.List()->clearSelection();
    dialog.Item(0)->setSelected(true);
    EXPECT_FALSE(dialog.TransparentCheck()->isChecked());
    dialog.TransparentCheck()->click();  // asked, answered Yes: merged into entry 2
    EXPECT_EQ(dialog.Item(0), nullptr);
    EXPECT_EQ(dialog.Item(2)->text(0), QStringLiteral("4*"));
    dialog.OkButton()->click();
  });
  EXPECT_EQ(asked_, QStringList{QString::fromUtf8(Say(kPaletteMergeIntoTransparentQuestion))});
  const PackedDib& after = Doc().currentPicture;
  ASSERT_EQ(after.ColorCount(), 3u);
  EXPECT_EQ(PicturePixels(after), (std::vector<uint8_t>{1, 0, 1, 2, 0, 1, 2, 1}));
  EXPECT_EQ(Doc().frameSet->transparentIndex, 1);
  const Rgbq shown = after.ColorTable()[1];
  EXPECT_EQ(static_cast<uint32_t>(shown.red | shown.green << 8 | shown.blue << 16),
            Doc().backgroundColor);
}

TEST_F(PaletteDialogTest, DroppingTheCommonPaletteDiscardsTheEdits) {
  const std::vector<uint8_t> before = Bytes(Doc().currentPicture);
  RunDialog([](PaletteDialog& dialog) {
    dialog.Item(0)->setSelected(true);
    dialog.Item(2)->setSelected(true);
    dialog.MergeButton()->click();
    dialog.DropCommonButton()->click();
  });
  EXPECT_EQ(asked_, QStringList{QString::fromUtf8(Say(kPaletteDropCommonQuestion))});
  EXPECT_EQ(Doc().frameSet->paletteCount, -1);
  EXPECT_EQ(Bytes(Doc().currentPicture), before);
  EXPECT_FALSE(Doc().undo.CanUndo());
}

}  // namespace
}  // namespace zel
