// The colour-resolution command on the real main window, offscreen: a JPEG photo reduced
// to 256 colours through the dialog and saved as GIF reads back with the document's pixels;
// the command on the 8-bit result goes back to full colour; a missing reference file keeps
// the dialog open.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/command_ids.h"
#include "app/settings.h"
#include "color/index_color.h"
#include "color/palette_reference.h"
#include "color/quality_quantizer.h"
#include "document/document_state.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/jpeg_writer.h"
#include "support/gif_builder.h"
#include "ui/dialogs/change_color_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"
#include "ui/private_home.h"

namespace zel {
namespace {

// R, G, B of every pixel, top row first.
std::vector<uint8_t> RgbBytes(const PackedDib& picture) {
  std::vector<uint8_t> rgb;
  const DibHeader h = picture.Header();
  for (int y = 0; y < h.height; ++y) {
    for (int x = 0; x < h.width; ++x) {
      if (h.bitCount == 8) {
        const Rgbq c = picture.ColorTable()[picture.Row(y)[x]];
        rgb.insert(rgb.end(), {c.red, c.green, c.blue});
      } else {
        const uint8_t* p = picture.Row(y) + 3 * x;
        rgb.insert(rgb.end(), {p[2], p[1], p[0]});
      }
    }
  }
  return rgb;
}

// A photo-like picture of many colours.
PackedDib Photo(int width, int height) {
  PackedDib p = NewPicture(width, height, 24, 0);
  uint32_t state = 5;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1103515245u + 12345u;
      const int n = static_cast<int>((state >> 16) % 32);
      uint8_t* px = p.Row(y) + 3 * x;
      px[0] = static_cast<uint8_t>((x * 4 + n) & 0xFF);
      px[1] = static_cast<uint8_t>((y * 5 + n) & 0xFF);
      px[2] = static_cast<uint8_t>(((x + y) * 3 + n) & 0xFF);
    }
  }
  return p;
}

class ChangeColorTest : public testing::MainWindowFixture {
 protected:
  // Runs the command with `step` acting on its dialog.
  void RunWithDialog(const std::function<void(ChangeColorDialog*)>& step) {
    testing::ModalScript script({[&](QWidget* w) {
      auto* dialog = qobject_cast<ChangeColorDialog*>(w);
      ASSERT_NE(dialog, nullptr);
      step(dialog);
    }});
    ASSERT_TRUE(window_->RunCommand(kCmdColorResolution));
    EXPECT_TRUE(script.Finished());
  }
};

TEST_F(ChangeColorTest, JpegToTwoHundredFiftySixColoursSavesAsGif) {
  const std::string jpeg = File("photo.jpg");
  ASSERT_EQ(WriteJpegFile(Photo(120, 90), jpeg, 90), 0);
  ASSERT_TRUE(window_->OpenFile(jpeg).done());
  ASSERT_EQ(Doc().currentPicture.Header().bitCount, 24);
  const PackedDib original = DuplicateBlock(Doc().currentPicture);

  RunWithDialog([](ChangeColorDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("インディックスカラーに変更"));
    // Far more than 255 colours: no pure index; the reference controls start disabled.
    EXPECT_FALSE(dialog->PureIndexBox()->isEnabled());
    EXPECT_FALSE(dialog->ReferencePathEdit()->isEnabled());
    EXPECT_FALSE(dialog->BrowseButton()->isEnabled());
    EXPECT_EQ(dialog->ColorCountBox()->count(), 8);
    EXPECT_EQ(dialog->ColorCountBox()->itemText(7), QStringLiteral("256色"));
    EXPECT_EQ(dialog->TransparencyBox()->itemText(0), QStringLiteral("画像内は透明にしない"));
    dialog->ColorCountBox()->setCurrentIndex(7);
    dialog->TransparencyBox()->setCurrentIndex(0);
    dialog->NoDiffusionBox()->setChecked(false);
    dialog->CreateButton()->click();
  });
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();

  // The document holds the core's conversion with the choices the dialog stored.
  const Settings& settings = session_->settings.block;
  EXPECT_EQ(settings.colorCountIndex, 7);
  EXPECT_EQ(settings.options & kOptionNoDiffusion, 0u);
  std::optional<IndexConversion> expected =
      ConvertToIndexColor(original, ColorChoices{7, 0, false}, Doc().backgroundColor);
  ASSERT_TRUE(expected.has_value());
  const PackedDib& picture = Doc().currentPicture;
  ASSERT_EQ(picture.Header().bitCount, 8);
  EXPECT_EQ(picture.Header().clrUsed, expected->picture.Header().clrUsed);
  EXPECT_EQ(Doc().frameSet->transparentIndex, expected->transparentIndex);
  EXPECT_EQ(RgbBytes(picture), RgbBytes(expected->picture));

  // Saved as GIF, the file reads back with the document's pixels.
  const std::string gif = File("photo.gif");
  ASSERT_TRUE(window_->SaveGifTo(gif));
  FrameSet frames(16);
  ASSERT_TRUE(LoadGifAnimation(gif, frames, 16));
  ASSERT_EQ(frames.count, 1);
  EXPECT_EQ(RgbBytes(frames.frame(0).image), RgbBytes(picture));

  // The command on the 8-bit picture goes back to full colour without the dialog.
  ASSERT_TRUE(window_->RunCommand(kCmdColorResolution));
  EXPECT_EQ(Doc().currentPicture.Header().bitCount, 24);
  EXPECT_EQ(Doc().frameSet->transparentIndex, -1);
  EXPECT_EQ(RgbBytes(Doc().currentPicture), RgbBytes(frames.frame(0).image));
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
}

// "高画質" converts through libimagequant, and the choice is still there after a restart.
TEST_F(ChangeColorTest, HighQualityConvertsAJpegAndIsRemembered) {
  const std::string jpeg = File("hq_photo.jpg");
  ASSERT_EQ(WriteJpegFile(Photo(120, 90), jpeg, 90), 0);
  ASSERT_TRUE(window_->OpenFile(jpeg).done());
  const PackedDib original = DuplicateBlock(Doc().currentPicture);
  EXPECT_FALSE(session_->settings.highQualityColors);

  RunWithDialog([](ChangeColorDialog* dialog) {
    EXPECT_EQ(dialog->HighQualityBox()->text(), QStringLiteral("高画質"));
    EXPECT_FALSE(dialog->HighQualityBox()->isChecked());
    EXPECT_TRUE(dialog->HighQualityBox()->isEnabled());
    dialog->ColorCountBox()->setCurrentIndex(5);
    dialog->TransparencyBox()->setCurrentIndex(0);
    dialog->NoDiffusionBox()->setChecked(false);
    dialog->HighQualityBox()->setChecked(true);
    dialog->CreateButton()->click();
  });
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  EXPECT_TRUE(session_->settings.highQualityColors);
  std::optional<IndexConversion> expected =
      QualityConvertToIndexColor(original, ColorChoices{5, 0, false}, Doc().backgroundColor);
  ASSERT_TRUE(expected);
  const PackedDib& picture = Doc().currentPicture;
  ASSERT_EQ(picture.Header().bitCount, 8);
  EXPECT_EQ(picture.Header().clrUsed, expected->picture.Header().clrUsed);
  EXPECT_EQ(Doc().frameSet->transparentIndex, expected->transparentIndex);
  EXPECT_EQ(RgbBytes(picture), RgbBytes(expected->picture));
  // Not the program's own quantizer.
  std::optional<IndexConversion> own =
      ConvertToIndexColor(original, ColorChoices{5, 0, false}, Doc().backgroundColor);
  ASSERT_TRUE(own);
  EXPECT_NE(RgbBytes(picture), RgbBytes(own->picture));

  // A restart reads the choice back from zel.ini, and the dialog shows it.
  window_.reset();
  session_.reset();
  session_ = std::make_unique<EditorSession>();
  ASSERT_EQ(session_->Start(), StartResult::kStarted);
  EXPECT_TRUE(session_->settings.highQualityColors);
  window_ = std::make_unique<MainWindow>(*session_);
  window_->message = [this](const QString& text) { messages_ << text; };
  window_->show();
  ASSERT_TRUE(window_->OpenFile(jpeg).done());
  RunWithDialog([](ChangeColorDialog* dialog) {
    EXPECT_TRUE(dialog->HighQualityBox()->isChecked());
    dialog->CloseButton()->click();
  });
}

TEST_F(ChangeColorTest, FailedReferenceKeepsTheDialogOpen) {
  const std::string jpeg = File("ref_photo.jpg");
  ASSERT_EQ(WriteJpegFile(Photo(40, 30), jpeg, 90), 0);
  ASSERT_TRUE(window_->OpenFile(jpeg).done());
  const std::vector<uint8_t> before = RgbBytes(Doc().currentPicture);
  const bool undoBefore = Doc().undo.CanUndo();

  RunWithDialog([&](ChangeColorDialog* dialog) {
    QStringList shown;
    dialog->message = [&](const QString& text) { shown << text; };
    dialog->PaletteReferenceBox()->setChecked(true);
    EXPECT_TRUE(dialog->ReferencePathEdit()->isEnabled());
    EXPECT_TRUE(dialog->BrowseButton()->isEnabled());
    EXPECT_FALSE(dialog->PureIndexBox()->isChecked());
    struct Case {
      std::string path;
      const char* message;
    } cases[] = {{File("missing.gif"), Say(kReferenceMissingText)},
                 {jpeg, Say(kReferenceFailedText)}};
    for (const Case& c : cases) {
      shown.clear();
      dialog->ReferencePathEdit()->setText(QString::fromStdString(c.path));
      dialog->CreateButton()->click();
      EXPECT_EQ(shown, QStringList{QString::fromUtf8(c.message)});
      EXPECT_TRUE(dialog->isVisible());
    }
    dialog->CloseButton()->click();
  });
  EXPECT_EQ(Doc().currentPicture.Header().bitCount, 24);
  EXPECT_EQ(RgbBytes(Doc().currentPicture), before);
  EXPECT_EQ(Doc().undo.CanUndo(), undoBefore);
}

}  // namespace
}  // namespace zel
