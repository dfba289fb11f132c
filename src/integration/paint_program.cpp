#include "integration/paint_program.h"

#include <cstdlib>

#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/process.h"

namespace zel {
namespace {

constexpr int kMimeQueryTimeoutMs = 3000;
// Desktop entries are small; a larger file is not one.
constexpr size_t kDesktopEntryCap = 1024 * 1024;

std::vector<std::string> SplitFolders(const std::string& list) {
  std::vector<std::string> folders;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string folder = list.substr(start, end - start);
    if (!folder.empty() && folder[0] == '/') folders.push_back(folder);
    start = end + 1;
  }
  return folders;
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

bool PlainId(const std::string& id) {
  return !id.empty() && id.find('/') == std::string::npos && id.find("..") == std::string::npos &&
         id.size() > 8 && id.compare(id.size() - 8, 8, ".desktop") == 0;
}

std::optional<std::string> ReadSmallText(const std::string& path) {
  std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes || bytes->size() > kDesktopEntryCap) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

// Replaces every file code inside one argument; true when there was one.
bool ReplaceFileCodes(const std::string& arg, const std::string& file, std::string* out,
                      bool* keep) {
  bool replaced = false;
  *keep = true;
  out->clear();
  for (size_t i = 0; i < arg.size(); ++i) {
    if (arg[i] != '%' || i + 1 >= arg.size()) {
      *out += arg[i];
      continue;
    }
    const char code = arg[++i];
    switch (code) {
      case 'f':
      case 'F':
      case 'u':
      case 'U':
      case '1':
        *out += file;
        replaced = true;
        break;
      case '%':
        *out += '%';
        break;
      default:
        // %i, %c, %k and the old codes stand for things this program does not pass; an
        // argument that was nothing but such a code goes away.
        if (arg.size() == 2) *keep = false;
        break;
    }
  }
  return replaced;
}

}  // namespace

DesktopEnvironment SystemDesktop() {
  DesktopEnvironment desktop;
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome && dataHome[0] == '/') {
    desktop.dataFolders.push_back(dataHome);
  } else {
    desktop.dataFolders.push_back(HomeFolder() + "/.local/share");
  }
  const char* dataDirs = std::getenv("XDG_DATA_DIRS");
  std::vector<std::string> system = SplitFolders(dataDirs && dataDirs[0] ? dataDirs : "");
  if (system.empty()) system = {"/usr/local/share", "/usr/share"};
  desktop.dataFolders.insert(desktop.dataFolders.end(), system.begin(), system.end());
  desktop.defaultApplication = [](const std::string& mimeType) -> std::optional<std::string> {
    std::optional<std::string> out =
        RunForOutput({"xdg-mime", "query", "default", mimeType}, kMimeQueryTimeoutMs);
    if (!out) return std::nullopt;
    std::string id = Trim(out->substr(0, out->find('\n')));
    // Some desktops answer with a list.
    id = Trim(id.substr(0, id.find(';')));
    if (id.empty()) return std::nullopt;
    return id;
  };
  return desktop;
}

std::optional<std::vector<std::string>> SplitExecLine(const std::string& exec) {
  std::vector<std::string> args;
  std::string current;
  bool inWord = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (inWord) args.push_back(current);
      current.clear();
      inWord = false;
    } else if (c == '"') {
      inWord = true;
      bool closed = false;
      for (++i; i < exec.size(); ++i) {
        if (exec[i] == '"') {
          closed = true;
          break;
        }
        if (exec[i] == '\\' && i + 1 < exec.size() &&
            (exec[i + 1] == '"' || exec[i + 1] == '`' || exec[i + 1] == '$' ||
             exec[i + 1] == '\\')) {
          ++i;
        }
        current += exec[i];
      }
      if (!closed) return std::nullopt;
    } else {
      inWord = true;
      current += c;
    }
  }
  if (inWord) args.push_back(current);
  return args;
}

std::vector<std::string> ExpandExecLine(const std::vector<std::string>& args,
                                        const std::string& file) {
  std::vector<std::string> out;
  bool placed = false;
  for (const std::string& arg : args) {
    std::string expanded;
    bool keep = true;
    if (ReplaceFileCodes(arg, file, &expanded, &keep)) {
      // The file goes in once; a second file code would open it twice.
      if (placed) continue;
      placed = true;
    }
    if (keep) out.push_back(expanded);
  }
  if (!placed) out.push_back(file);
  return out;
}

std::optional<std::string> DesktopEntryExec(const std::string& entryText) {
  bool inMainGroup = false;
  size_t start = 0;
  while (start < entryText.size()) {
    size_t end = entryText.find('\n', start);
    if (end == std::string::npos) end = entryText.size();
    std::string line = entryText.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inMainGroup = line == "[Desktop Entry]";
      continue;
    }
    if (!inMainGroup) continue;
    size_t equals = line.find('=');
    if (equals == std::string::npos || Trim(line.substr(0, equals)) != "Exec") continue;
    std::string raw = Trim(line.substr(equals + 1));
    std::string value;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) {
        const char next = raw[++i];
        switch (next) {
          case 's':
            value += ' ';
            break;
          case 'n':
            value += '\n';
            break;
          case 't':
            value += '\t';
            break;
          case 'r':
            value += '\r';
            break;
          case '\\':
            value += '\\';
            break;
          default:
            value += '\\';
            value += next;
        }
      } else {
        value += raw[i];
      }
    }
    if (value.empty()) return std::nullopt;
    return value;
  }
  return std::nullopt;
}

std::string FindDesktopEntry(const std::string& id, const std::vector<std::string>& dataFolders) {
  if (!PlainId(id)) return {};
  for (const std::string& folder : dataFolders) {
    const std::string base = folder + (folder.back() == '/' ? "" : "/") + "applications/";
    // "vendor-app.desktop" may also live as "vendor/app.desktop", at any dash.
    std::vector<std::string> candidates = {id};
    for (size_t dash = id.find('-'); dash != std::string::npos; dash = id.find('-', dash + 1)) {
      std::string nested = id;
      nested[dash] = '/';
      candidates.push_back(nested);
    }
    for (const std::string& name : candidates) {
      const std::string path = base + name;
      if (ReadSmallText(path)) return path;
    }
  }
  return {};
}

std::vector<std::string> PaintProgramCommand(const std::string& editorPath, const std::string& file,
                                             const DesktopEnvironment& desktop) {
  if (!editorPath.empty()) {
    std::string program = FindExecutable(editorPath);
    if (!program.empty()) return {program, file};
  }
  if (!desktop.defaultApplication) return {};
  std::optional<std::string> id = desktop.defaultApplication("image/bmp");
  if (!id) return {};
  const std::string entry = FindDesktopEntry(*id, desktop.dataFolders);
  if (entry.empty()) return {};
  std::optional<std::string> text = ReadSmallText(entry);
  std::optional<std::string> exec = text ? DesktopEntryExec(*text) : std::nullopt;
  std::optional<std::vector<std::string>> args = exec ? SplitExecLine(*exec) : std::nullopt;
  if (!args || args->empty()) return {};
  return ExpandExecLine(*args, file);
}

}  // namespace zel
