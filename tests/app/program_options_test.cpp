// The editor's arguments: --open takes its file whole (the desktop entry's way), anything
// else is read as one command line; text for the manual pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program_options.h"

namespace zel {
namespace {

TEST(EditorFileArgument, OpenTakesTheNameWholeElseTheCommandLineRule) {
  // A path longer than a command line's 255 bytes, with a quote and full stops in folders.
  const std::string deep = "/home/u/" + std::string(300, 'd') + "/v1.2/say \"hi\".png";
  const struct {
    std::vector<std::string> arguments;
    std::string file;
  } cases[] = {
      {{"--open", deep}, deep},
      {{"--open", "/tmp/no extension"}, "/tmp/no extension"},
      {{"--open"}, ""},                  // started from the menu: %f names nothing
      {{"--open", "a.gif", "b.gif"}, ""},  // more than one file is not the desktop's form
      {{"/tmp/a b/c.gif"}, "/tmp/a b/c.gif"},
      {{"nofullstop"}, ""},
      {{}, ""},
      {{"/" + std::string(300, 'x') + ".gif"}, "/" + std::string(254, 'x')},  // cut at 255
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EditorFileArgument(c.arguments), c.file)
        << (c.arguments.empty() ? std::string("(none)") : c.arguments[0]);
  }
}

// A leading dot or quote would start a roff request, a backslash an escape, and a plain
// hyphen may print as a dash.
TEST(RoffText, EscapesWhatRoffWouldRead) {
  EXPECT_EQ(RoffText(".x -y\\z\n'w"), "\\&.x \\-y\\ez\n\\&'w");
}

}  // namespace
}  // namespace zel
