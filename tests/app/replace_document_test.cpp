#include "app/replace_document.h"

#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "imagefiles/memory_budget.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::MakePicture;
using testing::MakeTempDir;
using testing::Rgb;

const std::vector<Rgb> kTwo = {{0, 0, 0}, {255, 255, 255}};

class FixedClipboard : public PictureClipboard {
 public:
  PackedDib ReadPicture() override { return DuplicateBlock(picture); }
  PackedDib picture;
};

std::vector<uint8_t> AnimationBytes(int frames) {
  GifBuilder gif(2, 1, kTwo);
  gif.Looping();
  for (int i = 0; i < frames; ++i) gif.Control(0x04, 10, -1).Image(0, 0, 2, 1, {uint8_t(i & 1), 1});
  return gif.Trailer().bytes();
}

std::string WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

// An open animation with one step to undo and one to redo, so that a failed replacement
// shows whether either history was touched.
struct OpenDocument {
  OpenDocument() {
    context.lastImagePath = &lastImagePath;
    context.clipboard = &clipboard;
    if (!CreateDocumentContainer(doc, kFrameMaxLowest)) return;
    original = WriteFile(dir + "/original.gif", AnimationBytes(2));
    if (!LoadImageFile(doc, original, LoadMode::kOpen, context).done()) return;
    doc.undo.Reset();
    doc.undo.TakeSnapshot(doc, kUndoColors);
    doc.undo.TakeSnapshot(doc, kUndoColors);
    ready = doc.undo.Undo(doc) && doc.undo.CanUndo() && doc.undo.CanRedo();
  }
  ~OpenDocument() { SetPictureMemoryBudget(0); }

  std::string dir = MakeTempDir();
  std::string original;
  std::string lastImagePath;
  FixedClipboard clipboard;
  LoadContext context;
  DocumentState doc;
  bool ready = false;
};

TEST(ReplaceDocument, OnlyASuccessfulLoadStartsTheHistoryAfresh) {
  struct Case {
    const char* name;
    std::function<ReplaceResult(OpenDocument&)> replace;
    ReplaceStatus status;
    int message;
  } cases[] = {
      {"a file",
       [](OpenDocument& t) {
         const std::string path = WriteFile(t.dir + "/new.gif", AnimationBytes(3));
         return ReplaceDocumentFromFile(t.doc, path, t.context, nullptr);
       },
       ReplaceStatus::kReplaced, 0},
      {"the clipboard's picture",
       [](OpenDocument& t) {
         t.clipboard.picture = MakePicture(3, 1, {0, 1, 0}, kTwo);
         return ReplaceDocumentFromClipboard(t.doc, t.context);
       },
       ReplaceStatus::kReplaced, 0},
      {"a handed-over picture",
       [](OpenDocument& t) {
         return ReplaceDocumentWithPicture(t.doc, MakePicture(3, 1, {0, 1, 0}, kTwo), t.context);
       },
       ReplaceStatus::kReplaced, 0},
      {"a name without extension",
       [](OpenDocument& t) {
         const std::string path = WriteFile(t.dir + "/noextension", AnimationBytes(3));
         return ReplaceDocumentFromFile(t.doc, path, t.context, nullptr);
       },
       ReplaceStatus::kLoadFailed, 500},
      {"an extension no reader takes",
       [](OpenDocument& t) {
         const std::string path = WriteFile(t.dir + "/a.txt", AnimationBytes(3));
         return ReplaceDocumentFromFile(t.doc, path, t.context, nullptr);
       },
       ReplaceStatus::kLoadFailed, 500},
      {"a missing file",
       [](OpenDocument& t) {
         return ReplaceDocumentFromFile(t.doc, t.dir + "/missing.gif", t.context, nullptr);
       },
       ReplaceStatus::kLoadFailed, 501},
      {"a broken file",
       [](OpenDocument& t) {
         std::vector<uint8_t> bytes = AnimationBytes(3);
         bytes.resize(12);
         const std::string path = WriteFile(t.dir + "/broken.gif", bytes);
         return ReplaceDocumentFromFile(t.doc, path, t.context, nullptr);
       },
       ReplaceStatus::kLoadFailed, 501},
      {"beyond the memory budget",
       [](OpenDocument& t) {
         const std::string path = WriteFile(t.dir + "/big.gif", AnimationBytes(3));
         SetPictureMemoryBudget(1);
         return ReplaceDocumentFromFile(t.doc, path, t.context, nullptr);
       },
       ReplaceStatus::kLoadFailed, 518},
      {"an empty clipboard",
       [](OpenDocument& t) { return ReplaceDocumentFromClipboard(t.doc, t.context); },
       ReplaceStatus::kLoadFailed, 517},
      {"no picture handed over",
       [](OpenDocument& t) {
         return ReplaceDocumentWithPicture(t.doc, PackedDib(), t.context);
       },
       ReplaceStatus::kLoadFailed, 517},
      {"while a long operation holds the document",
       [](OpenDocument& t) {
         t.doc.flags |= kFlagBusy;
         const std::string path = WriteFile(t.dir + "/new.gif", AnimationBytes(3));
         return ReplaceDocumentFromFile(t.doc, path, t.context, nullptr);
       },
       ReplaceStatus::kBusy, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenDocument t;
    ASSERT_TRUE(t.ready);
    DocumentState& doc = t.doc;
    const std::string undoPath = doc.undo.path();
    const int64_t undoEnd = doc.undo.end();
    const int64_t redoEnd = doc.undo.redoEnd();
    const uint32_t flagsBefore = doc.flags;
    const ReplaceResult result = c.replace(t);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.outcome.done() ? 0 : MessageNumber(result.outcome.message()), c.message);
    EXPECT_FALSE(result.framesDropped);
    if (c.status == ReplaceStatus::kReplaced) {
      EXPECT_TRUE(result.Replaced());
      EXPECT_NE(doc.filePath, t.original);
      EXPECT_FALSE(doc.undo.CanUndo());
      EXPECT_FALSE(doc.undo.CanRedo());
      EXPECT_TRUE(doc.undo.IsOpen());
      continue;
    }
    EXPECT_FALSE(result.Replaced());
    EXPECT_EQ(doc.filePath, t.original);
    EXPECT_EQ(doc.kind, ImageKind::kGifAnimation);
    EXPECT_EQ(doc.frameSet->count, 2);
    EXPECT_EQ(doc.flags, c.status == ReplaceStatus::kBusy ? flagsBefore | kFlagBusy : flagsBefore);
    EXPECT_TRUE(doc.undo.CanUndo());
    EXPECT_TRUE(doc.undo.CanRedo());
    EXPECT_EQ(doc.undo.path(), undoPath);
    EXPECT_EQ(doc.undo.end(), undoEnd);
    EXPECT_EQ(doc.undo.redoEnd(), redoEnd);
  }
}

// A file with more frames than the frame maximum is opened with the first ones, and a save
// over it later asks with the question that says so.
TEST(ReplaceDocument, AFileWithFramesCutIsRemembered) {
  OpenDocument t;
  ASSERT_TRUE(t.ready);
  DocumentState& doc = t.doc;
  LoadContext& context = t.context;
  const std::string& dir = t.dir;
  CutFrameFiles cut;
  const std::string whole = WriteFile(dir + "/whole.gif", AnimationBytes(kFrameMaxLowest));
  ReplaceResult result = ReplaceDocumentFromFile(doc, whole, context, &cut);
  ASSERT_TRUE(result.Replaced());
  EXPECT_FALSE(result.framesDropped);
  EXPECT_FALSE(cut.Holds(whole));

  const std::string longer = WriteFile(dir + "/longer.gif", AnimationBytes(kFrameMaxLowest + 1));
  result = ReplaceDocumentFromFile(doc, longer, context, &cut);
  ASSERT_TRUE(result.Replaced());
  EXPECT_TRUE(result.framesDropped);
  EXPECT_EQ(doc.frameSet->count, kFrameMaxLowest);
  EXPECT_TRUE(cut.Holds(longer));
  EXPECT_FALSE(cut.Holds(whole));
}

}  // namespace
}  // namespace zel
