// Binary records in the profile file: a section named after the record with the byte
// count in "Len" (decimal) and the bytes in "Val" (two upper-case hexadecimal digits each).
// Also the cut of UTF-8 text into a fixed-size field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile_file.h"

namespace zel {

// The first bytes of `text`, at most `maxBytes`, without splitting a UTF-8 sequence.
std::string TruncateUtf8(const std::string& text, size_t maxBytes);

// Upper-case hexadecimal, two characters per byte.
std::string EncodeBinaryRecord(const uint8_t* data, size_t size);
// The bytes of a "Len"/"Val" pair, only when `len` is the decimal `expected` and `val`
// holds exactly 2 * expected hexadecimal digits (either case).
std::optional<std::vector<uint8_t>> DecodeBinaryRecord(const std::string& len,
                                                       const std::string& val, size_t expected);
// The bytes of hexadecimal text (two digits per byte, either case), only when it is whole
// pairs of digits and at most `maxBytes` bytes long.
std::optional<std::vector<uint8_t>> DecodeHexBytes(const std::string& text, size_t maxBytes);

// The record of section `name` when it holds exactly `expected` bytes; no value otherwise
// (a record of another length counts as absent).
std::optional<std::vector<uint8_t>> ReadBinaryRecord(const ProfileFile& file,
                                                     const std::string& name, size_t expected);
// Sets "Len" and "Val" of section `name` (in memory; the caller saves the file).
bool WriteBinaryRecord(ProfileFile& file, const std::string& name, const uint8_t* data,
                       size_t size);

}  // namespace zel
