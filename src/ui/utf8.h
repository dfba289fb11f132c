// UTF-8 texts of the core as Qt strings.
#pragma once

#include <QString>
#include <string>

namespace zel {

inline QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}
inline QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace zel
