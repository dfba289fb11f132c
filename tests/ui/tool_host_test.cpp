// Tool mode and the interactive tools' framework on the real main window, offscreen: a
// small tool of the test's own (every pixel shifted by a slider's value) run through the
// tool host: bars and status texts during and after, the busy bit, only the latest input
// rendered, Cancel giving back the exact picture, OK over every frame and undo.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/settings.h"
#include "support/gif_builder.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"
#include "ui/picture_view.h"
#include "ui/private_home.h"
#include "ui/tools/interactive_tool.h"
#include "ui/tools/tool_host.h"

namespace zel {
namespace {

using testing::Bytes;
using testing::GifBuilder;
using testing::ModalScript;
using testing::WaitUntil;
using testing::Rgb;

std::vector<Rgb> Grays() {
  std::vector<Rgb> colors;
  for (int i = 0; i < 256; ++i) colors.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
  return colors;
}

// `frames` frames of 40 x 30 (one frame: a single picture); frame i's pixels hold 10 i + x.
std::string WriteGif(const std::string& path, int frames) {
  GifBuilder gif(40, 30, Grays());
  if (frames > 1) gif.Looping();
  for (int i = 0; i < frames; ++i) {
    std::vector<uint8_t> pixels(40 * 30);
    for (size_t p = 0; p < pixels.size(); ++p) pixels[p] = static_cast<uint8_t>(10 * i + p % 40);
    if (frames > 1) gif.Control(0x04, 5, 0);
    gif.Image(0, 0, 40, 30, pixels);
  }
  return testing::WriteGif(path, gif);
}

// Every index of an 8-bit picture moved up by `amount` (wrapping).
PackedDib ShiftPixels(const PackedDib& source, int amount) {
  PackedDib result = DuplicateBlock(source);
  if (!result || source.Header().bitCount != 8) return {};
  const DibHeader h = source.Header();
  for (int y = 0; y < h.height; ++y) {
    for (int x = 0; x < h.width; ++x) {
      result.Row(y)[x] = static_cast<uint8_t>(source.Row(y)[x] + amount);
    }
  }
  return result;
}

class ShiftForm : public ToolForm {
 public:
  ShiftForm(Shape shape, QWidget* parent) : ToolForm(shape, QStringLiteral("ずらし"), parent) {
    slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(0, 100);
    ok = new QPushButton(QStringLiteral("OK"), this);
    cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(slider);
    layout->addWidget(ok);
    layout->addWidget(cancel);
    connect(slider, &QSlider::valueChanged, this, &ToolForm::InputChanged);
    connect(ok, &QPushButton::clicked, this, &ToolForm::OkRequested);
    connect(cancel, &QPushButton::clicked, this, &ToolForm::reject);
  }
  QSlider* slider;
  QPushButton* ok;
  QPushButton* cancel;
};

class ShiftTool : public InteractiveTool {
 public:
  const ToolTexts& Texts() const override {
    static const ToolTexts texts{"ずらし、ｽﾗｲﾀﾞｰを操作します", "ずらし、描画中!", "ずらし、",
                                 "ずらし、変換中!", "ずらし"};
    return texts;
  }
  std::unique_ptr<ToolForm> MakeForm(ToolForm::Shape shape, ToolHost& host) override {
    auto form = std::make_unique<ShiftForm>(shape, host.View()->window());
    (shape == ToolForm::Shape::kBar ? bar : full) = form.get();
    return form;
  }
  PackedDib Preview(const PackedDib& source) override {
    ++renders;
    renderedAmounts.push_back(Amount());
    return ShiftPixels(source, Amount());
  }
  FrameTransform FinalTransform() const override {
    const int amount = Amount();
    return [amount](const PackedDib& picture) { return ShiftPixels(picture, amount); };
  }
  QString SizeText() const override { return QStringLiteral("%1").arg(Amount()); }
  int Amount() const {
    const ShiftForm* shown = bar && bar->isVisible() ? bar : full;
    return shown ? shown->slider->value() : 0;
  }

  ShiftForm* bar = nullptr;
  ShiftForm* full = nullptr;
  int renders = 0;
  std::vector<int> renderedAmounts;
};

class ToolHostTest : public testing::MainWindowFixture {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(MainWindowFixture::SetUp());
    Resize(600, 400);
  }
  void HookWindow() override { FailOnMessages(); }
};

TEST_F(ToolHostTest, ToolModeRendersOnlyTheLatestInputAndCancelGivesBackTheExactPicture) {
  ASSERT_TRUE(window_->OpenFile(WriteGif(File("still.gif"), 1)).done());
  const std::vector<uint8_t> before = Bytes(Doc().currentPicture);
  const PackedDib source = DuplicateBlock(Doc().currentPicture);
  window_->statusBar()->showMessage(QStringLiteral("before"));
  const QString sizeBefore = window_->SizePane()->text();
  ASSERT_TRUE(window_->StandardBar()->isVisible());
  ASSERT_TRUE(window_->PictureBar()->isVisible());

  ShiftTool tool;
  ModalScript script({[&](QWidget* w) {
    auto* form = dynamic_cast<ShiftForm*>(w);
    ASSERT_NE(form, nullptr);
    // The bar lies along the bottom of the view, as wide as it.
    EXPECT_EQ(form->shape(), ToolForm::Shape::kBar);
    const QRect view(window_->View()->mapToGlobal(QPoint(0, 0)), window_->View()->size());
    EXPECT_EQ(form->geometry().left(), view.left());
    EXPECT_EQ(form->geometry().width(), view.width());
    EXPECT_EQ(form->geometry().bottom(), view.bottom());
    EXPECT_FALSE(window_->StandardBar()->isVisible());
    EXPECT_FALSE(window_->PictureBar()->isVisible());
    EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), "ずらし、ｽﾗｲﾀﾞｰを操作します");
    EXPECT_TRUE(Doc().flags & kFlagBusy);

    // Five moves before the window gets to paint: one preview, of the last position.
    for (int v : {5, 10, 20, 30, 7}) form->slider->setValue(v);
    EXPECT_TRUE(WaitUntil([&] { return tool.renders >= 1; }));
    EXPECT_EQ(tool.renderedAmounts, (std::vector<int>{7}));
    EXPECT_EQ(Bytes(Doc().currentPicture), Bytes(ShiftPixels(source, 7)));
    EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), "ずらし、");
    EXPECT_EQ(window_->SizePane()->text().toStdString(), "7");
    form->slider->setValue(50);
    EXPECT_TRUE(WaitUntil([&] { return tool.renders >= 2; }));
    EXPECT_EQ(tool.renders, 2);
    form->cancel->click();
  }});
  EXPECT_EQ(window_->Tools().RunTool(tool), kToolFormCancel);
  EXPECT_TRUE(script.Finished());

  EXPECT_EQ(Bytes(Doc().currentPicture), before);
  EXPECT_FALSE(Doc().toolSource);
  EXPECT_FALSE(Doc().undo.CanUndo());
  EXPECT_FALSE(Doc().flags & kFlagBusy);
  EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), "before");
  EXPECT_EQ(window_->SizePane()->text(), sizeBefore);
  EXPECT_TRUE(window_->StandardBar()->isVisible());
  EXPECT_TRUE(window_->PictureBar()->isVisible());
  EXPECT_FALSE(window_->AnimationBar()->isVisible());
}

TEST_F(ToolHostTest, OkTransformsEveryFrameOnWorkersAndRestartsPlayback) {
  ASSERT_TRUE(window_->OpenFile(WriteGif(File("anim.gif"), 6)).done());
  ASSERT_TRUE(window_->RunCommand(kCmdStop));
  const PackedDib shownBefore = DuplicateBlock(Doc().currentPicture);
  std::vector<PackedDib> framesBefore;
  for (int i = 0; i < 6; ++i)
    framesBefore.push_back(DuplicateBlock(Doc().frameSet->frame(i).image));

  window_->Tools().workerThreads = 2;
  ShiftTool tool;
  ModalScript script({[&](QWidget* w) {
    auto* form = dynamic_cast<ShiftForm*>(w);
    ASSERT_NE(form, nullptr);
    form->slider->setValue(3);
    const std::vector<uint8_t> shifted = Bytes(ShiftPixels(shownBefore, 3));
    EXPECT_TRUE(WaitUntil([&] { return Bytes(Doc().currentPicture) == shifted; }));
    form->ok->click();
  }});
  EXPECT_EQ(window_->Tools().RunTool(tool), kToolFormOk);
  EXPECT_TRUE(script.Finished());

  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Bytes(Doc().frameSet->frame(i).image), Bytes(ShiftPixels(framesBefore[i], 3))) << i;
  }
  // The first frame shows and the animation plays again from it.
  EXPECT_EQ(Bytes(Doc().currentPicture), Bytes(Doc().frameSet->frame(0).image));
  EXPECT_EQ(Doc().currentFrame, 0);
  EXPECT_FALSE(Doc().flags & (kFlagStopped | kFlagStep | kFlagBusy));
  EXPECT_TRUE(window_->AnimationBar()->isVisible());

  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Bytes(Doc().frameSet->frame(i).image), Bytes(framesBefore[i])) << i;
  }
}

TEST_F(ToolHostTest, OkWithoutChangeTakesNoSnapshotAndAFloatingBarGivesTheFullForm) {
  ASSERT_TRUE(window_->OpenFile(WriteGif(File("plain.gif"), 1)).done());
  const std::vector<uint8_t> before = Bytes(Doc().currentPicture);
  // A tool bar torn off the window is a window of its own.
  window_->StandardBar()->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  window_->StandardBar()->show();
  ASSERT_TRUE(window_->StandardBar()->isFloating());
  ShiftTool tool;
  ModalScript script({[&](QWidget* w) {
    auto* form = dynamic_cast<ShiftForm*>(w);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->shape(), ToolForm::Shape::kFull);
    EXPECT_EQ(form->windowTitle().toStdString(), "ずらし");
    // 4 pixels right of the view's edge, 4 below the picture.
    const QPoint view = window_->View()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(form->frameGeometry().topLeft(), view + QPoint(4, 30 + 4));
    form->ok->click();
  }});
  EXPECT_EQ(window_->Tools().RunTool(tool), kToolFormOk);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(tool.bar, nullptr);
  EXPECT_EQ(tool.renders, 0);
  EXPECT_EQ(Bytes(Doc().currentPicture), before);
  EXPECT_FALSE(Doc().undo.CanUndo());
}

}  // namespace
}  // namespace zel
