// Motion paths: the records kept in zel.ini, a path file as the program reads it, the
// placement of pictures along it, and the tracer over a BMP drawn by the user.
//
// Input: a 16-byte head (picture size, the record's bitmap size as stored, range, flags,
// frame count), then bytes used three ways: as a path file, as a settings record, and as
// a BMP file to trace.
#include <cstring>
#include <vector>

#include "document/packed_dib.h"
#include "fuzz_support.h"
#include "generators/motion_definitions.h"
#include "generators/motion_placement.h"
#include "generators/motion_tracer.h"
#include "imagefiles/bmp_file.h"
#include "platform/file_io.h"
#include "platform/private_folder.h"

namespace {

int32_t Int32At(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void PlaceEveryStep(const zel::PreparedMotion& motion, const zel::PackedDib& picture) {
  using namespace zel;
  for (int step = 0; step < motion.frameCount; ++step) {
    PackedDib placed = PlaceMotion(motion, picture, step, 0x00FF8040, 3);
    fuzz::Require(static_cast<bool>(placed), "placement failed on a whole picture");
    fuzz::Require(placed.Header().width == picture.Header().width &&
                      placed.Header().height == picture.Header().height,
                  "placement changed the picture's size");
    fuzz::TouchPicture(placed);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  static PrivateFolder folder;
  if (!folder.created() && !folder.Create("zel-motion-fuzz-")) return 0;
  if (size < 16) return 0;
  const int pictureWidth = 1 + data[0] % 40;
  const int pictureHeight = 1 + data[1] % 40;
  const int frameCount = 1 + data[2] % 48;
  const int range = data[3];
  MotionChoice choice;
  choice.record.width = Int32At(data + 4);
  choice.record.height = Int32At(data + 8);
  choice.range = range;
  choice.flags = Int32At(data + 12);
  const uint8_t* rest = data + 16;
  const size_t restSize = size - 16;

  // The records of the settings file.
  if (std::optional<MotionInfo> info = UnpackMotionInfo(rest, restSize)) {
    fuzz::Require(UnpackMotionInfo(PackMotionInfo(*info).data(), kMotionInfoSize) == info,
                  "motion state changed on its way through a record");
  }
  if (std::optional<MotionRecord> record = UnpackMotionRecord(rest, restSize)) {
    PackMotionRecord(*record);
  }

  // The path file, and every picture placed along it.
  choice.record.bitmapPath = folder.path() + "path.bmp";
  const std::string pathFile = MotionPathFileOf(choice.record.bitmapPath);
  if (!WriteFileAtomically(pathFile, rest, restSize)) return 0;
  if (std::optional<PreparedMotion> motion =
          PrepareMotion(choice, pictureWidth, pictureHeight, frameCount)) {
    for (const MotionPoint& p : motion->points) {
      fuzz::Require(p.x >= 0 && p.x < motion->bitmapWidth && p.y >= 0 && p.y < motion->bitmapHeight,
                    "a prepared point lies outside the definition bitmap");
    }
    Rgbq gray[4] = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}, {1, 2, 3, 0}};
    PackedDib indexed = NewPicture(pictureWidth, pictureHeight, 8, 4, gray);
    PackedDib full = NewPicture(pictureWidth, pictureHeight, 24, 0);
    if (indexed && full) {
      for (int y = 0; y < pictureHeight; ++y) {
        for (int x = 0; x < pictureWidth; ++x) {
          indexed.Row(y)[x] = static_cast<uint8_t>((x + y) & 3);
          full.Row(y)[3 * x] = static_cast<uint8_t>(x * 7 + y);
        }
      }
      PlaceEveryStep(*motion, indexed);
      PlaceEveryStep(*motion, full);
    }
  }

  // A drawing handed back by the paint program.
  PackedDib drawing;
  if (ReadBmpData(drawing, rest, restSize) == kBmpReadOk && drawing) {
    std::vector<MotionPoint> points;
    if (TraceMotionBitmap(drawing, &points).done()) {
      const int32_t width = drawing.Header().width;
      const int32_t height = drawing.Header().height;
      for (const MotionPoint& p : points) {
        fuzz::Require(p.x >= 0 && p.x < width && p.y >= 0 && p.y < height,
                      "a traced point lies outside the drawing");
      }
    }
  }
  return 0;
}
