#include "generators/video_animation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "document/undo_history.h"
#include "imagefiles/memory_budget.h"
#include "platform/parallel.h"
#include "platform/progress.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"
#include "support/picture_fixtures.h"
#include "support/video_clips.h"

namespace zel {
namespace {

using testing::Make24;
using testing::Make8;

// Reports progress and asks to cancel once `cancelAt` reports have come.
class CancellingSink : public ProgressSink {
 public:
  explicit CancellingSink(int cancelAt = -1) : cancelAt_(cancelAt) {}
  void ReportProgress(int percent) override {
    EXPECT_GE(percent, last);
    last = percent;
    ++reports;
  }
  void RestartClock() override {}
  void DisableCancel() override {}
  bool TakeCancel() override { return cancelAt_ >= 0 && reports >= cancelAt_; }
  int last = -1;
  int reports = 0;

 private:
  int cancelAt_;
};

std::unique_ptr<DocumentState> PictureDoc(int frameMax = 256) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, frameMax));
  doc->frameMax = doc->frameSet->capacity();
  doc->undo.Reset();
  doc->kind = ImageKind::kBitmap;
  doc->filePath = "/somewhere/old.bmp";
  SetCurrentPicture(*doc, Make24(8, 8, [](int x, int y) {
                      return Rgbq{uint8_t(x * 20), uint8_t(y * 20), 90, 0};
                    }));
  doc->undo.TakeSnapshot(*doc, kUndoEdit);
  doc->savedRevision = doc->revision;
  return doc;
}

void ExpectUnchanged(const DocumentState& doc, const uint8_t* picture) {
  EXPECT_EQ(doc.kind, ImageKind::kBitmap);
  EXPECT_EQ(doc.currentPicture.data(), picture);
  EXPECT_EQ(doc.filePath, "/somewhere/old.bmp");
  EXPECT_FALSE(doc.untitled);
  EXPECT_EQ(doc.frameSet->count, 0);
  EXPECT_TRUE(doc.undo.CanUndo());
}

TEST(VideoFrameDelays, TheRunningTotalStaysTrue) {
  struct Case {
    double fps;
    std::vector<int32_t> delays;
  } cases[] = {
      {30, {3, 4, 3, 3, 4, 3}},
      {15, {7, 6, 7, 7, 6, 7}},
      {24, {4, 4, 5, 4, 4, 4}},
      {10, {10, 10, 10, 10, 10, 10}},
      {50, {2, 2, 2, 2, 2, 2}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VideoFrameDelays(c.fps, 6), c.delays) << c.fps;
  }
  // Over a long run the sum never strays from the clip's time by more than half a hundredth.
  for (double fps : {29.97, 23.976, 12.5, 7.0}) {
    const std::vector<int32_t> delays = VideoFrameDelays(fps, 3000);
    int64_t sum = 0;
    for (int k = 0; k < 3000; ++k) {
      sum += delays[static_cast<size_t>(k)];
      EXPECT_LE(std::abs(sum - 100.0 * (k + 1) / fps), 0.5) << fps << " frame " << k;
    }
  }
  EXPECT_TRUE(VideoFrameDelays(0, 5).empty());
}

TEST(VideoImportPlan, FramesSizeAndBytesFollowTheSettings) {
  VideoInfo info;
  info.width = info.displayWidth = 1920;
  info.height = 1080;
  info.durationSeconds = 10;
  info.frameRate = 30;
  VideoImportSettings s;
  s.fps = 15;
  s.width = 480;
  s.colors = 256;
  VideoImportPlan plan = PlanVideoImport(info, s, 10000);
  EXPECT_EQ(plan.check, VideoImportResult::kDone);
  EXPECT_EQ(plan.frames, 150);
  EXPECT_EQ(plan.width, 480);
  EXPECT_EQ(plan.height, 270);
  EXPECT_EQ(plan.resultBytes, 150u * (40 + 1024 + 480 * 270 + 16));
  EXPECT_EQ(plan.workingBytes, 150u * 480 * 3 * 270);

  // A start and a length: the length is cut at the clip's end; a partial frame counts.
  s.start = 9.5;
  s.length = 4;
  plan = PlanVideoImport(info, s, 10000);
  EXPECT_DOUBLE_EQ(plan.length, 0.5);
  EXPECT_EQ(plan.frames, 8);  // 0.5 s at 15 frames a second: 7.5 frames
  // Pixels that are not square: the shown width sets the height.
  info.displayWidth = 2 * info.width;
  s = {};
  s.width = 480;
  EXPECT_EQ(PlanVideoImport(info, s, 10000).height, 135);
}

TEST(VideoImportPlan, LimitsAreRefusedWithTheirReason) {
  VideoInfo info;
  info.width = info.displayWidth = 640;
  info.height = 360;
  info.durationSeconds = 20;
  auto with = [](auto change) {
    VideoImportSettings s;
    s.width = 320;
    change(s);
    return s;
  };
  struct Case {
    VideoImportSettings settings;
    int frameMax;
    VideoImportResult check;
  } cases[] = {
      {with([](auto&) {}), 256, VideoImportResult::kDone},
      {with([](auto& s) { s.fps = 0.5; }), 256, VideoImportResult::kBadSettings},
      {with([](auto& s) { s.fps = 51; }), 256, VideoImportResult::kBadSettings},
      {with([](auto& s) { s.colors = 15; }), 256, VideoImportResult::kBadSettings},
      {with([](auto& s) { s.colors = 257; }), 256, VideoImportResult::kBadSettings},
      {with([](auto& s) { s.width = 15; }), 256, VideoImportResult::kBadSettings},
      {with([](auto& s) { s.width = 4097; }), 256, VideoImportResult::kBadSettings},
      {with([](auto& s) { s.start = 20; }), 256, VideoImportResult::kBadSettings},
      {with([](auto& s) { s.start = -1; }), 256, VideoImportResult::kBadSettings},
      {with([](auto& s) { s.length = -1; }), 256, VideoImportResult::kBadSettings},
      // 200 frames: one more than the maximum, then exactly the maximum.
      {with([](auto&) {}), 199, VideoImportResult::kTooManyFrames},
      {with([](auto&) {}), 200, VideoImportResult::kDone},
      {with([](auto& s) { s.width = 4096; }), 10000, VideoImportResult::kTooLarge},
  };
  for (const Case& c : cases) {
    const VideoImportPlan plan = PlanVideoImport(info, c.settings, c.frameMax);
    EXPECT_EQ(plan.check, c.check) << c.settings.fps << " " << c.settings.colors << " "
                                   << c.settings.width << " " << c.settings.start;
  }
  for (VideoImportResult r : {VideoImportResult::kBadFile, VideoImportResult::kBadSettings,
                              VideoImportResult::kTooManyFrames, VideoImportResult::kTooLarge}) {
    EXPECT_NE(VideoImportMessage(r), nullptr);
  }
  EXPECT_EQ(VideoImportMessage(VideoImportResult::kCancelled), nullptr);
  EXPECT_STREQ(VideoImportMessage(VideoImportResult::kBadFile), MessageText(kMsgBadVideoFile));
}

TEST(KeepSteadyIndices, PixelsWithinTheToleranceOfTheirChosenColourKeepTheirIndex) {
  const int t = kVideoSteadyTolerance;
  // Column 0 drifts by the tolerance each frame, column 1 jumps past it, column 2 stays.
  auto source = [t](int frame) {
    return Make24(3, 1, [frame, t](int x, int) {
      const int shift = x == 0 ? frame * t : x == 1 ? frame * (t + 1) : 0;
      return Rgbq{uint8_t(100 + shift), 50, 50, 0};
    });
  };
  PackedDib first = source(0);
  PackedDib reference = DuplicateBlock(first);
  PackedDib previous = Make8(3, 1, [](int x, int) { return uint8_t(10 + x); });
  std::vector<std::vector<uint8_t>> kept;
  for (int frame = 1; frame <= 2; ++frame) {
    PackedDib reduced = Make8(3, 1, [frame](int x, int) { return uint8_t(100 * frame + x); });
    KeepSteadyIndices(source(frame), reference, reduced, previous);
    kept.emplace_back(reduced.Pixels(), reduced.Pixels() + 3);
    previous = std::move(reduced);
  }
  // Frame 1: columns 0 and 2 keep 10 and 12, column 1 takes its new index.
  EXPECT_EQ(kept[0], (std::vector<uint8_t>{10, 101, 12}));
  // Frame 2: column 0 is now twice the tolerance from the colour its index was chosen for,
  // so it takes the new index even though it moved by the tolerance only since frame 1.
  EXPECT_EQ(kept[1], (std::vector<uint8_t>{200, 201, 12}));
}

// The tests below open clips FFmpeg made.
class VideoClipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clip_ = testing::BarsClip();
    ASSERT_FALSE(clip_.empty()) << "ffmpeg could not make the test clip";
  }
  void TearDown() override {
    SetParallelWorkers(0);
    SetPictureMemoryBudget(0);
  }
  std::string clip_;
};

TEST_F(VideoClipTest, TheReaderDescribesTheClip) {
  std::unique_ptr<VideoReader> reader;
  ASSERT_EQ(VideoReader::Open(clip_, &reader), VideoStatus::kOk);
  const VideoInfo& info = reader->Info();
  EXPECT_EQ(info.width, 160);
  EXPECT_EQ(info.height, 120);
  EXPECT_EQ(info.displayWidth, 160);
  EXPECT_NEAR(info.durationSeconds, 2.0, 0.05);
  EXPECT_NEAR(info.frameRate, 30.0, 1e-6);
  // A picture of the clip takes more than a budget of 64 KiB allows.
  SetPictureMemoryBudget(64 * 1024);
  EXPECT_EQ(VideoReader::Open(clip_, &reader), VideoStatus::kTooLarge);
  EXPECT_EQ(VideoReader::Open(clip_ + ".missing", &reader), VideoStatus::kCannotRead);
  // A few bytes that claim a picture of 16000 x 16000 are refused before anything is decoded.
  SetPictureMemoryBudget(0);
  const std::string dir = testing::MakeTempDir();
  std::ofstream(dir + "/huge.y4m") << "YUV4MPEG2 W16000 H16000 F30:1 C420jpeg\nFRAME\nabcdefgh";
  EXPECT_EQ(VideoReader::Open(dir + "/huge.y4m", &reader), VideoStatus::kTooLarge);
  std::filesystem::remove_all(dir);
}

TEST_F(VideoClipTest, FramesAtTheRateAndWidthWithTheirDelays) {
  VideoImportSettings s;
  s.fps = 15;
  s.width = 80;
  s.colors = 64;
  CancellingSink sink;
  std::unique_ptr<FrameSet> frames;
  ASSERT_EQ(MakeVideoFrames(clip_, s, 256, &sink, &frames), VideoImportResult::kDone);
  ASSERT_TRUE(frames);
  EXPECT_EQ(frames->count, 30);
  EXPECT_EQ(frames->screenWidth, 80);
  EXPECT_EQ(frames->screenHeight, 60);
  EXPECT_EQ(frames->transparentIndex, -1);
  EXPECT_EQ(sink.last, 100);
  int total = 0;
  for (int i = 0; i < frames->count; ++i) {
    const Frame& f = frames->frame(i);
    ASSERT_TRUE(f.image);
    EXPECT_EQ(f.image.Header().width, 80);
    EXPECT_EQ(f.image.Header().height, 60);
    EXPECT_EQ(f.image.Header().bitCount, 8);
    EXPECT_LE(f.image.ColorCount(), 64u);
    EXPECT_EQ(std::memcmp(f.image.ColorTable(), frames->frame(0).image.ColorTable(),
                          4 * f.image.ColorCount()),
              0);
    EXPECT_EQ(f.delay, i % 3 == 1 ? 6 : 7) << i;
    total += f.delay;
  }
  EXPECT_EQ(total, 200);

  // A stretch from the middle: 0.5 s from 1.2 s at 10 frames a second.
  s.start = 1.2;
  s.length = 0.5;
  s.fps = 10;
  ASSERT_EQ(MakeVideoFrames(clip_, s, 256, nullptr, &frames), VideoImportResult::kDone);
  EXPECT_EQ(frames->count, 5);
}

TEST_F(VideoClipTest, OneThreadAndTwoGiveTheSameFrames) {
  VideoImportSettings s;
  s.fps = 12;
  s.width = 64;
  s.length = 1;
  std::unique_ptr<FrameSet> one, two;
  for (bool fast : {false, true}) {
    s.highQuality = !fast;
    SetParallelWorkers(1);
    ASSERT_EQ(MakeVideoFrames(clip_, s, 256, nullptr, &one), VideoImportResult::kDone);
    SetParallelWorkers(2);
    ASSERT_EQ(MakeVideoFrames(clip_, s, 256, nullptr, &two), VideoImportResult::kDone);
    ASSERT_EQ(one->count, two->count);
    for (int i = 0; i < one->count; ++i) {
      const PackedDib& a = one->frame(i).image;
      const PackedDib& b = two->frame(i).image;
      ASSERT_EQ(a.size(), b.size());
      EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size()), 0) << "frame " << i << " fast " << fast;
    }
  }
}

TEST_F(VideoClipTest, CancelAndLimitsLeaveTheDocumentAsItWas) {
  VideoImportSettings s;
  s.fps = 15;
  s.width = 80;
  for (int cancelAt : {1, 20, 40}) {  // while decoding, and while mapping
    auto doc = PictureDoc();
    const uint8_t* before = doc->currentPicture.data();
    CancellingSink sink(cancelAt);
    EXPECT_EQ(OpenVideoAsAnimation(*doc, clip_, s, &sink, 0), VideoImportResult::kCancelled)
        << cancelAt;
    ExpectUnchanged(*doc, before);
  }
  // 30 frames against a frame maximum of 16.
  auto small = PictureDoc(16);
  const uint8_t* before = small->currentPicture.data();
  EXPECT_EQ(OpenVideoAsAnimation(*small, clip_, s, nullptr, 0), VideoImportResult::kTooManyFrames);
  ExpectUnchanged(*small, before);
  // The frames do not fit the memory budget.
  auto doc = PictureDoc();
  before = doc->currentPicture.data();
  SetPictureMemoryBudget(30 * 80 * 60 * 4 - 1);
  s.width = 80;
  EXPECT_EQ(OpenVideoAsAnimation(*doc, clip_, s, nullptr, 0), VideoImportResult::kTooLarge);
  ExpectUnchanged(*doc, before);
  SetPictureMemoryBudget(0);
  // Done: the new animation replaces the document, and its history starts afresh.
  ASSERT_EQ(OpenVideoAsAnimation(*doc, clip_, s, nullptr, 0), VideoImportResult::kDone);
  EXPECT_EQ(doc->kind, ImageKind::kFrameAnimation);
  EXPECT_EQ(doc->frameSet->count, 30);
  EXPECT_EQ(doc->filePath, clip_);
  EXPECT_TRUE(doc->untitled);
  EXPECT_FALSE(doc->undo.CanUndo());
}

TEST_F(VideoClipTest, ATruncatedOrBrokenClipIsRefused) {
  const std::string dir = testing::MakeTempDir();
  // The same two seconds in three containers: MP4 with its index at the end, MP4 with its
  // index first, Matroska.
  const std::vector<std::string> clips = {
      clip_,
      testing::TestClip("bars_first.mp4",
                        {"-f", "lavfi", "-i", "testsrc2=s=160x120:r=30:d=2", "-c:v", "libx264",
                         "-pix_fmt", "yuv420p", "-g", "15", "-movflags", "+faststart"}),
      testing::TestClip("bars.mkv", {"-f", "lavfi", "-i", "testsrc2=s=160x120:r=30:d=2", "-c:v",
                                     "libx264", "-pix_fmt", "yuv420p", "-g", "15"}),
  };
  VideoImportSettings s;
  s.fps = 10;
  s.width = 80;
  for (const std::string& full : clips) {
    ASSERT_FALSE(full.empty());
    std::ifstream in(full, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string cut = dir + "/cut" + std::filesystem::path(full).extension().string();
    std::ofstream(cut, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size() / 2));
    auto doc = PictureDoc();
    const uint8_t* before = doc->currentPicture.data();
    EXPECT_EQ(OpenVideoAsAnimation(*doc, cut, s, nullptr, 0), VideoImportResult::kBadFile) << full;
    ExpectUnchanged(*doc, before);
    // The whole clip opens.
    EXPECT_EQ(OpenVideoAsAnimation(*doc, full, s, nullptr, 0), VideoImportResult::kDone) << full;
  }
  // Not a video at all.
  const std::string text = dir + "/notes.mp4";
  std::ofstream(text) << "these are not moving pictures\n";
  auto doc = PictureDoc();
  EXPECT_EQ(OpenVideoAsAnimation(*doc, text, s, nullptr, 0), VideoImportResult::kBadFile);
  std::filesystem::remove_all(dir);
}

TEST(VideoSteadyRegion, AStillAreaKeepsItsIndicesWhileTheRestMoves) {
  // A still colourful gradient on the left, moving test bars on the right; coded without
  // loss, so the left half's source pixels are the same in every frame.
  const std::string clip = testing::TestClip(
      "steady.mkv",
      {"-f", "lavfi", "-i", "testsrc2=s=80x96:r=30:d=1", "-f", "lavfi", "-i",
       "color=s=160x96:r=30:d=1,format=rgb24,geq=r='X*1.5':g='Y*2':b='128+64*sin(X/9)'",
       "-filter_complex", "[1][0]overlay=x=80,format=yuv444p", "-c:v", "libx264", "-qp", "0"});
  ASSERT_FALSE(clip.empty());
  VideoImportSettings s;
  s.fps = 30;
  s.width = 160;
  s.colors = 32;  // few colours: much diffusion, which would shimmer
  std::unique_ptr<FrameSet> frames;
  ASSERT_EQ(MakeVideoFrames(clip, s, 256, nullptr, &frames), VideoImportResult::kDone);
  ASSERT_EQ(frames->count, 30);
  const PackedDib& first = frames->frame(0).image;
  int changedOnTheRight = 0;
  for (int i = 1; i < frames->count; ++i) {
    const PackedDib& f = frames->frame(i).image;
    for (int y = 0; y < 96; ++y) {
      const uint8_t* a = first.Pixels() + first.Stride() * y;
      const uint8_t* b = f.Pixels() + f.Stride() * y;
      ASSERT_EQ(std::memcmp(a, b, 72), 0) << "frame " << i << " row " << y;
      changedOnTheRight += std::memcmp(a + 88, b + 88, 72) != 0;
    }
  }
  EXPECT_GT(changedOnTheRight, 29 * 48);
}

}  // namespace
}  // namespace zel
