// The one way a picture becomes the document: from a file, a reload after external
// editing, the clipboard or a picture handed over by another program.
#pragma once

#include <cstdint>
#include <string>

#include "document/document_state.h"
#include "document/outcome.h"
#include "imagefiles/picture_clipboard.h"

namespace zel {

enum class LoadMode : int {
  kOpen = 0,       // open the named file
  kReload = 1,     // the named file again, after it was edited elsewhere
  kClipboard = 2,  // the picture on the clipboard
  kHandOver = 3,   // a picture handed over by another program
};

struct LoadContext {
  // The settings' last picture path; opening a GIF, JPEG or PNG file sets it.
  std::string* lastImagePath = nullptr;
  PictureClipboard* clipboard = nullptr;  // for kClipboard
  uint32_t nowTick = 0;                   // when playback of a loaded animation starts
  // The load replaces the document: its undo history starts afresh, inside the load, so
  // that only a load that succeeded drops it and the observers see the new history.
  bool startHistory = false;

  // Filled by every load: the frames the file holds and those the document keeps. An
  // animation with more frames than the frame maximum keeps the first frameMax of them;
  // the caller tells the user (FramesWereDropped).
  int framesInFile = 0;
  int framesKept = 0;
};

// True when the last load through `context` kept fewer frames than the file holds.
inline bool FramesWereDropped(const LoadContext& context) {
  return context.framesKept < context.framesInFile;
}

// Loads a file (kOpen, kReload) or the clipboard's picture (kClipboard): done, or failed
// with the message to show (kMsgBadFileName, kMsgBadImageFile, kMsgNoMemory,
// kMsgNotFrameBitmap, kMsgNoPictureHandedOver, kMsgPictureTooLarge beyond the memory
// budget). On failure the document is as it was. Every mode but kReload is a load of its
// own (a new revision that is the saved one, the observers told); a reload is installed
// inside the caller's edit transaction, which commits it. The undo history is the
// caller's: it belongs to the document being replaced.
Outcome LoadImageFile(DocumentState& doc, const std::string& path, LoadMode mode,
                      LoadContext& context);

// Takes a handed-over picture (kHandOver); the picture's ownership passes to the loader.
Outcome LoadHandedOverPicture(DocumentState& doc, PackedDib picture, LoadContext& context);

// The message for a reader's failure code: kMsgNoMemory when the reader ran out of memory,
// kMsgPictureTooLarge when the picture would take more than the memory budget,
// kMsgBadImageFile for every other failure. `letter` names the reader ('b', 'g', 'j', 'p',
// 'w').
MessageId ReaderFailureMessage(char letter, int readerCode);

// The reader the loader picks for a file name: 'b', 'g', 'j', 'p' or 'w' (".webp" only),
// or 0 when the name has no extension the program reads. A WebP file comes in as a picture
// (kind 'b') or as an animation (kind 'f').
char ReaderLetter(const std::string& path);

}  // namespace zel
