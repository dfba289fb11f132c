#include "document/edit_transaction.h"

#include "document/playback.h"

namespace zel {

EditTransaction::EditTransaction(DocumentState& doc, UndoClass undoClass, PlaybackRule playback,
                                 uint32_t nowTick)
    : doc_(doc), busy_(doc), undoClass_(undoClass), playback_(playback), nowTick_(nowTick) {}

EditTransaction::EditTransaction(DocumentState& doc, LoadTag) : doc_(doc), busy_(doc), load_(true) {}

bool EditTransaction::Begin() {
  if (committed_) return false;
  committed_ = true;
  mark_ = doc_.undo.Mark();
  if (!load_) doc_.undo.TakeSnapshot(doc_, undoClass_);
  return true;
}

void EditTransaction::Abandon() {
  if (!load_) doc_.undo.ForgetSince(mark_);
}

void EditTransaction::Finish() {
  // The change is in: the document is free again before the observers look at it.
  busy_.Release();
  if (load_) {
    MarkDocumentLoaded(doc_);
    return;
  }
  if (playback_ == PlaybackRule::kRestart && IsAnimation(doc_.kind)) {
    RestartPlayback(doc_, nowTick_);
  }
  MarkDocumentChanged(doc_);
}

}  // namespace zel
