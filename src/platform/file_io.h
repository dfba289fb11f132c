// Whole-file reads, atomic whole-file writes, and the few questions about files the
// program asks (is it a regular file or a folder, can a new file be made there).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace zel {

// Reads the whole file. No value when it is not a regular file (a FIFO or device is
// refused without blocking) or cannot be opened or read completely.
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path);

// Writes the bytes to a temporary file in the target's folder, flushes it to the disk and
// renames it over the target, so the old file survives any failure. A symbolic link is
// followed: its target gets the data and the link stays a link. An existing file that is
// not writable for the process, or has no write permission at all (even for root), is not
// replaced (false). New files get mode 0666 minus umask; an existing file keeps its mode
// and, where the process may give it, its owner and group.
bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size);

// Reads at most `maxBytes` from the start of a regular file (fewer when it is shorter). No
// value when it is not a regular file or cannot be opened; a FIFO or device never blocks.
std::optional<std::vector<uint8_t>> ReadFileHead(const std::string& path, size_t maxBytes);

// Opens a regular file for buffered reading ("rb"), refusing anything else as ReadFileBytes
// does; null on failure. The caller closes it with fclose.
std::FILE* OpenFileForReading(const std::string& path);

bool IsRegularFile(const std::string& path);
bool IsFolder(const std::string& path);
// Whether anything (file, folder, device) exists at `path`.
bool PathExists(const std::string& path);

// Tries to create `path` as a new empty file (never touching an existing one) and removes
// it again at once.
enum class NewFileProbe { kCreatable, kExists, kNotCreatable };
NewFileProbe ProbeNewFile(const std::string& path);

}  // namespace zel
