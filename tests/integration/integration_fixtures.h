// Documents and folders shared by the integration tests: real documents made by loading
// GIF files built byte by byte, and a private scratch folder.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/document_state.h"

namespace zel::testing {

// A fresh folder removed with its contents.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // The folder with a trailing '/'.
  std::string path() const { return path_.string() + "/"; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Writes an executable shell script.
void WriteScript(const std::string& path, const std::string& body);
std::string ReadText(const std::string& path);

// A 4 x 3 animation of `frames` frames loaded from a GIF file (kind 'a'): frame i has pixel
// values (x + y + i) % 4 over a four-colour table, delays 10, 20, ..., transparent index 3.
std::unique_ptr<DocumentState> LoadAnimation(const std::string& folder, int frames = 3);

// A 4 x 3 single 8-bit GIF picture (kind 'g') with transparent index `transparent` (or none
// for -1) over a six-colour table.
std::unique_ptr<DocumentState> LoadGifPicture(const std::string& folder, int transparent);

// A 24-bit picture (kind 'b') of 5 x 2 pixels, loaded from a BMP file.
std::unique_ptr<DocumentState> LoadTrueColorPicture(const std::string& folder);

// The pixels of an 8- or 24-bit picture as colours (0x00RRGGBB), top row first.
std::vector<uint32_t> PixelColors(const PackedDib& picture);

}  // namespace zel::testing
