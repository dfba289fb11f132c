// Crafted hostile picture files of a few hundred bytes each: huge declared sizes, claimed
// tables the file does not hold, LZW and zlib bombs, offsets beyond the file. The table
// test opens each one through the loader; bench/hostile_files measures zel-cli on them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel::testing {

struct HostileFile {
  std::string name;  // file name, its extension picks the reader
  std::string what;  // what is hostile about it
  std::vector<uint8_t> bytes;
  int message;  // what the loader answers: 0 opened, else the message number
};

std::vector<HostileFile> HostileFiles();

// LZW data (minimum code size 2) of the highest expansion there is: colour 1, then each
// code the one just added to the table, so every string is one pixel longer than the one
// before, then the longest string over and over. Yields at least `pixels` pixels.
std::vector<uint8_t> MostExpandingLzwData(uint64_t pixels);

}  // namespace zel::testing
