// What the editor tells the user after a load that could not take the whole file.
#pragma once

#include <string>

namespace zel {

// The notice shown once when a file holds more frames than the frame maximum: how many
// frames the file has, how many were kept, that saving over the file loses the rest, and
// where the maximum is raised (string 519). Empty when nothing was dropped.
std::string DroppedFramesNotice(int framesInFile, int framesKept);

}  // namespace zel
