// Composing a GIF animation onto its logical screen with a colour table per frame, for
// animations whose colours do not fit one shared palette of 256 entries.
//
// Two passes over the frames, both in bands of screen rows on all cores (a row's history
// depends on no other row). The canvas holds colours (0x00RRGGBB, or kEmptyCanvas where no
// frame has drawn). The first pass finds, for every composed frame, which of the frame's
// own indices it draws and which colours show through from the canvas; from those each
// frame gets its table: its own table with its indices as they are, the colours that show
// through in its unused entries, and, when the animation shows canvas, one transparent
// entry at the same index in every frame. The second pass composes again and writes each
// pixel's index in its frame's table. Nothing depends on the number of threads: a frame's
// table follows from the sets the bands found, not from their order.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_frame_area.h"
#include "imagefiles/memory_budget.h"
#include "platform/parallel.h"

namespace zel {
namespace {

constexpr uint32_t kEmptyCanvas = 0xFF000000u;
constexpr uint32_t kNoColour = 0xFFFFFFFFu;  // never a canvas value
// A composed frame may show at most this many colours (the transparent entry included).
constexpr size_t kMaxEntries = 256;

uint32_t PackColour(const Rgbq& c) {
  return (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue;
}

Rgbq UnpackColour(uint32_t v) {
  return Rgbq{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
              0};
}

// Before a frame with disposal 3 is drawn: keeps the n × (y1 − y0) cells at x0 it covers.
template <typename RowOf>
void KeepCovered(std::vector<uint32_t>& saved, RowOf row, int32_t x0, int32_t n, int32_t y0,
                 int32_t y1) {
  saved.resize(static_cast<size_t>(n) * static_cast<size_t>(y1 - y0));
  for (int32_t y = y0; y < y1; ++y) {
    std::memcpy(saved.data() + static_cast<size_t>(y - y0) * n, row(y) + x0,
                static_cast<size_t>(n) * 4);
  }
}

// After a frame is drawn: disposal 2 empties the cells it covered, 3 puts back what
// KeepCovered kept.
template <typename RowOf>
void DisposeCovered(int method, const std::vector<uint32_t>& saved, RowOf row, int32_t x0,
                    int32_t n, int32_t y0, int32_t y1) {
  if (method == 2) {
    for (int32_t y = y0; y < y1; ++y) std::fill_n(row(y) + x0, n, kEmptyCanvas);
  } else if (method == 3) {
    for (int32_t y = y0; y < y1; ++y) {
      std::memcpy(row(y) + x0, saved.data() + static_cast<size_t>(y - y0) * n,
                  static_cast<size_t>(n) * 4);
    }
  }
}

// The colours of a frame's own table by index; indices beyond the table are black, as the
// composed picture's zeroed entries show them.
void OwnColours(const Frame& frame, uint32_t* out) {
  std::fill(out, out + 256, 0u);
  if (!frame.image) return;
  const Rgbq* table = frame.image.ColorTable();
  const uint32_t n = std::min<uint32_t>(frame.image.ColorCount(), 256);
  for (uint32_t i = 0; i < n; ++i) out[i] = PackColour(table[i]);
}

using IndexBits = std::array<uint64_t, 4>;

bool HasBit(const IndexBits& bits, int i) {
  return (bits[static_cast<size_t>(i) >> 6] >> (i & 63)) & 1u;
}
void SetBit(IndexBits& bits, int i) {
  bits[static_cast<size_t>(i) >> 6] |= uint64_t{1} << (i & 63);
}

// The distinct canvas values one band shows through a frame: a small open-addressed set,
// emptied frame by frame. It holds one more value than a frame can show, so that a
// larger count is noticed.
class ThroughSet {
 public:
  ThroughSet() : slots_(kSlots, kNoColour) { used_.reserve(kMaxEntries + 1); }

  // False once the set holds more values than a frame can show.
  bool Insert(uint32_t v) {
    uint32_t at = (v * 2654435761u) >> (32 - kSlotBits);
    while (slots_[at] != kNoColour) {
      if (slots_[at] == v) return true;
      at = (at + 1) & (kSlots - 1);
    }
    if (used_.size() > kMaxEntries) return false;
    slots_[at] = v;
    used_.push_back(at);
    return true;
  }

  void TakeInto(std::vector<uint32_t>& out) {
    out.clear();
    out.reserve(used_.size());
    for (uint32_t at : used_) {
      out.push_back(slots_[at]);
      slots_[at] = kNoColour;
    }
    used_.clear();
  }

 private:
  static constexpr uint32_t kSlotBits = 10;
  static constexpr uint32_t kSlots = 1u << kSlotBits;
  std::vector<uint32_t> slots_;
  std::vector<uint32_t> used_;
};

// What the first pass found for one frame in one band, and then for the whole frame.
struct Shown {
  IndexBits drawn{};              // the frame's own indices it draws on the screen
  std::vector<uint32_t> through;  // canvas values showing around and through it
};

// One frame's table and the way its pixels reach it.
struct FramePlan {
  std::array<uint8_t, 256> drawMap{};  // own index -> index in the composed picture
  std::vector<uint32_t> through;       // sorted canvas values showing through
  std::vector<uint8_t> throughIndex;   // their indices
  std::array<Rgbq, 256> table{};
  uint32_t tableSize = 1;
};

// Builds the plan of a frame from what it shows. False when the frame needs more entries
// than a table has.
bool PlanFrame(const Frame& frame, const Shown& shown, int32_t transparent, FramePlan& plan) {
  uint32_t own[256];
  OwnColours(frame, own);
  const uint32_t ownCount = frame.image ? std::min<uint32_t>(frame.image.ColorCount(), 256) : 0;
  for (int i = 0; i < 256; ++i) {
    plan.drawMap[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    plan.table[static_cast<size_t>(i)] = UnpackColour(own[i]);
  }
  IndexBits taken = shown.drawn;
  if (transparent >= 0) {
    // The transparent entry is the same in every frame; an own colour drawn there moves
    // to a free entry.
    if (HasBit(taken, transparent)) {
      int to = 0;
      while (to < 256 && (HasBit(taken, to) || to == transparent)) ++to;
      if (to == 256) return false;
      plan.table[static_cast<size_t>(to)] = plan.table[static_cast<size_t>(transparent)];
      plan.drawMap[static_cast<size_t>(transparent)] = static_cast<uint8_t>(to);
      SetBit(taken, to);
    }
    SetBit(taken, transparent);
  }

  // The drawn colours, to find a shown colour among them.
  std::vector<std::pair<uint32_t, uint8_t>> drawnColours;
  drawnColours.reserve(256);
  for (int i = 0; i < 256; ++i) {
    if (HasBit(shown.drawn, i))
      drawnColours.emplace_back(own[i], plan.drawMap[static_cast<size_t>(i)]);
  }
  std::sort(drawnColours.begin(), drawnColours.end());  // the lowest entry of a colour first
  // The entries of the frame's own table that no pixel uses: one may already hold a colour
  // that shows through.
  std::vector<std::pair<uint32_t, uint8_t>> spareColours;
  spareColours.reserve(256);
  for (uint32_t i = 0; i < ownCount; ++i) {
    if (!HasBit(taken, static_cast<int>(i))) spareColours.emplace_back(own[i], i);
  }
  std::sort(spareColours.begin(), spareColours.end());

  plan.through = shown.through;
  plan.throughIndex.assign(plan.through.size(), 0);
  std::vector<size_t> unplaced;
  for (size_t k = 0; k < plan.through.size(); ++k) {
    const uint32_t v = plan.through[k];
    if (v == kEmptyCanvas) {
      if (transparent < 0) return false;
      plan.throughIndex[k] = static_cast<uint8_t>(transparent);
      continue;
    }
    auto it = std::lower_bound(drawnColours.begin(), drawnColours.end(),
                               std::pair<uint32_t, uint8_t>{v, 0});
    if (it != drawnColours.end() && it->first == v) {
      plan.throughIndex[k] = it->second;
      continue;
    }
    // Shown colours are distinct, so a spare entry found here is not taken yet.
    auto spare = std::lower_bound(spareColours.begin(), spareColours.end(),
                                  std::pair<uint32_t, uint8_t>{v, 0});
    if (spare != spareColours.end() && spare->first == v) {
      SetBit(taken, spare->second);
      plan.throughIndex[k] = spare->second;
    } else {
      unplaced.push_back(k);
    }
  }
  // The rest, in colour order, take the lowest free entries.
  int next = 0;
  for (size_t k : unplaced) {
    while (next < 256 && HasBit(taken, next)) ++next;
    if (next == 256) return false;
    SetBit(taken, next);
    plan.table[static_cast<size_t>(next)] = UnpackColour(plan.through[k]);
    plan.throughIndex[k] = static_cast<uint8_t>(next);
  }

  uint32_t size = std::max<uint32_t>(ownCount, 1);
  for (int i = 255; i >= 0; --i) {
    if (HasBit(taken, i)) {
      size = std::max<uint32_t>(size, static_cast<uint32_t>(i) + 1);
      break;
    }
  }
  plan.tableSize = size;
  for (uint32_t i = size; i < 256; ++i) plan.table[i] = Rgbq{};
  return true;
}

// Looks canvas values up in a frame's plan, remembering the last one (runs of one colour
// are the rule).
class ThroughLookup {
 public:
  explicit ThroughLookup(const FramePlan& plan) : plan_(plan) {}
  // False when the value is not in the plan (the passes disagree: never expected).
  bool Find(uint32_t v, uint8_t& index) {
    if (v != last_) {
      auto it = std::lower_bound(plan_.through.begin(), plan_.through.end(), v);
      if (it == plan_.through.end() || *it != v) return false;
      last_ = v;
      lastIndex_ = plan_.throughIndex[static_cast<size_t>(it - plan_.through.begin())];
    }
    index = lastIndex_;
    return true;
  }

 private:
  const FramePlan& plan_;
  uint32_t last_ = kNoColour;
  uint8_t lastIndex_ = 0;
};

// Frames whose first-pass results are kept at a time: bounds the per-band lists.
constexpr size_t kChunkFrames = 64;
// The first pass keeps at most this many bands of rows (each band keeps a list per frame).
constexpr int32_t kMostFirstPassBands = 64;
constexpr int32_t kBandRows = 16;

}  // namespace

LocalPaletteCompose ComposeFramesLocalPalettes(FrameSet& frames) {
  const int32_t sw = frames.screenWidth;
  const int32_t sh = frames.screenHeight;
  if (sw <= 0 || sh <= 0 || frames.count < 1) return LocalPaletteCompose::kNoMemory;
  const size_t count = static_cast<size_t>(frames.count);
  const size_t screen = static_cast<size_t>(sw) * static_cast<size_t>(sh);
  // The composed pictures, the first pass's canvas and a plan per frame.
  const uint64_t need =
      static_cast<uint64_t>(RowStride(8, sw)) * static_cast<uint64_t>(sh) * count +
      uint64_t{4} * screen + uint64_t{4096} * count;
  if (need > PictureMemoryBudget()) return LocalPaletteCompose::kNoMemory;
  // With transparency every frame keeps one entry for it; its index is chosen below.
  const bool transparentCanvas = frames.transparentIndex >= 0;

  try {
    std::vector<FrameArea> areas(count);
    for (size_t f = 0; f < count; ++f) areas[f] = AreaOfFrame(frames, static_cast<int>(f));

    // First pass: what every composed frame shows.
    std::vector<Shown> shown(count);
    {
      std::vector<uint32_t> canvas(screen, kEmptyCanvas);
      const int32_t rowsPerBand =
          std::max(kBandRows, (sh + kMostFirstPassBands - 1) / kMostFirstPassBands);
      const size_t bands = static_cast<size_t>((sh + rowsPerBand - 1) / rowsPerBand);
      std::vector<Shown> records(bands * kChunkFrames);
      std::atomic<bool> tooMany{false};
      std::atomic<bool> failed{false};
      for (size_t first = 0; first < count && !tooMany; first += kChunkFrames) {
        const size_t last = std::min(count, first + kChunkFrames);
        ParallelFor(bands, [&](size_t band) {
          try {
            const int32_t top = static_cast<int32_t>(band) * rowsPerBand;
            const int32_t bottom = std::min(sh, top + rowsPerBand);
            ThroughSet set;
            std::vector<uint32_t> saved;
            uint32_t own[256];
            uint8_t drawn[256];
            for (size_t f = first; f < last; ++f) {
              if (tooMany) return;
              const Frame& frame = frames.frame(static_cast<int>(f));
              const FrameArea& a = areas[f];
              const int32_t y0 = std::max(a.y0, top);
              const int32_t y1 = std::min(a.y1, bottom);
              const int32_t x0 = a.x0;
              const int32_t n = a.x1 - a.x0;
              const bool visible = a.visible && y0 < y1;
              const int method = frame.disposalMethod;
              const int32_t t = frame.transparentIndex;
              OwnColours(frame, own);
              std::memset(drawn, 0, sizeof drawn);
              uint32_t last = kNoColour;
              bool fits = true;
              auto collect = [&](const uint32_t* p, int32_t k) {
                for (int32_t x = 0; x < k; ++x) {
                  if (p[x] != last) {
                    last = p[x];
                    fits = set.Insert(last) && fits;
                  }
                }
              };
              auto row = [&](int32_t y) { return canvas.data() + static_cast<size_t>(y) * sw; };

              if (method == 3 && visible) KeepCovered(saved, row, x0, n, y0, y1);
              for (int32_t y = top; y < bottom && fits; ++y) {
                uint32_t* cells = row(y);
                if (!visible || y < y0 || y >= y1) {
                  collect(cells, sw);
                  continue;
                }
                collect(cells, x0);
                const uint8_t* src = frame.image.Row(y - frame.top) + (x0 - frame.left);
                uint32_t* dst = cells + x0;
                for (int32_t x = 0; x < n; ++x) {
                  const uint8_t s = src[x];
                  if (t < 0 || s != t) {
                    dst[x] = own[s];
                    drawn[s] = 1;
                  } else if (dst[x] != last) {
                    last = dst[x];
                    fits = set.Insert(last) && fits;
                  }
                }
                collect(cells + x0 + n, sw - x0 - n);
              }
              if (!fits) {
                tooMany = true;
                return;
              }
              Shown& record = records[band * kChunkFrames + (f - first)];
              record.drawn = {};
              for (int i = 0; i < 256; ++i) {
                if (drawn[i]) SetBit(record.drawn, i);
              }
              set.TakeInto(record.through);

              if (visible) DisposeCovered(method, saved, row, x0, n, y0, y1);
            }
          } catch (const std::bad_alloc&) {
            failed = true;
            tooMany = true;
          }
        });
        if (failed) return LocalPaletteCompose::kNoMemory;
        if (tooMany) return LocalPaletteCompose::kTooManyColours;
        // The bands' findings, frame by frame.
        for (size_t f = first; f < last; ++f) {
          Shown& whole = shown[f];
          for (size_t band = 0; band < bands; ++band) {
            Shown& part = records[band * kChunkFrames + (f - first)];
            for (size_t w = 0; w < whole.drawn.size(); ++w) whole.drawn[w] |= part.drawn[w];
            whole.through.insert(whole.through.end(), part.through.begin(), part.through.end());
            part.through.clear();
          }
          std::sort(whole.through.begin(), whole.through.end());
          whole.through.erase(std::unique(whole.through.begin(), whole.through.end()),
                              whole.through.end());
          whole.through.shrink_to_fit();
          if (whole.through.size() > kMaxEntries) return LocalPaletteCompose::kTooManyColours;
        }
      }
    }

    // The transparent entry: an index no frame draws if there is one, else the one the
    // fewest frames draw (those frames move that colour elsewhere).
    int32_t transparent = -1;
    if (transparentCanvas) {
      std::vector<size_t> drawers(256, 0);
      for (const Shown& s : shown) {
        for (int i = 0; i < 256; ++i) drawers[static_cast<size_t>(i)] += HasBit(s.drawn, i);
      }
      transparent =
          static_cast<int32_t>(std::min_element(drawers.begin(), drawers.end()) - drawers.begin());
    }

    std::vector<FramePlan> plans(count);
    for (size_t f = 0; f < count; ++f) {
      if (!PlanFrame(frames.frame(static_cast<int>(f)), shown[f], transparent, plans[f])) {
        return LocalPaletteCompose::kTooManyColours;
      }
      shown[f] = Shown{};
    }
    shown = {};

    // Second pass: the composed pictures.
    std::vector<PackedDib> composed(count);
    std::atomic<bool> failed{false};
    ParallelFor(count, [&](size_t f) {
      composed[f] = NewPicture(sw, sh, 8, plans[f].tableSize, plans[f].table.data());
      if (!composed[f]) failed = true;
    });
    if (failed) return LocalPaletteCompose::kNoMemory;

    const size_t bands = static_cast<size_t>((sh + kBandRows - 1) / kBandRows);
    ParallelFor(bands, [&](size_t band) {
      try {
        const int32_t top = static_cast<int32_t>(band) * kBandRows;
        const int32_t bottom = std::min(sh, top + kBandRows);
        std::vector<uint32_t> canvas(static_cast<size_t>(bottom - top) * sw, kEmptyCanvas);
        std::vector<uint32_t> saved;
        uint32_t own[256];
        auto row = [&](int32_t y) { return canvas.data() + static_cast<size_t>(y - top) * sw; };
        for (size_t f = 0; f < count && !failed; ++f) {
          const Frame& frame = frames.frame(static_cast<int>(f));
          const FramePlan& plan = plans[f];
          const FrameArea& a = areas[f];
          const int32_t y0 = std::max(a.y0, top);
          const int32_t y1 = std::min(a.y1, bottom);
          const int32_t x0 = a.x0;
          const int32_t n = a.x1 - a.x0;
          const bool visible = a.visible && y0 < y1;
          const int method = frame.disposalMethod;
          const int32_t t = frame.transparentIndex;
          OwnColours(frame, own);
          ThroughLookup lookup(plan);
          bool found = true;
          auto through = [&](const uint32_t* p, uint8_t* out, int32_t k) {
            for (int32_t x = 0; x < k; ++x) found = lookup.Find(p[x], out[x]) && found;
          };

          if (method == 3 && visible) KeepCovered(saved, row, x0, n, y0, y1);
          for (int32_t y = top; y < bottom; ++y) {
            uint32_t* cells = row(y);
            uint8_t* out = composed[f].Row(y);
            if (!visible || y < y0 || y >= y1) {
              through(cells, out, sw);
              continue;
            }
            through(cells, out, x0);
            const uint8_t* src = frame.image.Row(y - frame.top) + (x0 - frame.left);
            for (int32_t x = 0; x < n; ++x) {
              const uint8_t s = src[x];
              if (t < 0 || s != t) {
                cells[x0 + x] = own[s];
                out[x0 + x] = plan.drawMap[s];
              } else {
                found = lookup.Find(cells[x0 + x], out[x0 + x]) && found;
              }
            }
            through(cells + x0 + n, out + x0 + n, sw - x0 - n);
          }
          if (!found) failed = true;

          if (visible) DisposeCovered(method, saved, row, x0, n, y0, y1);
        }
      } catch (const std::bad_alloc&) {
        failed = true;
      }
    });
    // (A value the first pass did not see would fail here too; it cannot happen.)
    if (failed) return LocalPaletteCompose::kNoMemory;

    for (size_t f = 0; f < count; ++f) {
      Frame& frame = frames.frame(static_cast<int>(f));
      frame.image = std::move(composed[f]);
      frame.colorMap = plans[f].drawMap;
    }
    frames.transparentIndex = transparent;
    frames.palette.fill(Rgbq{});
    frames.paletteCount = -1;
    return LocalPaletteCompose::kComposed;
  } catch (const std::bad_alloc&) {
    return LocalPaletteCompose::kNoMemory;
  }
}

}  // namespace zel
