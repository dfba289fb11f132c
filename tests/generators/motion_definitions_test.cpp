#include "generators/motion_definitions.h"

#include <gtest/gtest.h>

#include "generators/motion_builtins.h"
#include "generators/motion_test_helpers.h"
#include "generators/motion_tracer.h"
#include "imagefiles/bmp_file.h"
#include "platform/binary_record.h"
#include "platform/file_io.h"
#include "support/language_scope.h"

namespace zel {
namespace {

using testing::LanguageScope;

using testing::MotionStore;

TEST(MotionDefinitions, FirstStartInstallsTheEightBuiltins) {
  MotionStore store;
  const MotionDefinitions& defs = store.defs;
  EXPECT_EQ(defs.info(), (MotionInfo{8, 0, 100, kMotionWrap}));
  // Point counts of our drawings, traced by our tracer.
  const size_t counts[kBuiltinMotionCount] = {279, 96, 377, 145, 97, 97, 185, 260};
  for (int i = 0; i < kBuiltinMotionCount; ++i) {
    SCOPED_TRACE(i);
    std::optional<MotionRecord> record = defs.Read(i);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, BuiltinMotionAt(i).title);
    EXPECT_EQ(record->bitmapPath, store.folder.path() + "data/" + BuiltinMotionAt(i).fileName);
    EXPECT_EQ(record->width, 96);
    EXPECT_EQ(record->height, 96);
    PackedDib bitmap;
    ASSERT_EQ(ReadBmpFile(bitmap, record->bitmapPath), kBmpReadOk);
    EXPECT_EQ(bitmap.Header().bitCount, 1);
    EXPECT_EQ(ReadMotionPathFile(MotionPathFileOf(record->bitmapPath)).size(), counts[i]);
  }
  // "水平": (0..95, 47) with the start twice.
  const std::vector<MotionPoint> horizontal =
      ReadMotionPathFile(MotionPathFileOf(defs.Read(4)->bitmapPath));
  std::vector<MotionPoint> expected;
  for (int x = 0; x <= 95; ++x) {
    expected.push_back({static_cast<int16_t>(x), 47});
    if (x == 47) expected.push_back({47, 47});
  }
  EXPECT_EQ(horizontal, expected);

  // The records are in the settings file, and a second start keeps them.
  ProfileFile again;
  ASSERT_TRUE(again.Load(store.profile.path()));
  MotionDefinitions reloaded;
  reloaded.Load(again, store.folder.path() + "elsewhere/");
  EXPECT_EQ(reloaded.info(), defs.info());
  EXPECT_EQ(reloaded.Read(7), defs.Read(7));
  EXPECT_FALSE(PathExists(store.folder.path() + "elsewhere/"));
}

TEST(MotionDefinitions, StateIsClampedAndWrittenAtOnce) {
  MotionStore store;
  store.defs.SetSelected(20);
  store.defs.SetRange(300);
  store.defs.SetFlags(7);
  EXPECT_EQ(store.defs.info(), (MotionInfo{8, 7, 100, 3}));
  store.defs.SetRange(1);
  ProfileFile saved;
  ASSERT_TRUE(saved.Load(store.profile.path()));
  auto bytes = ReadBinaryRecord(saved, kMotionInfoName, kMotionInfoSize);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*UnpackMotionInfo(bytes->data(), bytes->size()), (MotionInfo{8, 7, 5, 3}));

  // A damaged record: out-of-range values clamped when read.
  const auto packed = PackMotionInfo({5, 9, 0, 0x10});
  WriteBinaryRecord(saved, kMotionInfoName, packed.data(), packed.size());
  MotionDefinitions defs;
  defs.Load(saved, store.folder.path() + "data/");
  EXPECT_EQ(defs.info(), (MotionInfo{5, 4, 5, 0}));
}

TEST(MotionDefinitions, DeleteMovesRecordsDownAndRemovesFiles) {
  MotionStore store;
  MotionDefinitions& defs = store.defs;
  const MotionRecord second = *defs.Read(1);
  const MotionRecord last = *defs.Read(7);
  defs.SetSelected(7);
  ASSERT_TRUE(defs.Delete(1));
  EXPECT_EQ(defs.Count(), 7);
  EXPECT_EQ(defs.selected(), 6);  // was 7, past the new end
  EXPECT_EQ(*defs.Read(6), last);
  EXPECT_FALSE(PathExists(second.bitmapPath));
  EXPECT_FALSE(PathExists(MotionPathFileOf(second.bitmapPath)));
  EXPECT_FALSE(defs.Read(7));

  while (defs.Count() > 0) ASSERT_TRUE(defs.Delete(0));
  EXPECT_EQ(defs.Count(), 0);
  EXPECT_EQ(defs.selected(), -1);
  EXPECT_FALSE(defs.Delete(0));
  EXPECT_EQ(defs.SelectedTitle(), "");

  ProfileFile saved;
  ASSERT_TRUE(saved.Load(store.profile.path()));
  MotionDefinitions reloaded;
  reloaded.Load(saved, store.folder.path() + "data/");
  EXPECT_EQ(reloaded.info(), (MotionInfo{0, -1, 100, kMotionWrap}));  // no reinstall
}

TEST(MotionDefinitions, RecordLayoutAndTitles) {
  MotionRecord record{std::string(126, 'a') + "枯", "/x/mov9.bmp", 96, 80};
  const auto bytes = PackMotionRecord(record);
  EXPECT_EQ(bytes[126], 0);  // the three-byte character does not fit before the NUL
  EXPECT_EQ(ReadLe32(&bytes[388]), 96u);
  EXPECT_EQ(ReadLe32(&bytes[392]), 80u);
  const MotionRecord back = *UnpackMotionRecord(bytes.data(), bytes.size());
  EXPECT_EQ(back.title, std::string(126, 'a'));
  EXPECT_EQ(back.bitmapPath, "/x/mov9.bmp");
  EXPECT_FALSE(UnpackMotionRecord(bytes.data(), 395));

  MotionStore store;
  // A record of another length counts as absent.
  store.profile.Set("MotionTable3", "Len", "395");
  EXPECT_FALSE(store.defs.Read(2));
  EXPECT_EQ(store.defs.Find("とんぼ返り"), 6);
  EXPECT_EQ(store.defs.Find("Falling-Leaf"), 3);
  EXPECT_EQ(store.defs.Find("box"), -1);  // its record is unreadable now
  EXPECT_EQ(store.defs.Find("nothing"), -1);
  ASSERT_TRUE(store.defs.Append({"mine", "/x/mov9.bmp", 96, 96}));
  EXPECT_EQ(store.defs.Find("mine"), 8);
  EXPECT_EQ(store.defs.SelectedTitle(), "mine");
}

// The built-in paths are shown in the current language, whichever language their records keep
// the title in (the English one when renamed to it in English), and found by either name.
TEST(MotionDefinitions, BuiltinTitlesInBothLanguages) {
  MotionStore store;
  std::optional<MotionRecord> leaf = store.defs.Read(3);
  ASSERT_TRUE(leaf);
  leaf->title = "Falling leaf";
  ASSERT_TRUE(store.defs.Write(3, *leaf));
  ASSERT_TRUE(store.defs.Append({"my circle", "/x/mov9.bmp", 96, 96}));
  for (Language current : {Language::kJapanese, Language::kEnglish}) {
    LanguageScope scope(current);
    const bool japanese = current == Language::kJapanese;
    EXPECT_EQ(ShownMotionTitle("八の字移動"), japanese ? "八の字移動" : "Figure eight");
    EXPECT_EQ(ShownMotionTitle("Falling leaf"), japanese ? "枯葉" : "Falling leaf");
    EXPECT_EQ(ShownMotionTitle("my circle"), "my circle");
    EXPECT_EQ(ShownMotionTitle("figure-eight"), "figure-eight");  // a plain name is no title
    struct Case {
      const char* name;
      int index;
    } cases[] = {{"八の字移動", 0},   {"figure eight", 0}, {"Figure-Eight", 0}, {"枯葉", 3},
                 {"Falling leaf", 3}, {"falling-leaf", 3}, {"my circle", 8},    {"My Circle", -1}};
    for (const Case& c : cases) EXPECT_EQ(store.defs.Find(c.name), c.index) << c.name;
    store.defs.SetSelected(0);
    EXPECT_EQ(store.defs.SelectedTitle(), japanese ? "八の字移動" : "Figure eight");
  }
}

}  // namespace
}  // namespace zel
