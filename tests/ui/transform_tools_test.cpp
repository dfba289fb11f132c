// The image menu's tools and commands on the real main window, offscreen: slider previews
// and Cancel giving back the exact picture, OK without a change taking no snapshot, OK over
// every frame and undo, a handle held at its bound, the colour tool switching forms, a
// trimming rectangle picked with the mouse, semi-transparency from the menu, and the editor
// writing the same file as zel-cli's edit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/settings.h"
#include "color/color_adjustment.h"
#include "support/gif_builder.h"
#include "transforms/deformations.h"
#include "transforms/tool_models.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"
#include "ui/picture_view.h"
#include "ui/private_home.h"
#include "ui/tools/handle_tools.h"
#include "ui/tools/mouse_picks.h"
#include "ui/tools/slider_form.h"
#include "ui/tools/tool_host.h"

namespace zel {
namespace {

using testing::Bytes;
using testing::GifBuilder;
using testing::ModalScript;
using testing::ReadBytes;
using testing::Rgb;
using testing::SendMouse;

std::vector<Rgb> Palette() {
  std::vector<Rgb> colors;
  for (int i = 0; i < 128; ++i)
    colors.push_back({uint8_t(i * 2), uint8_t(255 - i), uint8_t(i * 7)});
  return colors;
}

// `frames` frames of 100 x 80 (one frame: a single picture) with a pattern per frame.
std::string WriteGif(const std::string& path, int frames) {
  GifBuilder gif(100, 80, Palette());
  if (frames > 1) gif.Looping();
  for (int f = 0; f < frames; ++f) {
    std::vector<uint8_t> pixels(100 * 80);
    for (int p = 0; p < 100 * 80; ++p) {
      pixels[p] = static_cast<uint8_t>((p % 100 + 2 * (p / 100) + 11 * f) % 120);
    }
    if (frames > 1) gif.Control(0x04, 8, 0);
    gif.Image(0, 0, 100, 80, pixels);
  }
  return testing::WriteGif(path, gif);
}

// The index at (x, y), y counted from the top.
int At(const PackedDib& p, int x, int y) {
  return p.Row(y)[x];
}

class TransformToolsTest : public testing::MainWindowFixture {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(MainWindowFixture::SetUp());
    Resize(640, 480);
  }
  void HookWindow() override { FailOnMessages(); }
  // A form's change draws its preview from a call queued on the event loop; this serves it.
  static void DrawPreview() { QCoreApplication::sendPostedEvents(); }

  void Open(int frames) {
    OpenStopped(WriteGif(File("in" + std::to_string(frames) + ".gif"), frames), frames);
  }

  // Runs `command`, whose form the step drives.
  void RunTool(CommandId command, const std::function<void(SliderForm*)>& step) {
    ModalScript script({[&](QWidget* w) {
      auto* form = dynamic_cast<SliderForm*>(w);
      ASSERT_NE(form, nullptr);
      step(form);
      if (form->isVisible()) form->CancelButton()->click();
    }});
    ASSERT_TRUE(window_->RunCommand(command));
    EXPECT_TRUE(script.Finished());
  }

  // The rectangle (x1, y1)-(x2, y2), both corners inside, picked over the view.
  void PickTrimming(QPoint first, QPoint second) {
    bool picked = false;
    std::function<void()> poll = [&] {
      auto* overlay = window_->View()->findChild<QWidget*>(QStringLiteral("pick-overlay"));
      if (!overlay) {
        QTimer::singleShot(5, poll);
        return;
      }
      EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(),
                "ﾄﾘﾐﾝｸﾞ、切取る画像の左上端を指定します");
      SendMouse(overlay, QEvent::MouseMove, first, Qt::NoButton);
      SendMouse(overlay, QEvent::MouseButtonPress, first, Qt::LeftButton);
      SendMouse(overlay, QEvent::MouseButtonRelease, first, Qt::LeftButton);
      EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(),
                "ﾄﾘﾐﾝｸﾞ、切取る画像の右下端を指定します");
      SendMouse(overlay, QEvent::MouseMove, second, Qt::NoButton);
      SendMouse(overlay, QEvent::MouseButtonPress, second, Qt::LeftButton);
      SendMouse(overlay, QEvent::MouseButtonRelease, second, Qt::LeftButton);
      picked = true;
    };
    QTimer::singleShot(5, poll);
    ASSERT_TRUE(window_->RunCommand(kCmdTrim));
    EXPECT_TRUE(picked);
  }

  Fill DocFill() {
    return {ColorFromBackground(Doc().backgroundColor), Doc().frameSet->transparentIndex};
  }
};

TEST_F(TransformToolsTest, CancelAfterSeveralPreviewsGivesBackTheExactPicture) {
  Open(1);
  const std::vector<uint8_t> before = Bytes(Doc().currentPicture);
  for (CommandId command : {kCmdRotate, kCmdFishEye, kCmdZoom, kCmdColorAdjust}) {
    RunTool(command, [&](SliderForm* form) {
      EXPECT_TRUE(Doc().flags & kFlagBusy);
      for (int v : {10, 40, -12}) {
        form->Spin(0)->setValue(std::max(v, form->Spin(0)->minimum()));
        DrawPreview();
      }
      EXPECT_NE(Bytes(Doc().currentPicture), before) << command;
      form->CancelButton()->click();
    });
    EXPECT_EQ(Bytes(Doc().currentPicture), before) << command;
    EXPECT_FALSE(Doc().undo.CanUndo()) << command;
    EXPECT_FALSE(Doc().flags & kFlagBusy);
    EXPECT_TRUE(window_->StandardBar()->isVisible());
  }
}

TEST_F(TransformToolsTest, OkWithoutAChangeTakesNoSnapshot) {
  Open(3);
  const std::vector<uint8_t> before = Bytes(Doc().frameSet->frame(1).image);
  for (CommandId command : {kCmdZoom, kCmdRotate}) {
    RunTool(command, [&](SliderForm* form) {
      // Back to the start: the value did not change, nothing is rendered.
      form->Spin(0)->setValue(form->Spin(0)->value());
      form->OkButton()->click();
    });
  }
  EXPECT_FALSE(Doc().undo.CanUndo());
  EXPECT_EQ(Bytes(Doc().frameSet->frame(1).image), before);
}

TEST_F(TransformToolsTest, RotationOkTransformsEveryFrameShowsTheFirstAndUndoes) {
  Open(4);
  const Fill fill = DocFill();
  std::vector<PackedDib> before;
  for (int i = 0; i < 4; ++i) before.push_back(DuplicateBlock(Doc().frameSet->frame(i).image));
  window_->Tools().workerThreads = 2;
  RunTool(kCmdRotate, [&](SliderForm* form) {
    EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), "回転、ｽﾗｲﾄﾞﾊﾞｰを操作します");
    form->Slider(0)->setValue(30);
    DrawPreview();
    EXPECT_EQ(form->Spin(0)->value(), 30);
    EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), "回転、");
    form->OkButton()->click();
  });
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Bytes(Doc().frameSet->frame(i).image),
              Bytes(Rotate(before[i], RotationTurn(30), fill)))
        << i;
  }
  EXPECT_EQ(Bytes(Doc().currentPicture), Bytes(Doc().frameSet->frame(0).image));
  EXPECT_EQ(Doc().currentFrame, 0);
  EXPECT_FALSE(Doc().flags & (kFlagBusy | kFlagStopped));
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(Bytes(Doc().frameSet->frame(i).image), Bytes(before[i])) << i;
}

TEST_F(TransformToolsTest, ZoomSnapsAndShowsTheNewSize) {
  Open(1);
  RunTool(kCmdZoom, [&](SliderForm* form) {
    form->Slider(0)->setValue(99);
    EXPECT_EQ(form->Value(0), 100);
    form->Spin(0)->setValue(25);
    DrawPreview();
    EXPECT_EQ(window_->SizePane()->text().toStdString(), "25,20");
    form->Spin(1)->setValue(50);
    DrawPreview();
    EXPECT_EQ(window_->SizePane()->text().toStdString(), "25,10");
    form->OkButton()->click();
  });
  EXPECT_EQ(Doc().width, 25);
  EXPECT_EQ(Doc().height, 10);
  EXPECT_EQ(LastZoom().zoom, 25);
  EXPECT_EQ(LastZoom().aspect, 50);
}

TEST_F(TransformToolsTest, AHandleDraggedPastItsBoundStopsThere) {
  Open(1);
  ModalScript script({[&](QWidget* w) {
    auto* handle = w->findChild<HandleWidget*>(QStringLiteral("handle-1"));
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->Hotspot(), (PointI{0, 0}));
    // The top-left corner may move 40 % of 100 x 80 away from its place: -40..40, -32..32.
    SendMouse(handle, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton);
    SendMouse(handle, QEvent::MouseMove, QPoint(2 + 300, 2 + 10), Qt::LeftButton);
    EXPECT_EQ(handle->Hotspot(), (PointI{39, 10}));  // the maximum is exclusive
    SendMouse(handle, QEvent::MouseMove,
              handle->mapFromGlobal(handle->mapToGlobal(QPoint(2, 2)) + QPoint(-500, -500)),
              Qt::LeftButton);
    EXPECT_EQ(handle->Hotspot(), (PointI{-40, -32}));
    SendMouse(handle, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton);
    DrawPreview();
    EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), "角変形、");
    auto* form = dynamic_cast<ToolForm*>(w);
    ASSERT_NE(form, nullptr);
    form->reject();
  }});
  const std::vector<uint8_t> before = Bytes(Doc().currentPicture);
  ASSERT_TRUE(window_->RunCommand(kCmdCornerPull));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Bytes(Doc().currentPicture), before);
  for (QWidget* widget : QApplication::allWidgets()) {
    EXPECT_EQ(dynamic_cast<HandleWidget*>(widget), nullptr);
  }
}

TEST_F(TransformToolsTest, StretchHandlesResizeEveryFrameAtOk) {
  Open(2);
  std::vector<PackedDib> before;
  for (int i = 0; i < 2; ++i) before.push_back(DuplicateBlock(Doc().frameSet->frame(i).image));
  auto drag = [](HandleWidget* handle, QPoint by) {
    SendMouse(handle, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    SendMouse(handle, QEvent::MouseMove, QPoint(5, 5) + by, Qt::LeftButton);
    SendMouse(handle, QEvent::MouseButtonRelease, QPoint(5, 5) + by, Qt::LeftButton);
  };
  ModalScript script({[&](QWidget* w) {
    EXPECT_EQ(window_->SizePane()->text().toStdString(), "100,80");
    auto* widening = w->findChild<HandleWidget*>(QStringLiteral("handle-10"));
    auto* heightening = w->findChild<HandleWidget*>(QStringLiteral("handle-11"));
    ASSERT_NE(widening, nullptr);
    ASSERT_NE(heightening, nullptr);
    drag(widening, QPoint(-20, 0));
    drag(heightening, QPoint(0, 10));
    DrawPreview();
    EXPECT_EQ(window_->SizePane()->text().toStdString(), "80,90");
    w->findChild<QPushButton*>()->click();  // OK comes first
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdStretch));
  EXPECT_TRUE(script.Finished());
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Bytes(Doc().frameSet->frame(i).image), Bytes(ResizeSmooth(before[i], 80, 90))) << i;
  }
  EXPECT_EQ(Doc().width, 80);
  EXPECT_EQ(Doc().height, 90);
}

TEST_F(TransformToolsTest, ColourToolSwitchesFormsAndRemembersTheForm) {
  Open(1);
  const std::vector<uint8_t> before = Bytes(Doc().currentPicture);
  const Fill fill = DocFill();
  ModalScript script({[&](QWidget* w) {
                        auto* form = dynamic_cast<SliderForm*>(w);
                        ASSERT_NE(form, nullptr);
                        form->Spin(0)->setValue(5);
                        DrawPreview();
                        EXPECT_NE(Bytes(Doc().currentPicture), before);
                        form->done(kToolFormSwitch);
                      },
                      [&](QWidget* w) {
                        auto* form = dynamic_cast<SliderForm*>(w);
                        ASSERT_NE(form, nullptr);
                        // The source is back before the gamma form starts.
                        EXPECT_EQ(Bytes(Doc().currentPicture), before);
                        EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(),
                                  "色調節(γ補正)、スライドバーを操作します");
                        form->Spin(0)->setValue(9);
                        DrawPreview();
                        form->OkButton()->click();
                      }});
  ASSERT_TRUE(window_->RunCommand(kCmdColorAdjust));
  EXPECT_TRUE(script.Finished());
  PackedDib source = DuplicateBlock(Doc().currentPicture);
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Bytes(Doc().currentPicture), before);
  EXPECT_EQ(Bytes(source), Bytes(AdjustColors(Doc().currentPicture, GammaAdjustment(9),
                                              fill.transparentIndex, fill.color)));
  EXPECT_TRUE(session_->settings.block.options & kOptionGammaForm);
}

TEST_F(TransformToolsTest, TrimmingPickedWithTheMouseCropsEveryFrame) {
  Open(3);
  std::vector<PackedDib> before;
  for (int i = 0; i < 3; ++i) before.push_back(DuplicateBlock(Doc().frameSet->frame(i).image));
  // Picked from the bottom-right corner to the top-left one: the corners are ordered.
  PickTrimming(QPoint(40, 30), QPoint(20, 10));
  EXPECT_EQ(Doc().width, 21);
  EXPECT_EQ(Doc().height, 21);
  for (int i = 0; i < 3; ++i) {
    const PackedDib& frame = Doc().frameSet->frame(i).image;
    ASSERT_EQ(frame.Header().width, 21);
    for (int y = 0; y < 21; ++y) {
      for (int x = 0; x < 21; ++x) EXPECT_EQ(At(frame, x, y), At(before[i], 20 + x, 10 + y)) << i;
    }
  }
  EXPECT_FALSE(Doc().flags & kFlagBusy);
  EXPECT_TRUE(window_->StandardBar()->isVisible());
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Doc().width, 100);
}

TEST_F(TransformToolsTest, ACancelledTrimmingChangesNothingAndEndsToolMode) {
  Open(3);
  const std::vector<uint8_t> before = Bytes(Doc().frameSet->frame(0).image);
  window_->statusBar()->showMessage(QStringLiteral("before"));
  std::function<void()> poll = [&] {
    auto* overlay = window_->View()->findChild<QWidget*>(QStringLiteral("pick-overlay"));
    if (!overlay) {
      QTimer::singleShot(5, poll);
      return;
    }
    EXPECT_FALSE(window_->StandardBar()->isVisible());
    EXPECT_TRUE(Doc().flags & kFlagBusy);
    // Closing the window cancels the pick; the window stays.
    window_->close();
  };
  QTimer::singleShot(5, poll);
  ASSERT_TRUE(window_->RunCommand(kCmdTrim));
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(Bytes(Doc().frameSet->frame(0).image), before);
  EXPECT_FALSE(Doc().undo.CanUndo());
  EXPECT_FALSE(Doc().flags & kFlagBusy);
  EXPECT_TRUE(window_->StandardBar()->isVisible());
  EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), "before");
}

TEST_F(TransformToolsTest, PickPointHoldsThePointInsideTheAreaAndCancelsOnTheRightButton) {
  Open(1);
  window_->statusBar()->showMessage(QStringLiteral("before"));
  struct Case {
    Qt::MouseButton button;
    int code;
  };
  for (const Case& c : {Case{Qt::LeftButton, kPickDone}, Case{Qt::RightButton, kPickCancelled}}) {
    std::function<void()> poll = [&] {
      auto* overlay = window_->View()->findChild<QWidget*>(QStringLiteral("pick-overlay"));
      if (!overlay) {
        QTimer::singleShot(5, poll);
        return;
      }
      EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(),
                "画像の位置、貼り付ける画像の左上端を指定します");
      EXPECT_EQ(window_->SizePane()->text().toStdString(), "5,7");  // the start point
      SendMouse(overlay, QEvent::MouseMove, QPoint(300, 200), Qt::NoButton);
      EXPECT_EQ(window_->SizePane()->text().toStdString(), "49,29");
      SendMouse(overlay, QEvent::MouseButtonPress, QPoint(300, 200), c.button);
      SendMouse(overlay, QEvent::MouseButtonRelease, QPoint(300, 200), c.button);
    };
    QTimer::singleShot(5, poll);
    const PointPickResult result = PickPoint(window_->Tools(), 50, 30, PointI{5, 7});
    EXPECT_EQ(result.code, c.code);
    if (c.code == kPickDone) {
      EXPECT_EQ(result.point, (PointI{49, 29}));
    }
    EXPECT_EQ(window_->statusBar()->currentMessage().toStdString(), "before");
    EXPECT_EQ(window_->View()->findChild<QWidget*>(QStringLiteral("pick-overlay")), nullptr);
  }
}

TEST_F(TransformToolsTest, SemiTransparencyFromTheMenuPatternsEveryFrame) {
  Open(2);
  const std::vector<uint8_t> before = Bytes(Doc().frameSet->frame(1).image);
  ASSERT_TRUE(window_->RunCommand(kCmdTransparency25));
  const int32_t t = Doc().frameSet->transparentIndex;
  ASSERT_GE(t, 0);
  for (int i = 0; i < 2; ++i) {
    const PackedDib& frame = Doc().frameSet->frame(i).image;
    int count = 0;
    for (int y = 0; y < 80; ++y) {
      for (int x = 0; x < 100; ++x) count += frame.Row(y)[x] == t;
    }
    EXPECT_EQ(count, 100 * 80 / 4) << i;
  }
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Bytes(Doc().frameSet->frame(1).image), before);
}

TEST_F(TransformToolsTest, CliEditGivesTheFileTheEditorSaves) {
  const std::string source = WriteGif(File("cli-in.gif"), 3);
  const std::string cliOut = File("cli-out.gif");
  const std::string command = std::string("'") + ZEL_CLI_PATH + "' edit '" + source +
                              "' --rotate 30 --crop 10,10,80,60 --flip-h -o '" + cliOut +
                              "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  ASSERT_TRUE(window_->OpenFile(source).done());
  RunTool(kCmdRotate, [&](SliderForm* form) {
    form->Spin(0)->setValue(30);
    DrawPreview();
    form->OkButton()->click();
  });
  PickTrimming(QPoint(10, 10), QPoint(89, 69));
  ASSERT_TRUE(window_->RunCommand(kCmdMirrorHorizontal));
  EXPECT_EQ(Doc().width, 80);
  EXPECT_EQ(Doc().height, 60);
  const std::string editorOut = File("editor-out.gif");
  ASSERT_TRUE(window_->SaveGifTo(editorOut));
  const std::vector<uint8_t> fromCli = ReadBytes(cliOut);
  ASSERT_GT(fromCli.size(), 500u);
  EXPECT_TRUE(fromCli == ReadBytes(editorOut));
}

}  // namespace
}  // namespace zel
