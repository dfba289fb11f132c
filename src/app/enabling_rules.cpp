#include "app/enabling_rules.h"

#include "app/command_table.h"
#include "app/save_rules.h"

namespace zel {

CommandTerms ReadTerms(const DocumentState* doc) {
  CommandTerms t;
  // A zeroed document: nothing open, an empty frame set whose palette count is 0.
  t.paletted = true;
  if (doc == nullptr) return t;
  t.open = IsDocumentOpen(*doc);
  t.animation = IsAnimation(doc->kind);
  t.single = t.open && !t.animation;
  t.stopped = (doc->flags & kFlagStopped) != 0;
  t.fromCommandLine = (doc->flags & kFlagFromCommandLine) != 0;
  if (doc->frameSet != nullptr) {
    t.paletted = doc->frameSet->paletteCount >= 0;
    t.n = doc->frameSet->count;
  }
  t.cur = doc->currentFrame;
  t.bitCount = doc->bitCount;
  t.frameMax = doc->frameMax;
  return t;
}

bool IsAllowedWhileBusy(int id) {
  const CommandInfo* info = FindCommand(id);
  return info != nullptr && info->allowedWhileBusy;
}

bool IsCommandEnabled(int id, const CommandContext& ctx) {
  const bool busy = ctx.doc != nullptr && IsDocumentBusy(*ctx.doc);
  if (busy && !IsAllowedWhileBusy(id)) return false;
  const CommandInfo* info = FindCommand(id);
  return info == nullptr || info->enabled == nullptr || info->enabled(ctx);
}

bool IsCommandCheckable(int id) {
  const CommandInfo* info = FindCommand(id);
  return info != nullptr && info->checked != nullptr;
}

bool IsCommandChecked(int id, const CommandContext& ctx) {
  const CommandInfo* info = FindCommand(id);
  return info != nullptr && info->checked != nullptr && info->checked(ctx);
}

}  // namespace zel
