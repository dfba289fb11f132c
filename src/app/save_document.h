// Saving the open document: the work of the save commands once a file name is chosen.
// The editor's commands and zel-cli both call these.
#pragma once

#include <string>

#include "document/document_state.h"
#include "document/outcome.h"
#include "imagefiles/image_loader.h"
#include "imagefiles/webp_writer.h"
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

// What the save-as-JPEG command came to.
enum class JpegSaveStatus {
  kNotSaved,      // not a single 24-bit picture: nothing written, nothing changed
  kWriteFailed,   // the file could not be written (`outcome`); nothing changed
  kReloaded,      // written; the picture before compression is one undo away and the
                  // written file, read back, is the document (kind 'j')
  kReloadFailed,  // written, but the written file did not load (`outcome`): the picture
                  // before compression stays on show with no undo step, the written file is
                  // the document's file (kind 'b')
};
struct [[nodiscard]] JpegSaveResult {
  JpegSaveStatus status = JpegSaveStatus::kNotSaved;
  Outcome outcome = Outcome::NothingDone();
  // True when the file is on disk (it goes on the recent-file list).
  bool Written() const {
    return status == JpegSaveStatus::kReloaded || status == JpegSaveStatus::kReloadFailed;
  }
};
// The save-as-JPEG command once the name and quality are chosen: writes the current picture
// (SaveDocumentAsJpeg), records the undo step that brings the picture before compression
// back, and opens the written file again so that the compressed result is what the user
// sees.
JpegSaveResult SaveJpegAndReload(DocumentState& doc, const std::string& path, int quality,
                                 LoadContext& context);

// Writes the document as a WebP file: an animation as an animated WebP (every frame, its
// delay, the loop count, the transparent index clear), a single picture as a still one;
// lossless unless `options` asks for lossy. A lossless file shows exactly what the document
// holds: the file becomes the document's file and the present revision the saved one (the
// kind stays). A lossy file is an export: the document, its file and its saved state stay
// as they were. Failed with the writer's message (PictureWriteOutcome), cancelled when the
// progress sink cancelled the write.
Outcome SaveDocumentAsWebp(DocumentState& doc, const std::string& path,
                           const WebpOptions& options, ProgressSink* progress);

// Writes the document as a PNG file: an animation as an animated PNG, a single picture as a
// plain PNG, both exact. On success the file becomes the document's file and the present
// revision the saved one (the kind stays).
Outcome SaveDocumentAsPng(DocumentState& doc, const std::string& path, ProgressSink* progress);

// A WebP or PNG writer's result as the user hears it.
Outcome PictureWriteOutcome(PictureWriteResult result);

// The WebP quality the program uses: 0..100.
int ClampWebpQuality(int quality);

// Writes the current 32 x 32 picture as an icon file; the document does not change.
Outcome MakeIconFile(const DocumentState& doc, const std::string& path);

// The JPEG quality the program uses: raised to 30 or lowered to 100.
int ClampJpegQuality(int quality);
// The quality typed into the JPEG dialog's field, through the same rule: a whole number,
// optionally signed and surrounded by blanks, however far outside 30..100 it lies. Text
// that is not such a number keeps `current` (clamped as well).
int JpegQualityFromText(const std::string& text, int current);

}  // namespace zel
