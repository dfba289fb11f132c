#include "platform/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <random>

#include "support/gif_builder.h"

namespace zel {
namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ProfileFile, LookupFollowsTheProfileFunctions) {
  ProfileFile file;
  file.Parse(
      "top=outside any section\n"
      "[Option]\n"
      "  Len = 828  \n"
      "quoted=\"  spaced  \"\n"
      "single='x'\n"
      "half=\"x\n"
      "empty=\n"
      "noequals\n"
      "len=second\n"
      "[option]\n"
      "Len=third\n"
      "[other\n"
      "key=in unclosed header\n");
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"option", "LEN", "828"},  // case-insensitive; first section, first key win
      {"OPTION", "quoted", "  spaced  "},
      {"option", "single", "x"},
      {"option", "half", "\"x"},  // quotes are dropped only in pairs
      {"option", "empty", ""},
      {"option", "noequals", "fallback"},
      {"option", "top", "fallback"},  // entries before any header belong to no section
      {"other", "key", "in unclosed header"},
      {"missing", "Len", "fallback"},
      {"", "top", "fallback"},
      {"option", "", "fallback"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(file.Get(c.section, c.key, "fallback"), c.expected) << c.section << "/" << c.key;
  }
  EXPECT_TRUE(file.Has("option", "empty"));
  EXPECT_FALSE(file.Has("option", "noequals"));
}

TEST(ProfileFile, SetKeepsEverythingElseInPlace) {
  ProfileFile file;
  file.Parse(
      "; comment\r\n"
      "[Motion]\r\n"
      "a=1\r\n"
      "b=2\r\n"
      "\r\n"
      "[option]\r\n"
      "Len=1\r\n"
      "garbage line\r\n");
  ASSERT_TRUE(file.Set("motion", "A", "changed"));   // existing key keeps its spelling
  ASSERT_TRUE(file.Set("MOTION", "c", "3"));         // after the last entry, before the blank
  ASSERT_TRUE(file.Set("option", "Val", "AB"));      // after the unknown line
  ASSERT_TRUE(file.Set("colortable", "Len", "64"));  // new section at the end
  EXPECT_EQ(file.Text(),
            "; comment\n"
            "[Motion]\n"
            "a=changed\n"
            "b=2\n"
            "c=3\n"
            "\n"
            "[option]\n"
            "Len=1\n"
            "garbage line\n"
            "Val=AB\n"
            "[colortable]\n"
            "Len=64\n");
}

TEST(ProfileFile, ValuesReadBackAsWrittenAndBadNamesAreRefused) {
  ProfileFile file;
  const std::string values[] = {
      "  lead and trail\t", "\"quoted\"", "'q'", "=a=b=", "パス/無題.gif", ""};
  for (const std::string& value : values) {
    ASSERT_TRUE(file.Set("s", "k", value));
    EXPECT_EQ(file.Get("s", "k"), value);
    ProfileFile reread;
    reread.Parse(file.Text());
    EXPECT_EQ(reread.Get("s", "k"), value);
  }
  ASSERT_TRUE(file.Set("s", "k", std::string("line1\r\nline2\0x", 15)));
  EXPECT_EQ(file.Get("s", "k"), "line1");
  EXPECT_EQ(file.Text(), "[s]\nk=line1\n");

  const std::pair<std::string, std::string> refused[] = {
      {"", "k"},    {"s", ""},   {"a]b", "k"}, {"s", "a=b"}, {"s\n", "k"},
      {"s", "k\r"}, {" s", "k"}, {"s", "k "},  {"s", "[k"},  {std::string("s\0", 2), "k"},
  };
  for (const auto& [section, key] : refused) {
    EXPECT_FALSE(file.Set(section, key, "v")) << section << "/" << key;
  }
  EXPECT_EQ(file.Text(), "[s]\nk=line1\n");
}

TEST(ProfileFile, LoadAndSaveRoundTripThroughAFile) {
  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/zel.ini";
  ProfileFile file;
  EXPECT_FALSE(file.Load(path));  // missing: empty, but Save still goes there
  EXPECT_EQ(file.path(), path);
  ASSERT_TRUE(file.Set("option", "Len", "828"));
  ASSERT_TRUE(file.Save());
  ProfileFile reread;
  ASSERT_TRUE(reread.Load(path));
  EXPECT_EQ(reread.Get("option", "len"), "828");
  EXPECT_EQ(reread.Text(), file.Text());

  file.SetPath(dir + "/no/such/folder/zel.ini");
  EXPECT_FALSE(file.Save());
}

TEST(ProfileFile, HostileFilesNeverBreakIt) {
  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/zel.ini";

  // NUL ends a line's text; CRLF, LF and a last line without a break all work; a very long
  // line is kept whole.
  std::string longValue(3u << 20, 'F');
  WriteFile(path, std::string("[option]\r\nLen=8\0 28\r\nVal=", 25) + longValue +
                      std::string("\n[x\0]\nk=v", 9));
  ProfileFile file;
  ASSERT_TRUE(file.Load(path));
  EXPECT_EQ(file.Get("option", "Len"), "8");
  EXPECT_EQ(file.Get("option", "Val"), longValue);
  EXPECT_EQ(file.Get("x", "k"), "v");

  // Too large, a folder, a FIFO (must not block): nothing is read.
  WriteFile(path, "[option]\nLen=828\n" + std::string(ProfileFile::kMaxFileSize, ' '));
  EXPECT_FALSE(file.Load(path));
  EXPECT_FALSE(file.Has("option", "Len"));
  EXPECT_FALSE(file.Load(dir));
  std::string fifo = dir + "/fifo.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(file.Load(fifo));

  // Random bytes: parsing, setting and reparsing keep the set value reachable.
  std::mt19937 random(7);
  const char alphabet[] = "[]=\r\n\0 \t\"'aAoOptin;";
  for (int round = 0; round < 2000; ++round) {
    std::string text(random() % 200, ' ');
    for (char& c : text) {
      c = random() % 4 == 0 ? static_cast<char>(random())
                            : alphabet[random() % (sizeof alphabet - 1)];
    }
    ProfileFile fuzz;
    fuzz.Parse(text);
    ASSERT_TRUE(fuzz.Set("option", "Val", "AB"));
    EXPECT_EQ(fuzz.Get("option", "val"), "AB");
    ProfileFile reparsed;
    reparsed.Parse(fuzz.Text());
    EXPECT_EQ(reparsed.Get("Option", "Val"), "AB") << ::testing::PrintToString(text);
  }
}

TEST(ProfileFile, ALoneCarriageReturnEndsALine) {
  ProfileFile file;
  file.Parse("[option]\rLen=8\r\r\nmidipath=/a\r.mid\n");
  EXPECT_EQ(file.Get("option", "Len"), "8");
  EXPECT_EQ(file.Get("option", "midipath"), "/a");
  // What was read is what a save writes back.
  ASSERT_TRUE(file.Set("option", "midipath", file.Get("option", "midipath")));
  ProfileFile reparsed;
  reparsed.Parse(file.Text());
  EXPECT_EQ(reparsed.Get("option", "midipath"), "/a");
  EXPECT_EQ(reparsed.Get("option", "Len"), "8");
}

}  // namespace
}  // namespace zel
