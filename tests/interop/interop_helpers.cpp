#include "interop/interop_helpers.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace zel::interop {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zel_interop_XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed for " << pattern;
    return;
  }
  path_ = buffer.data();
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  if (std::getenv("ZEL_INTEROP_KEEP") != nullptr) {
    std::fprintf(stderr, "keeping %s\n", path_.c_str());
    return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += "'";
  return quoted;
}

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  std::string full = "( " + command + " ) 2>&1";
  FILE* pipe = popen(full.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  int status = pclose(pipe);
  result.status = (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
  return result;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::optional<std::vector<MagickFrame>> ReadWithMagick(const std::string& path, bool coalesce,
                                                       const std::string& scratchDir) {
  CommandResult info = RunCommand("identify -format '%W %H %X %Y %w %h %T\\n' " + Quote(path));
  if (info.status != 0) {
    ADD_FAILURE() << "identify cannot read " << path << ":\n" << info.output;
    return std::nullopt;
  }
  std::vector<MagickFrame> frames;
  std::istringstream lines(info.output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    MagickFrame f;
    int width = 0, height = 0;
    // %X and %Y carry their sign ("+5").
    if (std::sscanf(line.c_str(), "%d %d %d %d %d %d %d", &f.screenWidth, &f.screenHeight, &f.left,
                    &f.top, &width, &height, &f.delay) != 7) {
      ADD_FAILURE() << "unexpected identify line: " << line;
      return std::nullopt;
    }
    if (coalesce) {
      width = f.screenWidth;
      height = f.screenHeight;
    }
    f.image = RgbaImage(width, height);
    frames.push_back(std::move(f));
  }
  std::string raw = scratchDir + "/magick_frames.rgba";
  CommandResult convert = RunCommand("convert " + Quote(path) + (coalesce ? " -coalesce" : "") +
                                     " -depth 8 rgba:" + Quote(raw));
  if (convert.status != 0) {
    ADD_FAILURE() << "convert cannot read " << path << ":\n" << convert.output;
    return std::nullopt;
  }
  std::vector<uint8_t> bytes = ReadFileBytes(raw);
  std::filesystem::remove(raw);
  size_t expected = 0;
  for (const MagickFrame& f : frames) expected += f.image.pixels.size() * 4;
  if (bytes.size() != expected) {
    ADD_FAILURE() << "convert gave " << bytes.size() << " bytes for " << path << ", expected "
                  << expected;
    return std::nullopt;
  }
  size_t at = 0;
  for (MagickFrame& f : frames) {
    for (Rgba& p : f.image.pixels) {
      p = {bytes[at], bytes[at + 1], bytes[at + 2], bytes[at + 3]};
      at += 4;
    }
  }
  return frames;
}

bool WriteAnimationWithMagick(const std::vector<PlacedImage>& frames, int screenWidth,
                              int screenHeight, const std::string& magickOptions,
                              const std::string& outPath, const std::string& scratchDir) {
  // -depth goes first: given between the frames it also moves the frames read before it.
  std::string command = "convert -depth 8 " + magickOptions;
  for (size_t i = 0; i < frames.size(); ++i) {
    const PlacedImage& f = frames[i];
    std::vector<uint8_t> bytes;
    bytes.reserve(f.image.pixels.size() * 4);
    for (const Rgba& p : f.image.pixels) bytes.insert(bytes.end(), {p.r, p.g, p.b, p.a});
    std::string raw = scratchDir + "/frame" + std::to_string(i) + ".rgba";
    WriteFileBytes(raw, bytes);
    command += " -delay " + std::to_string(f.delay) + " -size " + std::to_string(f.image.width) +
               "x" + std::to_string(f.image.height) + " -page " + std::to_string(screenWidth) +
               "x" + std::to_string(screenHeight) + "+" + std::to_string(f.left) + "+" +
               std::to_string(f.top) + " rgba:" + Quote(raw);
  }
  command += (frames.size() > 1 ? " -loop 0 " : " ") + Quote(outPath);
  CommandResult result = RunCommand(command);
  for (size_t i = 0; i < frames.size(); ++i) {
    std::filesystem::remove(scratchDir + "/frame" + std::to_string(i) + ".rgba");
  }
  if (result.status != 0) {
    ADD_FAILURE() << command << "\n" << result.output;
    return false;
  }
  return true;
}

namespace {

std::vector<Rgba> ColorsOf(const ColorMapObject* map) {
  std::vector<Rgba> colors;
  if (map == nullptr) return colors;
  for (int i = 0; i < map->ColorCount; ++i) {
    const GifColorType& c = map->Colors[i];
    colors.push_back({c.Red, c.Green, c.Blue, 255});
  }
  return colors;
}

// NETSCAPE2.0 application block followed by a sub-block {1, count low, count high}.
void FindLoopBlock(const ExtensionBlock* blocks, int count, GiflibFile& file) {
  for (int i = 0; i + 1 < count; ++i) {
    const ExtensionBlock& app = blocks[i];
    const ExtensionBlock& data = blocks[i + 1];
    if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
        std::memcmp(app.Bytes, "NETSCAPE2.0", 11) == 0 && data.Function == CONTINUE_EXT_FUNC_CODE &&
        data.ByteCount >= 3 && data.Bytes[0] == 1) {
      file.hasLoopBlock = true;
      file.loopCount = data.Bytes[1] | (data.Bytes[2] << 8);
    }
  }
}

ColorMapObject* MakeMap(const std::vector<Rgba>& colors) {
  if (colors.empty()) return nullptr;
  int size = 2;
  while (size < static_cast<int>(colors.size())) size *= 2;
  std::vector<GifColorType> entries(static_cast<size_t>(size), GifColorType{0, 0, 0});
  for (size_t i = 0; i < colors.size(); ++i) {
    entries[i] = GifColorType{colors[i].r, colors[i].g, colors[i].b};
  }
  return GifMakeMapObject(size, entries.data());
}

}  // namespace

std::optional<GiflibFile> ReadWithGiflib(const std::string& path) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (gif == nullptr) {
    ADD_FAILURE() << "giflib cannot open " << path << ": " << GifErrorString(error);
    return std::nullopt;
  }
  if (DGifSlurp(gif) != GIF_OK) {
    ADD_FAILURE() << "giflib cannot read " << path << ": " << GifErrorString(gif->Error);
    DGifCloseFile(gif, &error);
    return std::nullopt;
  }
  GiflibFile file;
  file.screenWidth = gif->SWidth;
  file.screenHeight = gif->SHeight;
  file.globalColors = ColorsOf(gif->SColorMap);
  FindLoopBlock(gif->ExtensionBlocks, gif->ExtensionBlockCount, file);
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& saved = gif->SavedImages[i];
    FindLoopBlock(saved.ExtensionBlocks, saved.ExtensionBlockCount, file);
    GiflibImage image;
    image.left = saved.ImageDesc.Left;
    image.top = saved.ImageDesc.Top;
    image.width = saved.ImageDesc.Width;
    image.height = saved.ImageDesc.Height;
    image.interlaced = saved.ImageDesc.Interlace;
    image.localColors = ColorsOf(saved.ImageDesc.ColorMap);
    GraphicsControlBlock gcb;
    // Without a control block giflib gives the defaults: no disposal, no delay, opaque.
    if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
      image.disposal = gcb.DisposalMode;
      image.delay = gcb.DelayTime;
      image.transparentIndex = gcb.TransparentColor;
    }
    size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    if (saved.RasterBits != nullptr)
      image.raster.assign(saved.RasterBits, saved.RasterBits + count);
    file.images.push_back(std::move(image));
  }
  DGifCloseFile(gif, &error);
  return file;
}

unsigned FeaturesOf(const GiflibFile& file) {
  unsigned features = file.globalColors.empty() ? kNoGlobalTable : 0u;
  for (size_t i = 0; i < file.images.size(); ++i) {
    const GiflibImage& image = file.images[i];
    bool last = i + 1 == file.images.size();
    if (image.width != file.screenWidth || image.height != file.screenHeight) {
      features |= kSubRectangle;
    }
    if (!image.localColors.empty()) features |= kLocalTable;
    if (image.interlaced) features |= kInterlaced;
    if (!last && image.disposal == DISPOSE_BACKGROUND) features |= kDisposeBackground;
    if (!last && image.disposal == DISPOSE_PREVIOUS) features |= kDisposePrevious;
    if (image.transparentIndex >= 0) features |= kTransparency;
  }
  return features;
}

std::string DescribeFeatures(unsigned features) {
  static const char* const kNames[] = {"sub-rectangle", "local table",        "no global table",
                                       "interlaced",    "dispose background", "dispose previous",
                                       "transparency"};
  std::string text;
  for (int bit = 0; bit < 7; ++bit) {
    if (features & (1u << bit)) text += std::string(text.empty() ? "" : ", ") + kNames[bit];
  }
  return text.empty() ? "nothing" : text;
}

bool WriteWithGiflib(const std::string& path, int screenWidth, int screenHeight,
                     const std::vector<Rgba>& globalColors,
                     const std::vector<GiflibFrameSpec>& frames) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (gif == nullptr) {
    ADD_FAILURE() << "giflib cannot create " << path << ": " << GifErrorString(error);
    return false;
  }
  EGifSetGifVersion(gif, true);
  ColorMapObject* global = MakeMap(globalColors);
  bool ok = EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, global) == GIF_OK;
  GifFreeMapObject(global);
  for (const GiflibFrameSpec& f : frames) {
    if (!ok) break;
    GraphicsControlBlock gcb;
    gcb.DisposalMode = f.disposal;
    gcb.UserInputFlag = false;
    gcb.DelayTime = f.delay;
    gcb.TransparentColor = f.transparentIndex;
    GifByteType extension[4];
    EGifGCBToExtension(&gcb, extension);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    ColorMapObject* local = MakeMap(f.localColors);
    ok = ok && EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, false, local) == GIF_OK;
    GifFreeMapObject(local);
    std::vector<GifPixelType> row(static_cast<size_t>(f.width));
    for (int y = 0; ok && y < f.height; ++y) {
      std::memcpy(row.data(), f.indices.data() + static_cast<size_t>(y) * f.width, row.size());
      ok = EGifPutLine(gif, row.data(), f.width) == GIF_OK;
    }
  }
  if (!ok) ADD_FAILURE() << "giflib cannot write " << path << ": " << GifErrorString(gif->Error);
  if (EGifCloseFile(gif, &error) != GIF_OK) {
    ADD_FAILURE() << "giflib cannot close " << path << ": " << GifErrorString(error);
    ok = false;
  }
  return ok;
}

int PixelIndex(const PackedDib& picture, int x, int y) {
  const uint8_t* row = picture.Row(y);
  switch (picture.Header().bitCount) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default:
      return row[x];
  }
}

Rgba ColorOf(const PackedDib& picture, int index) {
  const Rgbq& q = picture.ColorTable()[index];
  return {q.red, q.green, q.blue, 255};
}

namespace {

std::string Describe(const Rgba& c) {
  char text[32];
  std::snprintf(text, sizeof text, "(%d,%d,%d,%d)", c.r, c.g, c.b, c.a);
  return text;
}

}  // namespace

void ExpectFramesMatchMagick(const FrameSet& frames, const std::vector<MagickFrame>& reference,
                             const std::string& label) {
  SCOPED_TRACE(label);
  ASSERT_EQ(frames.count, static_cast<int>(reference.size())) << "frame count";
  ASSERT_FALSE(reference.empty());
  bool single = reference.size() == 1;
  // Opaque pixels may share the transparent slot's index only when nothing is transparent.
  bool anyTransparent = false;
  for (const MagickFrame& f : reference) {
    for (const Rgba& p : f.image.pixels) anyTransparent = anyTransparent || p.a == 0;
  }
  if (!single) {
    EXPECT_EQ(frames.screenWidth, reference[0].screenWidth);
    EXPECT_EQ(frames.screenHeight, reference[0].screenHeight);
  }
  for (int i = 0; i < frames.count; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const Frame& frame = frames.frame(i);
    const MagickFrame& expected = reference[static_cast<size_t>(i)];
    ASSERT_TRUE(frame.image);
    DibHeader header = frame.image.Header();
    ASSERT_EQ(header.bitCount, 8);
    ASSERT_EQ(header.width, expected.image.width);
    ASSERT_EQ(header.height, expected.image.height);
    EXPECT_EQ(frame.delay, expected.delay);
    if (single) {
      EXPECT_EQ(frame.left, expected.left);
      EXPECT_EQ(frame.top, expected.top);
    }
    // Frames kept as read (a single picture, or an animation left in its own palettes)
    // carry their own transparent index; composed frames use the set's.
    const bool asRead = single || frames.paletteCount < 0;
    const int transparent = asRead ? frame.transparentIndex : frames.transparentIndex;
    const int colors = static_cast<int>(frame.image.ColorCount());
    int mismatches = 0;
    std::string firstMismatches;
    for (int y = 0; y < expected.image.height; ++y) {
      for (int x = 0; x < expected.image.width; ++x) {
        const Rgba& want = expected.image.At(x, y);
        int index = PixelIndex(frame.image, x, y);
        bool ok;
        std::string got;
        if (want.a == 0) {
          ok = index == transparent;
          got = "index " + std::to_string(index) + ", transparent index " +
                std::to_string(transparent);
        } else if (index >= colors) {
          ok = false;
          got = "index " + std::to_string(index) + " beyond " + std::to_string(colors) + " colours";
        } else {
          Rgba have = ColorOf(frame.image, index);
          ok = have == want && !(anyTransparent && index == transparent);
          got = "index " + std::to_string(index) + " " + Describe(have);
        }
        if (!ok && ++mismatches <= 5) {
          firstMismatches += "  (" + std::to_string(x) + "," + std::to_string(y) + ") want " +
                             Describe(want) + ", got " + got + "\n";
        }
      }
    }
    EXPECT_EQ(mismatches, 0) << "pixels differing from ImageMagick:\n" << firstMismatches;
  }
}

}  // namespace zel::interop
