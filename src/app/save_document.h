// Saving the open document: the work of the save commands once a file name is chosen.
// The editor's commands and zel-cli both call these.
#pragma once

#include <string>

#include "document/document_state.h"
#include "document/outcome.h"
#include "platform/progress.h"

namespace zel {

// Writes the document as a GIF file: an animation as it is, a single 8-bit picture with the
// document's transparent index. On success the file becomes the document's file and the
// kind becomes 'a' or 'g'. With `optimize` an animation is written as the optimised file
// (same frames, smaller). The document is busy while the writer runs; on success its
// present revision is the saved one. Failed with kMsgCannotWriteImage (or kMsgNoMemory),
// cancelled when the progress sink cancelled the write.
Outcome SaveDocumentAsGif(DocumentState& doc, const std::string& path, ProgressSink* progress,
                          bool optimize = false);

// Writes a single picture as a BMP file (kind 'b' afterwards) or an animation as a frame
// bitmap (kind 'f'). Failed with kMsgOutOfRange, kMsgNoMemory or kMsgFileError from the
// frame bitmap writer, kMsgCannotWriteImage when the BMP file cannot be written.
Outcome SaveDocumentAsBitmap(DocumentState& doc, const std::string& path);

// Writes the current picture as a JPEG file of the given quality (30..100); kind 'b'
// afterwards. Failed with kMsgCannotWriteImage.
Outcome SaveDocumentAsJpeg(DocumentState& doc, const std::string& path, int quality);

// Writes the current 32 x 32 picture as an icon file; the document does not change.
Outcome MakeIconFile(const DocumentState& doc, const std::string& path);

// The JPEG quality the program uses: raised to 30 or lowered to 100.
int ClampJpegQuality(int quality);
// The quality typed into the JPEG dialog's field, through the same rule: a whole number,
// optionally signed and surrounded by blanks, however far outside 30..100 it lies. Text
// that is not such a number keeps `current` (clamped as well).
int JpegQualityFromText(const std::string& text, int current);

}  // namespace zel
