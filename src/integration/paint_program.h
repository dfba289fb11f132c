// The user's paint program: the command that opens a picture file in it, from the editor
// path of the settings or else the desktop's default application for BMP pictures.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zel {

// Where desktop applications are looked up. SystemDesktop() reads the XDG variables and
// asks xdg-mime; tests give their own.
struct DesktopEnvironment {
  // Data folders in order of precedence ($XDG_DATA_HOME, then $XDG_DATA_DIRS).
  std::vector<std::string> dataFolders;
  // The desktop-file id of the default application for a MIME type, or no value.
  std::function<std::optional<std::string>(const std::string& mimeType)> defaultApplication;
};
DesktopEnvironment SystemDesktop();

// The arguments of a desktop entry's Exec value (its string escapes already undone):
// words split at unquoted blanks, double quotes removed with their \" \` \$ \\ escapes.
// No value for an unterminated quote.
std::optional<std::vector<std::string>> SplitExecLine(const std::string& exec);

// Puts `file` into a split command: %f, %F, %u, %U (and the old-style %1) become the path,
// also when written inside quotes or inside a longer argument; %% becomes %; the other
// field codes are dropped. Without any file code the path is appended as the last argument.
std::vector<std::string> ExpandExecLine(const std::vector<std::string>& args,
                                        const std::string& file);

// The Exec value of a desktop entry's [Desktop Entry] group with the string escapes
// (\s \n \t \r \\) undone; no value when there is none.
std::optional<std::string> DesktopEntryExec(const std::string& entryText);

// The file of a desktop-file id in the "applications" folders ("a-b.desktop" is also found
// as "a/b.desktop"); empty when there is none or the id is not a plain name.
std::string FindDesktopEntry(const std::string& id, const std::vector<std::string>& dataFolders);

// The command that opens `file` in the paint program: the configured editor (a path or a
// program on PATH that exists) with the file as its argument, else the default application
// for image/bmp. Empty when there is none.
std::vector<std::string> PaintProgramCommand(const std::string& editorPath, const std::string& file,
                                             const DesktopEnvironment& desktop = SystemDesktop());

}  // namespace zel
