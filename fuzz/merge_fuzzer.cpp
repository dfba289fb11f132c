// Merging a second picture or animation into the open one, and making one animation from
// several pictures: the overlay taken from the clipboard or read from a file, the
// "MergeAnime" record of zel.ini, and the colour census, common palette and reduction of
// a full-colour picture.
//
// Input: a 6-byte head, then the body.
//   head[0] % 4 chooses the path:
//     0  the body is the clipboard's picture (a packed bitmap, perhaps a frame bitmap or
//        with a "TIDX" trailer), merged into every base;
//     1  the body is a "MergeAnime" record, read, written back and read again;
//     2  the body is an overlay file, named .gif, .bmp or .png by head[1] % 3, merged into
//        every base;
//     3  the body is the pixels of a 24-bit picture of (1 + head[1] % 48) x (1 + head[2] %
//        48), counted, given a common palette of at most head[3] entries, reduced to the
//        side head[4] and mapped onto the palette.
//   For 0 and 2, head[2..3] and head[4..5] are x and y (signed, little-endian); head[1]
//   bit 7 turns the palette display copy on.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "fuzz_support.h"
#include "generators/animation_merge.h"
#include "generators/colour_census.h"
#include "generators/merge_overlay.h"
#include "generators/merge_palette.h"
#include "generators/merge_settings.h"
#include "generators/palette_compaction.h"
#include "generators/picture_normalisation.h"
#include "imagefiles/picture_clipboard.h"
#include "platform/binary_record.h"
#include "platform/private_folder.h"
#include "platform/profile_file.h"

namespace {

using namespace zel;

constexpr size_t kHeadSize = 6;
// Overlays read from files are kept small: a few frames, a screen of at most this many
// pixels as the file declares it.
constexpr int kFrameMax = 8;
constexpr uint64_t kDeclaredPixelsMax = uint64_t{1} << 16;

constexpr int32_t kBaseWidth = 12;
constexpr int32_t kBaseHeight = 9;

class BytesClipboard : public PictureClipboard {
 public:
  BytesClipboard(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  PackedDib ReadPicture() override {
    if (size_ == 0) return {};
    PackedDib picture = PackedDib::Allocate(size_);
    if (picture) std::memcpy(picture.data(), data_, size_);
    return picture;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

PackedDib BasePicture(int variant) {
  const Rgbq colors[5] = {
      {0, 0, 200, 0}, {0, 200, 0, 0}, {200, 0, 0, 0}, {255, 255, 255, 0}, {9, 9, 9, 0}};
  PackedDib picture = NewPicture(kBaseWidth, kBaseHeight, 8, 5, colors);
  fuzz::Require(static_cast<bool>(picture), "cannot make a base picture");
  for (int32_t y = 0; y < kBaseHeight; ++y) {
    for (int32_t x = 0; x < kBaseWidth; ++x) {
      picture.Row(y)[x] = static_cast<uint8_t>((x / 3 + y / 3 + variant) % 4);
    }
  }
  return picture;
}

// The four bases: a picture and a three-frame animation, each with and without a
// transparent index.
std::unique_ptr<DocumentState> MakeBase(int base, bool paletteDisplay) {
  auto doc = std::make_unique<DocumentState>();
  fuzz::Require(CreateDocumentContainer(*doc, kFrameMaxDefault), "cannot make a document");
  doc->frameMax = kFrameMax;
  doc->trueColorDisplay = paletteDisplay ? 0 : 1;
  const int32_t transparent = (base & 1) ? 3 : -1;
  if ((base & 2) == 0) {
    doc->kind = ImageKind::kBitmap;
    doc->frameSet->transparentIndex = transparent;
    fuzz::Require(SetCurrentPicture(*doc, BasePicture(0)), "cannot set the base picture");
    return doc;
  }
  auto set = FrameSet::Create(kFrameMaxDefault);
  fuzz::Require(set != nullptr, "cannot make a frame set");
  set->screenWidth = kBaseWidth;
  set->screenHeight = kBaseHeight;
  set->transparentIndex = transparent;
  set->count = 3;
  for (int i = 0; i < 3; ++i) {
    set->frame(i).image = BasePicture(i);
    set->frame(i).delay = 10 * (i + 1);
    set->frame(i).transparentIndex = transparent;
  }
  fuzz::Require(InstallAnimation(*doc, *set, ImageKind::kGifAnimation, 0),
                "cannot install the base animation");
  return doc;
}

// Every pixel of an 8-bit picture names an entry of its table of at most 256 entries.
void CheckIndexed(const PackedDib& picture, int32_t width, int32_t height) {
  fuzz::TouchPicture(picture);
  fuzz::Require(static_cast<bool>(picture), "a merged picture is missing");
  const DibHeader h = picture.Header();
  fuzz::Require(h.bitCount == 8, "a merged picture is not 8-bit");
  fuzz::Require(h.width == width && h.height == height, "a merged picture has the wrong size");
  const uint32_t colors = picture.ColorCount();
  fuzz::Require(colors >= 1 && colors <= 256, "a merged palette is empty or too long");
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = picture.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      fuzz::Require(row[x] < colors, "a merged pixel lies beyond its palette");
    }
  }
}

int Distance(const Rgbq& a, const Rgbq& b) {
  return std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
}

// The first merged picture seen pixel by pixel: where the overlay is drawn and opaque it
// shows the overlay's colour (within the merge's tolerance), elsewhere the base's colour
// exactly, and beyond both the base's transparent entry or its first stored pixel's colour.
void CheckComposed(const PackedDib& result, int32_t resultTransparent, const PackedDib& base,
                   int32_t baseTransparent, const PackedDib& overlay, int32_t overlayTransparent,
                   int32_t cx, int32_t cy, bool inFront) {
  PackedDib wide = ExpandTo8Bits(overlay);
  if (!wide) return;
  const DibHeader rh = result.Header();
  const DibHeader oh = wide.Header();
  const Rgbq* baseTable = base.ColorTable();
  const int fillIndex = baseTransparent >= 0 ? baseTransparent : base.Row(kBaseHeight - 1)[0];
  for (int32_t y = 0; y < rh.height; ++y) {
    for (int32_t x = 0; x < rh.width; ++x) {
      const Rgbq got = result.ColorTable()[result.Row(y)[x]];
      const bool inBase = x < kBaseWidth && y < kBaseHeight;
      const int baseIndex = inBase ? base.Row(y)[x] : fillIndex;
      const bool baseOpaque = inBase && baseIndex != baseTransparent;
      const int32_t ox = x - cx, oy = y - cy;
      int overlayIndex = -1;
      if (ox >= 0 && oy >= 0 && ox < oh.width && oy < oh.height) {
        overlayIndex = wide.Row(oy)[ox];
        if (overlayIndex == overlayTransparent) overlayIndex = -1;
      }
      const bool overlayShows = overlayIndex >= 0 && (inFront || !baseOpaque);
      if (overlayShows) {
        fuzz::Require(Distance(got, wide.ColorTable()[overlayIndex]) <= kMergeToleranceMax,
                      "a merged pixel does not show the overlay's colour");
      } else if (baseIndex == baseTransparent) {
        // The transparent entry shows the editor's background colour.
        fuzz::Require(result.Row(y)[x] == resultTransparent,
                      "a merged pixel is not transparent where the base is");
      } else {
        fuzz::Require(Distance(got, baseTable[baseIndex]) == 0,
                      "a merged pixel does not show the base's colour");
      }
    }
  }
}

// A copy of what a failed merge must leave untouched.
struct DocumentPrint {
  ImageKind kind;
  int32_t frames;
  std::vector<uint8_t> picture;
};

DocumentPrint PrintOf(const DocumentState& doc) {
  const PackedDib& p = doc.currentPicture;
  return {doc.kind, doc.frameSet->count, std::vector<uint8_t>(p.data(), p.data() + p.size())};
}

void MergeIntoEveryBase(const MergeOverlay& overlay, int32_t x, int32_t y, bool paletteDisplay) {
  const PackedDib& first = overlay.IsAnimation() ? overlay.frames->frame(0).image : overlay.picture;
  if (!first || first.size() < kDibHeaderSize) return;
  const int32_t overlayWidth = first.Header().width;
  const int32_t overlayHeight = first.Header().height;
  // A reader may grow the screen to hold frames placed far out; such overlays make large
  // merges that teach the run nothing new.
  if (std::abs(int64_t{overlayWidth}) * std::abs(int64_t{overlayHeight}) >
      static_cast<int64_t>(kDeclaredPixelsMax)) {
    return;
  }
  for (int base = 0; base < 4; ++base) {
    for (const uint32_t flags : {uint32_t{kMergeInFront}, uint32_t{0}}) {
      std::unique_ptr<DocumentState> doc = MakeBase(base, paletteDisplay);
      // The overlay is consumed by the merge: each merge gets its own copy.
      MergeOverlay copy;
      copy.transparentIndex = overlay.transparentIndex;
      copy.unusable = overlay.unusable;
      if (overlay.IsAnimation()) {
        copy.frames = FrameSet::Create(overlay.frames->capacity());
        fuzz::Require(copy.frames != nullptr, "cannot copy the overlay");
        FrameSet& to = *copy.frames;
        const FrameSet& from = *overlay.frames;
        to.screenWidth = from.screenWidth;
        to.screenHeight = from.screenHeight;
        to.transparentIndex = from.transparentIndex;
        to.palette = from.palette;
        to.paletteCount = from.paletteCount;
        to.count = from.count;
        for (int i = 0; i < from.count; ++i) {
          to.frame(i).image = DuplicateBlock(from.frame(i).image);
          to.frame(i).delay = from.frame(i).delay;
          to.frame(i).transparentIndex = from.frame(i).transparentIndex;
          to.frame(i).disposal = from.frame(i).disposal;
          to.frame(i).disposalMethod = from.frame(i).disposalMethod;
        }
      } else {
        copy.picture = DuplicateBlock(overlay.picture);
      }

      const DocumentPrint before = PrintOf(*doc);
      const MergeResult result = MergeIntoDocument(*doc, std::move(copy), flags, x, y, 0);
      if (result.error != kMergeOk) {
        const DocumentPrint after = PrintOf(*doc);
        fuzz::Require(after.kind == before.kind && after.frames == before.frames &&
                          after.picture == before.picture,
                      "a failed merge changed the document");
        continue;
      }
      // The overlay's corner is held within the base; the result covers both.
      const int32_t cx = std::clamp(x, 0, kBaseWidth);
      const int32_t cy = std::clamp(y, 0, kBaseHeight);
      const int32_t width = std::max(kBaseWidth, cx + overlayWidth);
      const int32_t height = std::max(kBaseHeight, cy + overlayHeight);
      CheckIndexed(doc->currentPicture, width, height);
      const int32_t transparent = doc->frameSet->transparentIndex;
      fuzz::Require(transparent < static_cast<int32_t>(doc->currentPicture.ColorCount()),
                    "the merged transparent index lies beyond the palette");
      CheckComposed(doc->currentPicture, transparent, BasePicture(0), (base & 1) ? 3 : -1, first,
                    overlay.transparentIndex, cx, cy, flags & kMergeInFront);
      if (IsAnimation(doc->kind)) {
        const FrameSet& set = *doc->frameSet;
        fuzz::Require(set.count >= 1 && set.count <= set.capacity(), "a merged frame count");
        fuzz::Require(set.screenWidth == width && set.screenHeight == height,
                      "the merged screen has the wrong size");
        fuzz::Require(set.paletteCount >= 1 && set.paletteCount <= 256,
                      "the merged shared palette is empty or too long");
        for (int i = 0; i < set.count; ++i) CheckIndexed(set.frame(i).image, width, height);
      }
    }
  }
}

int16_t Int16At(const uint8_t* p) {
  return static_cast<int16_t>(p[0] | (p[1] << 8));
}

void FuzzClipboard(const uint8_t* head, const uint8_t* body, size_t size) {
  BytesClipboard clipboard(body, size);
  MergeOverlay overlay;
  const int error = LoadOverlayClipboard(&clipboard, kFrameMax, &overlay);
  fuzz::Require(error == 0 || error == kMergeNoClipboard, "an unknown clipboard error");
  if (error != 0) return;
  fuzz::Require(overlay.unusable == kMergeNoClipboard, "a clipboard overlay's error");
  MergeIntoEveryBase(overlay, Int16At(head + 2), Int16At(head + 4), (head[1] & 0x80) != 0);
}

void FuzzRecord(const uint8_t* body, size_t size) {
  const MergeSettings first = UnpackMergeSettings(body, size);
  fuzz::Require(first.path.size() < kMergePathField, "a record's path beyond its field");
  fuzz::Require(
      first.x >= 0 && first.x <= kMergePositionMax && first.y >= 0 && first.y <= kMergePositionMax,
      "a record's position beyond its range");
  fuzz::Require((first.flags & ~uint32_t{kMergeInFront | kMergeFromClipboard}) == 0,
                "a record's unknown flags kept");
  const auto packed = PackMergeSettings(first);
  const MergeSettings again = UnpackMergeSettings(packed.data(), packed.size());
  fuzz::Require(again.path == first.path && again.flags == first.flags && again.x == first.x &&
                    again.y == first.y,
                "the record changed on its way back");

  // The same bytes through zel.ini: stored, the file's text parsed again and the record read.
  ProfileFile file;
  WriteBinaryRecord(file, kMergeAnimeRecordName, body, size);
  ProfileFile reread;
  reread.Parse(file.Text());
  const MergeSettings stored = ReadMergeSettings(reread);
  const MergeSettings expected = size == kMergeAnimeRecordSize ? first : MergeSettings{};
  fuzz::Require(stored.path == expected.path && stored.flags == expected.flags &&
                    stored.x == expected.x && stored.y == expected.y,
                "the record changed on its way through zel.ini");
  WriteMergeSettings(reread, stored);
  ProfileFile third;
  third.Parse(reread.Text());
  const MergeSettings last = ReadMergeSettings(third);
  fuzz::Require(last.path == stored.path && last.flags == stored.flags && last.x == stored.x &&
                    last.y == stored.y,
                "written settings read back differently");

  // The body as the text of zel.ini itself.
  ProfileFile text;
  text.Parse(std::string(reinterpret_cast<const char*>(body), size));
  const MergeSettings fromText = ReadMergeSettings(text);
  const auto repacked = PackMergeSettings(fromText);
  const MergeSettings fromTextAgain = UnpackMergeSettings(repacked.data(), repacked.size());
  fuzz::Require(fromTextAgain.path == fromText.path && fromTextAgain.flags == fromText.flags &&
                    fromTextAgain.x == fromText.x && fromTextAgain.y == fromText.y,
                "the record read from zel.ini changed on its way back");
}

uint32_t Le32(const uint8_t* p) {
  return ReadLe32(p);
}

// The size the file declares, where the format says it in fixed places; files that claim a
// large picture are left to the readers' own targets.
bool DeclaresSmallPicture(char letter, const uint8_t* body, size_t size) {
  uint64_t width = 0, height = 0;
  if (letter == 'g') {
    if (size < 10) return true;
    width = ReadLe16(body + 6);
    height = ReadLe16(body + 8);
  } else if (letter == 'b') {
    if (size < 26) return true;
    width = static_cast<uint64_t>(
        std::abs(static_cast<int64_t>(static_cast<int32_t>(Le32(body + 18)))));
    height = static_cast<uint64_t>(
        std::abs(static_cast<int64_t>(static_cast<int32_t>(Le32(body + 22)))));
  } else {
    if (size < 24) return true;
    width = (uint64_t{body[16]} << 24) | (uint64_t{body[17]} << 16) | (uint64_t{body[18]} << 8) |
            body[19];
    height = (uint64_t{body[20]} << 24) | (uint64_t{body[21]} << 16) | (uint64_t{body[22]} << 8) |
             body[23];
  }
  return width * height <= kDeclaredPixelsMax;
}

void FuzzFile(const PrivateFolder& folder, const uint8_t* head, const uint8_t* body, size_t size) {
  static const char* const kNames[3] = {"overlay.gif", "overlay.bmp", "overlay.png"};
  const int kind = head[1] % 3;
  if (!DeclaresSmallPicture(kNames[kind][8], body, size)) return;
  const std::string path = folder.path() + kNames[kind];
  // A plain write: the run needs no atomic replacement, and a flush to disk per input
  // would cost most of its time.
  std::FILE* file = std::fopen(path.c_str(), "wb");
  fuzz::Require(file != nullptr, "cannot create the overlay file");
  fuzz::Require(size == 0 || std::fwrite(body, 1, size, file) == size,
                "cannot write the overlay file");
  fuzz::Require(std::fclose(file) == 0, "cannot close the overlay file");
  (void)OverlayFileHasTooManyColors(path);
  MergeOverlay overlay;
  const int error = LoadOverlayFile(path, kFrameMax, &overlay);
  fuzz::Require(error == 0 || error == kMergeCannotOpen, "an unexpected overlay file error");
  if (error != 0) return;
  if (overlay.IsAnimation()) fuzz::TouchFrames(*overlay.frames);
  fuzz::TouchPicture(overlay.picture);
  MergeIntoEveryBase(overlay, Int16At(head + 2), Int16At(head + 4), (head[1] & 0x80) != 0);
}

void FuzzCensus(const uint8_t* head, const uint8_t* body, size_t size) {
  const int32_t width = 1 + head[1] % 48;
  const int32_t height = 1 + head[2] % 48;
  const int limit = head[3];
  const int side = head[4];
  PackedDib picture = NewPicture(width, height, 24, 0);
  fuzz::Require(static_cast<bool>(picture), "cannot make a 24-bit picture");
  const size_t rowBytes = 3 * static_cast<size_t>(width);
  size_t at = 0;
  for (int32_t y = 0; y < height && at < size; ++y) {
    const size_t n = std::min(rowBytes, size - at);
    std::memcpy(picture.Row(y), body + at, n);
    at += n;
  }

  static ColourCensus census;
  census = ColourCensus();
  fuzz::Require(census.Count(picture), "a 24-bit picture was not counted");
  const std::vector<Rgbq> palette = BuildCommonPalette(census, limit);
  fuzz::Require(palette.size() >= 2, "a common palette without black and white");
  fuzz::Require(palette.size() <= static_cast<size_t>(std::clamp(limit, 2, 255)),
                "a common palette beyond its limit");

  const PictureExtent extent = NormalisedExtent(width, height, side);
  const int32_t bound = std::max(side, 1);
  fuzz::Require(
      extent.width >= 1 && extent.height >= 1 && extent.width <= width && extent.height <= height,
      "a reduced size beyond the picture");
  fuzz::Require(
      (width <= bound && height <= bound) || (std::max(extent.width, extent.height) == bound),
      "a reduced picture that does not fit its side exactly");
  PackedDib reduced = NormalisePicture(std::move(picture), side);
  fuzz::Require(static_cast<bool>(reduced), "a whole 24-bit picture was not reduced");
  fuzz::TouchPicture(reduced);
  fuzz::Require(reduced.Header().bitCount == 24 && reduced.Header().width == extent.width &&
                    reduced.Header().height == extent.height,
                "the reduced picture is not of the size it was given");

  PackedDib mapped = MapToCommonPalette(reduced, palette);
  fuzz::Require(static_cast<bool>(mapped), "a reduced picture was not mapped");
  fuzz::TouchPicture(mapped);
  const DibHeader h = mapped.Header();
  fuzz::Require(h.width == extent.width && h.height == extent.height,
                "the mapped picture changed size");
  fuzz::Require(mapped.ColorCount() == palette.size(), "the mapped picture's table");
  for (int32_t y = 0; y < h.height; ++y) {
    for (int32_t x = 0; x < h.width; ++x) {
      uint32_t index = 0;
      const uint8_t* row = mapped.Row(y);
      switch (h.bitCount) {
        case 8:
          index = row[x];
          break;
        case 4:
          index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
          break;
        case 1:
          index = (row[x >> 3] >> (7 - (x & 7))) & 1;
          break;
        default:
          fuzz::Require(false, "the mapped picture has an unexpected depth");
      }
      fuzz::Require(index < palette.size(), "a mapped pixel beyond the common palette");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static PrivateFolder folder;
  if (!folder.created() && !folder.Create("zel-merge-fuzz-")) return 0;
  if (size < kHeadSize) return 0;
  const uint8_t* body = data + kHeadSize;
  const size_t bodySize = size - kHeadSize;
  switch (data[0] % 4) {
    case 0:
      FuzzClipboard(data, body, bodySize);
      break;
    case 1:
      FuzzRecord(body, bodySize);
      break;
    case 2:
      FuzzFile(folder, data, body, bodySize);
      break;
    default:
      FuzzCensus(data, body, bodySize);
      break;
  }
  return 0;
}
