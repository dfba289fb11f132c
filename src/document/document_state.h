// The one open document: the current picture, the frames, the kind and the state flags.
// The application owns one DocumentState and passes it by reference.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "document/document_observers.h"
#include "document/frame_set.h"
#include "document/packed_dib.h"
#include "document/undo_history.h"

namespace zel {

// What kind of document is open. Only the two animation kinds play and have frame commands.
enum class ImageKind : char {
  kNone = 0,
  kGifAnimation = 'a',
  kFrameAnimation = 'f',
  kGifPicture = 'g',
  kBitmap = 'b',
  kJpeg = 'j',
  kPng = 'p',
};

bool IsAnimation(ImageKind kind);
// One of the six kinds a picture command may change (anything but no document).
bool IsEditableKind(ImageKind kind);
// The status-bar label of a kind in the current language: "ｱﾆﾒ" ("Anim"), "ﾌﾚｰﾑ"
// ("Frames"), "GIF", "BMP", "JPEG", "PNG" or " ".
const char* KindLabel(ImageKind kind);

// StateFlags bits.
enum StateFlag : uint32_t {
  kFlagFromCommandLine = 0x1,
  kFlagLoaded = 0x2,
  kFlagStopped = 0x4,
  kFlagStep = 0x8,
  kFlagBusy = 0x10,  // set only through DocumentBusyScope and EditTransaction
};

constexpr uint32_t kDefaultBackgroundColor = 0xC0C0C0;  // COLORREF 0x00BBGGRR

struct DocumentState {
  PackedDib currentPicture;
  PackedDib displayPalettePicture;  // palette displays only
  PackedDib toolSource;
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitCount = 0;
  ImageKind kind = ImageKind::kNone;
  int64_t fileTime = 0;
  std::unique_ptr<FrameSet> frameSet;
  uint32_t lastFrameTick = 0;
  int32_t currentFrame = 0;
  std::string filePath;
  // The document has no file of its own yet: filePath only says where its pictures came
  // from (an animation made from several files). A load or a save clears it.
  bool untitled = false;
  uint32_t backgroundColor = kDefaultBackgroundColor;
  int32_t trueColorDisplay = 1;
  uint32_t flags = 0;
  int32_t frameMax = kFrameMaxDefault;
  UndoHistory undo;
  // Which state of the document this is: every committed edit, load, undo and redo moves
  // it. An undo gives back the revision the state had, so comparing revisions tells
  // whether two states are the same.
  uint64_t revision = 0;
  // The revision last opened or saved; the document has unsaved changes while it differs
  // (HasUnsavedChanges).
  uint64_t savedRevision = 0;
  // Told of every change (DocumentEvent).
  DocumentObservers observers;
  // Called after the current picture changed, so that a view can repaint.
  std::function<void()> pictureChanged;
};

// A revision no state has had before (unique in the process).
uint64_t NewRevision();

// Records that the open document changed: a new revision, nothing left to redo, the
// observers told. EditTransaction::Commit calls it; nothing else should need to.
void MarkDocumentChanged(DocumentState& doc);
// A new document is in (or its file came back): a new revision, which is the saved one.
void MarkDocumentLoaded(DocumentState& doc);
// The document was written to its file: the present revision is the saved one.
void MarkDocumentSaved(DocumentState& doc);
// The document differs from what was last opened or saved.
inline bool HasUnsavedChanges(const DocumentState& doc) {
  return doc.revision != doc.savedRevision;
}
// A long operation (a save with its progress window, a tool, an edit being built) holds
// the document: nothing may replace or change it meanwhile, and playback waits.
inline bool IsDocumentBusy(const DocumentState& doc) {
  return (doc.flags & kFlagBusy) != 0;
}

// Holds the document busy for its lifetime and then gives the bit back as it found it.
class DocumentBusyScope {
 public:
  explicit DocumentBusyScope(DocumentState& doc);
  ~DocumentBusyScope() { Release(); }
  // Gives the bit back now (once).
  void Release();
  DocumentBusyScope(const DocumentBusyScope&) = delete;
  DocumentBusyScope& operator=(const DocumentBusyScope&) = delete;

 private:
  DocumentState& doc_;
  bool wasBusy_;
  bool released_ = false;
};

// Creates the document's frame set for the frame-maximum setting (clamped). False when
// memory is short: start-up cannot go on.
bool CreateDocumentContainer(DocumentState& doc, int frameMaxSetting);

// The colour reduction that gives a palette display its copy of a picture deeper than
// 8 bits (the colour code registers it at start-up); a null result means it failed.
using DisplayReduction = PackedDib (*)(const PackedDib&);
void SetDisplayReduction(DisplayReduction reduction);

// The copy a palette display shows of `picture`: a duplicate of an indexed picture whose
// table has 1..256 entries, the registered reduction of a deeper one. Null when there is
// no such copy (no reduction registered, the reduction failed, a bad table, memory short).
PackedDib MakePaletteDisplayCopy(const PackedDib& picture);

// Installs `picture` as the current picture (ownership passes; a null picture does nothing).
// On a palette display the picture's display copy is `display` when given, else made by
// MakePaletteDisplayCopy; a picture without one is refused and freed. The result says
// whether it was installed.
bool SetCurrentPicture(DocumentState& doc, PackedDib picture, PackedDib display = {});

// The transparent index of a single 8-bit picture when saved: the first table entry equal
// to the background colour, or -1 (and -1 for kinds other than 'b' and 'g').
int32_t CurrentTransparentIndex(const DocumentState& doc);

// Writes the background colour into the transparent entry of the current picture and,
// for animations, of every frame.
void ApplyBackgroundColor(DocumentState& doc);

// Replaces the document's frames by `source`'s and shows frame 0: kind becomes `kind`,
// the current frame 0, playback runs. False when frame 0 cannot be copied.
bool InstallAnimation(DocumentState& doc, FrameSet& source, ImageKind kind, uint32_t nowTick);

// Frees every frame and installs a single picture of the given kind.
bool InstallSinglePicture(DocumentState& doc, PackedDib picture, ImageKind kind);

}  // namespace zel
