#include "platform/binary_record.h"

namespace zel {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string TruncateUtf8(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t cut = maxBytes;
  // Step back over continuation bytes so the character that straddles the limit goes whole.
  while (cut > 0 && (static_cast<uint8_t>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut);
}

std::string EncodeBinaryRecord(const uint8_t* data, size_t size) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 0xF];
  }
  return text;
}

std::optional<std::vector<uint8_t>> DecodeBinaryRecord(const std::string& len,
                                                       const std::string& val, size_t expected) {
  if (len != std::to_string(expected) || val.size() != expected * 2) return std::nullopt;
  return DecodeHexBytes(val, expected);
}

std::optional<std::vector<uint8_t>> DecodeHexBytes(const std::string& text, size_t maxBytes) {
  if (text.size() % 2 != 0 || text.size() / 2 > maxBytes) return std::nullopt;
  std::vector<uint8_t> bytes(text.size() / 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    int high = HexDigit(text[2 * i]);
    int low = HexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return bytes;
}

std::optional<std::vector<uint8_t>> ReadBinaryRecord(const ProfileFile& file,
                                                     const std::string& name, size_t expected) {
  return DecodeBinaryRecord(file.Get(name, "Len"), file.Get(name, "Val"), expected);
}

bool WriteBinaryRecord(ProfileFile& file, const std::string& name, const uint8_t* data,
                       size_t size) {
  return file.Set(name, "Len", std::to_string(size)) &&
         file.Set(name, "Val", EncodeBinaryRecord(data, size));
}

}  // namespace zel
