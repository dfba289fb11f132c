// The palette operation: the entry table of an 8-bit picture or animation, edited in memory
// (merging, sorting, colours, the transparent entry) and applied at OK, which rebuilds every
// affected picture's colour table from the edited entries and renumbers its pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "document/outcome.h"
#include "document/packed_dib.h"
#include "resources/words.h"

namespace zel {

// Texts of the palette dialog's questions.
inline constexpr Words kPaletteMergeIntoTransparentQuestion{
    "透明色が存在するので、透明色のﾊﾟﾚｯﾄに合体します。\nよろしいですか?",
    "There is a transparent colour, so the entries are merged into its palette entry.\nIs that all "
    "right?"};
inline constexpr Words kPaletteClearTransparentQuestion{
    "透明色を削除します。\nよろしいですか?",
    "The transparent colour will be removed.\nIs that all right?"};
inline constexpr Words kPaletteDropCommonQuestion{
    "共通パレットを破棄します。\nよろしいですか？",
    "The common palette will be discarded.\nIs that all right?"};

// One colour-table entry of the picture as the dialog opened it.
struct PaletteRow {
  Rgbq color;
  int32_t dotCount = 0;
  int32_t index = 0;        // opening index; at OK, the new index
  int32_t mergedInto = -1;  // opening index of the row that absorbed this one
  int32_t mergeCount = 0;
  int32_t transparent = 0;
  int32_t listPosition = -1;  // -1 when not listed
};

enum class PaletteSort { kOriginal, kHue, kBrightness, kDotCount };

// What pressing the transparent check button asks for.
enum class TransparentChoice {
  kNothing,
  kSet,                // no question
  kMergeIntoExisting,  // after kPaletteMergeIntoTransparentQuestion
  kClear,              // after kPaletteClearTransparentQuestion
};

// A dot count with thousands separators: 1234567 reads "1,234,567", 999 reads "999".
std::string FormatDotCount(int32_t count);

// Hue (0..359), saturation (0..100) and value (0..255) of a colour.
struct Hsv {
  int h = 0;
  int s = 0;
  int v = 0;
};
Hsv ColorToHsv(const Rgbq& color);

class PaletteTable {
 public:
  // Builds the rows from the current picture and counts the dots (over every frame of an
  // animation, over the current picture otherwise), then fills the list. False when there
  // is no whole picture with a colour table to edit.
  bool Open(const DocumentState& doc);

  const std::vector<PaletteRow>& Rows() const { return rows_; }
  // The row of an opening index; null when there is none.
  const PaletteRow* Find(int32_t openingIndex) const;

  // Lists every row not merged into another in table order; merged rows get position -1.
  void FillList();
  // Opening indexes of the listed rows, in list order.
  std::vector<int32_t> Listed() const;
  // The listed row's text: its dot count, plus "*" when it is the transparent entry.
  std::string RowText(int32_t openingIndex) const;
  // "あり" when a listed row is transparent, else "なし".
  std::string TransparentText() const;
  // The number of listed rows, "%d".
  std::string ListedCountText() const;

  // Sorts the whole table and refills the list.
  void Sort(PaletteSort order);

  // Merges the selected rows (opening indexes, in list order) into one: the first, or the
  // last selected transparent row. Returns the kept row's opening index, -1 (nothing done)
  // for fewer than two known rows. The list is refilled.
  int32_t Merge(const std::vector<int32_t>& selected);

  void SetColor(int32_t openingIndex, Rgbq color);

  // What checking (`checked` true) or unchecking the transparent button on a row means.
  TransparentChoice ChooseTransparent(int32_t openingIndex, bool checked) const;
  // Carries out a choice (after a Yes for the two that ask). Returns the opening index of
  // the row to bring into view.
  int32_t ApplyTransparent(int32_t openingIndex, TransparentChoice choice);

  // OK: sorts the table back into opening order and, as one edit (the colours class for a
  // picture, the edit class for an animation), rebuilds the current picture (or every
  // frame of an animation). Done when any picture was replaced, else nothing done (the
  // document and its undo history as they were).
  Outcome Apply(DocumentState& doc);

 private:
  PaletteRow* FindRow(int32_t openingIndex);
  void MergeInto(PaletteRow& keeper, PaletteRow& row);

  std::vector<PaletteRow> rows_;
  bool animation_ = false;
};

// The frame set drops its common palette: no global colour table when saved.
void DropCommonPalette(DocumentState& doc);

// A new 8-bit picture with the colour table `table` whose pixels are `source`'s mapped
// through `map`. Null for a source that is not a whole 8-bit picture or an empty table.
PackedDib RemapPicture(const PackedDib& source, const std::vector<Rgbq>& table,
                       const uint8_t (&map)[256]);

}  // namespace zel
