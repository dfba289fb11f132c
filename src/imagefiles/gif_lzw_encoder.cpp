#include "imagefiles/gif_lzw_encoder.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace zel {
namespace {

constexpr uint32_t kTableLimit = 4095;
// Table look-ups one look ahead may make (it searches both values of every free pixel).
constexpr int kReachBudget = 64;

}  // namespace

void LzwEncoder::Begin(int codeSize, bool rawCodes, std::vector<uint8_t>* out,
                       LzwCodeTrace* trace) {
  out_ = out;
  trace_ = trace;
  raw_ = rawCodes;
  started_ = false;
  codeSize_ = static_cast<uint32_t>(codeSize);
  clear_ = 1u << codeSize_;
  end_ = clear_ + 1;
  bits_ = 0;
  bitCount_ = 0;
  ResetTable();
  Put(clear_);
}

void LzwEncoder::ResetTable() {
  width_ = codeSize_ + 1;
  limit_ = 1u << width_;
  nextFree_ = clear_ + 2;
  longest_ = 1;
  std::memset(hash_, 0xFF, sizeof hash_);
  std::memset(lastChild_, 0, sizeof lastChild_);
}

void LzwEncoder::Put(uint32_t code) {
  if (trace_ != nullptr) {
    trace_->codes.push_back(static_cast<uint16_t>(code));
    trace_->widths.push_back(static_cast<uint8_t>(width_));
  }
  bits_ |= static_cast<uint64_t>(code) << bitCount_;
  bitCount_ += width_;
  if (bitCount_ >= 32) {
    uint8_t bytes[4] = {static_cast<uint8_t>(bits_), static_cast<uint8_t>(bits_ >> 8),
                        static_cast<uint8_t>(bits_ >> 16), static_cast<uint8_t>(bits_ >> 24)};
    out_->insert(out_->end(), bytes, bytes + 4);
    bits_ >>= 32;
    bitCount_ -= 32;
  }
}

void LzwEncoder::Feed(const uint8_t* pixels, size_t count) {
  size_t i = 0;
  if (!started_) {
    if (count == 0) return;
    current_ = pixels[0];
    currentLength_ = 1;
    started_ = true;
    i = 1;
  }
  uint32_t current = current_;
  uint32_t length = currentLength_;
  if (raw_) {
    // Every pixel is its own code; the table only counts codes for the width and the clear.
    for (; i < count; ++i) {
      Put(current);
      if (nextFree_ < kTableLimit) {
        if (length + 1 > longest_) longest_ = length + 1;
        if (nextFree_ >= limit_) {
          ++width_;
          limit_ = 1u << width_;
        }
        ++nextFree_;
      } else {
        Put(clear_);
        ResetTable();
      }
      current = pixels[i];
      length = 1;
    }
    current_ = current;
    currentLength_ = length;
    return;
  }
  for (; i < count; ++i) {
    const uint32_t p = pixels[i];
    // The string this one last grew into, when it grew by the same pixel: the difference
    // is then its code (below 4096).
    const uint32_t remembered = lastChild_[current] - ((p + 1) << 12);
    if (remembered < 4096) {
      current = remembered;
      ++length;
      continue;
    }
    const uint32_t key = (current << 8) | p;
    uint32_t slot = Slot(key);
    if (length < longest_) {
      // Look for the string current + p.
      uint32_t entry;
      while ((entry = hash_[slot]) != kEmpty) {
        if ((entry >> 12) == key) break;
        slot = (slot + 1) & (kHashSize - 1);
      }
      if (entry != kEmpty) {
        lastChild_[current] = ((p + 1) << 12) | (entry & 0xFFF);
        current = entry & 0xFFF;
        ++length;
        continue;
      }
    } else {
      // No string is that long: only the free slot for the new one is needed.
      while (hash_[slot] != kEmpty) slot = (slot + 1) & (kHashSize - 1);
    }
    Put(current);
    if (nextFree_ < kTableLimit) {
      hash_[slot] = (key << 12) | nextFree_;
      lastChild_[current] = ((p + 1) << 12) | nextFree_;
      if (length + 1 > longest_) longest_ = length + 1;
      if (nextFree_ >= limit_) {
        ++width_;
        limit_ = 1u << width_;
      }
      ++nextFree_;
    } else {
      Put(clear_);
      ResetTable();
    }
    current = p;
    length = 1;
  }
  current_ = current;
  currentLength_ = length;
}

void LzwEncoder::Extend(uint32_t current, uint32_t length, uint32_t p, uint32_t slot) {
  Put(current);
  if (nextFree_ < kTableLimit) {
    hash_[slot] = (((current << 8) | p) << 12) | nextFree_;
    if (length + 1 > longest_) longest_ = length + 1;
    if (nextFree_ >= limit_) {
      ++width_;
      limit_ = 1u << width_;
    }
    ++nextFree_;
  } else {
    Put(clear_);
    ResetTable();
  }
}

uint32_t LzwEncoder::MatchLength(uint32_t first, const uint8_t* pixels, const uint8_t* free,
                                 uint8_t alternative, size_t from, size_t count) const {
  uint32_t current = first;
  uint32_t length = 1;
  for (size_t j = from; j < count; ++j) {
    uint32_t entry;
    Find((current << 8) | pixels[j], &entry);
    if (entry == kEmpty && free[j] != 0) Find((current << 8) | alternative, &entry);
    if (entry == kEmpty) break;
    current = entry & 0xFFF;
    ++length;
  }
  return length;
}

uint32_t LzwEncoder::Reach(uint32_t code, const uint8_t* pixels, const uint8_t* free,
                           uint8_t alternative, size_t from, size_t count, int& budget) const {
  if (from >= count || budget <= 0) return 0;
  --budget;
  uint32_t best = 0;
  uint32_t entry;
  Find((code << 8) | pixels[from], &entry);
  if (entry != kEmpty) {
    best = 1 + Reach(entry & 0xFFF, pixels, free, alternative, from + 1, count, budget);
  }
  if (free[from] != 0 && pixels[from] != alternative) {
    Find((code << 8) | alternative, &entry);
    if (entry != kEmpty) {
      best = std::max(best,
                      1 + Reach(entry & 0xFFF, pixels, free, alternative, from + 1, count, budget));
    }
  }
  return best;
}

void LzwEncoder::FeedEither(const uint8_t* pixels, const uint8_t* free, uint8_t alternative,
                            size_t count, uint8_t* chosen, bool lookAhead) {
  size_t i = 0;
  if (!started_) {
    if (count == 0) return;
    current_ = free[0] ? alternative : pixels[0];
    chosen[0] = static_cast<uint8_t>(current_);
    currentLength_ = 1;
    started_ = true;
    i = 1;
  }
  uint32_t current = current_;
  uint32_t length = currentLength_;
  for (; i < count; ++i) {
    const uint32_t own = pixels[i];
    const bool either = free[i] != 0 && own != alternative;
    uint32_t entry;
    uint32_t slot = Find((current << 8) | own, &entry);
    if (entry != kEmpty) {
      uint32_t next = entry & 0xFFF;
      uint8_t value = static_cast<uint8_t>(own);
      if (lookAhead && either) {
        uint32_t other;
        Find((current << 8) | alternative, &other);
        if (other != kEmpty) {
          int budget = kReachBudget;
          const uint32_t ownReach = Reach(next, pixels, free, alternative, i + 1, count, budget);
          budget = kReachBudget;
          const uint32_t otherReach =
              Reach(other & 0xFFF, pixels, free, alternative, i + 1, count, budget);
          if (otherReach > ownReach) {
            next = other & 0xFFF;
            value = alternative;
          }
        }
      }
      current = next;
      ++length;
      chosen[i] = value;
      continue;
    }
    uint32_t p = own;
    if (either) {
      uint32_t other;
      uint32_t otherSlot = Find((current << 8) | alternative, &other);
      if (other != kEmpty) {
        current = other & 0xFFF;
        ++length;
        chosen[i] = alternative;
        continue;
      }
      // Neither grows the string: the next string starts with whichever value matches
      // the longer run of the pixels that follow.
      // With the look ahead the search takes both values of the free pixels that follow,
      // and a tie goes to the transparent index (its strings recur over every unchanged
      // area, so they are the ones the table is likely to hold later).
      bool takeAlternative;
      if (lookAhead) {
        int budget = kReachBudget;
        const uint32_t otherReach =
            Reach(alternative, pixels, free, alternative, i + 1, count, budget);
        budget = kReachBudget;
        const uint32_t ownReach = Reach(own, pixels, free, alternative, i + 1, count, budget);
        takeAlternative = otherReach >= ownReach;
      } else {
        takeAlternative = MatchLength(alternative, pixels, free, alternative, i + 1, count) >
                          MatchLength(own, pixels, free, alternative, i + 1, count);
      }
      if (takeAlternative) {
        p = alternative;
        slot = otherSlot;
      }
    }
    Extend(current, length, p, slot);
    chosen[i] = static_cast<uint8_t>(p);
    current = p;
    length = 1;
  }
  current_ = current;
  currentLength_ = length;
}

bool LzwEncoder::Finish() {
  if (!started_) return false;
  Put(current_);
  Put(end_);
  while (bitCount_ > 0) {
    out_->push_back(static_cast<uint8_t>(bits_));
    bits_ >>= 8;
    bitCount_ = bitCount_ >= 8 ? bitCount_ - 8 : 0;
  }
  return true;
}

std::vector<uint8_t> LzwEncodePixels(const uint8_t* pixels, size_t count, int codeSize,
                                     bool rawCodes, LzwCodeTrace* trace) {
  std::vector<uint8_t> out;
  auto encoder = std::make_unique<LzwEncoder>();
  encoder->Begin(codeSize, rawCodes, &out, trace);
  encoder->Feed(pixels, count);
  encoder->Finish();
  return out;
}

}  // namespace zel
