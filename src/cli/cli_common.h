// Pieces shared by the zel-cli commands: exit codes, file kinds, loading and messages.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "document/frame_set.h"
#include "document/outcome.h"

namespace zel::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the input cannot be read or the output cannot be written
constexpr int kExitUsage = 2;   // wrong arguments, or a conversion the program does not make
constexpr int kExitCancelled = 130;

// The file formats zel-cli writes, chosen by the output name's extension.
enum class OutputFormat { kUnknown, kGif, kBitmap, kJpeg, kIcon, kWebp, kPng };
OutputFormat OutputFormatOf(const std::string& path);

// ".png", or "extensionless" for a name without one.
std::string DescribeExtension(const std::string& path);

// Prints "zel-cli: <text>" and a newline.
void PrintError(std::FILE* err, const std::string& text);

// The exit code of what became of a step, with its message: done is kExitOk; a failure
// prints its message after `label` (kExitFailed); cancelled is kExitCancelled; nothing
// done prints `nothingDone` (kExitUsage), or is kExitOk when that is empty.
int OutcomeExit(std::FILE* err, const std::string& label, const Outcome& outcome,
                const std::string& nothingDone = "");

void PrintUsage(std::FILE* to);

// Checks that the loader has a reader for the file name; reports on `err` when not.
bool CheckReadable(const std::string& path, std::FILE* err);

// Reads a GIF file's frames as loading would take them, without composing them onto the
// screen (what `info` reports), with room for the highest frame maximum. A file that
// cannot be read, is not a GIF file or holds no picture at all is reported and gives null.
std::unique_ptr<FrameSet> LoadGifFrames(const std::string& path, std::FILE* err);

// Opens any picture file the way the editor opens it. False (reported) when it cannot, and
// for a file with more frames than zel-cli's frame maximum.
bool LoadDocument(const std::string& path, DocumentState& doc, std::FILE* err);

// What zel-cli says about a file beyond the memory budget, and about a file with more
// frames than it works with.
std::string TooLargeText(const std::string& path);
std::string TooManyFramesText(const std::string& path, int framesInFile);

// The option that raises the readers' memory budget, and its highest value.
inline constexpr const char* kMemoryOption = "--max-memory";
constexpr unsigned long long kMostMemoryMib = 1ull << 20;
// Takes "--max-memory MIB" (or "--max-memory=MIB") out of `args` and sets the budget.
// False (reported) for a bad value.
bool TakeMemoryOption(std::vector<std::string>& args, std::FILE* err);

}  // namespace zel::cli
