// Pieces shared by the zel-cli commands: exit codes, file-name checks and messages.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "document/frame_set.h"

namespace zel::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the input cannot be read or the output cannot be written
constexpr int kExitUsage = 2;   // wrong arguments or a file type the tool does not handle
constexpr int kExitCancelled = 130;

// Text after the last '.' of the path's final component, or "" when there is none.
std::string ExtensionOf(const std::string& path);
// ASCII lower case.
std::string LowerAscii(std::string text);

// The loader picks a reader by the first letter of the extension; only GIF ('g') exists.
bool IsReadableExtension(const std::string& path);
// Only GIF files can be written.
bool IsWritableExtension(const std::string& path);

// ".png", or "extensionless" for a name without one.
std::string DescribeExtension(const std::string& path);

// Prints "zel-cli: <text>" and a newline.
void PrintError(std::FILE* err, const std::string& text);

void PrintUsage(std::FILE* to);

// Loads a GIF file with room for the highest frame maximum. A file that cannot be read,
// is not a GIF file or holds no picture at all is reported on `err` and gives null.
std::unique_ptr<FrameSet> LoadInput(const std::string& path, std::FILE* err);

}  // namespace zel::cli
