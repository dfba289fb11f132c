#include "integration/external_edit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"
#include "integration/integration_fixtures.h"
#include "platform/process.h"
#include "resources/string_table.h"

namespace zel {
namespace {

using testing::ScratchFolder;
using testing::WriteScript;

FileStatus Status(int64_t size, int64_t modified) {
  FileStatus s;
  s.size = size;
  s.modifiedNs = modified;
  return s;
}

TEST(ExternalEdit, ExchangeTypeByKindAndPalettes) {
  ScratchFolder folder;
  auto anim = testing::LoadAnimation(folder.path(), 3);
  EXPECT_EQ(ChooseExchangeType(*anim), ExchangeType::kFrameBitmap);
  anim->frameSet->paletteCount = -1;  // a palette per frame
  anim->flags &= ~kFlagStopped;
  EXPECT_EQ(ChooseExchangeType(*anim), ExchangeType::kFrameBitmap);
  anim->flags |= kFlagStopped;
  EXPECT_EQ(ChooseExchangeType(*anim), ExchangeType::kCurrentFrame);
  EXPECT_EQ(ChooseExchangeType(*testing::LoadGifPicture(folder.path(), 2)), ExchangeType::kPicture);
  EXPECT_EQ(ChooseExchangeType(*testing::LoadTrueColorPicture(folder.path())),
            ExchangeType::kPicture);
  DocumentState empty;
  EXPECT_EQ(ChooseExchangeType(empty), ExchangeType::kNone);
  EXPECT_EQ(WriteExchangeFile(empty, ExchangeType::kNone, folder / "x.bmp"), Outcome::Failed(kMsgOutOfRange));

  // The file is what the type says: 8-bit and 24-bit pictures as they are, frame bitmaps.
  auto truePicture = testing::LoadTrueColorPicture(folder.path());
  ASSERT_TRUE(WriteExchangeFile(*truePicture, ExchangeType::kPicture, folder / "t.bmp").done());
  PackedDib read;
  ASSERT_EQ(ReadBmpFile(read, folder / "t.bmp"), 0);
  EXPECT_EQ(read.Header().bitCount, 24);
  auto anim2 = testing::LoadAnimation(folder.path(), 3);
  ASSERT_TRUE(WriteExchangeFile(*anim2, ExchangeType::kFrameBitmap, folder / "f.bmp").done());
  EXPECT_TRUE(IsFrameBitmapFile(folder / "f.bmp"));
  EXPECT_EQ(WriteExchangeFile(*anim2, ExchangeType::kFrameBitmap, folder / "no/f.bmp"), Outcome::Failed(kMsgFileError));
}

TEST(ExternalEdit, WaitingRules) {
  const FileStatus before = Status(100, 1);
  const FileStatus after = Status(120, 2);
  const FileStatus later = Status(130, 3);
  struct Step {
    WindowObservation window;
    bool ended;
    std::optional<FileStatus> file;
  };
  const WindowObservation plain;
  WindowObservation minimised;
  minimised.minimised = true;
  WindowObservation restored;
  restored.minimised = false;
  WindowObservation closed;
  closed.dialogClosed = true;
  WindowObservation quit;
  quit.quitRequested = true;
  struct Case {
    const char* name;
    std::vector<Step> steps;
    EditWaitState last;
  };
  const Case cases[] = {
      {"editor saves and ends",
       {{plain, false, before}, {plain, false, after}, {plain, true, after}},
       EditWaitState::kEdited},
      {"editor ends later without saving",
       {{plain, false, before},
        {plain, false, before},
        {plain, false, before},
        {plain, true, before}},
       EditWaitState::kEdited},
      {"launcher ends at once: the unchanged file keeps the wait going",
       {{plain, true, before},
        {plain, true, before},
        {plain, true, before},
        {plain, true, before},
        {plain, true, before}},
       EditWaitState::kWaiting},
      {"launcher: the rewritten file ends the wait once it holds still",
       {{plain, true, before},
        {plain, true, before},
        {plain, true, after},
        {plain, true, later},
        {plain, true, later}},
       EditWaitState::kEdited},
      {"launcher: the waiting dialog closed",
       {{plain, true, before}, {closed, true, before}},
       EditWaitState::kAbandoned},
      {"the waiting dialog closed",
       {{plain, false, before}, {closed, false, after}},
       EditWaitState::kAbandoned},
      {"quit", {{quit, false, before}}, EditWaitState::kAbandoned},
      {"restored after being minimised",
       {{minimised, false, before}, {restored, false, before}},
       EditWaitState::kAbandoned},
      {"never minimised: not minimised is no restore",
       {{restored, false, before}, {restored, false, before}, {restored, false, after}},
       EditWaitState::kWaiting},
      {"no report of the window state",
       {{plain, false, before}, {plain, false, before}},
       EditWaitState::kWaiting},
  };
  for (const Case& c : cases) {
    EditWait wait(before);
    EditWaitState state = EditWaitState::kWaiting;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      state = wait.Tick(c.steps[i].window, c.steps[i].ended, c.steps[i].file);
      if (i + 1 < c.steps.size()) {
        ASSERT_EQ(state, EditWaitState::kWaiting) << c.name << " " << i;
      }
    }
    EXPECT_EQ(state, c.last) << c.name;
  }
}

TEST(ExternalEdit, ReportedResults) {
  for (Outcome quiet : {Outcome::Done(), Outcome::Failed(kMsgOutOfRange),
                        Outcome::Failed(kMsgNotUpdated)})
    EXPECT_FALSE(EditResultIsReported(quiet));
  for (MessageId id : {kMsgBadImageFile, kMsgNotFrameBitmap, kMsgFileError, kMsgNoMemory}) {
    EXPECT_TRUE(EditResultIsReported(Outcome::Failed(id))) << MessageNumber(id);
  }
}

// Drives an edit with a fast tick until it ends; `window` may close the dialog.
Outcome RunEdit(DocumentState& doc, const std::string& editor, std::string* exchangePath = nullptr,
                WindowObservation window = {}) {
  ExternalEdit edit;
  DesktopEnvironment noDesktop;
  Outcome result = edit.Prepare(doc, editor, noDesktop);
  if (!result.done()) return result;
  if (exchangePath) *exchangePath = edit.exchangePath();
  // The file sits in a folder of its own that only this user can enter.
  struct stat folderStatus {};
  const std::string folder = std::filesystem::path(edit.exchangePath()).parent_path().string();
  EXPECT_EQ(::lstat(folder.c_str(), &folderStatus), 0);
  EXPECT_EQ(folderStatus.st_mode & 07777, 0700u);
  EXPECT_TRUE(S_ISDIR(folderStatus.st_mode));
  result = edit.Start(doc);
  if (!result.done()) return result;
  EXPECT_NE(doc.flags & kFlagBusy, 0u);
  EditWaitState state = EditWaitState::kWaiting;
  for (int tick = 0; tick < 100 && state == EditWaitState::kWaiting; ++tick) {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    state = edit.Tick(window);
  }
  EXPECT_NE(state, EditWaitState::kWaiting);
  result = edit.Finish(doc, state);
  EXPECT_EQ(doc.flags & kFlagBusy, 0u);
  return result;
}

class PaintProgramStandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FindExecutable("convert").empty()) GTEST_SKIP() << "ImageMagick is not installed";
  }
  ScratchFolder folder_;
};

TEST_F(PaintProgramStandIn, EditsAPictureAndItComesBackWithUndo) {
  auto doc = testing::LoadGifPicture(folder_.path(), 4);
  const std::vector<uint32_t> before = testing::PixelColors(doc->currentPicture);
  const std::string editor = folder_ / "paint";
  // A paint program: opens the file, paints the top-left pixel red, saves and quits.
  WriteScript(editor,
              "sleep 1\nconvert \"$1\" -fill 'rgb(255,0,0)' -draw 'point 0,0' \"BMP3:$1\"\n");
  std::string exchange;
  ASSERT_TRUE(RunEdit(*doc, editor, &exchange).done());
  EXPECT_EQ(exchange.substr(exchange.size() - 14), "/ZelBitmap.bmp");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(exchange).parent_path()));
  EXPECT_EQ(doc->kind, ImageKind::kGifPicture);
  std::vector<uint32_t> after = testing::PixelColors(doc->currentPicture);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[0], 0xFF0000u);
  EXPECT_TRUE(std::equal(after.begin() + 1, after.end(), before.begin() + 1));
  ASSERT_TRUE(doc->undo.CanUndo());
  ASSERT_TRUE(doc->undo.Undo(*doc));
  EXPECT_EQ(testing::PixelColors(doc->currentPicture), before);
}

TEST_F(PaintProgramStandIn, EditsAWholeAnimationSavedInFullColour) {
  auto doc = testing::LoadAnimation(folder_.path(), 3);
  const std::vector<uint32_t> frame1 = testing::PixelColors(doc->frameSet->frame(1).image);
  const std::string editor = folder_ / "paint";
  // Frame 0's top-left pixel sits at column 24, row 4 of the frame bitmap (11 rows high);
  // the program saves in 24 bits, as paint programs do.
  WriteScript(editor,
              "sleep 1\nconvert \"$1\" -fill 'rgb(0,255,0)' -draw 'point 24,4' -type TrueColor "
              "\"BMP3:$1\"\n");
  ASSERT_TRUE(RunEdit(*doc, editor).done());
  EXPECT_EQ(doc->kind, ImageKind::kGifAnimation);
  ASSERT_EQ(doc->frameSet->count, 3);
  EXPECT_EQ(testing::PixelColors(doc->frameSet->frame(0).image)[0], 0x00FF00u);
  EXPECT_EQ(testing::PixelColors(doc->frameSet->frame(1).image), frame1);
  EXPECT_EQ(doc->frameSet->frame(2).delay, 30);
  EXPECT_TRUE(doc->undo.CanUndo());
}

TEST_F(PaintProgramStandIn, LauncherThatReturnsAtOnceStillBringsTheEditBack) {
  auto doc = testing::LoadGifPicture(folder_.path(), -1);
  const std::string editor = folder_ / "launcher";
  WriteScript(editor,
              "(sleep 1; convert \"$1\" -fill 'rgb(255,0,0)' -draw 'point 0,0' \"BMP3:$1\") "
              ">/dev/null 2>&1 &\nexit 0\n");
  ASSERT_TRUE(RunEdit(*doc, editor).done());
  EXPECT_EQ(testing::PixelColors(doc->currentPicture)[0], 0xFF0000u);
  EXPECT_EQ(doc->frameSet->transparentIndex, -1);
}

TEST_F(PaintProgramStandIn, UnchangedOrAbandonedEditsLeaveTheDocumentAlone) {
  auto doc = testing::LoadGifPicture(folder_.path(), 4);
  const std::vector<uint32_t> before = testing::PixelColors(doc->currentPicture);
  const std::string viewer = folder_ / "viewer";
  WriteScript(viewer, "sleep 1\nexit 0\n");
  EXPECT_EQ(RunEdit(*doc, viewer), Outcome::Failed(kMsgNotUpdated));
  EXPECT_FALSE(doc->undo.CanUndo());  // no snapshot

  const std::string paint = folder_ / "paint";
  WriteScript(paint, "sleep 1\nconvert \"$1\" -negate \"BMP3:$1\" 2>/dev/null\n");
  WindowObservation notWaiting;
  notWaiting.dialogClosed = true;
  EXPECT_EQ(RunEdit(*doc, paint, nullptr, notWaiting), Outcome::Failed(kMsgNotUpdated));
  EXPECT_FALSE(doc->undo.CanUndo());
  EXPECT_EQ(testing::PixelColors(doc->currentPicture), before);
  EXPECT_EQ(doc->frameSet->transparentIndex, 4);
}

TEST_F(PaintProgramStandIn, AnEditThatCannotBeLoadedBackIsReported) {
  auto doc = testing::LoadAnimation(folder_.path(), 3);
  const std::string paint = folder_ / "paint";
  // Saved as an ordinary picture: no longer a frame bitmap.
  WriteScript(paint, "sleep 1\nconvert -size 8x8 xc:red \"BMP3:$1\"\n");
  const Outcome result = RunEdit(*doc, paint);
  EXPECT_EQ(result, Outcome::Failed(kMsgNotFrameBitmap));
  EXPECT_TRUE(EditResultIsReported(result));
  EXPECT_EQ(doc->frameSet->count, 3);

}

// Without a paint program (none set, or a set one that is not there, and no default BMP
// application) the edit is refused with a message of its own, shown to the user, that
// names the options dialog's setting; the exchange file goes at once.
TEST_F(PaintProgramStandIn, NoPaintProgramIsReportedAndNamesTheSetting) {
  auto doc = testing::LoadGifPicture(folder_.path(), 4);
  DesktopEnvironment noDefault;
  noDefault.defaultApplication = [](const std::string&) { return std::optional<std::string>(); };
  for (const std::string& editor : {std::string(), folder_ / "no-such-program"}) {
    SCOPED_TRACE(editor);
    ExternalEdit edit;
    EXPECT_EQ(edit.Prepare(*doc, editor, noDefault), Outcome::Failed(kMsgNoPaintProgram));
    EXPECT_FALSE(std::filesystem::exists(edit.exchangePath()));
  }
  EXPECT_TRUE(EditResultIsReported(Outcome::Failed(kMsgNoPaintProgram)));
  const std::string text = MessageText(kMsgNoPaintProgram);
  EXPECT_NE(text.find(std::string("「") + Say(kEditorSettingLabel) + "」"), std::string::npos) << text;
  EXPECT_FALSE(doc->undo.CanUndo());
}

}  // namespace
}  // namespace zel
