#include "app/load_notices.h"

#include <cstdio>

#include "resources/string_table.h"

namespace zel {

std::string DroppedFramesNotice(int framesInFile, int framesKept) {
  if (framesKept >= framesInFile) return {};
  char text[512];
  std::snprintf(text, sizeof text, MessageText(kMsgFramesDropped), framesInFile, framesKept);
  return text;
}

}  // namespace zel
