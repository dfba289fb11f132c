// What became of a command, a tool, a generator, a load or a save: done, nothing done
// (nothing changed and nothing to say), cancelled by the user, or failed with the message
// the user is shown. The editor shows every outcome through one function; zel-cli prints
// the message of a failure.
#pragma once

#include <cstdint>

#include "resources/string_table.h"

namespace zel {

enum class OutcomeKind : uint8_t {
  kDone,
  kNothingDone,
  kCancelled,
  kFailed,
};

class [[nodiscard]] Outcome {
 public:
  static constexpr Outcome Done() { return Outcome(OutcomeKind::kDone, MessageId{}); }
  static constexpr Outcome NothingDone() { return Outcome(OutcomeKind::kNothingDone, MessageId{}); }
  static constexpr Outcome Cancelled() { return Outcome(OutcomeKind::kCancelled, MessageId{}); }
  static constexpr Outcome Failed(MessageId message) {
    return Outcome(OutcomeKind::kFailed, message);
  }
  // Done when `ok`, else nothing done: for operations whose only failure is "not possible
  // now", which says nothing.
  static constexpr Outcome DoneIf(bool ok) { return ok ? Done() : NothingDone(); }

  constexpr OutcomeKind kind() const { return kind_; }
  constexpr bool done() const { return kind_ == OutcomeKind::kDone; }
  constexpr bool failed() const { return kind_ == OutcomeKind::kFailed; }
  // The message of a failure (meaningless for the other kinds).
  constexpr MessageId message() const { return message_; }

  friend constexpr bool operator==(const Outcome&, const Outcome&) = default;

 private:
  constexpr Outcome(OutcomeKind kind, MessageId message) : kind_(kind), message_(message) {}

  OutcomeKind kind_;
  MessageId message_;
};

// The message to show for an outcome: its text for a failure whose message has one, else
// nullptr (nothing to show).
inline const char* OutcomeText(const Outcome& outcome) {
  return outcome.failed() ? MessageText(outcome.message()) : nullptr;
}

}  // namespace zel
