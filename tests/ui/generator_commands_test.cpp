// The generators on the real main window, offscreen: "アニメ作成" makes a frame animation
// from a photo that plays and saves exactly as zel-cli make-anime writes it, undo gives the
// picture back; "エフェクト" warps an open animation and refuses one of three frames.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/generator_dialogs.h"
#include "app/settings.h"
#include "document/document_state.h"
#include "document/playback.h"
#include "generators/generated_motion.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/gif_encoder.h"
#include "resources/string_table.h"
#include "ui/dialogs/anime_effect_dialog.h"
#include "ui/dialogs/make_anime_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"
#include "ui/private_home.h"

namespace zel {
namespace {

PackedDib Photo(int width, int height) {
  PackedDib p = NewPicture(width, height, 24, 0);
  uint32_t state = 11;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1103515245u + 12345u;
      const int n = static_cast<int>((state >> 16) % 24);
      uint8_t* px = p.Row(y) + 3 * x;
      px[0] = static_cast<uint8_t>((x * 3 + n) & 0xFF);
      px[1] = static_cast<uint8_t>((y * 4 + n) & 0xFF);
      px[2] = static_cast<uint8_t>(((x ^ y) * 2 + n) & 0xFF);
    }
  }
  return p;
}

std::vector<char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using GeneratorCommandsTest = testing::MainWindowFixture;

TEST_F(GeneratorCommandsTest, MakeAnimeCreatesAFrameAnimationThatPlaysAsZelCliWritesIt) {
  const std::string photo = File("generator_photo.bmp");
  ASSERT_TRUE(WriteBmpFile(Photo(96, 72), photo));
  ASSERT_TRUE(window_->OpenFile(photo).done());
  ASSERT_EQ(Doc().kind, ImageKind::kBitmap);
  ASSERT_TRUE(window_->PictureBar()->isVisible());

  bool disabledWhileRunning = false;
  testing::ModalScript script({[&](QWidget* w) {
    auto* dialog = qobject_cast<MakeAnimeDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("アニメ作成"));
    EXPECT_EQ(dialog->EffectBox()->count(), 10);
    EXPECT_EQ(dialog->EffectBox()->itemText(9), QStringLiteral("ｽﾞｰﾑｲﾝｱｳﾄ"));
    // A full-colour picture: the colour controls are on; the copy uses no amplitude.
    EXPECT_TRUE(dialog->ColorCountBox()->isEnabled());
    EXPECT_TRUE(dialog->TransparencyBox()->isEnabled());
    EXPECT_FALSE(dialog->AmplitudeBox()->isEnabled());
    // The built-in motion definitions exist: 1004 is offered, 1011 names the selected one.
    EXPECT_TRUE(dialog->MotionBox()->isEnabled());
    EXPECT_EQ(dialog->MotionTitle()->text(), QStringLiteral("八の字移動"));
    dialog->MotionBox()->setChecked(false);
    dialog->EffectBox()->setCurrentIndex(6);  // "パンク"
    EXPECT_TRUE(dialog->AmplitudeBox()->isEnabled());
    dialog->FramesBox()->setValue(20);
    dialog->AmplitudeBox()->setValue(50);
    dialog->TimeBox()->setValue(10);
    dialog->PerFrameButton()->setChecked(true);
    dialog->HundredthsButton()->setChecked(true);
    dialog->ColorCountBox()->setCurrentIndex(7);
    dialog->TransparencyBox()->setCurrentIndex(0);
    dialog->NoDiffusionBox()->setChecked(false);
    dialog->MarginBox()->setChecked(false);
    // A second "作成" while the first runs finds the dialog closed to input.
    QTimer::singleShot(0, dialog, [&, dialog] {
      disabledWhileRunning = !dialog->isEnabled() && dialog->Running();
      dialog->CreateButton()->click();
    });
    dialog->CreateButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdMakeAnimation));
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(disabledWhileRunning);
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();

  ASSERT_EQ(Doc().kind, ImageKind::kFrameAnimation);
  ASSERT_EQ(Doc().frameSet->count, 20);
  EXPECT_EQ(session_->settings.block.makeAnimeEffect, 6);
  EXPECT_EQ(session_->settings.block.makeAnimeFrames, 20);
  EXPECT_FALSE(window_->PictureBar()->isVisible());
  EXPECT_TRUE(window_->AnimationBar()->isVisible());
  EXPECT_EQ(window_->KindPane()->text(), QString::fromUtf8(KindLabel(ImageKind::kFrameAnimation)));
  // It plays: a tick after the first frame's delay shows the next frame.
  EXPECT_EQ(Doc().flags & (kFlagStopped | kFlagBusy), 0u);
  EXPECT_TRUE(PlaybackTick(Doc(), Doc().lastFrameTick + 200));
  EXPECT_EQ(Doc().currentFrame, 1);

  // Saved, the editor's file is byte for byte the one zel-cli makes.
  const std::string editorGif = File("generator_editor.gif");
  const std::string cliGif = File("generator_cli.gif");
  ASSERT_TRUE(window_->SaveGifTo(editorGif));
  const std::string command = std::string("'") + ZEL_CLI_PATH + "' make-anime '" + photo +
                              "' --effect punk --frames 20 --amplitude 50 --time 10 --diffusion -o '" + cliGif +
                              "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::vector<char> editorBytes = FileBytes(editorGif);
  ASSERT_GT(editorBytes.size(), 1000u);
  EXPECT_TRUE(editorBytes == FileBytes(cliGif));

  // Undo gives the picture back.
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
  EXPECT_EQ(Doc().currentPicture.Header().bitCount, 24);
  EXPECT_EQ(Doc().currentPicture.Header().width, 96);
}

TEST_F(GeneratorCommandsTest, EffectWarpsTheFramesAndRefusesThreeFrames) {
  // An 8-frame animation of 8-bit frames, saved and opened as a user would.
  FrameSet frames(8);
  std::vector<Rgbq> table(16);
  for (int i = 0; i < 16; ++i) table[i] = {uint8_t(i * 16), uint8_t(255 - i * 16), 90, 0};
  for (int f = 0; f < 8; ++f) {
    PackedDib p = NewPicture(40, 30, 8, 16, table.data());
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) p.Row(y)[x] = uint8_t((x / 5 + y / 5 + f) % 15 + 1);
    }
    frames.frame(f).image = std::move(p);
    frames.frame(f).delay = 7;
  }
  frames.count = 8;
  frames.transparentIndex = 0;
  const std::string gif = File("effect_source.gif");
  ASSERT_EQ(WriteGifFile(frames, gif, false, nullptr), kGifWriteOk);
  ASSERT_TRUE(window_->OpenFile(gif).done());
  ASSERT_EQ(Doc().frameSet->count, 8);
  std::vector<PackedDib> before;
  for (int f = 0; f < 8; ++f) before.push_back(DuplicateBlock(Doc().frameSet->frame(f).image));

  testing::ModalScript script({[&](QWidget* w) {
    auto* dialog = qobject_cast<AnimeEffectDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("エフェクト"));
    EXPECT_EQ(dialog->EffectBox()->count(), 9);
    dialog->EffectBox()->setCurrentIndex(2);  // "右回転": no amplitude
    EXPECT_FALSE(dialog->AmplitudeBox()->isEnabled());
    dialog->EffectBox()->setCurrentIndex(7);  // "ズームアウト"
    EXPECT_TRUE(dialog->AmplitudeBox()->isEnabled());
    dialog->AmplitudeBox()->setValue(60);
    dialog->CreateButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdEffect));
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  EXPECT_EQ(session_->settings.block.effectIndex, 8);
  EXPECT_EQ(session_->settings.block.effectAmplitude, 60);
  const FrameSet& set = *Doc().frameSet;
  ASSERT_EQ(set.count, 8);
  for (int f = 0; f < 8; ++f) {
    const bool same =
        std::memcmp(set.frame(f).image.Pixels(), before[f].Pixels(), before[f].Stride() * 30) == 0;
    EXPECT_EQ(same, f == 0) << f;  // zoom out keeps the first frame
    EXPECT_EQ(set.frame(f).delay, 7);
  }

  // Three frames: message 504 and nothing changes.
  Doc().frameSet->frame(7).image.Reset();
  Doc().frameSet->frame(6).image.Reset();
  Doc().frameSet->frame(5).image.Reset();
  Doc().frameSet->frame(4).image.Reset();
  Doc().frameSet->frame(3).image.Reset();
  Doc().frameSet->count = 3;
  std::vector<PackedDib> three;
  for (int f = 0; f < 3; ++f) three.push_back(DuplicateBlock(Doc().frameSet->frame(f).image));
  EXPECT_FALSE(window_->IsAvailable(kCmdEffect));  // the menu offers it from 4 frames on
  AnimeEffectDialog dialog(Doc(), session_->settings.block, window_.get());
  dialog.message = [this](const QString& text) { messages_ << text; };
  EXPECT_EQ(dialog.Create(), Outcome::Failed(kMsgOutOfRange));
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_[0], QString::fromUtf8(MessageText(kMsgOutOfRange)));
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(std::memcmp(Doc().frameSet->frame(f).image.Pixels(), three[f].Pixels(),
                          three[f].Stride() * 30),
              0);
  }
}

TEST_F(GeneratorCommandsTest, MakeAnimeMovesTheFramesAlongTheSelectedPath) {
  const PackedDib source = Photo(48, 36);
  const std::string photo = File("generator_motion.bmp");
  ASSERT_TRUE(WriteBmpFile(source, photo));
  ASSERT_TRUE(window_->OpenFile(photo).done());
  ASSERT_GT(session_->motions.Count(), 4);
  session_->motions.SetSelected(4);  // "水平"

  testing::ModalScript script({[&](QWidget* w) {
    auto* dialog = qobject_cast<MakeAnimeDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->MotionTitle()->text(), QStringLiteral("水平"));
    dialog->EffectBox()->setCurrentIndex(0);
    dialog->FramesBox()->setValue(6);
    dialog->MotionBox()->setChecked(true);
    dialog->CreateButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdMakeAnimation));
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  EXPECT_NE(session_->settings.block.options & kOptionMove, 0u);

  // The frames are the core's generation with the same path.
  const MotionPreparation motion = MotionAlongSelected(session_->motions);
  GeneratedAnimation expected;
  ASSERT_TRUE(GenerateAnimation(
                source, -1, Doc().backgroundColor,
                MakeAnimeOptionsOf(session_->settings.block, session_->settings.highQualityColors),
                256, &motion, nullptr, &expected).done());
  ASSERT_EQ(Doc().frameSet->count, 6);
  int moved = 0;
  for (int i = 0; i < 6; ++i) {
    const PackedDib& a = Doc().frameSet->frame(i).image;
    const PackedDib& b = expected.frames->frame(i).image;
    EXPECT_EQ(std::memcmp(a.Pixels(), b.Pixels(), a.Stride() * 36), 0) << i;
    moved += std::memcmp(a.Pixels(), expected.source.Pixels(), a.Stride() * 36) != 0;
  }
  EXPECT_GE(moved, 5);
}

}  // namespace
}  // namespace zel
