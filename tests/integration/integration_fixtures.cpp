#include "integration/integration_fixtures.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "imagefiles/bmp_file.h"
#include "imagefiles/image_loader.h"
#include "platform/file_io.h"
#include "support/gif_builder.h"

namespace zel::testing {
namespace {

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  ASSERT_TRUE(WriteFileAtomically(path, bytes.data(), bytes.size())) << path;
}

std::unique_ptr<DocumentState> LoadFile(const std::string& path) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
  doc->undo.Reset();
  LoadContext context;
  EXPECT_TRUE(LoadImageFile(*doc, path, LoadMode::kOpen, context).done()) << path;
  return doc;
}

}  // namespace

ScratchFolder::ScratchFolder() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "zel-integration-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) std::abort();
  path_ = name.data();
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

void WriteScript(const std::string& path, const std::string& body) {
  std::ofstream(path) << "#!/bin/sh\n" << body;
  ::chmod(path.c_str(), 0755);
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::unique_ptr<DocumentState> LoadAnimation(const std::string& folder, int frames) {
  GifBuilder gif(4, 3, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
  gif.Looping();
  for (int i = 0; i < frames; ++i) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) pixels.push_back(static_cast<uint8_t>((x + y + i) % 4));
    }
    gif.Control(0x05, 10 * (i + 1), 3).Image(0, 0, 4, 3, pixels);
  }
  gif.Trailer();
  const std::string path = folder + "anim.gif";
  WriteFile(path, gif.bytes());
  return LoadFile(path);
}

std::unique_ptr<DocumentState> LoadGifPicture(const std::string& folder, int transparent) {
  GifBuilder gif(4, 3,
                 {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}, {200, 100, 50}});
  std::vector<uint8_t> pixels = {0, 1, 2, 3, 4, 5, 5, 4, 3, 2, 1, 0};
  if (transparent >= 0) gif.Control(0x01, 0, transparent);
  gif.Image(0, 0, 4, 3, pixels).Trailer();
  const std::string path = folder + "picture.gif";
  WriteFile(path, gif.bytes());
  return LoadFile(path);
}

std::unique_ptr<DocumentState> LoadTrueColorPicture(const std::string& folder) {
  PackedDib picture = NewPicture(5, 2, 24, 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 15; ++x) picture.Row(y)[x] = static_cast<uint8_t>(17 * x + 100 * y);
  }
  const std::string path = folder + "true.bmp";
  EXPECT_TRUE(WriteBmpFile(picture, path));
  return LoadFile(path);
}

std::vector<uint32_t> PixelColors(const PackedDib& picture) {
  std::vector<uint32_t> colors;
  const DibHeader h = picture.Header();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int32_t x = 0; x < h.width; ++x) {
      if (h.bitCount == 24) {
        const uint8_t* p = row + 3 * x;
        colors.push_back((uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0]);
        continue;
      }
      Rgbq c = picture.ColorTable()[row[x]];
      colors.push_back((uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue);
    }
  }
  return colors;
}

}  // namespace zel::testing
