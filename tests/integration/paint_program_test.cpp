#include "integration/paint_program.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "integration/integration_fixtures.h"

namespace zel {
namespace {

using Args = std::vector<std::string>;
using testing::ScratchFolder;

Args Expand(const std::string& exec, const std::string& file) {
  std::optional<Args> args = SplitExecLine(exec);
  EXPECT_TRUE(args.has_value()) << exec;
  return args ? ExpandExecLine(*args, file) : Args{};
}

TEST(PaintProgram, ExecLinesGetTheFileInPlaceOfTheirCodeOrAtTheEnd) {
  const std::string f = "/tmp/zel ab/ZelBitmap.bmp";
  struct Case {
    const char* exec;
    Args expected;
  };
  const Case cases[] = {
      {"gimp %U", {"gimp", f}},
      {"gimp-2.10 %F", {"gimp-2.10", f}},
      {"pinta %f", {"pinta", f}},
      {"kolourpaint %u", {"kolourpaint", f}},
      {"paint \"%1\"", {"paint", f}},  // quoted
      {"paint %1", {"paint", f}},      // not quoted
      {"mypaint", {"mypaint", f}},     // none: appended
      {"krita --nosplash", {"krita", "--nosplash", f}},
      {"app --file=%f --x", {"app", "--file=" + f, "--x"}},
      {"app %i %c %k %f", {"app", f}},
      {"app --level=100%% %f", {"app", "--level=100%", f}},
      {"\"/opt/My Paint/paint\" --open %f %F", {"/opt/My Paint/paint", "--open", f}},
      {"sh -c \"echo \\\"\\$x\\\"\" %f", {"sh", "-c", "echo \"$x\"", f}},
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(c.exec, f), c.expected) << c.exec;
  EXPECT_FALSE(SplitExecLine("app \"unterminated %f").has_value());
}

TEST(PaintProgram, ExecValueOfTheMainGroupWithItsEscapesUndone) {
  EXPECT_EQ(DesktopEntryExec("[Desktop Action new]\nExec=wrong\n[Desktop Entry]\nName=P\n"
                             "Exec = paint\\s--x %f\r\n"),
            "paint --x %f");
  EXPECT_FALSE(DesktopEntryExec("[Desktop Entry]\nName=P\n").has_value());
  EXPECT_FALSE(DesktopEntryExec("Exec=outside a group\n").has_value());
}

TEST(PaintProgram, CommandFromTheConfiguredEditorOrTheDesktopDefault) {
  ScratchFolder folder;
  const std::string home = folder / "home";
  const std::string system = folder / "system";
  std::filesystem::create_directories(home + "/applications");
  std::filesystem::create_directories(system + "/applications/vendor");
  std::ofstream(system + "/applications/vendor/paint.desktop")
      << "[Desktop Entry]\nType=Application\nExec=/usr/bin/vendor-paint --edit %U\n";
  std::string asked;
  DesktopEnvironment desktop;
  desktop.dataFolders = {home, system};
  desktop.defaultApplication = [&](const std::string& mime) -> std::optional<std::string> {
    asked = mime;
    return std::string("vendor-paint.desktop");
  };
  const std::string file = "/tmp/x/ZelBitmap.bmp";

  EXPECT_EQ(PaintProgramCommand("", file, desktop),
            (Args{"/usr/bin/vendor-paint", "--edit", file}));
  EXPECT_EQ(asked, "image/bmp");

  // The user's own entry wins over the system's.
  std::ofstream(home + "/applications/vendor-paint.desktop") << "[Desktop Entry]\nExec=mine\n";
  EXPECT_EQ(PaintProgramCommand("", file, desktop), (Args{"mine", file}));

  // A configured editor that exists comes first; one that does not falls back.
  const std::string editor = folder / "editor";
  testing::WriteScript(editor, "exit 0\n");
  EXPECT_EQ(PaintProgramCommand(editor, file, desktop), (Args{editor, file}));
  EXPECT_EQ(PaintProgramCommand(folder / "gone", file, desktop), (Args{"mine", file}));

  // No default application, or an id that tries to leave the folder: no command.
  desktop.defaultApplication = [](const std::string&) { return std::optional<std::string>(); };
  EXPECT_TRUE(PaintProgramCommand("", file, desktop).empty());
  desktop.defaultApplication = [](const std::string&) {
    return std::optional<std::string>("../../etc/x.desktop");
  };
  EXPECT_TRUE(PaintProgramCommand("", file, desktop).empty());
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

TEST(PaintProgram, SystemDesktopAsksXdgMimeAndReadsTheDataFolders) {
  testing::ScratchFolder folder;
  std::filesystem::create_directories(folder / "bin");
  std::filesystem::create_directories(folder / "data/applications");
  testing::WriteScript(folder / "bin/xdg-mime",
                       "[ \"$1 $2 $3\" = 'query default image/bmp' ] && echo 'paint.desktop'\n");
  std::ofstream(folder / "data/applications/paint.desktop")
      << "[Desktop Entry]\nExec=paint --new-window %F\n";
  const char* names[] = {"PATH", "XDG_DATA_HOME", "XDG_DATA_DIRS"};
  std::string saved[3];
  for (int i = 0; i < 3; ++i) saved[i] = std::getenv(names[i]) ? std::getenv(names[i]) : "";
  ::setenv("PATH", (folder / "bin").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
  ::setenv("XDG_DATA_DIRS", (folder / "none").c_str(), 1);
  std::vector<std::string> command = PaintProgramCommand("", "/p/ZelBitmap.bmp");
  ::setenv("PATH", (folder / "none").c_str(), 1);
  std::vector<std::string> withoutXdgMime = PaintProgramCommand("", "/p/ZelBitmap.bmp");
  for (int i = 0; i < 3; ++i) ::setenv(names[i], saved[i].c_str(), 1);
  EXPECT_EQ(command, (std::vector<std::string>{"paint", "--new-window", "/p/ZelBitmap.bmp"}));
  EXPECT_TRUE(withoutXdgMime.empty());
}

}  // namespace
}  // namespace zel
