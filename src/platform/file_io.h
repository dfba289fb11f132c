// Whole-file reads and atomic whole-file writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zel {

// Reads the whole file. No value when it cannot be opened or read completely.
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path);

// Writes the bytes to a temporary file in the target's folder, flushes it to the disk and
// renames it over the target, so the old file survives any failure. A symbolic link is
// followed: its target gets the data and the link stays a link. An existing file that is
// not writable for the process, or has no write permission at all (even for root), is not
// replaced (false). New files get mode 0666 minus umask; an existing file keeps its mode
// and, where the process may give it, its owner and group.
bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size);

}  // namespace zel
