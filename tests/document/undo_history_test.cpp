#include "document/undo_history.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "support/process_memory.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

constexpr int kCapacity = 16;

// An 8-bit 3 x 2 picture whose pixels are all `fill`. Entry 1 of its table already holds
// the default background colour, so painting the background into entry 1 changes nothing.
PackedDib Pic(uint8_t fill) {
  std::vector<Rgbq> table;
  for (int i = 0; i < 8; ++i) {
    table.push_back({uint8_t(i * 16), uint8_t(i * 8 + fill), uint8_t(255 - i), 0});
  }
  table[1] = {0xC0, 0xC0, 0xC0, 0};
  PackedDib p = NewPicture(3, 2, 8, 8, table.data());
  for (int y = 0; y < 2; ++y) std::memset(p.Row(y), fill, 3);
  return p;
}

std::vector<uint8_t> Bytes(const PackedDib& p) {
  return p ? std::vector<uint8_t>(p.data(), p.data() + p.size()) : std::vector<uint8_t>{};
}

// Everything of the document that undo may change.
struct Shot {
  ImageKind kind;
  int32_t transparentIndex;
  std::vector<std::vector<uint8_t>> frames;
  std::vector<int32_t> delays;
  std::vector<uint8_t> current;
  int32_t width, height, bitCount;
  bool operator==(const Shot&) const = default;
};

Shot Capture(const DocumentState& doc) {
  Shot s{doc.kind,
         doc.frameSet->transparentIndex,
         {},
         {},
         Bytes(doc.currentPicture),
         doc.width,
         doc.height,
         doc.bitCount};
  for (int i = 0; i < doc.frameSet->count; ++i) {
    s.frames.push_back(Bytes(doc.frameSet->frame(i).image));
    s.delays.push_back(doc.frameSet->frame(i).delay);
  }
  return s;
}

// An animation of `n` frames (pixels 10, 11, ...; delays 5, 10, ...).
void MakeAnimation(DocumentState& doc, int n, int32_t transparentIndex) {
  ASSERT_TRUE(CreateDocumentContainer(doc, kCapacity));
  FrameSet source(kCapacity);
  source.count = n;
  source.screenWidth = 3;
  source.screenHeight = 2;
  source.transparentIndex = transparentIndex;
  for (int i = 0; i < n; ++i) {
    source.frame(i).image = Pic(uint8_t(10 + i));
    source.frame(i).delay = 5 * (i + 1);
  }
  ASSERT_TRUE(InstallAnimation(doc, source, ImageKind::kGifAnimation, 0));
  ApplyBackgroundColor(doc);
}

// Replaces the frames by one frame of pixels `fill` with delay 42.
void ReplaceFrames(DocumentState& doc, uint8_t fill) {
  doc.frameSet->FreeFrames();
  doc.frameSet->frame(0).image = Pic(fill);
  doc.frameSet->frame(0).delay = 42;
  doc.frameSet->count = 1;
}

std::vector<uint8_t> Le(uint64_t v, int n) {
  std::vector<uint8_t> b;
  for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
  return b;
}

uint64_t ReadLe64At(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void Patch(const std::string& path, int64_t offset, const std::vector<uint8_t>& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), offset), ssize_t(bytes.size()));
  ::close(fd);
}

// Every history of a test lives in a private temporary folder that must be empty at the end:
// a dropped or destroyed history deletes its file.
class UndoHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    hadTmpdir_ = old != nullptr;
    if (hadTmpdir_) oldTmpdir_ = old;
    std::string templ = (fs::temp_directory_path() / "zel-undo-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(templ.data()), nullptr);
    folder_ = templ;
    ::setenv("TMPDIR", folder_.c_str(), 1);
  }
  void TearDown() override {
    if (hadTmpdir_) {
      ::setenv("TMPDIR", oldTmpdir_.c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
    EXPECT_TRUE(fs::is_empty(folder_)) << "undo files left behind";
    fs::remove_all(folder_);
  }
  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {}));
  }

  std::string folder_;

 private:
  bool hadTmpdir_ = false;
  std::string oldTmpdir_;
};

TEST_F(UndoHistoryTest, TwoEditsThenTwoUndosWalkBackToTheFirstState) {
  DocumentState doc;
  MakeAnimation(doc, 3, 1);
  doc.undo.Reset();
  EXPECT_FALSE(doc.undo.CanUndo());
  const Shot first = Capture(doc);

  doc.undo.TakeSnapshot(doc, kUndoEdit);
  EXPECT_TRUE(doc.undo.CanUndo());
  doc.frameSet->frame(2).image.Reset();
  doc.frameSet->count = 2;
  doc.frameSet->frame(0).delay = 99;
  doc.frameSet->frame(1).image.Row(0)[2] = 7;
  SetCurrentPicture(doc, Pic(77));
  const Shot second = Capture(doc);

  doc.undo.TakeSnapshot(doc, kUndoColors);
  PackedDib recoloured = Pic(78);
  recoloured.ColorTable()[3] = {1, 2, 3, 0};
  SetCurrentPicture(doc, std::move(recoloured));
  doc.frameSet->transparentIndex = 3;

  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_EQ(Capture(doc), second);
  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_EQ(Capture(doc), first);

  EXPECT_FALSE(doc.undo.CanUndo());
  EXPECT_EQ(doc.undo.end(), 0);
  EXPECT_FALSE(doc.undo.Undo(doc));
  EXPECT_TRUE(doc.undo.IsOpen());  // an empty history is not damage
  EXPECT_EQ(Capture(doc), first);
}

TEST_F(UndoHistoryTest, DeletingAFrameOfATwoFrameAnimationIsUndone) {
  DocumentState doc;
  MakeAnimation(doc, 2, 5);
  doc.frameSet->frame(1).left = 7;
  doc.frameSet->frame(0).disposal = 2;
  doc.undo.Reset();
  Shot expected = Capture(doc);

  doc.undo.TakeSnapshot(doc, kUndoConvert);
  // What deleting the current frame of a two-frame animation leaves: a single GIF picture.
  ASSERT_TRUE(InstallSinglePicture(doc, DuplicateBlock(doc.frameSet->frame(1).image),
                                   ImageKind::kGifPicture));
  doc.frameSet->transparentIndex = -1;
  doc.currentFrame = 1;
  // The background colour changed meanwhile: the restored pictures show the new one.
  doc.backgroundColor = 0x123456;
  for (auto* bytes : {&expected.current, &expected.frames[0], &expected.frames[1]}) {
    uint8_t* entry = bytes->data() + kDibHeaderSize + 4 * 5;
    entry[0] = 0x12, entry[1] = 0x34, entry[2] = 0x56;
  }
  std::vector<uint32_t> flagsSeen;
  doc.pictureChanged = [&] { flagsSeen.push_back(doc.flags); };

  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_EQ(Capture(doc), expected);
  EXPECT_EQ(doc.frameSet->frame(1).left, 7);  // fields other than image and delay stay
  EXPECT_EQ(doc.frameSet->frame(0).disposal, 2);
  EXPECT_EQ(doc.currentFrame, 0);  // the frame the restored picture shows
  ASSERT_FALSE(flagsSeen.empty());
  for (uint32_t flags : flagsSeen) EXPECT_TRUE(flags & kFlagBusy);
  EXPECT_FALSE(doc.flags & kFlagBusy);
}

// Playback and the command itself move the current frame after the snapshot; undo shows
// the frame that was current then, so that the picture and the frame number agree. An undo
// gives the document the revision it had at the snapshot.
TEST_F(UndoHistoryTest, UndoShowsTheFrameThatWasCurrentAtTheSnapshot) {
  for (int at : {0, 2, 3}) {
    SCOPED_TRACE(at);
    DocumentState doc;
    MakeAnimation(doc, 4, 1);
    doc.undo.Reset();
    doc.currentFrame = at;
    ASSERT_TRUE(SetCurrentPicture(doc, DuplicateBlock(doc.frameSet->frame(at).image)));
    const uint64_t atSnapshot = doc.revision;
    doc.undo.TakeSnapshot(doc, kUndoEdit);
    EXPECT_EQ(doc.revision, atSnapshot);  // the commit, not the snapshot, moves it

    ReplaceFrames(doc, 70);
    MarkDocumentChanged(doc);
    doc.currentFrame = 0;
    MarkDocumentSaved(doc);
    ASSERT_TRUE(doc.undo.Undo(doc));
    EXPECT_EQ(doc.currentFrame, at);
    EXPECT_EQ(Bytes(doc.currentPicture), Bytes(doc.frameSet->frame(at).image));
    EXPECT_EQ(doc.revision, atSnapshot);
    EXPECT_TRUE(HasUnsavedChanges(doc));
  }
}

// An animation with a tool source; after the snapshot the kind, the frames, the current
// picture and the transparent index all change. Each class restores its own share.
TEST_F(UndoHistoryTest, EachClassRestoresWhatItSaved) {
  enum From { kBefore, kAfter, kTool };
  struct Case {
    UndoClass undoClass;
    ImageKind kind;
    From frames;
    From current;
  } cases[] = {
      {kUndoEdit, ImageKind::kFrameAnimation, kBefore, kBefore},
      {kUndoTransform, ImageKind::kFrameAnimation, kBefore, kTool},
      {kUndoConvert, ImageKind::kGifAnimation, kBefore, kBefore},
      {kUndoColors, ImageKind::kFrameAnimation, kAfter, kBefore},
      {kUndoMakeAnime, ImageKind::kGifAnimation, kAfter, kBefore},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.undoClass));
    DocumentState doc;
    MakeAnimation(doc, 2, 1);
    doc.toolSource = Pic(200);
    doc.undo.Reset();
    const Shot before = Capture(doc);
    doc.undo.TakeSnapshot(doc, c.undoClass);

    doc.kind = ImageKind::kFrameAnimation;
    ReplaceFrames(doc, 99);
    SetCurrentPicture(doc, Pic(88));
    doc.frameSet->transparentIndex = 4;
    const Shot after = Capture(doc);

    ASSERT_TRUE(doc.undo.Undo(doc));
    Shot got = Capture(doc);
    EXPECT_EQ(got.kind, c.kind);
    EXPECT_EQ(got.transparentIndex, 1);
    EXPECT_EQ(got.frames, c.frames == kBefore ? before.frames : after.frames);
    EXPECT_EQ(got.delays, c.frames == kBefore ? before.delays : after.delays);
    EXPECT_EQ(got.current, c.current == kTool ? Bytes(doc.toolSource) : before.current);
    EXPECT_FALSE(doc.undo.CanUndo());
  }
}

TEST_F(UndoHistoryTest, UndoingMakeAnimeReturnsToTheSinglePicture) {
  DocumentState doc;
  ASSERT_TRUE(CreateDocumentContainer(doc, kCapacity));
  ASSERT_TRUE(InstallSinglePicture(doc, Pic(3), ImageKind::kBitmap));
  doc.frameSet->transparentIndex = -1;
  doc.undo.Reset();
  const Shot picture = Capture(doc);

  doc.undo.TakeSnapshot(doc, kUndoMakeAnime);
  FrameSet made(kCapacity);
  made.count = 3;
  for (int i = 0; i < 3; ++i) made.frame(i).image = Pic(uint8_t(i));
  ASSERT_TRUE(InstallAnimation(doc, made, ImageKind::kFrameAnimation, 0));
  doc.currentFrame = 2;

  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_EQ(Capture(doc), picture);  // kind 'b' and no frames
  EXPECT_EQ(doc.currentFrame, 0);
}

TEST_F(UndoHistoryTest, CommandWithoutSavedStatePopsAndChangesNothing) {
  DocumentState doc;
  MakeAnimation(doc, 2, 1);
  doc.undo.Reset();
  const Shot before = Capture(doc);
  doc.undo.TakeSnapshot(doc, kUndoEdit);
  ReplaceFrames(doc, 50);
  SetCurrentPicture(doc, Pic(51));
  doc.undo.TakeSnapshot(doc, static_cast<UndoClass>(4711));
  const Shot after = Capture(doc);

  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_EQ(Capture(doc), after);
  EXPECT_TRUE(doc.undo.CanUndo());
  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_EQ(Capture(doc), before);
}

TEST_F(UndoHistoryTest, ResetMakesAPrivateFileAndForgetsTheHistory) {
  DocumentState doc;
  MakeAnimation(doc, 2, 1);
  doc.undo.TakeSnapshot(doc, kUndoEdit);  // no file yet: nothing happens
  EXPECT_FALSE(doc.undo.IsOpen());
  EXPECT_EQ(FilesInFolder(), 0u);

  doc.undo.Reset();
  const std::string first = doc.undo.path();
  EXPECT_EQ(fs::path(first).parent_path(), fs::path(folder_));
  EXPECT_EQ(fs::path(first).filename().string().rfind("ZEL", 0), 0u);
  struct stat st;
  ASSERT_EQ(::stat(first.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  doc.undo.TakeSnapshot(doc, kUndoEdit);
  ASSERT_TRUE(doc.undo.CanUndo());
  doc.undo.Reset();  // as before loading another file
  EXPECT_FALSE(fs::exists(first));
  EXPECT_TRUE(fs::exists(doc.undo.path()));
  EXPECT_FALSE(doc.undo.CanUndo());
  EXPECT_FALSE(doc.undo.Undo(doc));

  doc.undo.Drop();
  EXPECT_FALSE(doc.undo.IsOpen());
  EXPECT_EQ(FilesInFolder(), 0u);
}

TEST_F(UndoHistoryTest, SnapshotThatCannotBeStoredDropsTheHistory) {
  struct Case {
    const char* name;
    UndoClass undoClass;
    std::function<void(DocumentState&)> spoil;
  } cases[] = {
      {"current picture is no picture", kUndoColors,
       [](DocumentState& d) { d.currentPicture = PackedDib::Allocate(10); }},
      {"a frame's rows are cut short", kUndoEdit,
       [](DocumentState& d) {
         PackedDib cut = PackedDib::Allocate(kDibHeaderSize + 32);
         std::memcpy(cut.data(), d.frameSet->frame(1).image.data(), cut.size());
         d.frameSet->frame(1).image = std::move(cut);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DocumentState doc;
    MakeAnimation(doc, 2, 1);
    doc.undo.Reset();
    doc.undo.TakeSnapshot(doc, kUndoEdit);
    c.spoil(doc);
    doc.undo.TakeSnapshot(doc, c.undoClass);
    EXPECT_FALSE(doc.undo.IsOpen());
    EXPECT_FALSE(doc.undo.CanUndo());
    EXPECT_EQ(FilesInFolder(), 0u);
  }
}

// Damage to any record of a snapshot drops the history and leaves the document as it was:
// the whole snapshot is read before anything is restored.
TEST_F(UndoHistoryTest, DamagedHistoryIsDroppedAndTheDocumentStays) {
  // The stack after a kUndoEdit snapshot of a two-frame animation, pictures of P bytes, from
  // the bottom: frame 1 {P, size 8, value 4, mask 4, link 8}, frame 0 (the same), count
  // {value, mask, link}, state {P, size 8, kind 1, frame 4, length 8, value, mask, link},
  // class {value, mask, link}.
  struct Case {
    const char* name;
    std::function<void(const std::string& path, int64_t end, int64_t p)> damage;
  } cases[] = {
      {"class link", [](auto& f, int64_t e, int64_t) { Patch(f, e - 8, Le(e - 16, 8)); }},
      {"class mask", [](auto& f, int64_t e, int64_t) { Patch(f, e - 12, Le(3, 4)); }},
      {"truncated to half",
       [](auto& f, int64_t e, int64_t) { ASSERT_EQ(::truncate(f.c_str(), e / 2), 0); }},
      {"truncated by a byte",
       [](auto& f, int64_t e, int64_t) { ASSERT_EQ(::truncate(f.c_str(), e - 1), 0); }},
      {"kind byte", [](auto& f, int64_t e, int64_t) { Patch(f, e - 45, {'z'}); }},
      {"data length", [](auto& f, int64_t e, int64_t) { Patch(f, e - 40, Le(2, 8)); }},
      {"huge block size", [](auto& f, int64_t e, int64_t) { Patch(f, e - 53, Le(~0ull >> 1, 8)); }},
      {"block size past the start",
       [](auto& f, int64_t e, int64_t) { Patch(f, e - 53, Le(uint64_t(e), 8)); }},
      {"count beyond the saved frames",
       [](auto& f, int64_t e, int64_t p) { Patch(f, e - 53 - p - 16, Le(3, 4)); }},
      {"negative count",
       [](auto& f, int64_t e, int64_t p) { Patch(f, e - 53 - p - 16, Le(~0ull, 4)); }},
      {"frame 0 picture header",  // the deepest record
       [](auto& f, int64_t e, int64_t p) { Patch(f, e - 2 * p - 93 + 4, Le(0x7FFFFFFF, 4)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DocumentState doc;
    MakeAnimation(doc, 2, 1);
    const int64_t p = int64_t(doc.currentPicture.size());
    doc.undo.Reset();
    doc.undo.TakeSnapshot(doc, kUndoEdit);
    ASSERT_EQ(doc.undo.end(), 3 * p + 117);
    ReplaceFrames(doc, 60);
    SetCurrentPicture(doc, Pic(61));
    doc.kind = ImageKind::kGifPicture;
    doc.frameSet->transparentIndex = 2;
    const Shot after = Capture(doc);
    const std::string path = doc.undo.path();

    c.damage(path, doc.undo.end(), p);
    EXPECT_FALSE(doc.undo.Undo(doc));
    EXPECT_FALSE(doc.undo.IsOpen());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(Capture(doc), after);
    EXPECT_FALSE(doc.flags & kFlagBusy);
  }
}

TEST_F(UndoHistoryTest, FrameCountAboveTheFrameMaximumIsDamage) {
  // A history of 17 whole frame records, undone into a document that holds only 16.
  DocumentState big;
  ASSERT_TRUE(CreateDocumentContainer(big, 2 * kCapacity));
  FrameSet source(2 * kCapacity);
  source.count = kCapacity + 1;
  for (int i = 0; i < source.count; ++i) source.frame(i).image = Pic(uint8_t(i));
  ASSERT_TRUE(InstallAnimation(big, source, ImageKind::kGifAnimation, 0));
  big.undo.Reset();
  big.undo.TakeSnapshot(big, kUndoEdit);

  DocumentState doc;
  MakeAnimation(doc, 2, 1);
  const Shot before = Capture(doc);
  EXPECT_FALSE(big.undo.Undo(doc));
  EXPECT_FALSE(big.undo.IsOpen());
  EXPECT_EQ(Capture(doc), before);
}

// Redo gives back the state an undo replaced, for every class, and undo works again after
// it; the second round trip reads the records the first one wrote.
TEST_F(UndoHistoryTest, RedoGivesBackWhatUndoReplacedForEveryClass) {
  for (UndoClass undoClass : {kUndoEdit, kUndoTransform, kUndoConvert, kUndoColors, kUndoMakeAnime,
                              static_cast<UndoClass>(4711)}) {
    SCOPED_TRACE(static_cast<int>(undoClass));
    DocumentState doc;
    MakeAnimation(doc, 3, 1);
    doc.toolSource = Pic(200);
    doc.undo.Reset();
    doc.undo.TakeSnapshot(doc, undoClass);
    doc.kind = ImageKind::kFrameAnimation;
    ReplaceFrames(doc, 99);
    SetCurrentPicture(doc, Pic(88));
    doc.frameSet->transparentIndex = 4;
    ApplyBackgroundColor(doc);
    doc.toolSource.Reset();  // a tool's source is gone once the tool has ended
    MarkDocumentChanged(doc);
    const Shot after = Capture(doc);
    const uint64_t changed = doc.revision;
    EXPECT_FALSE(doc.undo.CanRedo());

    ASSERT_TRUE(doc.undo.Undo(doc));
    const Shot undone = Capture(doc);
    EXPECT_TRUE(doc.undo.CanRedo());
    EXPECT_FALSE(doc.undo.CanUndo());
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(round);
      MarkDocumentSaved(doc);  // saved as it was before the change
      ASSERT_TRUE(doc.undo.Redo(doc));
      EXPECT_EQ(Capture(doc), after);
      EXPECT_EQ(doc.revision, changed);
      EXPECT_TRUE(HasUnsavedChanges(doc));
      EXPECT_FALSE(doc.undo.CanRedo());
      EXPECT_FALSE(doc.undo.Redo(doc));
      ASSERT_TRUE(doc.undo.Undo(doc));
      EXPECT_EQ(Capture(doc), undone);
      EXPECT_FALSE(HasUnsavedChanges(doc));  // back at the saved state
      EXPECT_FALSE(doc.undo.CanUndo());
    }
  }
}

// A picture made into an animation: redo brings the frames back, undo the single picture.
TEST_F(UndoHistoryTest, RedoOfMakeAnimeBringsTheFramesBack) {
  DocumentState doc;
  ASSERT_TRUE(CreateDocumentContainer(doc, kCapacity));
  ASSERT_TRUE(InstallSinglePicture(doc, Pic(3), ImageKind::kBitmap));
  doc.frameSet->transparentIndex = -1;
  doc.undo.Reset();
  const Shot picture = Capture(doc);
  doc.undo.TakeSnapshot(doc, kUndoMakeAnime);
  FrameSet made(kCapacity);
  made.count = 3;
  for (int i = 0; i < 3; ++i) made.frame(i).image = Pic(uint8_t(i));
  ASSERT_TRUE(InstallAnimation(doc, made, ImageKind::kFrameAnimation, 0));
  doc.currentFrame = 2;
  ASSERT_TRUE(SetCurrentPicture(doc, DuplicateBlock(doc.frameSet->frame(2).image)));
  ApplyBackgroundColor(doc);
  const Shot animation = Capture(doc);

  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_EQ(Capture(doc), picture);
  ASSERT_TRUE(doc.undo.Redo(doc));
  EXPECT_EQ(Capture(doc), animation);
  EXPECT_EQ(doc.currentFrame, 2);
  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_EQ(Capture(doc), picture);
}

// Walks of undo, redo and new changes over three states A -> B -> C; after each step the
// document shows the expected state and the two commands are enabled as expected.
TEST_F(UndoHistoryTest, UndoRedoAndNewChangesWalkTheHistory) {
  enum Step { kUndo, kRedo, kEdit, kFlip };
  struct Expect {
    Step step;
    char state;  // 'A', 'B', 'C', or 'D' after a new edit, 'F' after a flip
    bool canUndo, canRedo;
  };
  struct Case {
    const char* name;
    std::vector<Expect> steps;
  } cases[] = {
      {"undo twice, redo twice",
       {{kUndo, 'B', true, true},
        {kUndo, 'A', false, true},
        {kRedo, 'B', true, true},
        {kRedo, 'C', true, false}}},
      {"undo after redo",
       {{kUndo, 'B', true, true}, {kRedo, 'C', true, false}, {kUndo, 'B', true, true}}},
      {"a new edit clears redo",
       {{kUndo, 'B', true, true},
        {kUndo, 'A', false, true},
        {kEdit, 'D', true, false},
        {kUndo, 'A', false, true},
        {kRedo, 'D', true, false}}},
      {"a change without snapshot clears redo",
       {{kUndo, 'B', true, true}, {kFlip, 'F', true, false}, {kUndo, 'A', false, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DocumentState doc;
    MakeAnimation(doc, 2, 1);
    doc.undo.Reset();
    std::map<char, Shot> states;
    auto edit = [&](char name, uint8_t fill) {
      doc.undo.TakeSnapshot(doc, kUndoEdit);
      ReplaceFrames(doc, fill);
      SetCurrentPicture(doc, Pic(fill));
      MarkDocumentChanged(doc);  // as a commit does
      states[name] = Capture(doc);
    };
    states['A'] = Capture(doc);
    edit('B', 20);
    edit('C', 30);
    for (const Expect& e : c.steps) {
      SCOPED_TRACE(e.state);
      switch (e.step) {
        case kUndo:
          ASSERT_TRUE(doc.undo.Undo(doc));
          break;
        case kRedo:
          ASSERT_TRUE(doc.undo.Redo(doc));
          break;
        case kEdit:
          edit('D', 40);
          break;
        case kFlip:  // as a mirror does: the pictures change, no snapshot
          doc.frameSet->frame(0).image.Row(0)[0] = 5;
          MarkDocumentChanged(doc);
          states['F'] = Capture(doc);
          break;
      }
      EXPECT_EQ(Capture(doc), states.at(e.state));
      EXPECT_EQ(doc.undo.CanUndo(), e.canUndo);
      EXPECT_EQ(doc.undo.CanRedo(), e.canRedo);
    }
  }
}

// The redo records live in a private file of their own beside the undo file; a load
// forgets them, a damaged record forgets redo only, and nothing is left behind.
TEST_F(UndoHistoryTest, RedoRecordsLiveInAFileOfTheirOwn) {
  DocumentState doc;
  MakeAnimation(doc, 2, 1);
  doc.undo.Reset();
  EXPECT_EQ(FilesInFolder(), 1u);
  EXPECT_FALSE(doc.undo.Redo(doc));
  doc.undo.TakeSnapshot(doc, kUndoEdit);
  ReplaceFrames(doc, 60);
  SetCurrentPicture(doc, Pic(60));
  doc.undo.TakeSnapshot(doc, kUndoEdit);
  ReplaceFrames(doc, 70);
  SetCurrentPicture(doc, Pic(70));
  ASSERT_TRUE(doc.undo.Undo(doc));
  const std::string redo = doc.undo.redoPath();
  EXPECT_NE(redo, doc.undo.path());
  EXPECT_EQ(fs::path(redo).parent_path(), fs::path(folder_));
  EXPECT_EQ(fs::path(redo).filename().string().rfind("ZEL", 0), 0u);
  struct stat st;
  ASSERT_EQ(::stat(redo.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(int64_t(st.st_size), doc.undo.redoEnd());

  // Damage: the redo record's class link. Redo refuses and is forgotten; undo goes on.
  const Shot now = Capture(doc);
  Patch(redo, doc.undo.redoEnd() - 8, Le(1, 8));
  EXPECT_FALSE(doc.undo.Redo(doc));
  EXPECT_FALSE(doc.undo.CanRedo());
  EXPECT_FALSE(fs::exists(redo));
  EXPECT_EQ(Capture(doc), now);
  EXPECT_TRUE(doc.undo.CanUndo());
  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_TRUE(doc.undo.CanRedo());

  doc.undo.Reset();  // as before loading another file
  EXPECT_FALSE(doc.undo.CanRedo());
  EXPECT_EQ(FilesInFolder(), 1u);
  doc.undo.Drop();
  EXPECT_EQ(FilesInFolder(), 0u);
}

using testing::kSanitizedHeap;
using testing::ResetPeakMemory;
using testing::StatusBytes;

// Undo and redo of an animation hold its frames once: the snapshot's frames replace the
// document's one by one instead of all being read beside them.
TEST_F(UndoHistoryTest, UndoAndRedoOfALongAnimationHoldTheFramesOnce) {
  constexpr int kWidth = 1000, kHeight = 800, kFrames = kCapacity;
  constexpr int64_t kPixelBytes = int64_t{kWidth} * kHeight * kFrames;  // 12.8 MB
  DocumentState doc;
  MakeAnimation(doc, kFrames, -1);
  std::vector<Rgbq> table(8, Rgbq{0x40, 0x40, 0x40, 0});
  auto fillFrames = [&](uint8_t base) {
    for (int i = 0; i < kFrames; ++i) {
      PackedDib& image = doc.frameSet->frame(i).image;
      if (image.Header().width != kWidth) image = NewPicture(kWidth, kHeight, 8, 8, table.data());
      for (int y = 0; y < kHeight; ++y) std::memset(image.Row(y), (base + i) & 7, kWidth);
    }
  };
  fillFrames(0);
  doc.undo.Reset();
  doc.undo.TakeSnapshot(doc, kUndoEdit);
  const Shot before = Capture(doc);
  fillFrames(3);  // every frame changes in place
  const Shot after = Capture(doc);

  const bool measured = !kSanitizedHeap && ResetPeakMemory() && StatusBytes("VmHWM:") >= 0;
  for (auto step : {&UndoHistory::Undo, &UndoHistory::Redo}) {
    if (measured) {
      ASSERT_TRUE(ResetPeakMemory());
    }
    const int64_t held = StatusBytes("VmRSS:");
    ASSERT_TRUE((doc.undo.*step)(doc));
    if (measured) {
      EXPECT_LT(StatusBytes("VmHWM:") - held, kPixelBytes / 4);
    }
  }
  EXPECT_EQ(Capture(doc), after);
  ASSERT_TRUE(doc.undo.Undo(doc));
  EXPECT_EQ(Capture(doc), before);
  if (!measured) GTEST_SKIP() << "the peak memory cannot be measured here";
}

// A record with a picture, data and a value, laid out at `start` in memory, with a reader
// that fails (and counts) any read outside it.
struct MemoryStack {
  explicit MemoryStack(int64_t s) : start(s) {
    PackedDib pic = Pic(9);
    bytes = Bytes(pic);
    const uint8_t data[3] = {1, 2, 3};
    std::vector<uint8_t> tail =
        EncodeUndoRecordTail(start + int64_t(pic.size()), pic.size(), data, 3, -7);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    read = [this](int64_t offset, uint8_t* dest, size_t n) {
      if (offset < start || uint64_t(offset - start) + n > bytes.size()) {
        ++strayReads;
        return false;
      }
      std::memcpy(dest, bytes.data() + (offset - start), n);
      return true;
    };
  }
  int64_t end() const { return start + int64_t(bytes.size()); }

  int64_t start;
  std::vector<uint8_t> bytes;
  UndoReadAt read;
  int strayReads = 0;
};

TEST(UndoRecord, OffsetsBeyondFourGibRoundTrip) {
  MemoryStack stack((int64_t{5} << 30) + 3);
  const size_t p = Bytes(Pic(9)).size();
  // block, size 8, data 3, length 8, value 4, mask 4, link 8
  ASSERT_EQ(stack.bytes.size(), p + 35);
  const uint64_t link = ReadLe64At(stack.bytes.data() + p + 27);
  EXPECT_EQ(link, uint64_t(stack.end() - 8));
  EXPECT_GT(link, uint64_t{1} << 32);
  EXPECT_EQ(ReadLe32(stack.bytes.data() + p + 23), kUndoHasPicture | kUndoHasData | kUndoHasValue);

  UndoRecord record;
  EXPECT_EQ(DecodeUndoRecord(stack.read, stack.end(), {true, 3}, record), stack.start);
  EXPECT_EQ(Bytes(record.picture), Bytes(Pic(9)));
  EXPECT_EQ(record.data, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(record.value, -7);
  // A reader of a longer layout still takes the record when the shorter one is allowed.
  UndoRecord older;
  EXPECT_EQ(DecodeUndoRecord(stack.read, stack.end(), {true, 7, 3}, older), stack.start);
  EXPECT_EQ(older.data, (std::vector<uint8_t>{1, 2, 3}));

  struct Case {
    const char* name;
    int64_t end;
    UndoRecordShape shape;
  } refused[] = {
      {"other data length", stack.end(), {true, 2}},
      {"neither data length", stack.end(), {true, 7, 2}},
      {"no data expected", stack.end(), {true, 0}},
      {"no picture expected", stack.end(), {false, 3}},
      {"not a record end", stack.end() - 1, {true, 3}},
  };
  for (const Case& c : refused) {
    UndoRecord out;
    EXPECT_EQ(DecodeUndoRecord(stack.read, c.end, c.shape, out), -1) << c.name;
  }
  EXPECT_EQ(stack.strayReads, 0);
}

TEST(UndoRecord, SizeFieldsAreCheckedBeforeAnythingIsAllocatedOrRead) {
  const uint64_t sizes[] = {0,
                            kDibHeaderSize - 1,
                            kUndoMaxPictureBlock + 1,
                            uint64_t{1} << 62,
                            ~uint64_t{0},
                            Bytes(Pic(9)).size() + 1};  // reaches below the stack's bottom
  for (uint64_t size : sizes) {
    MemoryStack stack(0);
    const size_t p = Bytes(Pic(9)).size();
    std::vector<uint8_t> field = Le(size, 8);
    std::copy(field.begin(), field.end(), stack.bytes.begin() + int64_t(p));
    UndoRecord out;
    EXPECT_EQ(DecodeUndoRecord(stack.read, stack.end(), {true, 3}, out), -1) << size;
    EXPECT_EQ(stack.strayReads, 0) << size;
    EXPECT_FALSE(out.picture);
  }
}

}  // namespace
}  // namespace zel
