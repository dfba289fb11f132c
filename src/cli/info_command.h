// `zel-cli info FILE`: what a picture or animation file holds.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "document/frame_set.h"

namespace zel::cli {

// Runs the command on its arguments (the file name alone); returns the exit code.
int RunInfoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// The report of a GIF file's frames as read: logical screen, palette and every frame record.
void PrintFrameSetInfo(const FrameSet& frames, std::FILE* out);

// The report of an opened document: kind, picture and, for an animation, every frame.
void PrintDocumentInfo(const DocumentState& doc, std::FILE* out);

}  // namespace zel::cli
