// Whether each command is enabled and checked. The rules read only the document state and
// the facts gathered in CommandContext, so tests evaluate them without a window. Each rule
// lives in its command's row (app/commands/); these functions look it up.
#pragma once

#include <cstdint>
#include <string>

#include "app/command_ids.h"
#include "document/document_state.h"

namespace zel {

struct CommandContext {
  const DocumentState* doc = nullptr;  // nullptr counts as nothing open
  bool canUndo = false;                // the undo file is open and holds a snapshot
  bool canRedo = false;                // an undo can be taken back
  bool clipboardHasPicture = false;    // the clipboard offers a device-independent bitmap
  bool motionDefinitionsExist = false;
  bool vantaAvailable = false;  // the sibling maker program exists
  bool morselReady = false;     // Morsel answered its readiness query with 1
  std::string commandLinePath{};  // the file the editor was started with ("" when none)
  bool pictureToolBarVisible = false;
  bool animationToolBarVisible = false;
  bool statusBarVisible = false;
  bool standardToolBarVisible = false;
  bool frameStripVisible = false;
};

// The terms the rules are written in, read once from the document.
struct CommandTerms {
  bool open = false;       // a picture or an animation is open
  bool animation = false;  // kind 'a' or 'f'
  bool single = false;     // an open picture that is not an animation
  bool stopped = false;    // playback stopped
  bool paletted = false;   // the frame set's palette count is 0 or more
  bool fromCommandLine = false;
  int32_t n = 0;    // frame count
  int32_t cur = 0;  // current frame
  int32_t bitCount = 0;
  int32_t frameMax = 0;
};
CommandTerms ReadTerms(const DocumentState* doc);

// The enabling rule of `id`; a command without a rule (and an unknown id) is enabled.
// While the document is busy (StateFlags 0x10: a long operation such as a save runs and
// its progress window lets events through) only IsAllowedWhileBusy commands are enabled.
bool IsCommandEnabled(int id, const CommandContext& ctx);

// The commands that neither read nor change the document, and so may run in the middle of
// a long operation: the bar toggles, options, the MIDI tempo tool, help and about.
bool IsAllowedWhileBusy(int id);

// The bar toggles (59392, 59393, 32799, 32788) show a check mark while their bar is visible.
bool IsCommandCheckable(int id);
bool IsCommandChecked(int id, const CommandContext& ctx);

}  // namespace zel
