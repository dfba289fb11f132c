// Playing an animation: the tick that moves to the next frame when the current frame's
// delay has passed, the start, stop and step commands, and the jump dialog's moves.
#pragma once

#include <cstdint>

namespace zel {

struct DocumentState;

// Timing of playback and of the jump dialog, in milliseconds.
constexpr int kPlaybackTickMs = 10;        // period of the playback tick
constexpr int kJumpRepeatDelayMs = 1000;   // "<" / ">" held down: first repeat
constexpr int kJumpRepeatIntervalMs = 40;  // then every
constexpr int kJumpCloseCheckMs = 500;     // the dialog closes once the cursor has left it

// Playback further behind its schedule than this starts the schedule again from the tick
// that shows the next frame, rather than racing through frames to catch up.
constexpr uint32_t kPlaybackMaxLagMs = 100;

// When the next frame starts, in milliseconds of the tick counter. The current frame started
// at `frameStartMs` and lasts `delay` hundredths of a second; the tick at `nowMs` found it
// due. The next frame starts where that delay ran out, so a tick that comes late does not
// push every later frame back. It starts at `nowMs` instead when playback has fallen far
// behind: by more than kPlaybackMaxLagMs, or so far that the next frame (`nextDelay`) would
// already be over. A delay of 0 (or a damaged negative one) lasts until the tick that ends
// it, so the next frame also starts at `nowMs`. Differences are taken modulo 2^32.
[[nodiscard]] uint32_t NextFrameStart(uint32_t frameStartMs, int32_t delay, int32_t nextDelay,
                                      uint32_t nowMs);

// One playback tick at `nowMs` (the program's millisecond tick). Returns true when the
// current frame changed (the current picture is then a copy of the new frame).
// doc.lastFrameTick holds when the current frame started by the schedule (NextFrameStart);
// a step (a jump, the frame keys) starts it at `nowMs`.
bool PlaybackTick(DocumentState& doc, uint32_t nowMs);

// Clears the stopped and step bits and starts playback again from the first frame.
void RestartPlayback(DocumentState& doc, uint32_t nowTick);

// Start (clears the stopped bit) and stop (sets it, or steps one frame when already stopped).
void StartPlayback(DocumentState& doc);
void StopPlayback(DocumentState& doc);

// Makes the next tick show frame `frame` (0-based): the current frame becomes the one
// before it and the step bit is set.
void JumpToFrame(DocumentState& doc, int32_t frame);

// The jump dialog's moves on its edit value v (1-based frame number, as typed). Each returns
// the value the edit box shows afterwards and, when the move shows a frame, sets it up with
// JumpToFrame; at the ends nothing happens.
struct JumpMoves {
  static int32_t First(DocumentState& doc, int32_t v);     // "|<"
  static int32_t Previous(DocumentState& doc, int32_t v);  // "<"
  static int32_t Next(DocumentState& doc, int32_t v);      // ">"
  static int32_t Last(DocumentState& doc, int32_t v);      // ">|"
  // OK: shows frame v, clamped to 1..count; the edit box keeps what was typed.
  static int32_t Ok(DocumentState& doc, int32_t v);
};

// The background colour XOR 0xFFFFFF, applied to the transparent entry.
void InvertBackgroundColor(DocumentState& doc);

}  // namespace zel
