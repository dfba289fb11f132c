#include "imagefiles/file_names.h"

#include <cctype>

#include "platform/file_io.h"

namespace zel {
namespace {

// Start of the file-name part: just after the last '/'.
size_t NameStart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

// Position of the extension's '.', or npos when the file name has none.
size_t ExtensionDot(const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < NameStart(path)) return std::string::npos;
  return dot;
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

std::string ReplaceExtension(std::string path, const std::string& ext) {
  if (path.empty() || path.back() == '/') return path;
  return ForceExtension(std::move(path), ext);
}

std::string ForceExtension(std::string chosenPath, const std::string& ext) {
  size_t dot = ExtensionDot(chosenPath);
  if (dot == std::string::npos) return chosenPath + "." + ext;
  chosenPath.replace(dot + 1, std::string::npos, ext);
  return chosenPath;
}

std::string FileExtension(const std::string& path) {
  const size_t dot = ExtensionDot(path);
  return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

bool HasFileExtension(const std::string& path) {
  return ExtensionDot(path) != std::string::npos;
}

bool HasExtensionIgnoringCase(const std::string& path, const std::string& ext) {
  const std::string own = FileExtension(path);
  if (own.empty() || own.size() != ext.size()) return false;
  for (size_t i = 0; i < own.size(); ++i) {
    char c = own[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != ext[i]) return false;
  }
  return true;
}

char LoaderLetter(const std::string& path) {
  size_t dot = ExtensionDot(path);
  if (dot == std::string::npos || dot + 1 >= path.size()) return 0;
  char c = path[dot + 1];
  if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return c;
}

std::string OpenDialogPatterns(std::span<const char* const> extensions) {
  std::string patterns;
  for (const char* ext : extensions) {
    std::string lower = ext;
    std::string upper = ext;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!patterns.empty()) patterns += ';';
    patterns += "*." + lower + ";*." + upper;
  }
  return patterns;
}

std::string OpenDialogInitialPath(const std::string& path, const std::string& picturesFolder) {
  if (path.empty()) return InFolder(picturesFolder, Say(kUntitledName));
  if (path.back() == '/') return path + Say(kUntitledName);
  return path;
}

std::string SaveDialogInitialPath(const std::string& path, const std::string& ext,
                                  const std::string& picturesFolder) {
  std::string untitled = std::string(Say(kUntitledName)) + "." + ext;
  if (path.empty()) return InFolder(picturesFolder, untitled);
  if (path.back() == '/') return path + untitled;
  return path;
}

int CheckOutputFileName(const std::string& path) {
  if (path.empty() || path.front() != '/' || path.back() == '/' ||
      path.find('\0') != std::string::npos) {
    return kOutputNameInvalid;
  }
  size_t slash = path.rfind('/');
  std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  if (!IsFolder(folder)) return kOutputNameInvalid;
  if (PathExists(path)) return IsFolder(path) ? kOutputNameInvalid : kOutputNameExists;
  switch (ProbeNewFile(path)) {
    case NewFileProbe::kCreatable:
      return kOutputNameCreatable;
    case NewFileProbe::kExists:
      return kOutputNameExists;
    case NewFileProbe::kNotCreatable:
      break;
  }
  return kOutputNameNotCreatable;
}

}  // namespace zel
