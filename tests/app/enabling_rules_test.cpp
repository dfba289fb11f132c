#include "app/enabling_rules.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "app/command_table.h"

namespace zel {
namespace {

// A document as the rules see it. Frame images are not needed: the rules read counters only.
struct DocSetup {
  char kind = 0;  // 0, 'b', 'g', 'j', 'p', 'a' or 'f'
  int bits = 8;
  int n = 0;    // frame count (0 for single pictures)
  int cur = 0;  // current frame
  bool stopped = true;
  int paletteCount = 256;
  int frameMax = 256;
  int width = 100;
  int height = 80;
  uint32_t extraFlags = 0;
};

std::unique_ptr<DocumentState> MakeDoc(const DocSetup& s) {
  auto made = std::make_unique<DocumentState>();
  DocumentState& doc = *made;
  EXPECT_TRUE(CreateDocumentContainer(doc, s.frameMax));
  doc.kind = static_cast<ImageKind>(s.kind);
  doc.bitCount = s.kind == 0 ? 0 : s.bits;
  doc.width = s.kind == 0 ? 0 : s.width;
  doc.height = s.kind == 0 ? 0 : s.height;
  doc.frameSet->count = s.n;
  doc.frameSet->paletteCount = s.paletteCount;
  doc.currentFrame = s.cur;
  doc.flags = (s.stopped ? kFlagStopped : 0u) | s.extraFlags;
  return made;
}

std::string Describe(const DocSetup& s) {
  std::string text = s.kind == 0 ? "none" : std::string(1, s.kind);
  return text + " bits=" + std::to_string(s.bits) + " n=" + std::to_string(s.n) +
         " cur=" + std::to_string(s.cur) + (s.stopped ? " stopped" : " playing") +
         " palette=" + std::to_string(s.paletteCount) + " max=" + std::to_string(s.frameMax) + " " +
         std::to_string(s.width) + "x" + std::to_string(s.height) +
         " flags=" + std::to_string(s.extraFlags);
}

TEST(EnablingRules, NothingOpenEnablesOnlyTheDocumentFreeCommands) {
  const std::set<int> alwaysOn = {kCmdOpen,
                                  kCmdExit,
                                  kCmdRecentFile1,
                                  kCmdExternalEdit,
                                  kCmdBackgroundColor,
                                  kCmdInvertBackground,
                                  kCmdOptions,
                                  kCmdStandardToolBar,
                                  kCmdStatusBar,
                                  kCmdPictureToolBar,
                                  kCmdAnimationToolBar,
                                  kCmdFrameStrip,
                                  kCmdOpenMultiple,
                                  kCmdOpenVideo,
                                  kCmdMidiTempo,
                                  kCmdHelp,
                                  kCmdAbout};
  std::unique_ptr<DocumentState> zeroed = MakeDoc({});
  for (bool clipboard : {false, true}) {
    const DocumentState* docs[] = {nullptr, zeroed.get()};
    for (const DocumentState* doc : docs) {
      CommandContext ctx;
      ctx.doc = doc;
      ctx.clipboardHasPicture = clipboard;
      // Facts that need an open document change nothing while none is open.
      ctx.morselReady = ctx.vantaAvailable = ctx.motionDefinitionsExist = true;
      for (const CommandInfo& info : CommandTable()) {
        bool expected =
            alwaysOn.count(info.id) != 0 || (info.id == kCmdImportClipboard && clipboard);
        EXPECT_EQ(IsCommandEnabled(info.id, ctx), expected)
            << info.id << " clipboard=" << clipboard << " doc=" << (doc != nullptr);
      }
    }
  }
}

// How each command group follows kind and depth for a stopped, paletted document of five
// frames with frame 2 current.
TEST(EnablingRules, KindsAndBitDepths) {
  const int anyOpen[] = {kCmdSaveBitmap, kCmdSavePopup,   kCmdExportClipboard,  kCmdColorAdjust,
                         kCmdAddMargins, kCmdTrim,        kCmdMirrorHorizontal, kCmdMirrorVertical,
                         kCmdRotateLeft, kCmdRotateRight, kCmdRotate,           kCmdFishEye,
                         kCmdEdgePull,   kCmdCornerPull,  kCmdStretch,          kCmdZoom};
  const int eightBit[] = {kCmdSaveGif, kCmdTransparency25, kCmdTransparency50, kCmdTransparency75,
                          kCmdTransparencyPopup};
  const int singleOnly[] = {kCmdColorResolution, kCmdMakeAnimation, kCmdIconSize};
  const int animationOnly[] = {kCmdStart,          kCmdStop,        kCmdJump,
                               kCmdDeleteFrames,   kCmdInsertFrame, kCmdConvertToPicture,
                               kCmdMakeFirstFrame, kCmdEffect,      kCmdRepeatAnimation,
                               kCmdReverse,        kCmdTimeAdjust,  kCmdShowInBrowser};
  for (char kind : {'\0', 'b', 'g', 'j', 'p', 'a', 'f'}) {
    for (int bits : {8, 24}) {
      DocSetup setup;
      setup.kind = kind;
      setup.bits = bits;
      bool animation = kind == 'a' || kind == 'f';
      setup.n = animation ? 5 : 0;
      setup.cur = animation ? 2 : 0;
      std::unique_ptr<DocumentState> doc = MakeDoc(setup);
      CommandContext ctx;
      ctx.doc = doc.get();
      bool open = kind != 0;
      for (int id : anyOpen) EXPECT_EQ(IsCommandEnabled(id, ctx), open) << id << Describe(setup);
      for (int id : eightBit) {
        EXPECT_EQ(IsCommandEnabled(id, ctx), open && bits == 8) << id << Describe(setup);
      }
      EXPECT_EQ(IsCommandEnabled(kCmdSaveJpeg, ctx), open && bits == 24) << Describe(setup);
      for (int id : singleOnly) {
        EXPECT_EQ(IsCommandEnabled(id, ctx), open && !animation) << id << Describe(setup);
      }
      for (int id : animationOnly) {
        EXPECT_EQ(IsCommandEnabled(id, ctx), animation) << id << Describe(setup);
      }
      EXPECT_EQ(IsCommandEnabled(kCmdPaletteOperation, ctx), bits == 8 && open) << Describe(setup);
      EXPECT_EQ(IsCommandEnabled(kCmdMergeAnimations, ctx), bits == 8 && open) << Describe(setup);
    }
  }
}

TEST(EnablingRules, Boundaries) {
  struct Case {
    const char* what;
    int id;
    DocSetup doc;
    bool expected;
  };
  DocSetup anim{.kind = 'a', .bits = 8, .n = 10, .cur = 3};
  auto with = [](DocSetup s, auto change) {
    change(s);
    return s;
  };
  const Case cases[] = {
      // Repeating doubles the frames: n > 1 and n < frameMax / 2 (integer division).
      {"2 of 256", kCmdRepeatAnimation, with(anim, [](DocSetup& s) { s.n = 2; }), true},
      {"1 frame", kCmdRepeatAnimation, with(anim, [](DocSetup& s) { s.n = 1; }), false},
      {"127 of 256", kCmdRepeatAnimation, with(anim, [](DocSetup& s) { s.n = 127; }), true},
      {"128 of 256", kCmdRepeatAnimation, with(anim, [](DocSetup& s) { s.n = 128; }), false},
      {"127 of 255", kCmdRepeatAnimation,
       with(anim, [](DocSetup& s) { s.n = 127, s.frameMax = 255; }), false},
      {"126 of 255", kCmdRepeatAnimation,
       with(anim, [](DocSetup& s) { s.n = 126, s.frameMax = 255; }), true},
      {"7 of 16", kCmdRepeatAnimation, with(anim, [](DocSetup& s) { s.n = 7, s.frameMax = 16; }),
       true},
      {"8 of 16", kCmdRepeatAnimation, with(anim, [](DocSetup& s) { s.n = 8, s.frameMax = 16; }),
       false},
      {"repeat while playing", kCmdRepeatAnimation,
       with(anim, [](DocSetup& s) { s.stopped = false; }), true},
      {"frame animation", kCmdRepeatAnimation, with(anim, [](DocSetup& s) { s.kind = 'f'; }), true},

      // Making the current frame the first needs a stopped animation past frame 0.
      {"cur 0", kCmdMakeFirstFrame, with(anim, [](DocSetup& s) { s.cur = 0; }), false},
      {"cur 1", kCmdMakeFirstFrame, with(anim, [](DocSetup& s) { s.cur = 1; }), true},
      {"cur 1 playing", kCmdMakeFirstFrame,
       with(anim, [](DocSetup& s) { s.cur = 1, s.stopped = false; }), false},

      // Commands that need playback stopped, and stop which does not.
      {"start playing", kCmdStart, with(anim, [](DocSetup& s) { s.stopped = false; }), false},
      {"jump playing", kCmdJump, with(anim, [](DocSetup& s) { s.stopped = false; }), false},
      {"delete playing", kCmdDeleteFrames, with(anim, [](DocSetup& s) { s.stopped = false; }),
       false},
      {"insert playing", kCmdInsertFrame, with(anim, [](DocSetup& s) { s.stopped = false; }),
       false},
      {"convert playing", kCmdConvertToPicture, with(anim, [](DocSetup& s) { s.stopped = false; }),
       false},
      {"stop playing", kCmdStop, with(anim, [](DocSetup& s) { s.stopped = false; }), true},
      {"reverse playing", kCmdReverse, with(anim, [](DocSetup& s) { s.stopped = false; }), true},
      {"time playing", kCmdTimeAdjust, with(anim, [](DocSetup& s) { s.stopped = false; }), true},

      // Effects need four frames.
      {"3 frames", kCmdEffect, with(anim, [](DocSetup& s) { s.n = 3; }), false},
      {"4 frames", kCmdEffect, with(anim, [](DocSetup& s) { s.n = 4; }), true},
      {"4 frames playing", kCmdEffect, with(anim, [](DocSetup& s) { s.n = 4, s.stopped = false; }),
       true},

      // Icons: a single 8-bit picture of exactly 32 x 32.
      {"gif 32x32", kCmdMakeIcon, {.kind = 'g', .width = 32, .height = 32}, true},
      {"bmp 32x32", kCmdMakeIcon, {.kind = 'b', .width = 32, .height = 32}, true},
      {"png 32x32", kCmdMakeIcon, {.kind = 'p', .width = 32, .height = 32}, true},
      {"24-bit 32x32", kCmdMakeIcon, {.kind = 'j', .bits = 24, .width = 32, .height = 32}, false},
      {"bmp 24-bit 32x32",
       kCmdMakeIcon,
       {.kind = 'b', .bits = 24, .width = 32, .height = 32},
       false},
      {"32x33", kCmdMakeIcon, {.kind = 'g', .width = 32, .height = 33}, false},
      {"33x32", kCmdMakeIcon, {.kind = 'g', .width = 33, .height = 32}, false},
      {"animation 32x32", kCmdMakeIcon, {.kind = 'a', .n = 2, .width = 32, .height = 32}, false},
      {"frames 32x32", kCmdMakeIcon, {.kind = 'f', .n = 2, .width = 32, .height = 32}, false},

      // External editing: paletted or stopped.
      {"nothing open", kCmdExternalEdit, {.stopped = false, .paletteCount = -1}, true},
      {"paletted playing", kCmdExternalEdit, with(anim, [](DocSetup& s) { s.stopped = false; }),
       true},
      {"no palette playing", kCmdExternalEdit,
       with(anim, [](DocSetup& s) { s.paletteCount = -1, s.stopped = false; }), false},
      {"no palette stopped", kCmdExternalEdit, with(anim, [](DocSetup& s) { s.paletteCount = -1; }),
       true},
      {"jpeg playing-flag clear",
       kCmdExternalEdit,
       {.kind = 'j', .bits = 24, .stopped = false, .paletteCount = -1},
       false},
      {"jpeg palette 0",
       kCmdExternalEdit,
       {.kind = 'j', .bits = 24, .stopped = false, .paletteCount = 0},
       true},

      // Palette operation and merging: paletted and 8 bits, whatever the kind.
      {"palette -1", kCmdPaletteOperation, with(anim, [](DocSetup& s) { s.paletteCount = -1; }),
       false},
      {"palette 0", kCmdPaletteOperation, {.kind = 'g', .paletteCount = 0}, true},
      {"merge palette -1", kCmdMergeAnimations,
       with(anim, [](DocSetup& s) { s.paletteCount = -1; }), false},
      {"merge 24-bit", kCmdMergeAnimations, {.kind = 'b', .bits = 24}, false},

      // Morsel: the command-line flag alone does not count, without a document or once the
      // file it names is no longer the open one (see MorselFollowsTheCurrentFile...).
      {"command line, nothing open", kCmdSendToMorsel, {.extraFlags = kFlagFromCommandLine}, false},
      {"command line, another file", kCmdSendToMorsel,
       with(anim, [](DocSetup& s) { s.extraFlags = kFlagFromCommandLine; }), false},
      {"loaded later, Morsel silent", kCmdSendToMorsel,
       with(anim, [](DocSetup& s) { s.extraFlags = kFlagLoaded; }), false},
  };
  for (const Case& c : cases) {
    std::unique_ptr<DocumentState> doc = MakeDoc(c.doc);
    CommandContext ctx;
    ctx.doc = doc.get();
    EXPECT_EQ(IsCommandEnabled(c.id, ctx), c.expected)
        << c.what << ": " << c.id << " " << Describe(c.doc);
  }
}

// Rules that read the facts gathered outside the document.
TEST(EnablingRules, OutsideFacts) {
  struct Case {
    const char* what;
    int id;
    DocSetup doc;
    CommandContext facts;
    bool expected;
  };
  const DocSetup anim{.kind = 'a', .n = 2};
  const DocSetup single{.kind = 'g'};
  const Case cases[] = {
      {"undo", kCmdUndo, single, {.canUndo = true}, true},
      {"undo empty", kCmdUndo, single, {}, false},
      {"undo nothing open", kCmdUndo, {}, {.canUndo = true}, true},
      {"redo", kCmdRedo, anim, {.canRedo = true}, true},
      {"redo nothing undone", kCmdRedo, anim, {.canUndo = true}, false},
      {"paste", kCmdImportClipboard, single, {.clipboardHasPicture = true}, true},
      {"paste empty clipboard", kCmdImportClipboard, single, {}, false},
      {"motion", kCmdMotion, anim, {.motionDefinitionsExist = true}, true},
      {"motion undefined", kCmdMotion, anim, {}, false},
      {"motion single", kCmdMotion, single, {.motionDefinitionsExist = true}, false},
      {"vanta", kCmdSendToVanta, anim, {.vantaAvailable = true}, true},
      {"vanta missing", kCmdSendToVanta, anim, {}, false},
      {"vanta 1 frame", kCmdSendToVanta, {.kind = 'f', .n = 1}, {.vantaAvailable = true}, false},
      {"vanta single", kCmdSendToVanta, single, {.vantaAvailable = true}, false},
      {"morsel ready", kCmdSendToMorsel, single, {.morselReady = true}, true},
      {"morsel silent", kCmdSendToMorsel, single, {}, false},
  };
  for (const Case& c : cases) {
    std::unique_ptr<DocumentState> doc = MakeDoc(c.doc);
    CommandContext ctx = c.facts;
    ctx.doc = doc.get();
    EXPECT_EQ(IsCommandEnabled(c.id, ctx), c.expected) << c.what;
  }
}

// Morsel's button follows the open file: the file the editor was started with is written
// back only while it is still the open animation; anything else (a save under a new name
// since, a picture) needs Morsel there to take it.
TEST(EnablingRules, MorselFollowsTheCurrentFileAndWhetherMorselIsThere) {
  struct Case {
    const char* what;
    DocSetup doc;
    const char* filePath;
    const char* commandLine;
    bool ready;
    bool expected;
  };
  const DocSetup started{.kind = 'a', .n = 3, .extraFlags = kFlagFromCommandLine};
  const Case cases[] = {
      {"started with it", started, "/p/walk.gif", "/p/walk.gif", false, true},
      {"saved under a new name", started, "/p/copy.gif", "/p/walk.gif", false, false},
      {"saved under a new name, Morsel there", started, "/p/copy.gif", "/p/walk.gif", true, true},
      {"turned into a picture", {.kind = 'g', .extraFlags = kFlagFromCommandLine}, "/p/walk.gif",
       "/p/walk.gif", false, false},
      {"another file, Morsel there", {.kind = 'g'}, "/p/a.gif", "", true, true},
      {"another file, no Morsel", {.kind = 'g'}, "/p/a.gif", "", false, false},
      {"nothing open", {}, "", "", true, false},
  };
  for (const Case& c : cases) {
    std::unique_ptr<DocumentState> doc = MakeDoc(c.doc);
    doc->filePath = c.filePath;
    CommandContext ctx{.doc = doc.get(), .morselReady = c.ready, .commandLinePath = c.commandLine};
    EXPECT_EQ(IsCommandEnabled(kCmdSendToMorsel, ctx), c.expected) << c.what;
  }
}

// While a long operation keeps the document busy, nothing that reads, changes or replaces
// the document is enabled, whatever its own rule says; the window and help stay usable.
TEST(EnablingRules, BusyDocumentLeavesOnlyTheDocumentFreeCommands) {
  const std::set<int> usable = {
      kCmdOptions,    kCmdStandardToolBar, kCmdStatusBar, kCmdPictureToolBar, kCmdAnimationToolBar,
      kCmdFrameStrip, kCmdMidiTempo,       kCmdHelp,      kCmdAbout};
  for (char kind : {'a', 'b'}) {
    DocSetup setup{.kind = kind, .n = kind == 'a' ? 5 : 0, .cur = 2};
    std::unique_ptr<DocumentState> idle = MakeDoc(setup);
    setup.extraFlags = kFlagBusy;
    std::unique_ptr<DocumentState> busy = MakeDoc(setup);
    CommandContext ctx{.doc = busy.get(), .canUndo = true, .clipboardHasPicture = true};
    for (const CommandInfo& info : CommandTable()) {
      EXPECT_EQ(IsCommandEnabled(info.id, ctx), usable.count(info.id) != 0) << info.id;
      EXPECT_EQ(IsAllowedWhileBusy(info.id), usable.count(info.id) != 0) << info.id;
    }
    // The same document at rest: what the busy bit took away.
    ctx.doc = idle.get();
    for (int id : {kCmdOpen, kCmdSaveBitmap, kCmdUndo, kCmdExit, kCmdImportClipboard}) {
      EXPECT_TRUE(IsCommandEnabled(id, ctx)) << id;
    }
    if (kind == 'a') {
      for (int id : {kCmdDeleteFrames, kCmdInsertFrame, kCmdReverse, kCmdTimeAdjust}) {
        EXPECT_TRUE(IsCommandEnabled(id, ctx)) << id;
      }
    }
  }
}

TEST(EnablingRules, BarTogglesCheckTheirOwnBar) {
  const int toggles[] = {kCmdStandardToolBar, kCmdStatusBar, kCmdPictureToolBar,
                         kCmdAnimationToolBar, kCmdFrameStrip};
  for (int visible = 0; visible < 5; ++visible) {
    CommandContext ctx;
    ctx.standardToolBarVisible = visible == 0;
    ctx.statusBarVisible = visible == 1;
    ctx.pictureToolBarVisible = visible == 2;
    ctx.animationToolBarVisible = visible == 3;
    ctx.frameStripVisible = visible == 4;
    for (int i = 0; i < 5; ++i) {
      EXPECT_TRUE(IsCommandCheckable(toggles[i]));
      EXPECT_EQ(IsCommandChecked(toggles[i], ctx), i == visible) << toggles[i];
      EXPECT_TRUE(IsCommandEnabled(toggles[i], ctx));
    }
  }
  CommandContext all{.pictureToolBarVisible = true,
                     .animationToolBarVisible = true,
                     .statusBarVisible = true,
                     .standardToolBarVisible = true,
                     .frameStripVisible = true};
  for (const CommandInfo& info : CommandTable()) {
    if (IsCommandCheckable(info.id)) continue;
    EXPECT_FALSE(IsCommandChecked(info.id, all)) << info.id;
  }
}

}  // namespace
}  // namespace zel
