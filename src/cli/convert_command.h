// `zel-cli convert IN OUT [--quality N] [--optimize]`: opens a picture or animation and saves it in
// the format OUT's extension names, as the editor's save commands do.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/interrupt.h"
#include "document/document_state.h"

namespace zel::cli {

constexpr int kDefaultJpegQuality = 75;

// Reads a --quality value (30..100); reports on `err` and returns false when it is not one.
bool ParseQuality(const std::string& text, int* quality, std::FILE* err);

// Reads a --lossy value (0..100); reports on `err` and returns false when it is not one.
bool ParseLossyQuality(const std::string& text, int* quality, std::FILE* err);

// --lossy is for a .webp output only: reports on `err` and returns false for another.
bool CheckLossyOutput(const std::optional<int>& lossy, const std::string& output,
                      std::FILE* err);

// Checks that zel-cli writes the format OUT's extension names; reports on `err` when not.
bool CheckWritableFormat(const std::string& output, std::FILE* err);

// Reports that Ctrl-C stopped the work before `output` was written; returns the exit code.
int ReportCancelled(const std::string& output, std::FILE* err);

// The first steps of a command that reads one file and writes another: checks that the
// input is a file the loader reads and that zel-cli writes OUT's format (exit 2), starts
// catching Ctrl-C in `interrupts`, loads the input into `doc` (exit 1) and stops (exit 130)
// when Ctrl-C came while it loaded. Returns kExitOk when the work may go on; any other exit
// code has been reported on `err`.
int OpenInputForOutput(const std::string& input, const std::string& output,
                       std::optional<InterruptCatcher>& interrupts, DocumentState& doc,
                       std::FILE* err);

// Saves the document in the format OUT's extension names, as the editor's save commands do:
// refuses (exit 2) what the format cannot hold, writes atomically, draws the progress bar
// on `progressFd` when that is a terminal. With `optimizeGif` a GIF animation is written
// optimised; with `webpLossy` a WebP file is lossy at that quality. Returns the exit code.
int SaveDocumentTo(DocumentState& doc, const std::string& output, int quality, std::FILE* err,
                   int progressFd, bool optimizeGif = false,
                   std::optional<int> webpLossy = std::nullopt);

// Runs the command on its arguments; returns the exit code. The progress bar goes to
// `progressFd` when that is a terminal.
int RunConvertCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd);

}  // namespace zel::cli
