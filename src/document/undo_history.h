// The undo history: snapshots pushed onto a stack of records in one temporary file.
// Memory holds only the file, its name and the logical end of the stack. Redo keeps a second
// stack of the same records in a file of its own: each undo first records there the state
// it is about to replace, and each redo records on the undo stack the state it replaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/packed_dib.h"
#include "platform/scratch_file.h"

namespace zel {

struct DocumentState;

// Command classes: which state a snapshot keeps. The number is what the undo file records.
enum class UndoClass : int32_t {
  kUndoEdit = 32771,       // frames (animations), state record with the current picture
  kUndoTransform = 32784,  // frames (animations), state record with the tool's source picture
  kUndoConvert = 32808,    // frames (animations), state record; undo restores the kind too
  kUndoColors = 32798,     // the current picture and the transparent index
  kUndoMakeAnime = 32800,  // state record with the current picture, no frames
  kUndoLoopCount = 32807,  // one record: the frame set's loop count
};
using enum UndoClass;

class UndoHistory {
 public:
  UndoHistory() = default;
  ~UndoHistory();
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;

  // Drops any history and opens a new empty temporary file ("ZEL" prefix in the temporary
  // folder). A failure leaves undo disabled.
  void Reset();
  // Closes and deletes the file; undo is disabled until the next Reset.
  void Drop();

  bool IsOpen() const { return undo_.file.IsOpen(); }
  // True when the undo command is enabled: the file is open and holds a snapshot.
  bool CanUndo() const { return undo_.file.IsOpen() && undo_.end > 0; }
  // True when the redo command is enabled: an undo was made and nothing changed since.
  bool CanRedo() const { return undo_.file.IsOpen() && redo_.file.IsOpen() && redo_.end > 0; }
  int64_t end() const { return undo_.end; }
  int64_t redoEnd() const { return redo_.end; }
  const std::string& path() const { return undo_.file.path(); }
  // The redo file's name; empty until the first undo makes it.
  const std::string& redoPath() const { return redo_.file.path(); }

  // Pushes the snapshot of `undoClass` for the document, which is about to change, with
  // the document's revision. Does nothing without a file; a failure drops the history.
  // EditTransaction::Commit takes it; nothing else should need to.
  void TakeSnapshot(const DocumentState& doc, UndoClass undoClass);
  // Where the undo stack ends now, and taking it back there: a commit whose change could
  // not be installed forgets the snapshot it took.
  int64_t Mark() const { return undo_.end; }
  void ForgetSince(int64_t mark);
  // Restores the most recent snapshot and removes it; an animation comes back showing the
  // frame that was current when the snapshot was taken, and the document gets back the
  // revision it had then. The state it replaces goes onto the
  // redo stack first (when that cannot be written, redo is forgotten and the undo goes on).
  // False (history dropped) on any failure or when there is none.
  bool Undo(DocumentState& doc);
  // Takes the most recent undo back: restores the state that undo replaced, after pushing
  // the present state onto the undo stack, so that undo works again. False when there is
  // nothing to redo; a damaged redo record forgets redo only, a failed write to the undo
  // file drops the whole history. The document is untouched on failure.
  bool Redo(DocumentState& doc);
  // Forgets what could be redone (any new change to the document does this).
  void ClearRedo() {
    redo_.end = 0;
    redo_.revisions.clear();
  }

 private:
  // One stack of records in its own file.
  struct Stack {
    ScratchFile file;
    int64_t end = 0;
    // The document revision each snapshot on the stack was taken of, with where the
    // snapshot ends, oldest first.
    struct Entry {
      int64_t end;
      uint64_t revision;
    };
    std::vector<Entry> revisions;
    // Records the revision of the snapshot that now ends the stack.
    void NoteRevision(uint64_t revision);
    // The revision of the snapshot that starts at `start` and ends the stack now (none when
    // unknown), forgetting it.
    std::optional<uint64_t> TakeRevision(int64_t start);
  };
  struct Pending;

  static bool Push(Stack& stack, const PackedDib* picture, const uint8_t* data, size_t dataLength,
                   int32_t value);
  static bool SaveFrames(Stack& stack, const DocumentState& doc);
  // Pushes the records of `undoClass` for the document; false when they cannot be written.
  static bool PushSnapshot(Stack& stack, const DocumentState& doc, UndoClass undoClass);
  // Reads the snapshot at the top of `stack` without changing anything.
  static bool ReadSnapshot(const Stack& stack, const DocumentState& doc, Pending& out);
  // Puts a snapshot read by ReadSnapshot into the document; false (document untouched) when
  // the picture is refused.
  static bool ApplySnapshot(DocumentState& doc, Pending& snapshot);

  Stack undo_;
  Stack redo_;
};

// The class of the record that lets an undo or a redo of a snapshot of `undoClass` be taken
// back: the picture, kind and frames as they are (the tool source of a transform is gone by
// then, and a picture made into an animation now has frames); the colours class saves the
// same as before; a class without saved state stays itself.
UndoClass CounterUndoClass(UndoClass undoClass);

// The record layout of the undo file. The file lives only as long as one run of the
// program, so the layout is the program's own. One record, at rising offsets, every
// integer little-endian:
//   [picture block][block size: int64]   when the mask has kUndoHasPicture
//   [data][data length: int64]           when the mask has kUndoHasData
//   [value: int32]                       when the mask has kUndoHasValue
//   [mask: int32][link: int64]
// `link` is the offset of the link field itself (the record's end minus 8), so a reader
// going backwards from the end of the stack can tell a record boundary from garbage.
enum UndoMask : uint32_t {
  kUndoHasValue = 1,
  kUndoHasData = 2,
  kUndoHasPicture = 4,
};

// A picture block is a whole picture (IsWholePicture) of at most 1 GiB; data is 1 to
// 65,536 bytes.
constexpr uint64_t kUndoMaxPictureBlock = uint64_t{1} << 30;
constexpr size_t kUndoMaxData = 65536;

struct UndoRecord {
  PackedDib picture;  // null when the record has none
  std::vector<uint8_t> data;
  std::optional<int32_t> value;
};

// What a reader expects of a record: always a value; a picture block that may be present
// when `picture` is set (and must be absent otherwise); exactly `dataLength` data bytes
// when that is above 0 (or `olderDataLength` bytes, the length an earlier layout of the
// same record had, when that is above 0), no data when it is 0.
struct UndoRecordShape {
  bool picture = false;
  size_t dataLength = 0;
  size_t olderDataLength = 0;
};

// The data of a state record: the kind byte, then the current frame as int32. Records of
// the earlier layout hold the kind byte only.
constexpr size_t kUndoStateDataLength = 5;
constexpr size_t kUndoOlderStateDataLength = 1;

// Reads exactly `n` bytes at file offset `offset`; false when it cannot.
using UndoReadAt = std::function<bool(int64_t offset, uint8_t* dest, size_t n)>;

// The bytes of a record that follow its picture block: the block size (when `blockSize`
// is above 0), the data, the value, the mask and the link. `tailOffset` is the file offset
// at which these bytes go (the record's start plus `blockSize`).
std::vector<uint8_t> EncodeUndoRecordTail(int64_t tailOffset, size_t blockSize, const uint8_t* data,
                                          size_t dataLength, std::optional<int32_t> value);

// Reads the record that ends at `end` into `out`. Returns the record's start, which is the
// new end of the stack, or -1 when the record is damaged, does not have `shape`, reaches
// below offset 0, or memory is short. Every size is checked before anything is allocated.
int64_t DecodeUndoRecord(const UndoReadAt& read, int64_t end, const UndoRecordShape& shape,
                         UndoRecord& out);

}  // namespace zel
