// One edit of the document, from the first look at it to the installed result. Every
// command that changes the document goes through one:
//
//   EditTransaction edit(doc, kUndoEdit, PlaybackRule::kRestart, nowTick);
//   ... build the result apart from the document (playback waits meanwhile) ...
//   return edit.Commit([&] { install the result; return true; });
//
// While it lives the document is busy. Commit takes the undo snapshot of the class the
// command names, runs the installer, applies the playback rule, gives the busy bit back and
// marks the document changed (a new revision, the observers told). Without a commit nothing
// changes; the busy bit goes back as it was whatever happens.
#pragma once

#include <cstdint>
#include <type_traits>

#include "document/document_state.h"
#include "document/outcome.h"
#include "document/undo_history.h"

namespace zel {

// What playback does once the change is in.
enum class PlaybackRule : uint8_t {
  kKeep,     // goes on from where it is (the installer may have chosen the frame)
  kRestart,  // starts again from the first frame, running (an animation only)
};

class [[nodiscard]] EditTransaction {
 public:
  // An edit whose commit takes a snapshot of `undoClass`.
  EditTransaction(DocumentState& doc, UndoClass undoClass, PlaybackRule playback = PlaybackRule::kKeep,
                  uint32_t nowTick = 0);
  // A load: no snapshot (the history belongs to the document being replaced), and the
  // commit makes the new state the saved one.
  struct LoadTag {};
  static constexpr LoadTag kLoad{};
  EditTransaction(DocumentState& doc, LoadTag);
  ~EditTransaction() = default;
  EditTransaction(const EditTransaction&) = delete;
  EditTransaction& operator=(const EditTransaction&) = delete;

  DocumentState& doc() { return doc_; }

  // Takes the snapshot and runs `install`, which puts the result into the document. The
  // installer returns true (or a done Outcome) when the result is in; otherwise it must
  // have changed nothing, the snapshot is forgotten, and the outcome is its own (or a
  // failure with `failure` for false). Runs once: a second commit does nothing.
  template <typename Install>
  Outcome Commit(Install&& install, MessageId failure = kMsgNoMemory) {
    if (!Begin()) return Outcome::NothingDone();
    if constexpr (std::is_same_v<std::invoke_result_t<Install&>, Outcome>) {
      const Outcome outcome = install();
      if (!outcome.done()) {
        Abandon();
        return outcome;
      }
    } else if (!install()) {
      Abandon();
      return Outcome::Failed(failure);
    }
    Finish();
    return Outcome::Done();
  }

 private:
  bool Begin();
  void Abandon();
  void Finish();

  DocumentState& doc_;
  DocumentBusyScope busy_;
  UndoClass undoClass_{};
  bool load_ = false;
  PlaybackRule playback_ = PlaybackRule::kKeep;
  uint32_t nowTick_ = 0;
  int64_t mark_ = 0;
  bool committed_ = false;
};

}  // namespace zel
