// Rules for the names of picture files: extensions, the reader a name selects, the names
// the open and save dialogs start from, and whether an output name can be used.
#pragma once

#include <span>
#include <string>

#include "resources/words.h"

namespace zel {

// The name a new picture gets in the user's picture folder when it has none yet.
inline constexpr Words kUntitledName{"無題", "Untitled"};

// Replaces the extension (the text after the last '.' of the file name) when it differs
// from `ext`, or appends "." and `ext` when the name has none. An empty path and a path
// that names a folder (ending in '/') are returned unchanged.
std::string ReplaceExtension(std::string path, const std::string& ext);

// The extension forced on a name chosen in the save dialog: the text after the last '.'
// of the file name is replaced by `ext`, or "." and `ext` are appended.
std::string ForceExtension(std::string chosenPath, const std::string& ext);

// The text after the last '.' of the file name (the part after the last '/'), as written;
// empty when the file name has no '.' or nothing follows it. A '.' in a folder's name
// does not count.
std::string FileExtension(const std::string& path);
// True when the file name (the part after the last '/') holds a '.'.
bool HasFileExtension(const std::string& path);
// True when the extension equals `ext` ("gif", lower case) in any mix of cases.
bool HasExtensionIgnoringCase(const std::string& path, const std::string& ext);

// The lower-case ASCII letter after the last '.' of the file name, which picks the
// reader; 0 when the name has no '.' or nothing follows it.
char LoaderLetter(const std::string& path);

// The extensions the open command lists: every name the loader reads as a picture (it goes
// by the first letter, so ".jpeg" and ".jpe" are JPEG files like ".jpg"; WebP files by
// their whole extension).
inline constexpr const char* kOpenImageExtensions[] = {"jpg", "jpeg", "jpe", "bmp",
                                                       "gif", "png",  "webp"};
// The pictures a palette can be taken from.
inline constexpr const char* kPaletteReferenceExtensions[] = {"gif", "bmp", "png"};

// The ';'-separated patterns of an open dialog for `extensions`, each in lower and in upper
// case ("*.gif;*.GIF"), so that names like "A.GIF" show wherever a dialog matches case.
std::string OpenDialogPatterns(std::span<const char* const> extensions);

// The open dialog's initial path: `path`, or "無題" in the picture folder when it is
// empty, or with "無題" appended when it names a folder.
std::string OpenDialogInitialPath(const std::string& path, const std::string& picturesFolder);
// The save dialog's initial path: as above with "無題." and `ext`.
std::string SaveDialogInitialPath(const std::string& path, const std::string& ext,
                                  const std::string& picturesFolder);

enum OutputNameCheck : int {
  kOutputNameCreatable = 0,
  kOutputNameExists = 1,
  kOutputNameInvalid = 2,
  kOutputNameNotCreatable = -1,
};

// Whether a picture can be written under `path`: 2 when the name is invalid (not an
// absolute path, ends in '/', its folder does not exist or is no folder, or it names a
// folder), 1 when the file exists, 0 when it can be created (it is created and removed
// again to find out), -1 when it cannot be created.
int CheckOutputFileName(const std::string& path);

}  // namespace zel
