#include "color/palette_operation.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <tuple>
#include <utility>

#include "document/edit_transaction.h"
#include "document/undo_history.h"
#include "resources/words.h"

namespace zel {
namespace {

constexpr int64_t kMaxDotCount = std::numeric_limits<int32_t>::max();

int32_t AddCounts(int32_t a, int32_t b) {
  return static_cast<int32_t>(std::min<int64_t>(int64_t{a} + b, kMaxDotCount));
}

// Adds the pixels of one 8-bit picture whose table has exactly `entries` entries.
void CountDots(const PackedDib& picture, uint32_t entries, std::vector<int64_t>& counts) {
  if (!IsWholePicture(picture) || picture.Header().bitCount != 8) return;
  if (picture.ColorCount() != entries) return;
  const DibHeader h = picture.Header();
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int x = 0; x < h.width; ++x) {
      if (row[x] < entries) ++counts[row[x]];
    }
  }
}

}  // namespace

std::string FormatDotCount(int32_t count) {
  char text[32];
  if (count >= 1000000) {
    std::snprintf(text, sizeof text, "%d,%03d,%03d", count / 1000000, count / 1000 % 1000,
                  count % 1000);
  } else if (count >= 1000) {
    std::snprintf(text, sizeof text, "%d,%03d", count / 1000, count % 1000);
  } else {
    std::snprintf(text, sizeof text, "%d", count);
  }
  return text;
}

Hsv ColorToHsv(const Rgbq& color) {
  const int r = color.red;
  const int g = color.green;
  const int b = color.blue;
  const int max = std::max({r, g, b});
  const int min = std::min({r, g, b});
  Hsv hsv;
  hsv.v = max;
  hsv.s = max == 0 ? 0 : (max - min) * 100 / max;
  if (hsv.s == 0) return hsv;
  const int d = max - min;
  const int hr = 60 * (max - r) / d;
  const int hg = 60 * (max - g) / d;
  const int hb = 60 * (max - b) / d;
  if (r == max) {
    hsv.h = hb - hg;
  } else if (g == max) {
    hsv.h = 120 + hr - hb;
  } else {
    hsv.h = 240 + hg - hr;
  }
  if (hsv.h < 0) hsv.h += 360;
  return hsv;
}

bool PaletteTable::Open(const DocumentState& doc) {
  rows_.clear();
  const PackedDib& picture = doc.currentPicture;
  if (!IsWholePicture(picture)) return false;
  const uint32_t entries = picture.ColorCount();
  if (entries == 0 || entries > 256) return false;
  animation_ = IsAnimation(doc.kind);
  const int32_t transparentIndex = doc.frameSet ? doc.frameSet->transparentIndex : -1;
  rows_.resize(entries);
  for (uint32_t k = 0; k < entries; ++k) {
    PaletteRow& row = rows_[k];
    row.color = picture.ColorTable()[k];
    row.index = static_cast<int32_t>(k);
    row.transparent = static_cast<int32_t>(k) == transparentIndex ? 1 : 0;
  }

  std::vector<int64_t> counts(entries, 0);
  if (animation_ && doc.frameSet) {
    for (int i = 0; i < doc.frameSet->count; ++i) {
      CountDots(doc.frameSet->frame(i).image, entries, counts);
    }
  } else {
    CountDots(picture, entries, counts);
  }
  for (uint32_t k = 0; k < entries; ++k) {
    rows_[k].dotCount = static_cast<int32_t>(std::min(counts[k], kMaxDotCount));
  }
  FillList();
  return true;
}

const PaletteRow* PaletteTable::Find(int32_t openingIndex) const {
  for (const PaletteRow& row : rows_) {
    if (row.index == openingIndex) return &row;
  }
  return nullptr;
}

PaletteRow* PaletteTable::FindRow(int32_t openingIndex) {
  return const_cast<PaletteRow*>(std::as_const(*this).Find(openingIndex));
}

void PaletteTable::FillList() {
  int32_t position = 0;
  for (PaletteRow& row : rows_) row.listPosition = row.mergedInto < 0 ? position++ : -1;
}

std::vector<int32_t> PaletteTable::Listed() const {
  std::vector<int32_t> listed;
  for (const PaletteRow& row : rows_) {
    if (row.listPosition >= 0) listed.push_back(row.index);
  }
  return listed;
}

std::string PaletteTable::RowText(int32_t openingIndex) const {
  const PaletteRow* row = Find(openingIndex);
  if (!row) return {};
  return FormatDotCount(row->dotCount) + (row->transparent ? "*" : "");
}

std::string PaletteTable::TransparentText() const {
  for (const PaletteRow& row : rows_) {
    if (row.listPosition >= 0 && row.transparent) return Say({"あり", "yes"});
  }
  return Say({"なし", "no"});
}

std::string PaletteTable::ListedCountText() const {
  return std::to_string(Listed().size());
}

void PaletteTable::Sort(PaletteSort order) {
  // Rows of equal keys keep their opening order, so that a sort shows the same list twice.
  auto key = [order](const PaletteRow& row) {
    const Hsv hsv = ColorToHsv(row.color);
    switch (order) {
      case PaletteSort::kHue:
        return std::make_tuple(hsv.h, hsv.v, hsv.s, 0);
      case PaletteSort::kBrightness:
        return std::make_tuple(row.color.red + row.color.green + row.color.blue, hsv.v, hsv.h,
                               hsv.s);
      case PaletteSort::kDotCount:
        return std::make_tuple(row.dotCount, 0, 0, 0);
      case PaletteSort::kOriginal:
        break;
    }
    return std::make_tuple(-row.index, 0, 0, 0);
  };
  std::sort(rows_.begin(), rows_.end(), [&key](const PaletteRow& a, const PaletteRow& b) {
    const auto ka = key(a);
    const auto kb = key(b);
    if (ka != kb) return ka > kb;
    return a.index < b.index;
  });
  FillList();
}

void PaletteTable::MergeInto(PaletteRow& keeper, PaletteRow& row) {
  for (PaletteRow& other : rows_) {
    if (other.mergedInto == row.index) {
      other.mergedInto = keeper.index;
      ++keeper.mergeCount;
    }
  }
  row.mergedInto = keeper.index;
  keeper.dotCount = AddCounts(keeper.dotCount, row.dotCount);
  ++keeper.mergeCount;
}

int32_t PaletteTable::Merge(const std::vector<int32_t>& selected) {
  std::vector<PaletteRow*> rows;
  PaletteRow* keeper = nullptr;
  for (int32_t index : selected) {
    PaletteRow* row = FindRow(index);
    if (!row || row->mergedInto >= 0 || std::find(rows.begin(), rows.end(), row) != rows.end())
      continue;
    rows.push_back(row);
    if (!keeper || row->transparent) keeper = row;
  }
  if (rows.size() < 2) return -1;
  for (PaletteRow* row : rows) {
    if (row != keeper) MergeInto(*keeper, *row);
  }
  FillList();
  return keeper->index;
}

void PaletteTable::SetColor(int32_t openingIndex, Rgbq color) {
  if (PaletteRow* row = FindRow(openingIndex)) row->color = {color.blue, color.green, color.red, 0};
}

TransparentChoice PaletteTable::ChooseTransparent(int32_t openingIndex, bool checked) const {
  const PaletteRow* row = Find(openingIndex);
  if (!row || row->mergedInto >= 0) return TransparentChoice::kNothing;
  if (!checked) return row->transparent ? TransparentChoice::kClear : TransparentChoice::kNothing;
  if (row->transparent) return TransparentChoice::kNothing;
  for (const PaletteRow& other : rows_) {
    if (other.listPosition >= 0 && other.transparent) return TransparentChoice::kMergeIntoExisting;
  }
  return TransparentChoice::kSet;
}

int32_t PaletteTable::ApplyTransparent(int32_t openingIndex, TransparentChoice choice) {
  PaletteRow* row = FindRow(openingIndex);
  if (!row) return -1;
  int32_t shown = openingIndex;
  switch (choice) {
    case TransparentChoice::kSet:
      row->transparent = 1;
      break;
    case TransparentChoice::kClear:
      row->transparent = 0;
      break;
    case TransparentChoice::kMergeIntoExisting:
      for (PaletteRow& other : rows_) {
        if (&other != row && other.listPosition >= 0 && other.transparent) {
          MergeInto(other, *row);
          shown = other.index;
          break;
        }
      }
      break;
    case TransparentChoice::kNothing:
      break;
  }
  FillList();
  return shown;
}

PackedDib RemapPicture(const PackedDib& source, const std::vector<Rgbq>& table,
                       const uint8_t (&map)[256]) {
  if (table.empty() || table.size() > 256) return {};
  if (!IsWholePicture(source) || source.Header().bitCount != 8) return {};
  const DibHeader h = source.Header();
  PackedDib result =
      NewPicture(h.width, h.height, 8, static_cast<uint32_t>(table.size()), table.data());
  if (!result) return result;
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* from = source.Row(y);
    uint8_t* to = result.Row(y);
    for (int x = 0; x < h.width; ++x) to[x] = map[from[x]];
  }
  return result;
}

Outcome PaletteTable::Apply(DocumentState& doc) {
  if (rows_.empty() || !doc.frameSet) return Outcome::NothingDone();
  Sort(PaletteSort::kOriginal);
  // An animation's frames all change, so its snapshot keeps them (the picture-only class
  // would let an undo bring back the picture on screen over frames that stay changed).
  EditTransaction edit(doc, animation_ ? kUndoEdit : kUndoColors);

  // New indexes in opening order; a dropped entry, and any pixel value beyond the table,
  // becomes entry 0.
  const Rgbq background{static_cast<uint8_t>(doc.backgroundColor >> 16),
                        static_cast<uint8_t>(doc.backgroundColor >> 8),
                        static_cast<uint8_t>(doc.backgroundColor), 0};
  std::vector<Rgbq> table;
  int32_t transparent = -1;
  std::vector<int32_t> newIndex(rows_.size(), -1);
  for (size_t k = 0; k < rows_.size(); ++k) {
    const PaletteRow& row = rows_[k];
    if (row.mergedInto >= 0 || row.dotCount < 1) continue;
    newIndex[k] = static_cast<int32_t>(table.size());
    if (row.transparent) transparent = newIndex[k];
    table.push_back(row.transparent ? background
                                    : Rgbq{row.color.blue, row.color.green, row.color.red, 0});
  }
  uint8_t map[256] = {};
  for (size_t k = 0; k < rows_.size(); ++k) {
    PaletteRow& row = rows_[k];
    const int32_t owner = row.mergedInto >= 0 ? row.mergedInto : static_cast<int32_t>(k);
    const int32_t target =
        owner >= 0 && static_cast<size_t>(owner) < rows_.size() ? newIndex[owner] : -1;
    map[k] = static_cast<uint8_t>(std::max(target, 0));
    row.index = target;
  }
  if (table.empty()) return Outcome::NothingDone();

  if (!animation_) {
    PackedDib result = RemapPicture(doc.currentPicture, table, map);
    if (!result) return Outcome::NothingDone();
    const Outcome installed = edit.Commit([&] {
      if (!SetCurrentPicture(doc, std::move(result))) return false;
      doc.frameSet->transparentIndex = transparent;
      return true;
    });
    return installed.done() ? installed : Outcome::NothingDone();
  }

  // Every frame is remapped apart; a frame that cannot be keeps its picture.
  FrameSet& frames = *doc.frameSet;
  std::vector<PackedDib> results(static_cast<size_t>(std::max(frames.count, 0)));
  bool replaced = false;
  for (int i = 0; i < frames.count; ++i) {
    results[static_cast<size_t>(i)] = RemapPicture(frames.frame(i).image, table, map);
    replaced = replaced || results[static_cast<size_t>(i)];
  }
  if (!replaced) return Outcome::NothingDone();
  return edit.Commit([&] {
    for (int i = 0; i < frames.count; ++i) {
      PackedDib& result = results[static_cast<size_t>(i)];
      if (!result) continue;
      frames.frame(i).image = std::move(result);
      if (i == 0) frames.transparentIndex = transparent;
    }
    // The view stays on the frame the user was on, now in its new colours.
    if (doc.currentFrame < 0 || doc.currentFrame >= frames.count) doc.currentFrame = 0;
    if (frames.count > 0 && frames.frame(doc.currentFrame).image) {
      SetCurrentPicture(doc, DuplicateBlock(frames.frame(doc.currentFrame).image));
    }
    return true;
  });
}

void DropCommonPalette(DocumentState& doc) {
  if (doc.frameSet) doc.frameSet->paletteCount = -1;
}

}  // namespace zel
