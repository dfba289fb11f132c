#include "integration/motion_edit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "generators/motion_test_helpers.h"
#include "generators/motion_tracer.h"
#include "imagefiles/bmp_file.h"
#include "integration/integration_fixtures.h"
#include "platform/file_io.h"
#include "resources/string_table.h"

namespace zel {
namespace {

using testing::MotionStore;

DesktopEnvironment NoDesktop() {
  return DesktopEnvironment{{}, [](const std::string&) { return std::nullopt; }};
}

// Runs the edit the way the editor does, with short ticks: the window stays minimised and
// the waiting dialog open.
Outcome RunEdit(MotionEdit& edit, MotionDefinitions& defs) {
  if (const Outcome started = edit.Start(); !started.done()) return started;
  WindowObservation window;
  window.minimised = true;
  for (int i = 0; i < 100; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (edit.Tick(window) != EditWaitState::kWaiting) break;
  }
  return edit.Finish(defs);
}

// A paint program: ImageMagick draws a line across the picture and saves it in `type`.
// `erase` first paints the whole sheet white.
std::string PaintScript(const testing::ScratchFolder& folder, const std::string& name,
                        const std::string& line, const std::string& type, bool erase = false) {
  const std::string script = folder / name;
  const std::string clear = erase ? "-fill white -draw 'rectangle 0,0 95,95' " : "";
  testing::WriteScript(script, "exec /usr/bin/convert \"$1\" " + clear + "-fill black -draw '" +
                                   line + "' " + type + " \"BMP3:$1\"\n");
  return script;
}

TEST(MotionEdit, NewDefinitionDrawnInThePaintProgramIsTracedAndListed) {
  MotionStore store;
  testing::ScratchFolder folder;
  const std::string painter = PaintScript(folder, "paint", "line 10,30 70,30", "-type bilevel");
  MotionEdit edit;
  ASSERT_TRUE(edit.PrepareNew(store.defs, "my path", painter, NoDesktop()).done());
  EXPECT_EQ(edit.command(), (std::vector<std::string>{painter, edit.workPath()}));
  ASSERT_TRUE(RunEdit(edit, store.defs).done());
  EXPECT_EQ(store.defs.Count(), 9);
  EXPECT_EQ(store.defs.selected(), 8);
  const MotionRecord record = *store.defs.Read(8);
  EXPECT_EQ(record.title, "my path");
  EXPECT_EQ(record.bitmapPath, store.defs.dataFolder() + "mov9.bmp");
  EXPECT_EQ(record.width, 96);
  const std::vector<MotionPoint> points = ReadMotionPathFile(MotionPathFileOf(record.bitmapPath));
  ASSERT_GE(points.size(), 61u);
  for (const MotionPoint& p : points) EXPECT_EQ(p.y, 95 - 30);
  EXPECT_FALSE(PathExists(edit.workPath()));
}

TEST(MotionEdit, FailedEditsLeaveTheDefinitionsAsTheyWere) {
  MotionStore store;
  testing::ScratchFolder folder;
  const MotionRecord box = *store.defs.Read(2);
  const auto bitmapBefore = ReadFileBytes(box.bitmapPath);
  const auto pathBefore = ReadFileBytes(MotionPathFileOf(box.bitmapPath));
  ASSERT_TRUE(bitmapBefore && pathBefore);

  struct Case {
    const char* name;
    std::string painter;
    Outcome prepared;
    Outcome result;
  };
  const Case cases[] = {
      {"no paint program", folder / "missing", Outcome::Failed(kMsgNoPicture), Outcome::Done()},
      {"saved in colour", PaintScript(folder, "colour", "line 10,30 70,30", "-type truecolor"),
       Outcome::Done(), Outcome::Failed(kMsgNoPicture)},
      {"too short a line", PaintScript(folder, "short", "line 10,30 13,30", "-type bilevel", true),
       Outcome::Done(), Outcome::Failed(kMsgTooFewElements)},
      {"cannot start", folder.path(), Outcome::Failed(kMsgNoPicture), Outcome::Done()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      // An existing definition: its files stay as they were.
      MotionEdit edit;
      const Outcome prepared = edit.PrepareExisting(store.defs, 2, c.painter, NoDesktop());
      EXPECT_EQ(prepared, c.prepared);
      if (prepared.done()) {
        EXPECT_EQ(RunEdit(edit, store.defs), c.result);
      }
      EXPECT_EQ(ReadFileBytes(box.bitmapPath), bitmapBefore);
      EXPECT_EQ(ReadFileBytes(MotionPathFileOf(box.bitmapPath)), pathBefore);
      EXPECT_EQ(*store.defs.Read(2), box);
    }
    {
      // A new one: nothing registered, no file left.
      MotionEdit edit;
      const Outcome prepared = edit.PrepareNew(store.defs, "new", c.painter, NoDesktop());
      EXPECT_EQ(prepared, c.prepared);
      if (prepared.done()) {
        EXPECT_EQ(RunEdit(edit, store.defs), c.result);
      }
      EXPECT_EQ(store.defs.Count(), 8);
      EXPECT_FALSE(PathExists(store.defs.dataFolder() + "mov9.bmp"));
    }
  }
}

TEST(MotionEdit, ExistingDefinitionIsRedrawn) {
  MotionStore store;
  testing::ScratchFolder folder;
  // Draws a second line under the horizontal one, joined at the right end.
  const std::string painter = PaintScript(folder, "paint", "line 95,48 95,70", "-type bilevel");
  MotionEdit edit;
  ASSERT_TRUE(edit.PrepareExisting(store.defs, 4, painter, NoDesktop()).done());
  ASSERT_TRUE(RunEdit(edit, store.defs).done());
  const MotionRecord record = *store.defs.Read(4);
  EXPECT_EQ(record.title, "水平");
  const std::vector<MotionPoint> points = ReadMotionPathFile(MotionPathFileOf(record.bitmapPath));
  EXPECT_GT(points.size(), 97u + 20u);
  EXPECT_EQ(points.front(), (MotionPoint{0, 47}));
  EXPECT_EQ(points.back(), (MotionPoint{95, 95 - 70}));
}

TEST(MotionEdit, NamesAndTitles) {
  MotionStore store;
  MotionEdit edit;
  EXPECT_EQ(edit.PrepareNew(store.defs, "", "/bin/true", NoDesktop()), Outcome::Failed(kMsgEnterTitle));
  for (int n = 9; n <= kMotionFileNumberMax; ++n) {
    const std::string name = store.defs.dataFolder() + "mov" + std::to_string(n) + ".bmp";
    ASSERT_TRUE(WriteFileAtomically(name, nullptr, 0));
  }
  EXPECT_EQ(FreeMotionBitmapPath(store.defs.dataFolder()), "");
  MotionEdit full;
  EXPECT_EQ(full.PrepareNew(store.defs, "x", "/bin/true", NoDesktop()), Outcome::Failed(kMsgCannotOpen));
}

}  // namespace
}  // namespace zel
