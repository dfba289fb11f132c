// GIF LZW encoding: pixels in, variable-width codes packed least-significant bit first out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imagefiles/gif_encoder.h"

namespace zel {

class LzwEncoder {
 public:
  // Starts an image: emits the clear code. `out` receives the packed code bytes.
  void Begin(int codeSize, bool rawCodes, std::vector<uint8_t>* out, LzwCodeTrace* trace);
  // Feeds pixels in order; every value must be below 2^codeSize.
  void Feed(const uint8_t* pixels, size_t count);
  // Feeds pixels of which those marked in `free` may be written either as themselves or
  // as `alternative` (the transparent index over pixels the screen already shows): each
  // one takes the value that lets the current string grow, so the stream comes out as
  // short as the greedy search can make it. `chosen` receives the values written.
  // With `lookAhead` each choice searches both values of the free pixels that follow:
  // where both let the string grow, the one whose string then takes in more pixels (the
  // own value on a tie); where neither does, the one that starts the longer next string
  // (the alternative on a tie).
  void FeedEither(const uint8_t* pixels, const uint8_t* free, uint8_t alternative, size_t count,
                  uint8_t* chosen, bool lookAhead = false);
  // Emits the pending string and the end code and flushes the last partial byte. False
  // when no pixel was fed.
  bool Finish();

 private:
  static constexpr uint32_t kHashBits = 13;
  static constexpr uint32_t kHashSize = 1u << kHashBits;
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;

  void Put(uint32_t code);
  // The slot of string `key` (prefix code << 8 | pixel), or the empty slot where it would go.
  uint32_t Find(uint32_t key, uint32_t* entry) const {
    uint32_t slot = Slot(key);
    while ((*entry = hash_[slot]) != kEmpty && (*entry >> 12) != key) {
      slot = (slot + 1) & (kHashSize - 1);
    }
    return slot;
  }
  // How many pixels from `from` on the string starting with `first` would take in.
  uint32_t MatchLength(uint32_t first, const uint8_t* pixels, const uint8_t* free,
                       uint8_t alternative, size_t from, size_t count) const;
  // How many pixels from `from` on the string `code` can take in, free pixels matching
  // either value, searching both branches; `budget` caps the table look-ups.
  uint32_t Reach(uint32_t code, const uint8_t* pixels, const uint8_t* free, uint8_t alternative,
                 size_t from, size_t count, int& budget) const;
  // Emits `current` and adds the string current + p to the table (or clears it when full).
  void Extend(uint32_t current, uint32_t length, uint32_t p, uint32_t slot);
  void ResetTable();
  static uint32_t Slot(uint32_t key) { return (key * 0x9E3779B1u) >> (32 - kHashBits); }

  std::vector<uint8_t>* out_ = nullptr;
  LzwCodeTrace* trace_ = nullptr;
  bool raw_ = false;
  bool started_ = false;
  uint32_t codeSize_ = 0;
  uint32_t clear_ = 0;
  uint32_t end_ = 0;
  uint32_t width_ = 0;
  uint32_t limit_ = 0;
  uint32_t nextFree_ = 0;
  uint32_t current_ = 0;
  uint32_t currentLength_ = 0;
  uint32_t longest_ = 0;
  uint64_t bits_ = 0;      // pending bits, least significant first
  uint32_t bitCount_ = 0;  // number of pending bits
  uint32_t hash_[kHashSize];
  // For each code, the string it last grew into: (pixel + 1) << 12 | code, 0 for none.
  // Runs of a colour and repeated patterns find their next string here without hashing.
  uint32_t lastChild_[4096];
};

}  // namespace zel
