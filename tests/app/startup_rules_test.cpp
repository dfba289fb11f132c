#include "app/startup_rules.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <random>

#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::Rgb;

TEST(StartupRules, CommandLineFileName) {
  struct Case {
    const char* line;
    std::optional<std::string> name;
  } cases[] = {
      {"", std::nullopt},
      {"/tmp/noextension", std::nullopt},
      {"\"/tmp/no extension\"", std::nullopt},
      {"/tmp/a.gif", "/tmp/a.gif"},
      {"\"/tmp/a b.gif\"", "/tmp/a b.gif"},
      {"\"/tmp/a b.gif\" trailing text", "/tmp/a b.gif"},
      {"-x \"/tmp/dir.d/a b.gif\"", "/tmp/dir.d/a b.gif"},
      {"/tmp/a b.gif\"", std::nullopt},  // closing quote without an opening one
      {"\"/tmp/a.gif\" other.txt", "\"/tmp/a.gif\" other.txt"},  // last stop is unquoted
      {"\"q\" /tmp/a.gif\"", " /tmp/a.gif"},
  };
  for (const Case& c : cases) EXPECT_EQ(CommandLineFileName(c.line), c.name) << c.line;

  std::string longLine = "/" + std::string(300, 'x') + ".gif";
  EXPECT_EQ(CommandLineFileName(longLine), longLine.substr(0, 255));
  std::string longJapanese = "/.";
  for (int i = 0; i < 100; ++i) longJapanese += "画";
  EXPECT_EQ(CommandLineFileName(longJapanese)->size(), 254u);  // a character is not split
}

TEST(StartupRules, JoinedArgumentsGiveTheNameBack) {
  EXPECT_EQ(JoinCommandLine({"/tmp/a b.gif"}), "\"/tmp/a b.gif\"");
  EXPECT_EQ(JoinCommandLine({"-v", "x\ty.gif", "z.gif"}), "-v \"x\ty.gif\" z.gif");
  const std::vector<std::string> paths[] = {{"/tmp/a b.gif"},
                                            {"/tmp/a.gif"},
                                            {"/tmp/dir with space/アニメ.gif"},
                                            {"/tmp/x y/z.d/a b.gif"}};
  for (const auto& args : paths) EXPECT_EQ(CommandLineFileName(JoinCommandLine(args)), args[0]);
}

class QuickAnimatedGif : public ::testing::Test {
 protected:
  // A GIF with a full 256-colour global table (768 bytes), so the scan must skip it.
  static GifBuilder Start() { return GifBuilder(4, 4, std::vector<Rgb>(256, Rgb{1, 2, 3})); }
  static GifBuilder& Picture(GifBuilder& gif) {
    return gif.Image(0, 0, 4, 4, std::vector<uint8_t>(16, 1));
  }

  std::string Write(const std::string& name, std::vector<uint8_t> bytes, size_t padTo = 1100) {
    if (bytes.size() < padTo) bytes.resize(padTo, 0);
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  std::string dir_ = testing::MakeTempDir();
};

TEST_F(QuickAnimatedGif, AcceptsOnlyLoopingGifsWithTheirMarkEarly) {
  GifBuilder looping = Start();
  looping.Comment("made here").Control(0, 10, 0).Looping();
  Picture(looping).Trailer();
  GifBuilder plain = Start();
  Picture(plain.Control(0, 10, 0)).Trailer();
  GifBuilder imageFirst = Start();
  Picture(imageFirst).Looping();
  Picture(imageFirst).Trailer();
  GifBuilder late = Start();  // a long comment pushes the looping block past byte 1024
  late.Comment(std::string(240, 'c')).Looping();
  Picture(late).Trailer();
  GifBuilder noTable(4, 4, {});
  Picture(noTable.Looping()).Trailer();
  std::vector<uint8_t> notGif = looping.bytes();
  notGif[0] = 'P';

  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
    size_t padTo;
    bool animated;
  } cases[] = {
      {"a.gif", looping.bytes(), 1100, true},
      {"a.GIF", looping.bytes(), 1100, true},
      {"a.g", looping.bytes(), 1024, true},  // exactly 1024 bytes
      {"a.bmp", looping.bytes(), 1100, false},
      {"noextension", looping.bytes(), 1100, false},
      {"a.gif.", looping.bytes(), 1100, false},
      {"short.gif", looping.bytes(), 1023, false},
      {"plain.gif", plain.bytes(), 1100, false},
      {"imagefirst.gif", imageFirst.bytes(), 1100, false},
      {"late.gif", late.bytes(), 1100, false},
      {"notable.gif", noTable.bytes(), 1100, true},
      {"notgif.gif", notGif, 1100, false},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = c.bytes;
    if (c.padTo < bytes.size()) bytes.resize(c.padTo);
    std::string path = Write(c.name, bytes, c.padTo);
    EXPECT_EQ(IsQuickAnimatedGif(path), c.animated) << c.name;
  }
  ASSERT_EQ(late.bytes()[1025], 0x21);  // the looping block of "late" starts past the limit
  ASSERT_EQ(late.bytes()[1026], 0xFF);

  EXPECT_FALSE(IsQuickAnimatedGif(dir_ + "/missing.gif"));
  ASSERT_EQ(mkdir((dir_ + "/folder.gif").c_str(), 0700), 0);
  EXPECT_FALSE(IsQuickAnimatedGif(dir_ + "/folder.gif"));
  ASSERT_EQ(mkfifo((dir_ + "/fifo.gif").c_str(), 0600), 0);
  EXPECT_FALSE(IsQuickAnimatedGif(dir_ + "/fifo.gif"));  // returns without blocking
}

TEST_F(QuickAnimatedGif, LoopingMarkMustEndWithinTheFirst1024Bytes) {
  // The mark is the 16 bytes from the introducer through 0x03 0x01.
  const std::pair<size_t, bool> starts[] = {{1008, true}, {1009, false}, {1010, false}};
  for (auto [start, accepted] : starts) {
    GifBuilder gif = Start();
    gif.Comment(std::string(start - 781 - 4, 'c')).Looping();
    ASSERT_EQ(gif.bytes()[start], 0x21);
    EXPECT_EQ(IsQuickAnimatedGifHead(gif.bytes().data(), gif.bytes().size()), accepted) << start;
    EXPECT_EQ(IsQuickAnimatedGif(Write("mark.gif", gif.bytes())), accepted) << start;
  }
}

TEST_F(QuickAnimatedGif, RandomHeadsStayInBounds) {
  std::mt19937 random(11);
  std::vector<uint8_t> head(1024);
  for (int round = 0; round < 3000; ++round) {
    for (uint8_t& b : head) b = random() % 3 == 0 ? 0x21 : static_cast<uint8_t>(random());
    std::memcpy(head.data(), "GIF89a", 6);
    IsQuickAnimatedGifHead(head.data(), head.size());  // must never read past the 1024 bytes
  }
  EXPECT_FALSE(IsQuickAnimatedGifHead(head.data(), 1023));
}

TEST(StartupRules, SaveConfirmation) {
  // Only a revision other than the saved one asks: neither the command-line bits nor an
  // undo history of their own (a document replaced without an edit asks nothing).
  struct Case {
    ImageKind kind;
    int bitCount;
    uint32_t flags;
    bool changed;  // revision differs from the saved one
    bool asks;
  } cases[] = {
      {ImageKind::kGifAnimation, 8, kFlagFromCommandLine | kFlagLoaded, false, false},
      {ImageKind::kGifAnimation, 8, kFlagFromCommandLine | kFlagLoaded, true, true},
      {ImageKind::kGifAnimation, 8, 0, true, true},
      {ImageKind::kFrameAnimation, 8, 0, false, false},
      {ImageKind::kBitmap, 8, kFlagFromCommandLine | kFlagLoaded, false, false},
      {ImageKind::kGifPicture, 8, 0, true, true},
      {ImageKind::kJpeg, 24, 0, true, true},
      {ImageKind::kPng, 24, kFlagFromCommandLine, true, true},
      {ImageKind::kNone, 24, 0, true, false},
  };
  for (const Case& c : cases) {
    DocumentState doc;
    doc.kind = c.kind;
    doc.bitCount = c.bitCount;
    doc.flags = c.flags;
    doc.revision = 7;
    doc.savedRevision = c.changed ? 6 : 7;
    EXPECT_EQ(NeedsSaveConfirmation(doc), c.asks)
        << static_cast<char>(c.kind) << " " << c.bitCount << " " << c.flags << " " << c.changed;
  }
}

TEST(StartupRules, DefineDialogStoresItsValues) {
  struct Case {
    int before;
    int typed;
    int after;
    bool message;
  } cases[] = {
      {256, 5, 256, false},         {100, 5, 256, true},    {256, 20000, 10000, true},
      {10000, 20000, 10000, false}, {256, 256, 256, false}, {256, 16, 16, true},
      {256, 15, 256, false},        {512, -1, 256, true},   {256, 10000, 10000, true},
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.frameMax = c.before;
    EXPECT_EQ(ApplyDefineDialog(settings, "", false, false, c.typed), c.message) << c.typed;
    EXPECT_EQ(settings.frameMax, c.after) << c.typed;
    EXPECT_EQ(ClampFrameMaxSetting(c.typed), c.after);
  }

  Settings settings;
  settings.options = 0x1 | 0x100 | 0x80;
  ApplyDefineDialog(settings, "/usr/bin/gimp", false, true, 256);
  EXPECT_EQ(settings.options, 0x1u | 0x80 | kOptionBrowserBackground);
  EXPECT_EQ(settings.editorPath, "/usr/bin/gimp");
  ApplyDefineDialog(settings, "", true, false, 256);
  EXPECT_EQ(settings.options, 0x1u | 0x80 | kOptionShowAfterGifSave);
  EXPECT_EQ(settings.editorPath, "");

  std::string longPath;
  for (int i = 0; i < 300; ++i) longPath += "編";
  ApplyDefineDialog(settings, longPath, true, false, 256);
  EXPECT_EQ(settings.editorPath, longPath.substr(0, 256 * 3));  // 256 characters

  EXPECT_EQ(std::string(Say(kFrameMaxChangedMessage)),
            "フレーム最大値が変更されました.\n直ちにZelを終了してください."
            "\n変更は次回から有効になります.");
}

TEST(StartupRules, DialogTextToInt) {
  const std::pair<const char*, int> cases[] = {
      {"256", 256},
      {" 300 ", 300},
      {"-5", -5},
      {"+7", 7},
      {"", 0},
      {"  ", 0},
      {"12a", 0},
      {"-", 0},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", 0},
      {"99999999999999999999", 0},
  };
  for (auto [text, value] : cases) EXPECT_EQ(DialogTextToInt(text), value) << text;
}

TEST(StartupRules, EditorBrowseStartsAtTheEditorOrUntitledInTheProgramFolder) {
  EXPECT_EQ(DefineBrowseInitialPath("", "/opt/zel/"), "/opt/zel/無題.exe");
  EXPECT_EQ(DefineBrowseInitialPath("", "/opt/zel"), "/opt/zel/無題.exe");
  EXPECT_EQ(DefineBrowseInitialPath("/usr/bin/gimp", "/opt/zel/"), "/usr/bin/gimp");
}

}  // namespace
}  // namespace zel
