// The settings dialog's "GIFを最適化して保存する": once on, the editor's GIF save writes the
// same frames in a smaller file, and the choice survives a restart.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/settings.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_encoder.h"
#include "platform/file_io.h"
#include "support/animation_cases.h"
#include "ui/dialogs/define_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/private_home.h"

namespace zel {
namespace {

// What our reader shows of a GIF file: every frame's pixels as RGB, transparent as 0.
std::vector<std::vector<uint32_t>> ShownFrames(const std::string& path) {
  FrameSet set(64);
  EXPECT_TRUE(LoadGifAnimation(path, set, 64)) << path;
  std::vector<std::vector<uint32_t>> frames;
  for (int f = 0; f < set.count; ++f) {
    const PackedDib& picture = set.frame(f).image;
    DibHeader h = picture.Header();
    std::vector<uint32_t> pixels;
    for (int y = 0; y < h.height; ++y) {
      for (int x = 0; x < h.width; ++x) {
        const int index = picture.Row(y)[x];
        const Rgbq c = picture.ColorTable()[index];
        pixels.push_back(index == set.transparentIndex
                             ? 0
                             : (0xFF000000u | (c.red << 16) | (c.green << 8) | c.blue));
      }
    }
    frames.push_back(std::move(pixels));
  }
  return frames;
}

size_t FileSize(const std::string& path) {
  return std::filesystem::file_size(path);
}

class OptimizedSaveTest : public testing::MainWindowFixture {
 protected:
  void HookWindow() override {
    window_->message = [this](const QString& text) { messages_ << text; };
  }

  // Saves the open document through the save command into the settings folder.
  std::string Save(const char* name) {
    const std::string target = session_->settingsFolder + name;
    session_->settings.block.lastImagePath = target;
    EXPECT_TRUE(window_->RunCommand(kCmdSaveGif));
    return target;
  }
};

TEST_F(OptimizedSaveTest, OptionInTheSettingsDialogMakesSavesSmallerAndSurvivesARestart) {
  FrameSet frames = testing::MakeMovingObject(160, 120, 6);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(BuildGifFile(frames, false, nullptr, bytes), kGifWriteOk);
  const std::string source = File("moving.gif");
  ASSERT_TRUE(WriteFileAtomically(source, bytes.data(), bytes.size()));
  ASSERT_TRUE(window_->OpenFile(source).done());

  EXPECT_FALSE(session_->settings.optimizeGif);
  const std::string plain = Save("plain.gif");

  bool seen = false;
  QTimer::singleShot(20, [&] {
    auto* dialog = qobject_cast<DefineDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    seen = true;
    EXPECT_EQ(dialog->OptimizeCheck()->text().toStdString(), "GIFを最適化して保存する");
    EXPECT_TRUE(dialog->OptimizeCheck()->isVisible());
    EXPECT_FALSE(dialog->OptimizeCheck()->isChecked());
    dialog->OptimizeCheck()->setChecked(true);
    dialog->OkButton()->click();
  });
  ASSERT_TRUE(window_->RunCommand(kCmdOptions));
  ASSERT_TRUE(seen);
  EXPECT_TRUE(session_->settings.optimizeGif);

  const std::string optimized = Save("optimized.gif");
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_LT(FileSize(optimized) * 3, FileSize(plain));
  EXPECT_EQ(ShownFrames(optimized), ShownFrames(plain));

  StopWindow();
  StartWindow();
  EXPECT_TRUE(session_->settings.optimizeGif);
}

}  // namespace
}  // namespace zel
