// The motion command on the real main window offscreen: dialog 143 lists the built-in
// definitions, OK moves every frame of the animation (undo gives it back), Cancel keeps the
// choice without moving, deleting asks first, and a definition drawn by a stand-in paint
// program (ImageMagick) is added to the list.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/settings.h"
#include "document/document_state.h"
#include "generators/motion_builtins.h"
#include "generators/motion_command.h"
#include "imagefiles/image_loader.h"
#include "platform/folders.h"
#include "support/gif_builder.h"
#include "ui/dialogs/motion_dialogs.h"
#include "ui/dialogs/motion_properties_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/modal_script.h"
#include "ui/private_home.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::ModalScript;
using testing::Rgb;

const std::vector<Rgb> kColors = {{0, 0, 0},     {255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                  {255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {255, 255, 255}};

// A looping animation of 40 x 30 frames with a different pattern in each.
std::string WriteAnimation(const std::string& path, int frames) {
  GifBuilder gif(40, 30, kColors);
  gif.Looping();
  for (int i = 0; i < frames; ++i) {
    std::vector<uint8_t> pixels(40 * 30);
    for (int p = 0; p < 40 * 30; ++p)
      pixels[p] = static_cast<uint8_t>((p % 40 / 5 + p / 40 / 3 + i) % 8);
    gif.Control(0x04, 10, 0).Image(0, 0, 40, 30, pixels);
  }
  std::ofstream out(path, std::ios::binary);
  const auto& bytes = gif.Trailer().bytes();
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::vector<uint32_t> Colors(const PackedDib& picture) {
  std::vector<uint32_t> colors;
  for (int y = 0; y < picture.Header().height; ++y) {
    for (int x = 0; x < picture.Header().width; ++x) {
      const Rgbq& c = picture.ColorTable()[picture.Row(y)[x]];
      colors.push_back((c.red << 16) | (c.green << 8) | c.blue);
    }
  }
  return colors;
}

class MotionCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::PrivateHome();
    // A first start: no motion state, no motion files.
    std::filesystem::remove(SettingsFilePath());
    std::filesystem::remove_all(MotionDataFolder());
    session_ = std::make_unique<EditorSession>();
    ASSERT_EQ(session_->Start(), StartResult::kStarted);
    window_ = std::make_unique<MainWindow>(*session_);
    window_->message = [this](const QString& text) { messages_ << text; };
    window_->question = [this](const QString&) {
      ++questions_;
      return answer_;
    };
    window_->show();
  }
  void TearDown() override {
    window_.reset();
    session_.reset();
  }

  std::string File(const std::string& name) const { return root_ + "/files/" + name; }
  DocumentState& Doc() { return session_->doc; }
  std::vector<std::vector<uint32_t>> Frames() {
    std::vector<std::vector<uint32_t>> frames;
    for (int i = 0; i < Doc().frameSet->count; ++i)
      frames.push_back(Colors(Doc().frameSet->frame(i).image));
    return frames;
  }

  std::string root_;
  std::unique_ptr<EditorSession> session_;
  std::unique_ptr<MainWindow> window_;
  QStringList messages_;
  int questions_ = 0;
  bool answer_ = true;
};

TEST_F(MotionCommandsTest, DialogListsTheBuiltinsAndOkMovesEveryFrame) {
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("moving.gif"), 6)).done());
  ASSERT_TRUE(window_->IsAvailable(kCmdMotion));
  const auto before = Frames();

  ModalScript script({[&](QWidget* widget) {
    auto* dialog = qobject_cast<MotionPropertiesDialog*>(widget);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle().toStdString(), kMotionPropertiesCaption);
    ASSERT_EQ(dialog->List()->count(), kBuiltinMotionCount);
    for (int i = 0; i < kBuiltinMotionCount; ++i) {
      EXPECT_EQ(dialog->List()->item(i)->text().toStdString(), BuiltinMotionAt(i).title);
    }
    EXPECT_EQ(dialog->List()->currentRow(), 0);
    EXPECT_EQ(dialog->RangeSpin()->value(), 100);
    EXPECT_TRUE(dialog->WrapCheck()->isChecked());
    EXPECT_FALSE(dialog->ReverseCheck()->isChecked());
    // The preview is read from the definition's bitmap; the open animation stays.
    dialog->List()->setCurrentRow(7);
    ASSERT_FALSE(dialog->Preview()->Picture().isNull());
    EXPECT_EQ(dialog->Preview()->Picture().size(), QSize(96, 96));
    EXPECT_EQ(Doc().kind, ImageKind::kGifAnimation);
    dialog->List()->setCurrentRow(4);  // 水平
    dialog->RangeSpin()->setValue(50);
    dialog->WrapCheck()->setChecked(false);
    dialog->OkButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdMotion));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(session_->motions.info(), (MotionInfo{8, 4, 50, 0}));

  // The same motion by the core on a second copy of the file.
  DocumentState expected;
  ASSERT_TRUE(CreateDocumentContainer(expected, 256));
  LoadContext context;
  ASSERT_TRUE(LoadImageFile(expected, File("moving.gif"), LoadMode::kOpen, context).done());
  ASSERT_TRUE(MoveAnimation(expected, session_->motions, 0).done());
  const auto after = Frames();
  ASSERT_EQ(after.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(after[i], Colors(expected.frameSet->frame(i).image)) << i;
  }
  EXPECT_NE(after, before);
  EXPECT_EQ(Colors(Doc().currentPicture), after[0]);
  EXPECT_FALSE(Doc().flags & kFlagBusy);
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();

  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Frames(), before);
}

TEST_F(MotionCommandsTest, CancelKeepsTheChoiceAndMovesNothing) {
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("still.gif"), 4)).done());
  const auto before = Frames();
  answer_ = false;
  ModalScript script({[&](QWidget* widget) {
    auto* dialog = qobject_cast<MotionPropertiesDialog*>(widget);
    ASSERT_NE(dialog, nullptr);
    dialog->List()->setCurrentRow(2);
    // Deleting asks first; No keeps the definition.
    dialog->DeleteButton()->click();
    EXPECT_EQ(questions_, 1);
    EXPECT_EQ(dialog->List()->count(), 8);
    dialog->ReverseCheck()->setChecked(true);
    dialog->CancelButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdMotion));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Frames(), before);
  EXPECT_FALSE(Doc().undo.CanUndo());
  EXPECT_EQ(session_->motions.info(), (MotionInfo{8, 2, 100, kMotionWrap | kMotionReverse}));

  // Yes deletes it, files and all.
  answer_ = true;
  const std::string box = session_->motions.Read(2)->bitmapPath;
  ModalScript remove({[&](QWidget* widget) {
    auto* dialog = qobject_cast<MotionPropertiesDialog*>(widget);
    ASSERT_NE(dialog, nullptr);
    dialog->List()->setCurrentRow(2);
    dialog->DeleteButton()->click();
    EXPECT_EQ(dialog->List()->count(), 7);
    dialog->CancelButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdMotion));
  EXPECT_TRUE(remove.Finished());
  EXPECT_EQ(session_->motions.Count(), 7);
  EXPECT_FALSE(std::filesystem::exists(box));
}

TEST_F(MotionCommandsTest, ANewDefinitionIsDrawnInThePaintProgram) {
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("drawn.gif"), 4)).done());
  const std::string painter = File("paint.sh");
  {
    std::ofstream(painter) << "#!/bin/sh\nexec /usr/bin/convert \"$1\" -fill black -draw "
                              "'line 5,80 90,10' -type bilevel \"BMP3:$1\"\n";
  }
  std::filesystem::permissions(painter, std::filesystem::perms::owner_all);
  session_->settings.block.editorPath = painter;

  bool sawNewDialog = false;
  ModalScript script({[&](QWidget* widget) {
    auto* dialog = qobject_cast<MotionPropertiesDialog*>(widget);
    ASSERT_NE(dialog, nullptr);
    // Dialog 145 is modal inside this step: it is driven from a timer.
    QTimer::singleShot(50, [&] {
      auto* add = qobject_cast<MotionNewDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(add, nullptr);
      sawNewDialog = true;
      EXPECT_EQ(add->TitleEdit()->text().toStdString(), "無題");
      add->TitleEdit()->setText(QStringLiteral("斜めの線"));
      add->OkButton()->click();
      EXPECT_FALSE(add->isVisible());
    });
    dialog->AddButton()->click();
    ASSERT_EQ(dialog->List()->count(), 9);
    EXPECT_EQ(dialog->List()->currentRow(), 8);
    EXPECT_EQ(dialog->List()->item(8)->text(), QStringLiteral("斜めの線"));
    EXPECT_FALSE(dialog->Preview()->Picture().isNull());
    dialog->OkButton()->click();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdMotion));
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(sawNewDialog);
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  EXPECT_FALSE(window_->isMinimized());
  EXPECT_EQ(session_->motions.selected(), 8);
  EXPECT_TRUE(Doc().undo.CanUndo());  // and the animation moved along it
}

}  // namespace
}  // namespace zel
