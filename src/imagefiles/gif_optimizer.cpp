#include "imagefiles/gif_optimizer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

#include "imagefiles/gif_encoder.h"
#include "imagefiles/gif_file_parts.h"
#include "imagefiles/gif_lzw_encoder.h"
#include "platform/file_io.h"
#include "platform/parallel.h"

namespace zel {
namespace {

struct Rect {
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // x1, y1 exclusive

  bool Empty() const { return x0 >= x1 || y0 >= y1; }
  bool Contains(int32_t x, int32_t y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
  void AddSpan(int32_t y, int32_t from, int32_t to) {  // columns [from, to) of row y
    if (Empty()) {
      *this = {from, y, to, y + 1};
      return;
    }
    x0 = std::min(x0, from);
    x1 = std::max(x1, to);
    y0 = std::min(y0, y);
    y1 = std::max(y1, y + 1);
  }
  void Join(const Rect& other) {
    if (other.Empty()) return;
    if (Empty()) {
      *this = other;
      return;
    }
    x0 = std::min(x0, other.x0);
    y0 = std::min(y0, other.y0);
    x1 = std::max(x1, other.x1);
    y1 = std::max(y1, other.y1);
  }
};

// A frame's pixels, one byte each, top row first: the picture's own rows where they can
// be used as they are, else an unpacked copy.
struct Plane {
  const uint8_t* base = nullptr;
  ptrdiff_t step = 0;
  std::vector<uint8_t> owned;
  std::array<bool, 256> used{};

  const uint8_t* Row(int32_t y) const { return base + y * step; }
};

int PreparePlane(const Frame& frame, const ImageLayout& first, int codeSize, Plane& plane) {
  ImageLayout image;
  if (!ReadImageLayout(frame.image, &image)) {
    return frame.image ? kGifWriteSizeMismatch : kGifWriteBadImage;
  }
  if (image.width != first.width || image.height != first.height || image.planes != first.planes ||
      image.bits != first.bits) {
    return kGifWriteSizeMismatch;
  }
  const size_t width = static_cast<size_t>(image.width);
  bool direct = image.bits == 8;
  if (direct && codeSize < 8) {
    const uint8_t top = static_cast<uint8_t>(1u << codeSize);
    for (int32_t y = 0; y < image.height && direct; ++y) {
      const uint8_t* row = image.pixels + static_cast<size_t>(y) * image.stride;
      for (size_t x = 0; x < width; ++x) {
        if (row[x] >= top) {
          direct = false;
          break;
        }
      }
    }
  }
  try {
    if (direct) {
      plane.base = image.pixels + static_cast<size_t>(image.height - 1) * image.stride;
      plane.step = -static_cast<ptrdiff_t>(image.stride);
    } else {
      plane.owned.resize(width * static_cast<size_t>(image.height));
      for (int32_t y = 0; y < image.height; ++y) {
        UnpackImageRow(image, y, codeSize, plane.owned.data() + width * static_cast<size_t>(y));
      }
      plane.base = plane.owned.data();
      plane.step = static_cast<ptrdiff_t>(width);
    }
  } catch (const std::bad_alloc&) {
    return kGifWriteNoMemory;
  }
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = plane.Row(y);
    for (size_t x = 0; x < width; ++x) plane.used[row[x]] = true;
  }
  return kGifWriteOk;
}

// The bounding box of the pixels opaque in `shown` and transparent in `next`: what must be
// cleared to the background before `next` can be drawn over `shown`.
Rect UncoveredBox(const Plane& shown, const Plane& next, uint8_t transparent, int32_t width,
                  int32_t height) {
  Rect box;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* rs = shown.Row(y);
    const uint8_t* rn = next.Row(y);
    int32_t from = -1, to = -1;
    for (int32_t x = 0; x < width; ++x) {
      if (rn[x] == transparent && rs[x] != transparent) {
        if (from < 0) from = x;
        to = x + 1;
      }
    }
    if (from >= 0) box.AddSpan(y, from, to);
  }
  return box;
}

// The bounding box of the pixels where `current` differs from the screen it is drawn on:
// `previous` as shown, with `cleared` restored to the transparent index.
Rect ScreenDifferenceBox(const Plane& previous, const Plane& current, const Rect& cleared,
                         uint8_t transparent, int32_t width, int32_t height) {
  Rect box;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* rp = previous.Row(y);
    const uint8_t* rc = current.Row(y);
    if (y < cleared.y0 || y >= cleared.y1) {
      if (std::memcmp(rp, rc, static_cast<size_t>(width)) == 0) continue;
      int32_t from = 0;
      while (rp[from] == rc[from]) ++from;
      int32_t to = width;
      while (rp[to - 1] == rc[to - 1]) --to;
      box.AddSpan(y, from, to);
      continue;
    }
    int32_t from = -1, to = -1;
    for (int32_t x = 0; x < width; ++x) {
      uint8_t under = (x >= cleared.x0 && x < cleared.x1) ? transparent : rp[x];
      if (rc[x] != under) {
        if (from < 0) from = x;
        to = x + 1;
      }
    }
    if (from >= 0) box.AddSpan(y, from, to);
  }
  return box;
}

struct FramePlanState {
  Rect rect;
  bool restore = false;
};

struct EncodedRect {
  int result = kGifWriteOk;
  bool transparentFill = false;
  int32_t transparentIndex = -1;  // written in the frame's graphic control block
  int codeSize = 2;
  std::vector<uint8_t> codes;
};

int CodeSizeFor(const std::vector<uint8_t>& pixels) {
  uint8_t top = 0;
  for (uint8_t v : pixels) top = std::max(top, v);
  int bits = 2;
  while (bits < 8 && (1u << bits) <= top) ++bits;
  return bits;
}

void EncodeRect(LzwEncoder& encoder, const std::vector<uint8_t>& pixels, int codeSize,
                std::vector<uint8_t>& codes) {
  codes.clear();
  codes.reserve(pixels.size() / 2 + 64);
  encoder.Begin(codeSize, false, &codes, nullptr);
  encoder.Feed(pixels.data(), pixels.size());
  encoder.Finish();
}

int BitsFor(uint32_t top) {
  int bits = 2;
  while (bits < 8 && (1u << bits) <= top) ++bits;
  return bits;
}

// Encodes frame i's rectangle three ways and keeps the shortest stream: with its own pixels;
// with every pixel the screen already shows written as the transparent index; and with
// each such pixel taking whichever of the two lets the LZW string grow (greedily, and again
// looking ahead over both values of the pixels that follow). The transparent
// index is the document's own; without one, the frame takes any palette entry its changed
// pixels do not use, and the frame whose changed pixels use every entry is written with
// its own pixels only.
void EncodeFrameRect(const std::vector<Plane>& planes, const std::vector<FramePlanState>& states,
                     size_t i, const std::array<uint8_t, 256>& map, int32_t documentTransparent,
                     uint32_t tableEntries, EncodedRect& out) {
  const Rect& r = states[i].rect;
  const size_t count = static_cast<size_t>(r.x1 - r.x0) * static_cast<size_t>(r.y1 - r.y0);
  out.transparentIndex = documentTransparent;
  try {
    std::vector<uint8_t> own;
    own.reserve(count);
    for (int32_t y = r.y0; y < r.y1; ++y) {
      const uint8_t* row = planes[i].Row(y);
      for (int32_t x = r.x0; x < r.x1; ++x) own.push_back(map[row[x]]);
    }
    auto encoder = std::make_unique<LzwEncoder>();
    out.codeSize = CodeSizeFor(own);
    EncodeRect(*encoder, own, out.codeSize, out.codes);
    if (i == 0) return;

    // Which pixels the screen already shows before frame i is drawn.
    const Plane& previous = planes[i - 1];
    const FramePlanState& before = states[i - 1];
    const uint8_t cleared = static_cast<uint8_t>(documentTransparent < 0 ? 0 : documentTransparent);
    std::vector<uint8_t> free(count, 0);
    std::array<bool, 256> drawn{};
    std::array<uint32_t, 256> unchanged{};
    size_t at = 0;
    bool any = false;
    for (int32_t y = r.y0; y < r.y1; ++y) {
      const uint8_t* shown = previous.Row(y);
      for (int32_t x = r.x0; x < r.x1; ++x, ++at) {
        uint8_t under = (before.restore && before.rect.Contains(x, y)) ? cleared : map[shown[x]];
        if (own[at] == under && static_cast<int32_t>(own[at]) != documentTransparent) {
          free[at] = 1;
          ++unchanged[own[at]];
          any = true;
        } else {
          drawn[own[at]] = true;
        }
      }
    }
    if (!any) return;

    // Candidates: the document's transparent index; without one, the entries no changed
    // pixel uses, those that occur most among the unchanged pixels first (their strings
    // are already in the table when the substitution starts) and the lowest one.
    std::vector<int32_t> candidates;
    if (documentTransparent >= 0) {
      candidates.push_back(documentTransparent);
    } else {
      std::vector<int32_t> eligible;
      for (uint32_t v = 0; v < tableEntries; ++v) {
        if (!drawn[v]) eligible.push_back(static_cast<int32_t>(v));
      }
      if (eligible.empty()) return;
      candidates.push_back(eligible.front());
      std::stable_sort(eligible.begin(), eligible.end(),
                       [&](int32_t a, int32_t b) { return unchanged[a] > unchanged[b]; });
      for (size_t k = 0; k < eligible.size() && k < 2; ++k) {
        if (unchanged[eligible[k]] == 0) break;
        if (eligible[k] != candidates.front()) candidates.push_back(eligible[k]);
      }
    }

    std::vector<uint8_t> chosen(count);
    std::vector<uint8_t> codes;
    codes.reserve(count / 2 + 64);
    std::vector<uint8_t> filled;
    for (int32_t transparent : candidates) {
      const uint8_t t = static_cast<uint8_t>(transparent);
      auto keep = [&](int size) {
        if (codes.size() >= out.codes.size()) return;
        out.codes.swap(codes);
        out.codeSize = size;
        out.transparentFill = true;
        out.transparentIndex = transparent;
      };
      const int eitherSize = std::max(CodeSizeFor(own), BitsFor(t));
      for (bool lookAhead : {false, true}) {
        codes.clear();
        encoder->Begin(eitherSize, false, &codes, nullptr);
        encoder->FeedEither(own.data(), free.data(), t, count, chosen.data(), lookAhead);
        encoder->Finish();
        keep(eitherSize);
      }

      // Unchanged pixels as the transparent index: all of them; or only the runs of them
      // that are not one flat colour (a flat run is already a cheap string, and cutting
      // it out of its row costs more than it saves); or those runs and every unchanged
      // pixel whose value would widen the codes beyond what the changed pixels need.
      uint32_t drawnTop = t;
      for (uint32_t v = 0; v < 256; ++v) {
        if (drawn[v]) drawnTop = std::max(drawnTop, v);
      }
      const uint32_t narrow = 1u << BitsFor(drawnTop);
      for (int mode = 0; mode < 3; ++mode) {
        filled = own;
        uint32_t top = t;
        size_t row = static_cast<size_t>(r.x1 - r.x0);
        for (size_t k = 0; k < count;) {
          if (!free[k]) {
            top = std::max<uint32_t>(top, filled[k]);
            ++k;
            continue;
          }
          size_t end = k;
          while (end < count && free[end] && (end == k || end % row != 0)) ++end;
          bool flat = true;
          for (size_t m = k + 1; m < end && flat; ++m) flat = filled[m] == filled[k];
          for (size_t m = k; m < end; ++m) {
            if (mode == 0 || !flat || (mode == 2 && filled[m] >= narrow)) {
              filled[m] = t;
            } else {
              top = std::max<uint32_t>(top, filled[m]);
            }
          }
          k = end;
        }
        const int filledSize = BitsFor(top);
        EncodeRect(*encoder, filled, filledSize, codes);
        keep(filledSize);
      }
    }
  } catch (const std::bad_alloc&) {
    out.codes = {};
    out.result = kGifWriteNoMemory;
  }
}

void WholeFramePlan(const FrameSet& frames, std::vector<OptimizedFramePlan>* plan) {
  if (plan == nullptr) return;
  plan->clear();
  for (int i = 0; i < frames.count; ++i) {
    ImageLayout image;
    if (!ReadImageLayout(frames.frame(i).image, &image)) break;
    plan->push_back({0, 0, image.width, image.height, true, false});
  }
}

int BuildOptimized(const FrameSet& frames, ProgressSink* progress, std::vector<uint8_t>& out,
                   std::vector<OptimizedFramePlan>* plan) {
  ImageLayout first;
  if (!ReadImageLayout(frames.frame(0).image, &first)) return kGifWriteBadImage;
  const int32_t width = first.width;
  const int32_t height = first.height;
  // The palette sizes are the normal save's, so the global table is the same.
  const PaletteSizes sizes = ComputePaletteSizes(first.colors, frames.transparentIndex);
  const size_t frameCount = static_cast<size_t>(frames.count);

  std::vector<Plane> planes(frameCount);
  std::vector<int> prepared(frameCount, kGifWriteOk);
  ParallelFor(frameCount, [&](size_t i) {
    prepared[i] = PreparePlane(frames.frame(static_cast<int>(i)), first, sizes.codeSize, planes[i]);
  });
  for (int result : prepared) {
    if (result != kGifWriteOk) return result;
  }
  // A transparent index no frame shows (an opened file's background entry, mostly) is no
  // transparency at all: every frame is then free to take its own.
  int32_t documentTransparent = frames.transparentIndex;
  if (documentTransparent >= 0) {
    bool shown = false;
    for (const Plane& plane : planes) shown = shown || plane.used[documentTransparent & 0xFF];
    if (!shown) documentTransparent = -1;
  }

  // Rectangles and disposal, frame by frame against what the screen shows.
  std::vector<FramePlanState> states(frameCount);
  const uint8_t t = static_cast<uint8_t>(documentTransparent < 0 ? 0 : documentTransparent);
  try {
    for (size_t i = 0; i < frameCount; ++i) {
      FramePlanState& state = states[i];
      if (i == 0) {
        state.rect = {0, 0, width, height};
      } else {
        const FramePlanState& before = states[i - 1];
        state.rect = ScreenDifferenceBox(planes[i - 1], planes[i],
                                         before.restore ? before.rect : Rect{}, t, width, height);
      }
      if (documentTransparent >= 0) {
        // Pixels the next frame (the first one, after the last) shows transparent are
        // cleared by this frame's disposal.
        const Plane& next = planes[(i + 1) % frameCount];
        Rect uncovered = UncoveredBox(planes[i], next, t, width, height);
        if (!uncovered.Empty()) {
          state.restore = true;
          state.rect.Join(uncovered);
        }
      }
      if (state.rect.Empty()) state.rect = {0, 0, 1, 1};
    }
  } catch (const std::bad_alloc&) {
    return kGifWriteNoMemory;
  }
  // The global table: the colours the frames use, in the order the changed rectangles
  // first need them, so that small rectangles get by with short codes. When the pixels use
  // all 256 entries, the table stays as the normal save writes it.
  std::array<uint8_t, 256> map{};
  std::vector<Rgbq> table;
  int tableBits = sizes.tableBits;
  {
    std::array<bool, 256> used{};
    for (const Plane& plane : planes) {
      for (size_t v = 0; v < 256; ++v) used[v] = used[v] || plane.used[v];
    }
    std::vector<int> colours;
    for (int v = 0; v < 256; ++v) {
      if (used[v]) colours.push_back(v);
    }
    if (colours.size() < 256) {
      // Rank: the first changed rectangle a colour appears in (colours of frame 0 alone
      // last), then the number of rectangles it appears in.
      std::array<uint32_t, 256> firstRect{};
      std::array<uint32_t, 256> frameUses{};
      firstRect.fill(static_cast<uint32_t>(frameCount));
      for (size_t i = 1; i < frameCount; ++i) {
        std::array<bool, 256> inRect{};
        const Rect& r = states[i].rect;
        for (int32_t y = r.y0; y < r.y1; ++y) {
          const uint8_t* row = planes[i].Row(y);
          for (int32_t x = r.x0; x < r.x1; ++x) inRect[row[x]] = true;
        }
        for (int v : colours) {
          if (!inRect[v]) continue;
          ++frameUses[v];
          firstRect[v] = std::min<uint32_t>(firstRect[v], static_cast<uint32_t>(i));
        }
      }
      std::stable_sort(colours.begin(), colours.end(), [&](int a, int b) {
        if (firstRect[a] != firstRect[b]) return firstRect[a] < firstRect[b];
        return frameUses[a] > frameUses[b];
      });
      for (size_t k = 0; k < colours.size(); ++k) {
        const int v = colours[k];
        map[v] = static_cast<uint8_t>(k);
        table.push_back(static_cast<uint32_t>(v) < first.tableEntries ? first.table[v] : Rgbq{});
      }
      tableBits = 1;
      while ((size_t{1} << tableBits) < table.size()) ++tableBits;
      if (documentTransparent >= 0) documentTransparent = map[documentTransparent];
    } else {
      for (int v = 0; v < 256; ++v) map[v] = static_cast<uint8_t>(v);
      table.assign(first.table, first.table + first.tableEntries);
    }
  }

  std::vector<EncodedRect> encoded(frameCount);
  ParallelJobs jobs(frameCount, [&](size_t i) {
    EncodeFrameRect(planes, states, i, map, documentTransparent, 1u << tableBits, encoded[i]);
  });

  if (plan != nullptr) plan->clear();
  out.reserve(1024);
  AppendFileStart(out, width, height, table.data(), static_cast<uint32_t>(table.size()), tableBits,
                  frames.count, frames.loopCount);
  for (size_t i = 0; i < frameCount; ++i) {
    if (progress != nullptr) {
      progress->ReportProgress(static_cast<int>(static_cast<int64_t>(i) * 100 / frames.count));
      if (progress->TakeCancel()) {
        out.clear();
        return kGifWriteCancelled;
      }
    }
    jobs.Wait(i);
    EncodedRect& frame = encoded[i];
    if (frame.result != kGifWriteOk) {
      out.clear();
      return frame.result;
    }
    const FramePlanState& state = states[i];
    const int32_t delay = frames.frame(static_cast<int>(i)).delay;
    const uint8_t gce[8] = {
        0x21,
        0xF9,
        0x04,
        static_cast<uint8_t>((state.restore ? 0x08 : 0x04) | (frame.transparentIndex >= 0 ? 1 : 0)),
        static_cast<uint8_t>(delay),
        static_cast<uint8_t>(delay >> 8),
        static_cast<uint8_t>(frame.transparentIndex < 0 ? 0 : frame.transparentIndex),
        0x00};
    out.insert(out.end(), gce, gce + 8);
    out.push_back(0x2C);
    AppendLe16(out, static_cast<uint32_t>(state.rect.x0));
    AppendLe16(out, static_cast<uint32_t>(state.rect.y0));
    AppendLe16(out, static_cast<uint32_t>(state.rect.x1 - state.rect.x0));
    AppendLe16(out, static_cast<uint32_t>(state.rect.y1 - state.rect.y0));
    out.push_back(0x00);
    out.push_back(static_cast<uint8_t>(frame.codeSize));
    AppendSubBlocks(out, frame.codes);
    frame.codes = {};
    if (plan != nullptr) {
      plan->push_back({state.rect.x0, state.rect.y0, state.rect.x1 - state.rect.x0,
                       state.rect.y1 - state.rect.y0, state.restore, frame.transparentFill});
    }
  }
  out.push_back(0x3B);
  return kGifWriteOk;
}

}  // namespace

int BuildOptimizedGifFile(const FrameSet& frames, ProgressSink* progress, std::vector<uint8_t>& out,
                          std::vector<OptimizedFramePlan>* plan) {
  out.clear();
  if (frames.count < 1) return kGifWriteBadImage;
  if (frames.count == 1 || frames.paletteCount < 0) {
    int result = BuildGifFile(frames, false, progress, out);
    if (result == kGifWriteOk) WholeFramePlan(frames, plan);
    return result;
  }
  try {
    int result = BuildOptimized(frames, progress, out, plan);
    if (result != kGifWriteOk) out.clear();
    return result;
  } catch (const std::bad_alloc&) {
    out.clear();
    return kGifWriteNoMemory;
  }
}

int WriteOptimizedGifFile(const FrameSet& frames, const std::string& path, ProgressSink* progress) {
  std::vector<uint8_t> bytes;
  int result = BuildOptimizedGifFile(frames, progress, bytes);
  if (result != kGifWriteOk) return result;
  return WriteFileAtomically(path, bytes.data(), bytes.size()) ? kGifWriteOk : kGifWriteFailed;
}

}  // namespace zel
