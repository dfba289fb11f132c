// Inputs the fuzz targets (fuzz/) once caught, replayed through the program's own readers:
// each must be refused cleanly or read to a sound result. The files live in
// tests/fixtures/fuzz/<target>/, where scripts/fuzz also starts from them.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "document/document_state.h"
#include "document/frame_set.h"
#include "generators/animation_merge.h"
#include "generators/colour_census.h"
#include "generators/merge_overlay.h"
#include "generators/merge_settings.h"
#include "generators/picture_normalisation.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/memory_budget.h"
#include "imagefiles/picture_clipboard.h"
#include "platform/file_io.h"
#include "platform/profile_file.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

// The settings read from a file survive being written back and read again.
::testing::AssertionResult ReplaySettings(const std::string& path) {
  ProfileFile file;
  if (!file.Load(path)) return ::testing::AssertionFailure() << "cannot load";
  const AppSettings settings = LoadAppSettings(file, "/pictures");
  StoreAppSettings(settings, file);
  ProfileFile again;
  again.Parse(file.Text());
  const AppSettings reread = LoadAppSettings(again, "/pictures");
  if (reread == settings) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "settings changed on their way through the file";
}

// Refused, or read to whole frames that together stay within the memory budget.
::testing::AssertionResult ReplayGifAnimation(const std::string& path) {
  FrameSet frames(kFrameMaxDefault);
  const int result = LoadGifAnimationFile(path, frames, kFrameMaxDefault);
  if (result != kGifReadOk) {
    if (result < 0 && frames.count == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "code " << result << " with " << frames.count << " frames";
  }
  uint64_t bytes = 0;
  for (int i = 0; i < frames.count; ++i) {
    const PackedDib& image = frames.frame(i).image;
    if (image && !IsWholePicture(image)) {
      return ::testing::AssertionFailure() << "frame " << i << " is not whole";
    }
    bytes += image.size();
  }
  if (bytes > PictureMemoryBudget()) {
    return ::testing::AssertionFailure() << bytes << " bytes of frames";
  }
  return ::testing::AssertionSuccess();
}

// Merge inputs (fuzz/merge_fuzzer.cpp): a 6-byte head whose first byte chooses the path.
::testing::AssertionResult CheckIndexed(const PackedDib& picture) {
  if (!picture || !IsWholePicture(picture) || picture.Header().bitCount != 8) {
    return ::testing::AssertionFailure() << "a merged picture that is not a whole 8-bit picture";
  }
  const uint32_t colors = picture.ColorCount();
  if (colors < 1 || colors > 256) return ::testing::AssertionFailure() << colors << " colours";
  for (int32_t y = 0; y < picture.Header().height; ++y) {
    for (int32_t x = 0; x < picture.Header().width; ++x) {
      if (picture.Row(y)[x] >= colors) {
        return ::testing::AssertionFailure() << "pixel " << x << "," << y << " beyond the table";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

class BytesClipboard : public PictureClipboard {
 public:
  explicit BytesClipboard(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  PackedDib ReadPicture() override {
    PackedDib picture = PackedDib::Allocate(bytes_.size());
    if (picture && !bytes_.empty()) std::copy(bytes_.begin(), bytes_.end(), picture.data());
    return picture;
  }

 private:
  std::vector<uint8_t> bytes_;
};

// The overlay merged in front of and behind a 12 x 9 picture and a three-frame animation.
::testing::AssertionResult ReplayMergeOverlay(const std::string& name,
                                              const std::vector<uint8_t>& body, bool file,
                                              int32_t x, int32_t y) {
  for (int base = 0; base < 2; ++base) {
    for (const uint32_t flags : {uint32_t{kMergeInFront}, uint32_t{0}}) {
      MergeOverlay overlay;
      int error = 0;
      if (file) {
        const std::string path = ::testing::TempDir() + "zel_merge_overlay" + name;
        if (!WriteFileAtomically(path, body.data(), body.size())) {
          return ::testing::AssertionFailure() << "cannot write " << path;
        }
        error = LoadOverlayFile(path, 8, &overlay);
        fs::remove(path);
      } else {
        BytesClipboard clipboard(body);
        error = LoadOverlayClipboard(&clipboard, 8, &overlay);
      }
      if (error != 0) continue;
      DocumentState doc;
      if (!CreateDocumentContainer(doc, kFrameMaxDefault)) {
        return ::testing::AssertionFailure() << "no document";
      }
      const Rgbq colors[3] = {{0, 0, 200, 0}, {0, 200, 0, 0}, {200, 0, 0, 0}};
      auto picture = [&](int variant) {
        PackedDib p = NewPicture(12, 9, 8, 3, colors);
        for (int32_t r = 0; r < 9; ++r) {
          for (int32_t c = 0; c < 12; ++c)
            p.Row(r)[c] = static_cast<uint8_t>((r + c + variant) % 3);
        }
        return p;
      };
      if (base == 0) {
        doc.kind = ImageKind::kBitmap;
        SetCurrentPicture(doc, picture(0));
      } else {
        FrameSet set(kFrameMaxDefault);
        set.screenWidth = 12;
        set.screenHeight = 9;
        set.count = 3;
        for (int i = 0; i < 3; ++i) {
          set.frame(i).image = picture(i);
          set.frame(i).delay = 10;
        }
        InstallAnimation(doc, set, ImageKind::kGifAnimation, 0);
      }
      if (MergeIntoDocument(doc, std::move(overlay), flags, x, y, 0).error != kMergeOk) continue;
      ::testing::AssertionResult checked = CheckIndexed(doc.currentPicture);
      for (int i = 0; checked && IsAnimation(doc.kind) && i < doc.frameSet->count; ++i) {
        checked = CheckIndexed(doc.frameSet->frame(i).image);
      }
      if (!checked) return checked;
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult ReplayMerge(const std::string& path) {
  std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes || bytes->size() < 6) return ::testing::AssertionFailure() << "no head";
  const uint8_t* head = bytes->data();
  const std::vector<uint8_t> body(bytes->begin() + 6, bytes->end());
  const auto int16At = [](const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); };
  switch (head[0] % 4) {
    case 0:
      return ReplayMergeOverlay("", body, false, int16At(head + 2), int16At(head + 4));
    case 1: {
      const MergeSettings first = UnpackMergeSettings(body.data(), body.size());
      const auto packed = PackMergeSettings(first);
      const MergeSettings again = UnpackMergeSettings(packed.data(), packed.size());
      if (again.path == first.path && again.flags == first.flags && again.x == first.x &&
          again.y == first.y) {
        return ::testing::AssertionSuccess();
      }
      return ::testing::AssertionFailure() << "the record changed on its way back";
    }
    case 2: {
      static const char* const kNames[3] = {".gif", ".bmp", ".png"};
      return ReplayMergeOverlay(kNames[head[1] % 3], body, true, int16At(head + 2),
                                int16At(head + 4));
    }
    default: {
      const int32_t width = 1 + head[1] % 48, height = 1 + head[2] % 48;
      const int limit = head[3];
      PackedDib picture = NewPicture(width, height, 24, 0);
      size_t at = 0;
      for (int32_t y = 0; y < height && at < body.size(); ++y) {
        const size_t n = std::min<size_t>(3 * static_cast<size_t>(width), body.size() - at);
        std::copy_n(body.begin() + static_cast<ptrdiff_t>(at), n, picture.Row(y));
        at += n;
      }
      auto census = std::make_unique<ColourCensus>();
      census->Count(picture);
      const std::vector<Rgbq> palette = BuildCommonPalette(*census, limit);
      if (palette.size() > static_cast<size_t>(std::clamp(limit, 2, 255))) {
        return ::testing::AssertionFailure()
               << palette.size() << " colours for a limit of " << limit;
      }
      PackedDib mapped = MapToCommonPalette(NormalisePicture(std::move(picture), head[4]), palette);
      if (!mapped || mapped.ColorCount() != palette.size()) {
        return ::testing::AssertionFailure() << "not mapped onto the common palette";
      }
      return ::testing::AssertionSuccess();
    }
  }
}

struct Target {
  const char* folder;
  std::function<::testing::AssertionResult(const std::string&)> replay;
};

TEST(FuzzRegression, EveryKeptInputIsReadSoundly) {
  const Target targets[] = {
      {"gif_animation", ReplayGifAnimation},
      {"settings", ReplaySettings},
      {"merge", ReplayMerge},
  };
  for (const Target& target : targets) {
    const fs::path folder = fs::path(ZEL_FIXTURES_DIR) / "fuzz" / target.folder;
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(folder)) inputs.push_back(entry.path());
    EXPECT_FALSE(inputs.empty()) << folder;
    for (const fs::path& input : inputs) {
      EXPECT_TRUE(target.replay(input.string())) << input;
    }
  }
}

}  // namespace
}  // namespace zel
