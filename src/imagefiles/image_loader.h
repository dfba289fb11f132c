// The one way a picture becomes the document: from a file, a reload after external
// editing, the clipboard or a picture handed over by another program.
#pragma once

#include <cstdint>
#include <string>

#include "document/document_state.h"
#include "imagefiles/picture_clipboard.h"

namespace zel {

enum class LoadMode : int {
  kOpen = 0,       // open the named file
  kReload = 1,     // the named file again, after it was edited elsewhere
  kClipboard = 2,  // the picture on the clipboard
  kHandOver = 3,   // a picture handed over by another program
};

// Message number when no picture was handed over or found on the clipboard.
constexpr int kMsgNoPictureHandedOver = 517;

struct LoadContext {
  // The settings' last picture path; opening a GIF, JPEG or PNG file sets it.
  std::string* lastImagePath = nullptr;
  PictureClipboard* clipboard = nullptr;  // for kClipboard
  uint32_t nowTick = 0;                   // when playback of a loaded animation starts

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

// Loads a file (kOpen, kReload) or the clipboard's picture (kClipboard). Returns 0 or the
// number of the message to show (500 bad name, 501 unreadable, 502 memory, 503 not a frame
// bitmap, 517 no picture, 518 beyond the memory budget). On failure the document is as it
// was.
int LoadImageFile(DocumentState& doc, const std::string& path, LoadMode mode, LoadContext& context);

// Takes a handed-over picture (kHandOver); the picture's ownership passes to the loader.
int LoadHandedOverPicture(DocumentState& doc, PackedDib picture, LoadContext& context);

// The message for a reader's failure code: 502 when the reader ran out of memory, 518 when
// the picture would take more than the memory budget, 501 for every other failure.
// `letter` names the reader ('b', 'g', 'j' or 'p').
int ReaderFailureMessage(char letter, int readerCode);

// The reader the loader picks for a file name: 'b', 'g', 'j' or 'p', or 0 when the name
// has no extension the program reads.
char ReaderLetter(const std::string& path);

}  // namespace zel
