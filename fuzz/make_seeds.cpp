// Writes the starting inputs of the targets whose inputs the program itself produces:
// frame bitmaps, settings files, undo files and channel frames.
//   zel_fuzz_seeds SEED_DIR
// SEED_DIR/gif_animation/animation.gif and SEED_DIR/bmp/picture8.bmp must exist (the
// script makes them with ImageMagick first).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/instance_messages.h"
#include "app/settings.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "generators/merge_settings.h"
#include "generators/motion_builtins.h"
#include "generators/motion_definitions.h"
#include "generators/motion_tracer.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/image_loader.h"
#include "platform/file_io.h"
#include "platform/local_channel.h"
#include "platform/profile_file.h"

namespace fs = std::filesystem;
using namespace zel;

namespace {

int failures = 0;

void Fail(const std::string& what) {
  std::fprintf(stderr, "zel_fuzz_seeds: %s\n", what.c_str());
  ++failures;
}

void Put(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) Fail("cannot write " + path.string());
}

void PutText(const fs::path& path, const std::string& text) {
  Put(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> ChannelFrame(uint32_t message, uint32_t wParam, uint32_t lParam,
                                  const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes(kChannelHeaderSize);
  const uint32_t fields[4] = {message, wParam, lParam, static_cast<uint32_t>(data.size())};
  for (int i = 0; i < 4; ++i) WriteLe32(bytes.data() + 4 * i, fields[i]);
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

void UndoSeeds(const fs::path& dir, const std::string& animation) {
  DocumentState doc;
  LoadContext context;
  if (!CreateDocumentContainer(doc, kFrameMaxDefault) ||
      !LoadImageFile(doc, animation, LoadMode::kOpen, context).done()) {
    return Fail("cannot open " + animation);
  }
  const std::pair<UndoClass, const char*> classes[] = {
      {kUndoEdit, "edit"}, {kUndoColors, "colors"}, {kUndoMakeAnime, "make_anime"}};
  for (const auto& [undoClass, name] : classes) {
    doc.undo.Reset();
    doc.undo.TakeSnapshot(doc, undoClass);
    std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(doc.undo.path());
    if (!bytes || doc.undo.end() <= 0) return Fail("no undo file");
    bytes->resize(static_cast<size_t>(doc.undo.end()));
    Put(dir / (std::string(name) + ".undo"), *bytes);
  }
  doc.undo.Drop();
}

// Motion inputs: a head (picture 24 x 16, a 96 x 96 definition, range 100, wrap, 10
// frames) followed by a built-in's path file, its drawing, or the stored motion state.
void MotionSeeds(const fs::path& dir) {
  const std::vector<uint8_t> head = {23, 15, 9, 100, 96, 0, 0, 0, 96, 0, 0, 0, 1, 0, 0, 0};
  auto withHead = [&](const std::vector<uint8_t>& body) {
    std::vector<uint8_t> bytes = head;
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
  };
  for (int index : {0, 4, 7}) {
    PackedDib drawing = DrawBuiltinMotion(index);
    std::vector<MotionPoint> points;
    if (!drawing || !TraceMotionBitmap(drawing, &points).done()) {
      Fail("cannot trace built-in motion " + std::to_string(index));
      continue;
    }
    const std::string name = "builtin" + std::to_string(index + 1);
    Put(dir / (name + ".mtb"), withHead(EncodeMotionPath(points)));
    Put(dir / (name + ".bmp"), withHead(BuildBmpFile(drawing)));
  }
  const auto info = PackMotionInfo(MotionInfo{});
  Put(dir / "info", withHead(std::vector<uint8_t>(info.begin(), info.end())));
  const auto record = PackMotionRecord(
      {.title = "八の字移動", .bitmapPath = "/data/mov1.bmp", .width = 96, .height = 96});
  Put(dir / "record", withHead(std::vector<uint8_t>(record.begin(), record.end())));
}

// Merge inputs: a 6-byte head (the path, the file kind, x, y) and the body: the clipboard's
// picture with a "TIDX" trailer or a frame bitmap, overlay files, a "MergeAnime" record and
// zel.ini holding one, and the pixels of a small 24-bit picture.
void MergeSeeds(const fs::path& seeds) {
  const fs::path dir = seeds / "merge";
  auto withHead = [](std::vector<uint8_t> head, const uint8_t* body, size_t size) {
    head.insert(head.end(), body, body + size);
    return head;
  };
  const Rgbq colors[4] = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {255, 255, 255, 0}};
  PackedDib picture = NewPicture(6, 5, 8, 4, colors);
  if (!picture) return Fail("cannot make a picture");
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 6; ++x) picture.Row(y)[x] = static_cast<uint8_t>((x + y) & 3);
  }
  if (!WriteTransparencyTrailer(picture, 3)) return Fail("cannot write a trailer");
  Put(dir / "clipboard_trailer", withHead({0, 0, 4, 0, 3, 0}, picture.data(), picture.size()));

  const std::string animation = (seeds / "gif_animation" / "animation.gif").string();
  DocumentState doc;
  LoadContext context;
  if (!CreateDocumentContainer(doc, kFrameMaxDefault) ||
      !LoadImageFile(doc, animation, LoadMode::kOpen, context).done()) {
    return Fail("cannot open " + animation);
  }
  PackedDib frames = BuildFrameBitmapImage(*doc.frameSet);
  if (!frames) return Fail("cannot build a frame bitmap");
  Put(dir / "clipboard_frames",
      withHead({0, 0x80, 0xFE, 0xFF, 20, 0}, frames.data(), frames.size()));

  const std::pair<const char*, std::vector<uint8_t>> files[] = {
      {"gif_animation/animation.gif", {2, 0, 2, 0, 2, 0}},
      {"bmp/picture8.bmp", {2, 1, 8, 0, 0, 0}},
      {"bmp/frames.bmp", {2, 1, 0, 0, 9, 0}},
      {"png/palette.png", {2, 2, 3, 0, 4, 0}},
  };
  for (const auto& [name, head] : files) {
    std::optional<std::vector<uint8_t>> bytes = ReadFileBytes((seeds / name).string());
    if (!bytes) {
      Fail("cannot read " + (seeds / name).string());
      continue;
    }
    Put(dir / ("file_" + fs::path(name).filename().string()),
        withHead(head, bytes->data(), bytes->size()));
  }

  const auto record = PackMergeSettings(
      {.path = "/home/user/Pictures/合成.gif", .flags = kMergeInFront, .x = 5, .y = 3});
  Put(dir / "record", withHead({1, 0, 0, 0, 0, 0}, record.data(), record.size()));
  ProfileFile profile;
  WriteMergeSettings(profile, {.path = "/tmp/a.bmp", .flags = kMergeFromClipboard, .x = 1, .y = 2});
  const std::string text = profile.Text();
  Put(dir / "record.ini",
      withHead({1, 0, 0, 0, 0, 0}, reinterpret_cast<const uint8_t*>(text.data()), text.size()));

  std::vector<uint8_t> pixels;
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      pixels.push_back(static_cast<uint8_t>(16 * x));
      pixels.push_back(static_cast<uint8_t>(20 * y));
      pixels.push_back(static_cast<uint8_t>(255 - 16 * x));
    }
  }
  Put(dir / "census", withHead({3, 15, 11, 31, 8, 0}, pixels.data(), pixels.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zel_fuzz_seeds SEED_DIR\n");
    return 2;
  }
  const fs::path seeds = argv[1];
  const std::string animation = (seeds / "gif_animation" / "animation.gif").string();
  const std::string picture = (seeds / "bmp" / "picture8.bmp").string();

  // A frame bitmap, in the 8-bit form the program writes and the 24-bit form of a paint
  // program.
  {
    DocumentState doc;
    LoadContext context;
    if (!CreateDocumentContainer(doc, kFrameMaxDefault) ||
        !LoadImageFile(doc, animation, LoadMode::kOpen, context).done()) {
      Fail("cannot open " + animation);
    } else if (!WriteFrameBitmapFile((seeds / "bmp" / "frames.bmp").string(), *doc.frameSet,
                                     0xC0C0C0)
                    .done()) {
      Fail("cannot write the frame bitmap");
    }
  }

  AppSettings settings;
  settings.block = DefaultSettings("/home/user/Pictures");
  ProfileFile profile;
  StoreAppSettings(settings, profile);
  PutText(seeds / "settings" / "defaults.ini", profile.Text());
  settings.block.lastImagePath = "/home/user/Pictures/\"quoted\" 名前.gif";
  settings.block.editorPath = " /usr/bin/editor ";
  settings.block.frameMax = 5000;
  settings.backgroundColor = 0x123456;
  settings.customColors[3] = 0xFFFFFF;
  settings.midiPath = "/music/song.mid";
  ProfileFile edited;
  edited.Parse("; comment\r\n[other]\r\nkey = 'value'\r\n\r\n[Option]\r\nunknown line\r\n");
  StoreAppSettings(settings, edited);
  PutText(seeds / "settings" / "edited.ini", edited.Text());

  UndoSeeds(seeds / "undo", animation);
  MotionSeeds(seeds / "motion");
  MergeSeeds(seeds);

  const fs::path channel = seeds / "local_channel";
  Put(channel / "identify", ChannelFrame(kMsgIdentify, 1, 0, {}));
  Put(channel / "short_header", {0x4A, 0, 0, 0, 74, 0});
  for (const auto& [file, name] : {std::pair{picture, "picture"}, std::pair{animation, "frames"}}) {
    MessageId message{};
    std::optional<std::vector<uint8_t>> block = PictureFileAsPackedDib(file, &message);
    if (!block) {
      Fail("cannot hand over " + file);
      continue;
    }
    Put(channel / name, ChannelFrame(kMsgCopyData, kPictureDataIdentifier, 0, *block));
  }
  return failures == 0 ? 0 : 1;
}
