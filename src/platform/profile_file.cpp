#include "platform/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_io.h"

namespace zel {
namespace {

constexpr size_t npos = std::string::npos;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s) {
  size_t begin = 0;
  size_t end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Whether a value written plainly would read back as something else.
bool NeedsQuotes(const std::string& value) {
  if (value.empty()) return false;
  if (IsBlank(value.front()) || IsBlank(value.back())) return true;
  return value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
}

bool HasLineBreakOrNul(const std::string& s) {
  return s.find_first_of(std::string("\r\n\0", 3)) != npos;
}

bool IsCleanName(const std::string& s) {
  return !s.empty() && !HasLineBreakOrNul(s) && !IsBlank(s.front()) && !IsBlank(s.back());
}

// Reads at most `limit` bytes of a regular file; no value when it is larger or unreadable.
bool ReadLimited(const std::string& path, size_t limit, std::string* out) {
  // O_NONBLOCK keeps a FIFO given as the path from blocking the open.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            static_cast<unsigned long long>(st.st_size) <= limit;
  std::string bytes;
  if (ok) {
    char buffer[65536];
    for (;;) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        ok = false;
        break;
      }
      if (n == 0) break;
      // The file may grow after fstat.
      if (bytes.size() + static_cast<size_t>(n) > limit) {
        ok = false;
        break;
      }
      bytes.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  if (ok) *out = std::move(bytes);
  return ok;
}

}  // namespace

bool ProfileFile::Load(const std::string& path) {
  path_ = path;
  lines_.clear();
  std::string text;
  if (!ReadLimited(path, kMaxFileSize, &text)) return false;
  Parse(text);
  return true;
}

void ProfileFile::Parse(const std::string& text) {
  lines_.clear();
  size_t pos = 0;
  while (pos < text.size()) {
    // CR, LF and CRLF all end a line. A CR left inside a value could not be written back
    // (Set cuts values there), so the value would change on the next save.
    size_t end = text.find_first_of("\r\n", pos);
    if (end == npos) end = text.size();
    Line line;
    line.text = text.substr(pos, end - pos);
    pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    size_t nul = line.text.find('\0');
    if (nul != npos) line.text.resize(nul);

    std::string trimmed = Trim(line.text);
    if (!trimmed.empty() && trimmed.front() == '[') {
      size_t close = trimmed.find(']');
      line.kind = Line::kSection;
      line.name = Trim(trimmed.substr(1, close == npos ? npos : close - 1));
    } else if (size_t equals = trimmed.find('='); equals != npos) {
      line.kind = Line::kEntry;
      line.name = Trim(trimmed.substr(0, equals));
      line.value = Unquote(Trim(trimmed.substr(equals + 1)));
    }
    lines_.push_back(std::move(line));
  }
}

size_t ProfileFile::FindSection(const std::string& section) const {
  if (section.empty()) return npos;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Line::kSection && SameName(lines_[i].name, section)) return i + 1;
  }
  return npos;
}

size_t ProfileFile::FindEntry(const std::string& section, const std::string& key) const {
  if (key.empty()) return npos;
  size_t i = FindSection(section);
  if (i == npos) return npos;
  for (; i < lines_.size() && lines_[i].kind != Line::kSection; ++i) {
    if (lines_[i].kind == Line::kEntry && SameName(lines_[i].name, key)) return i;
  }
  return npos;
}

std::string ProfileFile::Get(const std::string& section, const std::string& key,
                             const std::string& fallback) const {
  size_t i = FindEntry(section, key);
  return i == npos ? fallback : lines_[i].value;
}

bool ProfileFile::Has(const std::string& section, const std::string& key) const {
  return FindEntry(section, key) != npos;
}

bool ProfileFile::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
  if (!IsCleanName(section) || section.find(']') != npos) return false;
  if (!IsCleanName(key) || key.find('=') != npos || key.front() == '[') return false;

  Line entry;
  entry.kind = Line::kEntry;
  entry.name = key;
  entry.value = value.substr(0, value.find_first_of(std::string("\r\n\0", 3)));
  entry.text = key + "=" + (NeedsQuotes(entry.value) ? "\"" + entry.value + "\"" : entry.value);

  if (size_t found = FindEntry(section, key); found != npos) {
    entry.name = lines_[found].name;  // keep the spelling already in the file
    entry.text = entry.name + entry.text.substr(key.size());
    lines_[found] = std::move(entry);
    return true;
  }
  size_t body = FindSection(section);
  if (body == npos) {
    Line header;
    header.kind = Line::kSection;
    header.name = section;
    header.text = "[" + section + "]";
    lines_.push_back(std::move(header));
    lines_.push_back(std::move(entry));
    return true;
  }
  size_t insertAt = body;
  for (size_t i = body; i < lines_.size() && lines_[i].kind != Line::kSection; ++i) {
    if (!Trim(lines_[i].text).empty()) insertAt = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(entry));
  return true;
}

std::string ProfileFile::Text() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.text;
    text += '\n';
  }
  return text;
}

bool ProfileFile::Save() const {
  std::string text = Text();
  return WriteFileAtomically(path_, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace zel
