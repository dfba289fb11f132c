#include "app/frame_strip.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>

#include "document/document_state.h"
#include "resources/words.h"

namespace zel {

ThumbnailSize FitThumbnail(int32_t width, int32_t height, int box) {
  if (width <= 0 || height <= 0 || box <= 0) return {};
  // The longer side becomes the box, unless that enlarges more than allowed.
  const int64_t longer = std::max(width, height);
  int64_t scaledLonger = std::min<int64_t>(box, longer * kStripMaxEnlargement);
  auto scale = [&](int64_t side) {
    return static_cast<int>(std::max<int64_t>(1, (side * scaledLonger + longer / 2) / longer));
  };
  return {scale(width), scale(height)};
}

std::vector<uint32_t> RenderThumbnail(const PackedDib& picture, ThumbnailSize size) {
  if (size.width <= 0 || size.height <= 0 || !picture || !IsWholePicture(picture)) return {};
  const DibHeader header = picture.Header();
  const int bits = header.bitCount;
  if (bits != 8 && bits != 24) return {};
  const int32_t width = header.width;
  const int32_t height = header.height;  // rows are stored bottom-up
  if (width <= 0 || height <= 0) return {};
  std::vector<uint32_t> table(256, 0xFF000000u);
  if (bits == 8) {
    const uint32_t entries = std::min<uint32_t>(picture.ColorCount(), 256);
    const Rgbq* colors = picture.ColorTable();
    for (uint32_t i = 0; i < entries; ++i) {
      table[i] = 0xFF000000u | (uint32_t{colors[i].red} << 16) | (uint32_t{colors[i].green} << 8) |
                 colors[i].blue;
    }
  }
  std::vector<uint32_t> pixels;
  try {
    pixels.resize(static_cast<size_t>(size.width) * static_cast<size_t>(size.height));
  } catch (const std::bad_alloc&) {
    return {};
  }
  std::vector<int32_t> columns(static_cast<size_t>(size.width));
  for (int x = 0; x < size.width; ++x) {
    columns[static_cast<size_t>(x)] = static_cast<int32_t>(
        (static_cast<int64_t>(x) * 2 + 1) * width / (2 * static_cast<int64_t>(size.width)));
  }
  uint32_t* out = pixels.data();
  for (int y = 0; y < size.height; ++y) {
    const int32_t sourceY = static_cast<int32_t>((static_cast<int64_t>(y) * 2 + 1) * height /
                                                 (2 * static_cast<int64_t>(size.height)));
    const uint8_t* row = picture.Row(sourceY);
    for (int x = 0; x < size.width; ++x) {
      const int32_t sx = columns[static_cast<size_t>(x)];
      if (bits == 8) {
        *out++ = table[row[sx]];
      } else {
        const uint8_t* p = row + 3 * static_cast<size_t>(sx);
        *out++ = 0xFF000000u | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
      }
    }
  }
  return pixels;
}

std::string StripFrameLabel(int32_t index, int32_t delay) {
  char text[64];
  const int64_t d = std::max<int32_t>(delay, 0);
  std::snprintf(text, sizeof text, Say({"%d  %lld.%02lld秒", "%d  %lld.%02lld s"}), index + 1,
                static_cast<long long>(d / 100), static_cast<long long>(d % 100));
  return text;
}

FrameRange VisibleFrames(int64_t offset, int64_t viewLength, int itemLength, int32_t count) {
  if (count <= 0 || itemLength <= 0 || viewLength <= 0) return {};
  offset = std::max<int64_t>(offset, 0);
  const int64_t first = offset / itemLength;
  const int64_t last = (offset + viewLength - 1) / itemLength;
  if (first >= count) return {};
  return {static_cast<int32_t>(first), static_cast<int32_t>(std::min<int64_t>(last, count - 1))};
}

uint64_t PictureBlockHash(const uint8_t* data, size_t size) {
  // Four independent lanes of multiply and rotate over 8-byte words, so that the
  // multiplications overlap; the tail and the length go into the final mix.
  constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
  constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
  auto rotl = [](uint64_t v, int r) { return (v << r) | (v >> (64 - r)); };
  auto word = [](const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  };
  uint64_t lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
  size_t i = 0;
  for (; i + 32 <= size; i += 32) {
    for (int lane = 0; lane < 4; ++lane) {
      lanes[lane] = rotl(lanes[lane] + word(data + i + 8 * lane) * kPrime2, 31) * kPrime1;
    }
  }
  uint64_t h = rotl(lanes[0], 1) + rotl(lanes[1], 7) + rotl(lanes[2], 12) + rotl(lanes[3], 18);
  h += static_cast<uint64_t>(size);
  for (; i + 8 <= size; i += 8) h = rotl(h ^ (rotl(word(data + i) * kPrime2, 31) * kPrime1), 27) * kPrime1;
  for (; i < size; ++i) h = rotl(h ^ (data[i] * kPrime1), 11) * kPrime2;
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime1;
  h ^= h >> 32;
  return h;
}

const std::vector<uint32_t>* ThumbnailCache::Get(int32_t index, const PackedDib& picture,
                                                 ThumbnailSize size) {
  std::optional<uint64_t> hash;
  auto it = entries_.find(index);
  if (it != entries_.end()) {
    Entry& entry = it->second;
    bool same = entry.size == size && entry.blockSize == picture.size();
    if (same && (!entry.checked || entry.block != picture.data())) {
      hash = PictureBlockHash(picture.data(), picture.size());
      same = *hash == entry.hash;
    } else if (same) {
      same = entry.block == picture.data();
    }
    if (same) {
      entry.block = picture.data();
      entry.checked = true;
      ages_.splice(ages_.begin(), ages_, entry.age);
      return &entry.pixels;
    }
    ages_.erase(entry.age);
    entries_.erase(it);
  }
  std::vector<uint32_t> pixels = RenderThumbnail(picture, size);
  if (pixels.empty()) return nullptr;
  if (!hash) hash = PictureBlockHash(picture.data(), picture.size());
  ++rendered_;
  while (!ages_.empty() && entries_.size() >= capacity_) {
    entries_.erase(ages_.back());
    ages_.pop_back();
  }
  ages_.push_front(index);
  Entry& entry = entries_[index];
  entry = Entry{picture.data(), picture.size(), *hash, true, size, std::move(pixels), ages_.begin()};
  return &entry.pixels;
}

void ThumbnailCache::MarkChanged(int32_t frameCount) {
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->first >= frameCount) {
      ages_.erase(it->second.age);
      it = entries_.erase(it);
    } else {
      it->second.checked = false;
      ++it;
    }
  }
}

void ThumbnailCache::Clear() {
  entries_.clear();
  ages_.clear();
}

bool ShowStripFrame(DocumentState& doc, int32_t frame) {
  if (!IsAnimation(doc.kind) || !doc.frameSet) return false;
  const FrameSet& frames = *doc.frameSet;
  if (frame < 0 || frame >= frames.count || frames.count > frames.capacity()) return false;
  PackedDib shown = DuplicateBlock(frames.frame(frame).image);
  if (!shown) return false;
  doc.flags = (doc.flags | kFlagStopped) & ~static_cast<uint32_t>(kFlagStep);
  doc.currentFrame = frame;
  SetCurrentPicture(doc, std::move(shown));
  return true;
}

}  // namespace zel
