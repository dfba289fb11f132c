// The commands that reach other programs, on the real main window offscreen: the paint
// program (a stand-in script that edits and saves the exchange file), the clipboard through
// the real Qt clipboard, the browser preview, the MIDI tempo window and the sibling programs
// on real local sockets.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/command_ids.h"
#include "app/settings.h"
#include "document/playback.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/gif_decoder.h"
#include "integration/browser_preview.h"
#include "integration/clipboard_picture.h"
#include "integration/external_edit.h"
#include "integration/midi_tempo.h"
#include "integration/sibling_programs.h"
#include "platform/instance_lock.h"
#include "platform/local_channel.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"
#include "ui/commands/integration_commands.h"
#include "ui/dialogs/edit_wait_dialog.h"
#include "ui/dialogs/midi_tempo_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/private_home.h"
#include "support/stand_in_sibling.h"
#include "support/unix_socket.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::WaitUntil;
using testing::ReadBytes;
using testing::Rgb;
using testing::WriteBytes;

const std::vector<Rgb>& kColors = testing::kEightColors;

std::vector<uint8_t> Noise(int width, int height, int seed) {
  return testing::Noise(width, height, kColors.size(), 4242u + static_cast<uint32_t>(seed));
}

// A looping animation of 80 x 60 frames; frame i shows for 10 + i hundredths.
std::string WriteAnimation(const std::string& path, int frames) {
  GifBuilder gif(80, 60, kColors);
  gif.Looping();
  for (int i = 0; i < frames; ++i) {
    gif.Control(0x04, 10 + i, 0).Image(0, 0, 80, 60, Noise(80, 60, i));
  }
  WriteBytes(path, gif.Trailer().bytes());
  return path;
}

// A 20 x 10 GIF picture whose colour 6 is transparent; its top-left pixel is red (1).
std::string WritePicture(const std::string& path) {
  std::vector<uint8_t> pixels = Noise(20, 10, 99);
  pixels[0] = 1;
  WriteBytes(path, GifBuilder(20, 10, kColors)
                       .Control(0x01, 0, 6)
                       .Image(0, 0, 20, 10, pixels)
                       .Trailer()
                       .bytes());
  return path;
}

void WriteScript(const std::string& path, const std::string& body) {
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

// The colour (0xRRGGBB) of pixel (x, y), top row first, of an 8- or 24-bit picture.
uint32_t Color(const PackedDib& picture, int x, int y) {
  const DibHeader h = picture.Header();
  const uint8_t* row = picture.Row(y);
  if (h.bitCount == 24) {
    const uint8_t* p = row + 3 * x;
    return (p[2] << 16) | (p[1] << 8) | p[0];
  }
  const Rgbq& c = picture.ColorTable()[row[x]];
  return (c.red << 16) | (c.green << 8) | c.blue;
}

std::vector<uint32_t> Colors(const PackedDib& picture) {
  std::vector<uint32_t> colors;
  for (int y = 0; y < picture.Header().height; ++y) {
    for (int x = 0; x < picture.Header().width; ++x) colors.push_back(Color(picture, x, y));
  }
  return colors;
}

// A sibling program in the editor's instance folder, under the socket name of `title`.
class StandInSibling : public testing::StandInSibling {
 public:
  StandInSibling(const std::string& title, std::function<uint32_t(const ChannelMessage&)> answer)
      : testing::StandInSibling(*InstanceFolder(true) + SiblingSocketName(title),
                                std::move(answer)) {}
};

class IntegrationCommandsTest : public testing::MainWindowFixture {
 protected:
  void HookWindow() override {
    MainWindowFixture::HookWindow();
    Integration().openPage = [this](const std::string& url) {
      opened_.push_back(url);
      return true;
    };
  }

  IntegrationState& Integration() { return window_->Integration(); }

  // Runs the paint-program command with `script` as the configured editor and waits for
  // the edit to end.
  void EditWith(const std::string& scriptBody) {
    const std::string script = File("paint.sh");
    WriteScript(script, scriptBody);
    session_->settings.block.editorPath = script;
    ASSERT_TRUE(window_->RunCommand(kCmdExternalEdit));
    // Waiting: the document is busy, the window minimised, the waiting window up.
    EXPECT_TRUE(Integration().Editing());
    EXPECT_TRUE(window_->DocumentBusy());
    EXPECT_TRUE(window_->isMinimized());
    ASSERT_NE(Integration().WaitDialog(), nullptr);
    EXPECT_TRUE(Integration().WaitDialog()->isVisible());
    EXPECT_FALSE(window_->IsAvailable(kCmdInsertFrame));
  }

  std::vector<std::string> opened_;
};

// --- the paint program ----------------------------------------------------------------------

// Ctrl+E with no paint program set and no default BMP application says so, naming the
// options dialog's setting, and leaves window and document as they were.
TEST_F(IntegrationCommandsTest, CtrlEWithoutAPaintProgramSaysWhatToSet) {
  ASSERT_TRUE(window_->OpenFile(WritePicture(File("none.gif"))).done());
  const std::vector<uint32_t> before = Colors(Doc().currentPicture);
  Integration().desktop = [] {
    DesktopEnvironment none;
    none.defaultApplication = [](const std::string&) { return std::optional<std::string>(); };
    return none;
  };
  session_->settings.block.editorPath.clear();
  ASSERT_TRUE(window_->RunCommand(kCmdExternalEdit));
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_.front(), QString::fromUtf8(MessageText(kMsgNoPaintProgram)));
  EXPECT_TRUE(messages_.front().contains(QString::fromUtf8(Say(kEditorSettingLabel))));
  EXPECT_FALSE(Integration().Editing());
  EXPECT_FALSE(window_->DocumentBusy());
  EXPECT_FALSE(window_->isMinimized());
  EXPECT_EQ(Colors(Doc().currentPicture), before);
}

TEST_F(IntegrationCommandsTest, PaintProgramEditsAPictureWithUndo) {
  ASSERT_TRUE(window_->OpenFile(WritePicture(File("edit.gif"))).done());
  const std::vector<uint32_t> before = Colors(Doc().currentPicture);
  ASSERT_EQ(before[0], 0xFF0000u);
  EditWith(
      "convert \"$1\" -fill 'rgb(0,0,255)' -draw 'point 0,0' BMP3:\"$1.new\" && "
      "cat \"$1.new\" > \"$1\"");
  EXPECT_EQ(Integration().WaitDialog()->windowTitle().toStdString(), Say(kEditWaitCaption));
  ASSERT_TRUE(WaitUntil([&] { return !Integration().Editing(); }));

  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  EXPECT_FALSE(window_->DocumentBusy());
  EXPECT_FALSE(window_->isMinimized());
  EXPECT_EQ(Integration().WaitDialog(), nullptr);
  EXPECT_EQ(Doc().kind, ImageKind::kGifPicture);
  std::vector<uint32_t> after = Colors(Doc().currentPicture);
  std::vector<uint32_t> expected = before;
  expected[0] = 0x0000FFu;
  EXPECT_EQ(after, expected);
  EXPECT_EQ(Doc().frameSet->transparentIndex, CurrentTransparentIndex(Doc()));
  EXPECT_TRUE(HasUnsavedChanges(Doc()));

  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Colors(Doc().currentPicture), before);
}

// Paint programs save the frame bitmap in full colour; it comes back as the animation.
TEST_F(IntegrationCommandsTest, PaintProgramEditsTheWholeAnimationAsAFrameBitmap) {
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("anim.gif"), 3)).done());
  std::vector<std::vector<uint32_t>> before;
  for (int i = 0; i < 3; ++i) before.push_back(Colors(Doc().frameSet->frame(i).image));
  // Frame 1's top-left pixel: column 24 + 84, the frame's top row 4 + 59 rows up from the
  // bottom of the 68 rows.
  EditWith(
      "case \"$1\" in *ZelBitmap.bmp) ;; *) exit 1;; esac\n"
      "convert \"$1\" -fill 'rgb(255,255,0)' -draw 'point 108,4' -type TrueColor "
      "BMP3:\"$1.new\" && cat \"$1.new\" > \"$1\"");
  ASSERT_TRUE(WaitUntil([&] { return !Integration().Editing(); }));
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  ASSERT_EQ(Doc().kind, ImageKind::kGifAnimation);
  ASSERT_EQ(Doc().frameSet->count, 3);
  before[1][0] = 0xFFFF00u;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Colors(Doc().frameSet->frame(i).image), before[i]) << "frame " << i;
    EXPECT_EQ(Doc().frameSet->frame(i).delay, 10 + i);
  }
  EXPECT_TRUE(Doc().undo.CanUndo());
}

TEST_F(IntegrationCommandsTest, NotWaitingLeavesTheDocumentAsItWas) {
  ASSERT_TRUE(window_->OpenFile(WritePicture(File("wait.gif"))).done());
  const std::vector<uint32_t> before = Colors(Doc().currentPicture);
  // A launcher: it returns at once and leaves the file alone, so the wait goes on. The
  // ticks come a second apart in use; here they come at once, so the launcher is let
  // finish first (a busy machine may take longer than three quick ticks to start it). It
  // tells its process number, and the test waits until that process has ended.
  const std::string launched = File("launched");
  EditWith("echo $$ > '" + launched + ".part'; mv '" + launched + ".part' '" + launched +
           "'; exit 0");
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(launched); }));
  const std::vector<uint8_t> pid = ReadBytes(launched);
  ASSERT_GT(pid.size(), 1u);
  const std::string stat = "/proc/" + std::string(pid.begin(), pid.end() - 1) + "/stat";
  ASSERT_TRUE(WaitUntil([&] {
    // Gone, or ended and not yet reaped ("Z" after the program's name).
    const std::vector<uint8_t> fields = ReadBytes(stat);
    const std::string text(fields.begin(), fields.end());
    const size_t name = text.rfind(')');
    return text.empty() || (name != std::string::npos && text.compare(name, 4, ") Z ") == 0);
  }));
  for (int i = 0; i < 5; ++i) Integration().TickEdit();
  EXPECT_TRUE(Integration().Editing());
  ASSERT_NE(Integration().WaitDialog(), nullptr);
  Integration().WaitDialog()->StopButton()->click();
  ASSERT_TRUE(WaitUntil([&] { return !Integration().Editing(); }, 3000));
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_FALSE(window_->DocumentBusy());
  EXPECT_FALSE(window_->isMinimized());
  EXPECT_FALSE(Doc().undo.CanUndo());
  EXPECT_EQ(Colors(Doc().currentPicture), before);
}

// Closing the editor while it waits ends the wait; the edit is dropped, the window closes.
TEST_F(IntegrationCommandsTest, ClosingTheWindowEndsTheWait) {
  ASSERT_TRUE(window_->OpenFile(WritePicture(File("quit.gif"))).done());
  EditWith("exit 0");
  EXPECT_TRUE(window_->close());
  EXPECT_FALSE(Integration().Editing());
  EXPECT_FALSE(window_->DocumentBusy());
  EXPECT_FALSE(Doc().undo.CanUndo());
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(IntegrationCommandsTest, AnEditThatDoesNotLoadBackIsReported) {
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("broken.gif"), 3)).done());
  // The paint program saves a picture of many colours, no longer a frame bitmap.
  EditWith("convert -size 300x20 gradient:red-blue -type TrueColor BMP3:\"$1\"");
  ASSERT_TRUE(WaitUntil([&] { return !Integration().Editing(); }));
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_.front(), QString::fromUtf8("フレームビットマップではありません."));
  EXPECT_EQ(Doc().frameSet->count, 3);
  EXPECT_FALSE(window_->DocumentBusy());
}

// --- the clipboard --------------------------------------------------------------------------

TEST_F(IntegrationCommandsTest, CopyThenPasteGivesTheSameDocument) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  {
    SCOPED_TRACE("picture");
    ASSERT_TRUE(window_->OpenFile(WritePicture(File("copy.gif"))).done());
    const std::vector<uint32_t> colors = Colors(Doc().currentPicture);
    const int32_t transparent = Doc().frameSet->transparentIndex;
    ASSERT_GE(transparent, 0);
    ASSERT_TRUE(window_->RunCommand(kCmdExportClipboard));
    const QMimeData* mime = clipboard->mimeData();
    ASSERT_TRUE(mime->hasFormat("image/bmp"));
    ASSERT_TRUE(mime->hasImage());
    // Other programs see the picture, its transparent colour see-through.
    const QImage plain = qvariant_cast<QImage>(mime->imageData());
    EXPECT_EQ(plain.size(), QSize(20, 10));
    ASSERT_TRUE(window_->RunCommand(kCmdImportClipboard));
    EXPECT_EQ(questions_, 1);
    EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
    EXPECT_EQ(Doc().bitCount, 8);
    EXPECT_EQ(Doc().frameSet->transparentIndex, transparent);
    EXPECT_EQ(Colors(Doc().currentPicture), colors);
  }
  {
    SCOPED_TRACE("animation");
    ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("copy-anim.gif"), 4)).done());
    std::vector<std::vector<uint32_t>> frames;
    for (int i = 0; i < 4; ++i) frames.push_back(Colors(Doc().frameSet->frame(i).image));
    ASSERT_TRUE(window_->RunCommand(kCmdExportClipboard));
    ASSERT_TRUE(window_->RunCommand(kCmdImportClipboard));
    ASSERT_EQ(Doc().kind, ImageKind::kFrameAnimation);
    ASSERT_EQ(Doc().frameSet->count, 4);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(Colors(Doc().frameSet->frame(i).image), frames[i]) << i;
      EXPECT_EQ(Doc().frameSet->frame(i).delay, 10 + i);
    }
    EXPECT_FALSE(Doc().undo.CanUndo());
  }
}

// Another program's PNG: no BMP offered, the picture comes in as 24 bits. The paste
// command follows what the clipboard offers.
TEST_F(IntegrationCommandsTest, APngFromAnotherProgramPastesAsAPicture) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  EXPECT_TRUE(WaitUntil([&] { return !window_->Action(kCmdImportClipboard)->isEnabled(); }));

  QImage image(6, 4, QImage::Format_RGB32);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) image.setPixel(x, y, qRgb(40 * x, 60 * y, 200));
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(image.save(&buffer, "PNG"));
  auto* mime = new QMimeData;
  mime->setData("image/png", png);
  clipboard->setMimeData(mime);
  EXPECT_TRUE(WaitUntil([&] { return window_->Action(kCmdImportClipboard)->isEnabled(); }));

  ASSERT_TRUE(window_->RunCommand(kCmdImportClipboard));
  EXPECT_EQ(questions_, 0);  // nothing was open
  EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
  EXPECT_EQ(Doc().bitCount, 24);
  EXPECT_EQ(Doc().frameSet->transparentIndex, -1);
  ASSERT_EQ(Doc().width, 6);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(Color(Doc().currentPicture, x, y),
                static_cast<uint32_t>((40 * x) << 16 | (60 * y) << 8 | 200));
    }
  }
  clipboard->clear();
}

// A palette PNG with transparent entries (made by Pillow), pasted: its transparent pixels
// stay transparent, one entry of the picture, and a copy offers it again.
TEST_F(IntegrationCommandsTest, APastedPngKeepsItsTransparentPixels) {
  const std::string path = File("sprite.png");
  const std::string script =
      "from PIL import Image\n"
      "p = Image.new('P', (4, 3))\n"
      "p.putpalette([10, 20, 30, 200, 0, 0, 0, 200, 0, 5, 5, 5] + [0] * 756)\n"
      "p.putdata([0, 1, 2, 3, 1, 1, 3, 0, 2, 2, 1, 0])\n"
      "p.save('" + path + "', transparency=bytes([0, 255, 255, 0]))\n";
  QProcess python;
  python.start("/usr/bin/python3", {"-c", QString::fromStdString(script)});
  ASSERT_TRUE(python.waitForFinished(20000));
  ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
  const std::vector<uint8_t> bytes = ReadBytes(path);
  auto* mime = new QMimeData;
  mime->setData("image/png", QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                        static_cast<qsizetype>(bytes.size())));
  QGuiApplication::clipboard()->setMimeData(mime);
  ASSERT_TRUE(WaitUntil([&] { return window_->Action(kCmdImportClipboard)->isEnabled(); }));

  ASSERT_TRUE(window_->RunCommand(kCmdImportClipboard));
  ASSERT_EQ(Doc().kind, ImageKind::kBitmap);
  ASSERT_EQ(Doc().bitCount, 8);
  const int32_t t = Doc().frameSet->transparentIndex;
  ASSERT_GE(t, 0);
  const uint8_t entries[] = {0, 1, 2, 3, 1, 1, 3, 0, 2, 2, 1, 0};
  const uint32_t colours[] = {0, 0xC80000, 0x00C800, 0};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      const uint8_t entry = entries[4 * y + x];
      const int index = Doc().currentPicture.Row(y)[x];
      if (entry == 0 || entry == 3) {
        EXPECT_EQ(index, t) << x << "," << y;
      } else {
        EXPECT_NE(index, t) << x << "," << y;
        EXPECT_EQ(Color(Doc().currentPicture, x, y), colours[entry]) << x << "," << y;
      }
    }
  }
  // The transparent pixels show the background colour.
  EXPECT_EQ(Color(Doc().currentPicture, 0, 0), (Doc().backgroundColor & 0xFF) << 16 |
                                                   (Doc().backgroundColor & 0xFF00) |
                                                   Doc().backgroundColor >> 16);
  QGuiApplication::clipboard()->clear();
}

// --- the browser ----------------------------------------------------------------------------

TEST_F(IntegrationCommandsTest, BrowserPreviewAndAfterAGifSave) {
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("preview.gif"), 3)).done());
  const std::string folder = session_->settingsFolder;
  ASSERT_TRUE(window_->RunCommand(kCmdShowInBrowser));
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], FileUrl(folder + kPreviewPageName));
  std::unique_ptr<FrameSet> frames = FrameSet::Create(16);
  FrameSet* written = frames.get();
  EXPECT_EQ(LoadGifAnimationFile(folder + kPreviewGifName, *written, 16), 0);
  EXPECT_EQ(written->count, 3);

  // Saving shows the saved file only when the settings ask for it.
  const std::string saved = File("saved.gif");
  ASSERT_TRUE(window_->SaveGifTo(saved));
  EXPECT_EQ(opened_.size(), 1u);
  session_->settings.block.options |= kOptionShowAfterGifSave | kOptionBrowserBackground;
  ASSERT_TRUE(window_->SaveGifTo(saved));
  ASSERT_EQ(opened_.size(), 2u);
  const std::vector<uint8_t> page = ReadBytes(folder + kPreviewPageName);
  EXPECT_EQ(
      std::string(page.begin(), page.end()),
      BuildPreviewPage(std::filesystem::absolute(saved).string(), Doc().backgroundColor, true));
}

// --- the MIDI tempo window ------------------------------------------------------------------

std::vector<uint8_t> MidiFile(bool withTempo) {
  std::vector<uint8_t> track = {0x00, 0xFF, 0x2F, 0x00};
  if (withTempo) track.insert(track.begin(), {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
  std::vector<uint8_t> file = {
      'M', 'T',  'h',  'd', 0,   0,   0,   6, 0, 0, 0,
      1,   0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, static_cast<uint8_t>(track.size())};
  for (uint8_t byte : track) file.push_back(byte);
  return file;
}

TEST_F(IntegrationCommandsTest, MidiTempoWindow) {
  const std::string song = File("song.mid");
  const std::string silent = File("silent.mid");
  WriteBytes(song, MidiFile(true));
  WriteBytes(silent, MidiFile(false));
  ASSERT_TRUE(window_->RunCommand(kCmdMidiTempo));
  MidiTempoDialog* dialog = Integration().MidiTempo();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("MIDIのﾃﾝﾎﾟを調べる"));
  ASSERT_TRUE(window_->RunCommand(kCmdMidiTempo));
  EXPECT_EQ(Integration().MidiTempo(), dialog);  // one window at a time

  auto fields = [&] {
    QStringList texts;
    for (int i = 0; i < 5; ++i) texts << Integration().MidiTempo()->Field(i)->text();
    return texts.join(' ').toStdString();
  };
  dialog->ChooseFile(QString::fromStdString(song));
  EXPECT_EQ(fields(), "120 0.50 1.00 1.50 2.00");
  EXPECT_EQ(session_->settings.midiPath, song);
  const std::vector<uint8_t> ini = ReadBytes(SettingsFilePath());
  EXPECT_NE(std::string(ini.begin(), ini.end()).find("midipath=" + song), std::string::npos);
  dialog->ChooseFile(QString::fromStdString(silent));
  EXPECT_EQ(fields(), "    ");
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_.front().toStdString(), Say(kMidiNoTempoMessage));
  EXPECT_EQ(session_->settings.midiPath, song);

  // Closed and opened again: the remembered file is read at once.
  dialog->close();
  ASSERT_TRUE(WaitUntil([&] { return Integration().MidiTempo() == nullptr; }, 2000));
  ASSERT_TRUE(window_->RunCommand(kCmdMidiTempo));
  EXPECT_EQ(Integration().MidiTempo()->FileEdit()->text().toStdString(), song);
  EXPECT_EQ(fields(), "120 0.50 1.00 1.50 2.00");
}

// --- the sibling programs -------------------------------------------------------------------

TEST_F(IntegrationCommandsTest, VantaAndMorselReceiveTheWork) {
  StandInSibling vanta(kVantaTitle, [](const ChannelMessage& m) {
    return m.message == kSiblingIdentify && m.wParam == 1 ? kSiblingIdentifyAnswer : 1u;
  });
  StandInSibling morsel(kMorselTitle, [](const ChannelMessage&) { return 1u; });
  Integration().vantaProgram = [] { return std::string("/nonexistent/vantamaker"); };
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("siblings.gif"), 3)).done());

  ASSERT_TRUE(window_->RunCommand(kCmdSendToVanta));
  const std::vector<ChannelMessage> toVanta = vanta.received();
  ASSERT_EQ(toVanta.size(), 2u);
  EXPECT_EQ(toVanta[0].message, kSiblingIdentify);
  EXPECT_EQ(toVanta[1].message, kSiblingCopyData);
  EXPECT_EQ(toVanta[1].wParam, kSiblingPictureData);
  PackedDib block = PackedDib::Allocate(toVanta[1].data.size());
  std::copy(toVanta[1].data.begin(), toVanta[1].data.end(), block.data());
  std::unique_ptr<FrameSet> frames = FrameSet::Create(16);
  ASSERT_TRUE(ReadFrameBitmap(block, *frames).done());
  EXPECT_EQ(frames->count, 3);
  EXPECT_FALSE(std::filesystem::exists(session_->settingsFolder + kVantaHandOverName));

  // Morsel's readiness comes from the cache, refreshed in the background.
  ASSERT_TRUE(WaitUntil([&] { return window_->IsAvailable(kCmdSendToMorsel); }, 5000));
  ASSERT_TRUE(window_->RunCommand(kCmdSendToMorsel));
  EXPECT_TRUE(std::filesystem::exists(session_->settingsFolder + "$morsel.gif"));
  bool notified = false;
  for (const ChannelMessage& m : morsel.received()) {
    if (m.message == kMorselNotify && m.wParam == kMorselGif) notified = true;
  }
  EXPECT_TRUE(notified);
  EXPECT_TRUE(window_->isVisible());
}

// A socket named after Vanta that takes every connection and never answers: while the
// command waits for it the window goes on serving its events, and once the wait is over
// the command takes the file route.
TEST_F(IntegrationCommandsTest, AVantaThatNeverAnswersDoesNotFreezeTheWindow) {
  const std::string socketPath = *InstanceFolder(true) + SiblingSocketName(kVantaTitle);
  const int listener = testing::BindUnixSocket(socketPath);
  ASSERT_GE(listener, 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  std::atomic<bool> stop{false};
  std::atomic<int> accepted{0};
  std::vector<int> held;
  std::thread acceptor([&] {
    while (!stop) {
      pollfd p{listener, POLLIN, 0};
      if (::poll(&p, 1, 20) > 0) {
        held.push_back(::accept(listener, nullptr, nullptr));
        ++accepted;
      }
    }
  });

  std::vector<std::vector<std::string>> started;
  Integration().vantaProgram = [] { return std::string("/opt/vanta/vantamaker"); };
  Integration().startProgram = [&](const std::vector<std::string>& argv) {
    started.push_back(argv);
    return true;
  };
  Integration().siblings.timeoutMs = 600;
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(File("to-vanta.gif"), 3)).done());

  int ticks = 0;
  QTimer ticker;
  ticker.setInterval(10);
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start();
  QElapsedTimer timer;
  timer.start();
  ASSERT_TRUE(window_->RunCommand(kCmdSendToVanta));
  const qint64 took = timer.elapsed();
  ticker.stop();
  stop = true;
  acceptor.join();
  for (int fd : held) ::close(fd);
  ::close(listener);
  ::unlink(socketPath.c_str());

  EXPECT_EQ(accepted, 1);
  EXPECT_GE(took, 550);
  EXPECT_LT(took, 5000);
  EXPECT_GT(ticks, 20) << "the window stood still for " << took << " ms";
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].back(), "/f=" + session_->settingsFolder + kVantaHandOverName);
  EXPECT_TRUE(std::filesystem::exists(session_->settingsFolder + kVantaHandOverName));
  EXPECT_EQ(Doc().flags & kFlagBusy, 0u);
}

// Morsel's button follows the open file: started with an animation it writes that file
// back, but once the work was saved under a new name it needs Morsel; when Morsel does not
// take the work the user is told why.
TEST_F(IntegrationCommandsTest, MorselIsOfferedOnlyWhenItCanRunAndSaysWhyItDidNot) {
  const std::string path = WriteAnimation(File("started-with.gif"), 3);
  ASSERT_EQ(window_->LoadCommandLineFile(path), "");
  ASSERT_TRUE(window_->IsAvailable(kCmdSendToMorsel));
  ASSERT_TRUE(window_->SaveGifTo(File("new-name.gif")));
  window_->UpdateCommandStates(false);
  EXPECT_FALSE(window_->IsAvailable(kCmdSendToMorsel));
  EXPECT_FALSE(window_->Action(kCmdSendToMorsel)->isEnabled());

  // A full-colour picture goes to Morsel as "$morsel.jpg" (type 0, told apart from the
  // readiness query). Morsel is there but refuses the file, then answers too late.
  const std::string photo = File("to-morsel.png");
  QImage image(8, 6, QImage::Format_RGB888);
  image.fill(QColor(10, 200, 30));
  ASSERT_TRUE(image.save(QString::fromStdString(photo), "PNG"));
  ASSERT_TRUE(window_->OpenFile(photo).done());
  Integration().siblings.timeoutMs = 500;
  std::atomic<int> mode{0};  // 0 refuses, 1 answers too late
  StandInSibling morsel(kMorselTitle, [&](const ChannelMessage& m) {
    if (m.message == kMorselNotify && m.wParam == kMorselReadyQuery) return 1u;
    if (mode == 1) std::this_thread::sleep_for(std::chrono::milliseconds(900));
    return mode == 0 ? 0u : 1u;
  });
  ASSERT_TRUE(WaitUntil([&] { return window_->IsAvailable(kCmdSendToMorsel); }, 5000));
  ASSERT_TRUE(window_->RunCommand(kCmdSendToMorsel));
  EXPECT_EQ(messages_, QStringList{QStringLiteral("Morselが画像を受け取りませんでした.")});

  messages_.clear();
  mode = 1;
  ASSERT_TRUE(window_->RunCommand(kCmdSendToMorsel));
  EXPECT_EQ(messages_, QStringList{QStringLiteral(
                           "Morselが起動していないか、応答がありません。\n画像を出力できませんでした.")});
  EXPECT_TRUE(window_->isVisible());
}

// Started by Morsel with an animated GIF: the command writes the edited animation over that
// file and the editor closes.
TEST_F(IntegrationCommandsTest, MorselRewritesTheCommandLineFileAndCloses) {
  const std::string path = WriteAnimation(File("from-morsel.gif"), 4);
  ASSERT_EQ(window_->LoadCommandLineFile(path), "");
  ASSERT_TRUE(Doc().flags & kFlagFromCommandLine);
  ASSERT_TRUE(window_->IsAvailable(kCmdSendToMorsel));
  StopPlayback(Doc());
  ASSERT_TRUE(window_->RunCommand(kCmdReverse));
  const std::vector<uint32_t> firstFrame = Colors(Doc().frameSet->frame(0).image);

  ASSERT_TRUE(window_->RunCommand(kCmdSendToMorsel));
  ASSERT_TRUE(WaitUntil([&] { return !window_->isVisible(); }, 3000));
  EXPECT_EQ(saveQuestions_, 0);
  std::unique_ptr<FrameSet> frames = FrameSet::Create(16);
  ASSERT_EQ(LoadGifAnimationFile(path, *frames, 16), 0);
  ASSERT_EQ(frames->count, 4);
  EXPECT_EQ(frames->frame(0).delay, 13);
  EXPECT_EQ(Colors(frames->frame(0).image), firstFrame);
}

// --- the X clipboard with a second program --------------------------------------------------

// Runs `program` with `args` while serving this program's events (the other program may be
// asking this one for the clipboard); its standard output, or no value when it failed.
std::optional<QByteArray> RunServing(const QString& program, const QStringList& args) {
  QProcess process;
  process.start(program, args);
  if (!process.waitForStarted(5000)) return std::nullopt;
  if (!WaitUntil([&] { return process.state() == QProcess::NotRunning; })) {
    process.kill();
    process.waitForFinished(1000);
    return std::nullopt;
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return std::nullopt;
  return process.readAllStandardOutput();
}

// The child's half of the test below: the editor on a real X display, xclip as the other
// program.
void ClipboardUnderXChild() {
  testing::PrivateHome();
  EditorSession session;
  ASSERT_EQ(session.Start(), StartResult::kStarted);
  MainWindow window(session);
  window.show();
  const std::string files = testing::PrivateHome() + "/files/";
  ASSERT_TRUE(window.OpenFile(WritePicture(files + "x.gif")).done());
  ASSERT_TRUE(window.RunCommand(kCmdExportClipboard));

  // xclip sees both offers and reads the BMP bytes as built.
  std::optional<QByteArray> targets =
      RunServing("xclip", {"-selection", "clipboard", "-t", "TARGETS", "-o"});
  ASSERT_TRUE(targets);
  EXPECT_TRUE(targets->contains("image/bmp")) << targets->toStdString();
  EXPECT_TRUE(targets->contains("image/png")) << targets->toStdString();
  std::optional<QByteArray> bmp =
      RunServing("xclip", {"-selection", "clipboard", "-t", "image/bmp", "-o"});
  ASSERT_TRUE(bmp);
  std::optional<std::vector<uint8_t>> expected = BuildClipboardBmp(session.doc);
  ASSERT_TRUE(expected);
  EXPECT_EQ(std::vector<uint8_t>(bmp->begin(), bmp->end()), *expected);

  // A PNG put on the clipboard by xclip pastes as a 24-bit picture.
  QImage image(3, 2, QImage::Format_RGB32);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) image.setPixel(x, y, qRgb(80 * x, 100 * y, 7));
  }
  const QString png = QString::fromStdString(files + "other.png");
  ASSERT_TRUE(image.save(png, "PNG"));
  // In the foreground, so that it ends with this test.
  QProcess owner;
  owner.start("xclip", {"-quiet", "-selection", "clipboard", "-t", "image/png", "-i", png});
  ASSERT_TRUE(owner.waitForStarted(5000));
  struct EndOwner {
    QProcess& process;
    ~EndOwner() {
      process.kill();
      process.waitForFinished(2000);
    }
  } endOwner{owner};
  ASSERT_TRUE(WaitUntil(
      [&] {
        return !QGuiApplication::clipboard()->ownsClipboard() &&
               window.Action(kCmdImportClipboard)->isEnabled();
      },
      5000));
  window.question = [](const QString&) { return true; };
  window.message = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
  ASSERT_TRUE(window.RunCommand(kCmdImportClipboard));
  EXPECT_EQ(session.doc.bitCount, 24);
  ASSERT_EQ(session.doc.width, 3);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(Color(session.doc.currentPicture, x, y),
                static_cast<uint32_t>((80 * x) << 16 | (100 * y) << 8 | 7));
    }
  }
}

// This test program again, on a display of its own under Xvfb, with xclip as the second
// program.
TEST(ClipboardUnderX, AnotherProgramReadsTheCopyAndGivesAPicture) {
  if (qEnvironmentVariableIsSet("ZEL_X_CLIPBOARD_CHILD")) {
    ClipboardUnderXChild();
    return;
  }
  if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
      QStandardPaths::findExecutable("xclip").isEmpty()) {
    GTEST_SKIP() << "Xvfb or xclip is not installed";
  }
  QProcess xvfb;
  xvfb.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
  ASSERT_TRUE(xvfb.waitForStarted(5000));
  QByteArray display;
  ASSERT_TRUE(WaitUntil([&] {
    display += xvfb.readAllStandardOutput();
    return display.contains('\n');
  })) << "Xvfb gave no display";
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", ":" + QString::fromLatin1(display.trimmed()));
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("ZEL_X_CLIPBOARD_CHILD", "1");
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {"--gtest_filter=ClipboardUnderX.AnotherProgramReadsTheCopyAndGivesAPicture"});
  const bool finished = child.waitForFinished(60000);
  const QByteArray output = child.readAll();
  if (!finished) child.kill();
  xvfb.terminate();
  if (!xvfb.waitForFinished(5000)) xvfb.kill();
  ASSERT_TRUE(finished) << output.toStdString();
  EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

}  // namespace
}  // namespace zel
