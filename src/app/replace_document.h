// Replacing the open document by another one: a file (the open command, a recent file, a
// dropped file, the command line), the clipboard's picture or a picture handed over by
// another program. Every way in goes through here, so that each keeps the same promises: the
// undo history (and what could be redone) belongs to the document it was made on and goes
// only once the new document is in; a load that fails leaves document and history as they
// were; and a file opened with frames cut at the frame maximum is remembered, so that a save
// over it asks first.
#pragma once

#include <string>

#include "app/save_rules.h"
#include "document/document_state.h"
#include "imagefiles/image_loader.h"

namespace zel {

enum class ReplaceStatus {
  kReplaced,    // the new document is in; the history was started afresh
  kBusy,        // a long operation holds the document: nothing was tried
  kLoadFailed,  // the loader refused (`message`); document and history are as they were
};

struct [[nodiscard]] ReplaceResult {
  ReplaceStatus status = ReplaceStatus::kLoadFailed;
  // What the loader said: done, or failed with its message (kMsgBadFileName,
  // kMsgBadImageFile, kMsgNoMemory, kMsgNotFrameBitmap, kMsgNoPictureHandedOver,
  // kMsgPictureTooLarge); nothing done while busy.
  Outcome outcome = Outcome::NothingDone();
  // Replaced, keeping fewer frames than the file holds (the context has the counts).
  bool framesDropped = false;

  bool Replaced() const { return status == ReplaceStatus::kReplaced; }
};

// Opens the file at `path` as the new document. `cutFrameFiles`, when given, learns the file
// when its frames were cut.
ReplaceResult ReplaceDocumentFromFile(DocumentState& doc, const std::string& path,
                                      LoadContext& context, CutFrameFiles* cutFrameFiles);
// The clipboard's picture (the context's clipboard) as the new document.
ReplaceResult ReplaceDocumentFromClipboard(DocumentState& doc, LoadContext& context);
// A picture handed over by another program as the new document; the picture is the
// loader's whether it takes it or not.
ReplaceResult ReplaceDocumentWithPicture(DocumentState& doc, PackedDib picture,
                                         LoadContext& context);

}  // namespace zel
