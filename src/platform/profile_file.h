// A private profile ("ini") file: sections of key=value lines, read and written the way the
// Windows profile functions do. Lookups of sections and keys ignore ASCII case; values are
// UTF-8 bytes. Lines the module does not understand are kept and written back unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zel {

class ProfileFile {
 public:
  // Files larger than this are not read.
  static constexpr size_t kMaxFileSize = 16u << 20;

  ProfileFile() = default;

  // Forgets the contents and reads `path`, which also becomes the file Save writes. False
  // (contents empty) when the file is missing, unreadable, not a regular file or too large.
  // Any bytes are accepted: LF, CRLF or CR line ends, lines without '=' or ']', very long
  // lines; a NUL byte ends the text of its line.
  bool Load(const std::string& path);
  // Reads profile text from memory, as Load does for a file's bytes.
  void Parse(const std::string& text);

  // The value of `key` in `section`, or `fallback` when either is missing. Spaces and tabs
  // around the value are dropped, and so is one pair of matching quotes around it.
  std::string Get(const std::string& section, const std::string& key,
                  const std::string& fallback = std::string()) const;
  bool Has(const std::string& section, const std::string& key) const;

  // Sets `key` in `section`: an existing key keeps its place, a new key goes after the last
  // entry of the section, a new section goes at the end. The value is cut at its first CR,
  // LF or NUL, and quoted when it would not read back unchanged. False (nothing changed)
  // for an empty section or key, a section containing ']', or a key containing '=', or any
  // of them containing CR, LF or NUL, or starting or ending with a space or tab.
  bool Set(const std::string& section, const std::string& key, const std::string& value);

  // The file text, LF line ends.
  std::string Text() const;
  // Writes Text() atomically to the path given to Load or SetPath.
  bool Save() const;

  const std::string& path() const { return path_; }
  void SetPath(const std::string& path) { path_ = path; }

 private:
  struct Line {
    enum Kind { kSection, kEntry, kOther };
    Kind kind = kOther;
    std::string text;   // the whole line as read or written
    std::string name;   // section name or key
    std::string value;  // entries: the value as Get returns it
  };

  // Index of the first line of the section's body (after its header), or npos.
  size_t FindSection(const std::string& section) const;
  size_t FindEntry(const std::string& section, const std::string& key) const;

  std::string path_;
  std::vector<Line> lines_;
};

}  // namespace zel
