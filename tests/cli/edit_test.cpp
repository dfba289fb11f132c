// `zel-cli edit`: frame operations and time adjustment applied in the order given, checked
// on the written file frame by frame (by colour) and delay by delay; refused operations
// write nothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "document/frame_set.h"
#include "imagefiles/gif_decoder.h"
#include "support/gif_builder.h"

namespace zel::clitest {
namespace {

namespace fs = std::filesystem;

// Frame i of a test animation is filled with kColors[i].
constexpr uint32_t kColors[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF,
                                0xFF00FF, 0xFFFFFF, 0x000000, 0x808080, 0x000080};

// An 8 x 6 animation that loops `loopCount` times (0: for ever), one frame per delay; one
// delay of 0 makes a single picture.
void MakeGif(const std::string& path, const std::vector<int>& delays, int loopCount = 0) {
  std::vector<::zel::testing::Rgb> table;
  for (uint32_t c : kColors) {
    table.push_back({static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                     static_cast<uint8_t>(c)});
  }
  ::zel::testing::GifBuilder gif(8, 6, table);
  if (delays.size() > 1) gif.Looping(loopCount);
  for (size_t i = 0; i < delays.size(); ++i) {
    if (delays.size() > 1 || delays[i] != 0) gif.Control(0, delays[i], 0);
    gif.Image(0, 0, 8, 6, std::vector<uint8_t>(8 * 6, static_cast<uint8_t>(i)));
  }
  WriteBytes(path, gif.Trailer().bytes());
}

std::unique_ptr<FrameSet> Load(const std::string& gif) {
  auto frames = std::make_unique<FrameSet>(kFrameMaxHighest);
  EXPECT_TRUE(LoadGifAnimation(gif, *frames, kFrameMaxHighest)) << gif;
  return frames;
}

// For each frame, the input frame it shows (the index of its colour in kColors), or -1.
std::vector<int> FrameOrder(const FrameSet& frames) {
  std::vector<int> order;
  for (int f = 0; f < frames.count; ++f) {
    const PackedDib& image = frames.frame(f).image;
    Rgbq c = image.ColorTable()[image.Row(0)[0]];
    uint32_t rgb = uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue;
    int input = -1;
    for (size_t i = 0; i < std::size(kColors); ++i) {
      if (kColors[i] == rgb) input = static_cast<int>(i);
    }
    order.push_back(input);
  }
  return order;
}

std::vector<int> FrameDelays(const FrameSet& frames) {
  std::vector<int> delays;
  for (int f = 0; f < frames.count; ++f) delays.push_back(frames.frame(f).delay);
  return delays;
}

// "@name" stands for a file in the test's folder.
std::vector<std::string> EditArgs(const TempDir& dir, const std::vector<std::string>& args) {
  std::vector<std::string> full = {"edit"};
  for (const std::string& a : args)
    full.push_back(!a.empty() && a[0] == '@' ? dir / a.substr(1) : a);
  return full;
}

const std::vector<int> kFive = {10, 20, 30, 40, 50};
const std::vector<int> kTen = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100};

struct EditCase {
  const char* name;
  std::vector<int> input;  // the input's delays, one frame each
  std::vector<std::string> args;
  std::vector<int> order;   // the input frame each output frame shows
  std::vector<int> delays;  // empty for a single picture
};

void PrintTo(const EditCase& c, std::ostream* os) {
  *os << c.name;
}

class EditSequenceTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditSequenceTest, WritesFramesInOrderWithTheirDelays) {
  const EditCase& c = GetParam();
  TempDir dir;
  MakeGif(dir / "in.gif", c.input);

  RunResult r = RunCli(EditArgs(dir, c.args));

  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  auto frames = Load(dir / "out.gif");
  EXPECT_EQ(FrameOrder(*frames), c.order);
  if (!c.delays.empty()) {
    EXPECT_EQ(FrameDelays(*frames), c.delays);
  }
}

const EditCase kEditCases[] = {
    {"IssueExample",
     kFive,
     {"@in.gif", "--delete-frame", "3", "--reverse", "--repeat", "--delay", "2=50", "--scale-time",
      "150%", "-o", "@out.gif"},
     {4, 3, 1, 0, 4, 3, 1, 0},
     {75, 75, 30, 15, 75, 60, 30, 15}},
    {"NoOperationsCopies", kFive, {"@in.gif", "-o", "@out.gif"}, {0, 1, 2, 3, 4}, kFive},
    {"DeleteMiddleFrame",
     kFive,
     {"@in.gif", "--delete-frame", "3", "-o", "@out.gif"},
     {0, 1, 3, 4},
     {10, 20, 40, 50}},
    {"DeleteLastFrame",
     kFive,
     {"@in.gif", "--delete-frame", "5", "-o", "@out.gif"},
     {0, 1, 2, 3},
     {10, 20, 30, 40}},
    {"DeleteOneOfTwoLeavesThePicture",
     {10, 20},
     {"@in.gif", "--delete-frame", "1", "-o", "@out.gif"},
     {1},
     {}},
    {"DeleteBeforeOfTen",
     kTen,
     {"@in.gif", "--delete-before", "4", "-o", "@out.gif"},
     {3, 4, 5, 6, 7, 8, 9},
     {40, 50, 60, 70, 80, 90, 100}},
    {"DeleteAfterOfTen",
     kTen,
     {"@in.gif", "--delete-after", "4", "-o", "@out.gif"},
     {0, 1, 2, 3},
     {10, 20, 30, 40}},
    {"DeleteAfterFirstKeepsAOneFrameAnimation",
     kFive,
     {"@in.gif", "--delete-after", "1", "-o", "@out.gif"},
     {0},
     {10}},
    {"InsertCopyOfFirst",
     {10, 20, 30},
     {"@in.gif", "--insert-copy", "1", "-o", "@out.gif"},
     {0, 0, 1, 2},
     {10, 10, 20, 30}},
    {"InsertCopyOfLast",
     {10, 20, 30},
     {"@in.gif", "--insert-copy", "3", "-o", "@out.gif"},
     {0, 1, 2, 2},
     {10, 20, 30, 30}},
    {"FirstRotates",
     kFive,
     {"@in.gif", "--first", "3", "-o", "@out.gif"},
     {2, 3, 4, 0, 1},
     {30, 40, 50, 10, 20}},
    {"MoveFrameForward",
     kFive,
     {"@in.gif", "--move-frame", "2:4", "-o", "@out.gif"},
     {0, 2, 3, 1, 4},
     {10, 30, 40, 20, 50}},
    {"MoveLastFrameToFrontThenBack",
     kFive,
     {"@in.gif", "--move-frame", "5:1", "--move-frame", "3:5", "-o", "@out.gif"},
     {4, 0, 2, 3, 1},
     {50, 10, 30, 40, 20}},
    {"MoveFrameOntoItself",
     kFive,
     {"@in.gif", "--move-frame", "3:3", "-o", "@out.gif"},
     {0, 1, 2, 3, 4},
     kFive},
    {"ToPicture", kFive, {"@in.gif", "--to-picture", "4", "-o", "@out.gif"}, {3}, {}},
    {"Repeat",
     {10, 20, 30},
     {"@in.gif", "--repeat", "-o", "@out.gif"},
     {0, 1, 2, 0, 1, 2},
     {10, 20, 30, 10, 20, 30}},
    {"Reverse",
     kFive,
     {"@in.gif", "--reverse", "-o", "@out.gif"},
     {4, 3, 2, 1, 0},
     {50, 40, 30, 20, 10}},
    {"ReverseThenDeleteFirst",
     kFive,
     {"@in.gif", "--reverse", "--delete-frame", "1", "-o", "@out.gif"},
     {3, 2, 1, 0},
     {40, 30, 20, 10}},
    {"DeleteFirstThenReverse",
     kFive,
     {"@in.gif", "--delete-frame", "1", "--reverse", "-o", "@out.gif"},
     {4, 3, 2, 1},
     {50, 40, 30, 20}},
    {"DelayAboveTheBoxIsClamped",
     kFive,
     {"@in.gif", "--delay", "2=1500", "-o", "@out.gif"},
     {0, 1, 2, 3, 4},
     {10, 1000, 30, 40, 50}},
    {"DelayAllNegativeBecomesZero",
     kFive,
     {"@in.gif", "--delay", "all=-3", "-o", "@out.gif"},
     {0, 1, 2, 3, 4},
     {0, 0, 0, 0, 0}},
    {"DelayBeyondTheFirstFiveColumns",
     kTen,
     {"@in.gif", "--delay", "7=25", "--delay", "10=5", "-o", "@out.gif"},
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
     {10, 20, 30, 40, 50, 60, 25, 80, 90, 5}},
    {"DelayAllOfTen",
     kTen,
     {"@in.gif", "--delay", "all=25", "-o", "@out.gif"},
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
     std::vector<int>(10, 25)},
    {"ScaleTimePlainNumberIsPercent",
     kFive,
     {"@in.gif", "--scale-time", "50", "-o", "@out.gif"},
     {0, 1, 2, 3, 4},
     {5, 10, 15, 20, 25}},
    // Each delay is scaled from its own value and rounded to the nearest, halves up.
    {"ScaleTimeRoundsEachDelay",
     {10, 15, 33, 3},
     {"@in.gif", "--scale-time", "150%", "-o", "@out.gif"},
     {0, 1, 2, 3},
     {15, 23, 50, 5}},
    {"ScaleTimeHalfOfTen",
     {10, 10},
     {"@in.gif", "--scale-time", "50%", "-o", "@out.gif"},
     {0, 1},
     {5, 5}},
    // A time above 0 never becomes 0, which would play as fast as the viewer can.
    {"ScaleTimeKeepsPositiveDelays",
     {10, 4, 0},
     {"@in.gif", "--scale-time", "10%", "-o", "@out.gif"},
     {0, 1, 2},
     {1, 1, 0}},
    {"ScaleTimeToZeroKeepsTheShortestTime",
     kFive,
     {"@in.gif", "--scale-time", "0%", "-o", "@out.gif"},
     {0, 1, 2, 3, 4},
     {1, 1, 1, 1, 1}},
    // Applied twice, the second scaling starts from the rounded result of the first.
    {"ScaleTimeTwice",
     {10, 15},
     {"@in.gif", "--scale-time", "50%", "--scale-time", "200%", "-o", "@out.gif"},
     {0, 1},
     {10, 16}},
    // A total below 10 gives the slider 100 positions, far beyond 500%.
    {"ScaleTimeShortTotal",
     {3, 4},
     {"@in.gif", "--scale-time", "1000%", "-o", "@out.gif"},
     {0, 1},
     {30, 40}},
    {"InlineValuesAndLongOutputOption",
     kFive,
     {"@in.gif", "--delay=2=70", "--first=2", "--output", "@out.gif"},
     {1, 2, 3, 4, 0},
     {70, 30, 40, 50, 10}},
    {"OutputRightAfterInput",
     kFive,
     {"@in.gif", "@out.gif", "--delay=2=70", "--first=2"},
     {1, 2, 3, 4, 0},
     {70, 30, 40, 50, 10}},
};

INSTANTIATE_TEST_SUITE_P(Cli, EditSequenceTest, ::testing::ValuesIn(kEditCases),
                         [](const ::testing::TestParamInfo<EditCase>& info) {
                           return std::string(info.param.name);
                         });

struct EditErrorCase {
  const char* name;
  std::vector<std::string> args;
  const char* message;  // part of what stderr says
};

void PrintTo(const EditErrorCase& c, std::ostream* os) {
  *os << c.name;
}

// The inputs are made once and copied into each case's own folder.
class EditErrorTest : public ::testing::TestWithParam<EditErrorCase> {
 protected:
  static void SetUpTestSuite() {
    inputs_ = new TempDir;
    MakeGif(*inputs_ / "anim.gif", kFive);
    MakeGif(*inputs_ / "two.gif", {10, 20});
    MakeGif(*inputs_ / "pic.gif", {0});
  }
  static void TearDownTestSuite() {
    delete inputs_;
    inputs_ = nullptr;
  }
  static TempDir* inputs_;
};

TempDir* EditErrorTest::inputs_ = nullptr;

TEST_P(EditErrorTest, RefusesAndWritesNothing) {
  const EditErrorCase& c = GetParam();
  TempDir dir;
  for (const auto& entry : fs::directory_iterator(inputs_->path())) {
    fs::copy_file(entry.path(), dir.path() / entry.path().filename());
  }

  RunResult r = RunCli(EditArgs(dir, c.args));

  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  EXPECT_EQ(CountEntries(dir.path()), 3) << "something was written";
}

const EditErrorCase kEditErrorCases[] = {
    {"FrameZero",
     {"@anim.gif", "--delete-frame", "0", "-o", "@out.gif"},
     "--delete-frame needs a frame number from 1 on, not '0'"},
    {"FrameNotANumber",
     {"@anim.gif", "--insert-copy", "2x", "-o", "@out.gif"},
     "--insert-copy needs a frame number"},
    {"FrameMissing", {"@anim.gif", "-o", "@out.gif", "--first"}, "--first needs a frame number"},
    {"FrameBeyondTheEnd",
     {"@anim.gif", "--delete-frame", "6", "-o", "@out.gif"},
     "--delete-frame 6: there is no frame 6; the animation has 5 frames"},
    {"FrameBeyondTheEndAfterDeleting",
     {"@anim.gif", "--delete-frame", "1", "--to-picture", "5", "-o", "@out.gif"},
     "--to-picture 5: there is no frame 5; the animation has 4 frames"},
    {"MovePlaceBeyondTheEnd",
     {"@anim.gif", "--move-frame", "2:6", "-o", "@out.gif"},
     "--move-frame 2:6: there is no place 6; the animation has 5 frames"},
    {"MoveWithoutPlace",
     {"@anim.gif", "--move-frame", "2", "-o", "@out.gif"},
     "--move-frame needs two frame numbers from 1 on, as N:M"},
    {"MissingOutput", {"@anim.gif", "--reverse"}, "edit needs an output file: -o OUT"},
    {"MissingInput", {"--reverse", "-o", "@out.gif"}, "edit needs an input file"},
    {"TwoInputs", {"@anim.gif", "@two.gif", "-o", "@out.gif"}, "edit takes one input file"},
    {"UnknownOption",
     {"@anim.gif", "--frobnicate", "-o", "@out.gif"},
     "unknown option '--frobnicate'"},
    {"ValueForAFlag", {"@anim.gif", "--repeat=2", "-o", "@out.gif"}, "--repeat takes no value"},
    {"DelayWithoutFrame",
     {"@anim.gif", "--delay", "50", "-o", "@out.gif"},
     "--delay needs FRAME=TIME or all=TIME"},
    {"DelayNotANumber",
     {"@anim.gif", "--delay", "2=fast", "-o", "@out.gif"},
     "--delay needs FRAME=TIME"},
    {"ScaleNegative",
     {"@anim.gif", "--scale-time", "-5%", "-o", "@out.gif"},
     "--scale-time needs a percentage"},
    {"ScaleBeyondTheSlider",
     {"@anim.gif", "--scale-time", "501%", "-o", "@out.gif"},
     "--scale-time 501%: the slider reaches at most 500% of the total time of 1.50 s"},
    {"QualityOutOfRange",
     {"@anim.gif", "--quality", "20", "-o", "@out.jpg"},
     "--quality needs a number from 30 to 100"},
    {"PictureInput", {"@pic.gif", "--reverse", "-o", "@out.gif"}, "--reverse needs an animation; "},
    {"PictureAfterToPicture",
     {"@anim.gif", "--to-picture", "2", "--repeat", "-o", "@out.gif"},
     "--repeat needs an animation; the result of --to-picture 2 is a single picture"},
    {"PictureAfterDeletingOneOfTwo",
     {"@two.gif", "--delete-frame", "2", "--delay", "1=5", "-o", "@out.gif"},
     "--delay 1=5 needs an animation"},
    {"FirstOfTheFirst",
     {"@anim.gif", "--first", "1", "-o", "@out.gif"},
     "--first 1: frame 1 is the first frame already"},
    {"DeleteBeforeOneFrame",
     {"@anim.gif", "--delete-before", "2", "-o", "@out.gif"},
     "--delete-before 2: deleting all before frame 2 needs at least two frames before it"},
    {"DeleteBeforeFirst",
     {"@anim.gif", "--delete-before", "1", "-o", "@out.gif"},
     "there are no frames before frame 1"},
    {"DeleteAfterOneFrame",
     {"@anim.gif", "--delete-after", "4", "-o", "@out.gif"},
     "needs at least two frames after it; use --delete-frame 5"},
    {"DeleteAfterLast",
     {"@anim.gif", "--delete-after", "5", "-o", "@out.gif"},
     "there are no frames after the last frame"},
    {"DeleteTheOnlyFrame",
     {"@anim.gif", "--delete-after", "1", "--delete-frame", "1", "-o", "@out.gif"},
     "--delete-frame 1: the only frame of an animation cannot be deleted"},
    {"RepeatOneFrame",
     {"@anim.gif", "--delete-after", "1", "--repeat", "-o", "@out.gif"},
     "--repeat: an animation of 1 frame cannot be doubled"},
    {"TimeOfOneFrame",
     {"@anim.gif", "--delete-after", "1", "--scale-time", "50", "-o", "@out.gif"},
     "--scale-time 50: the time adjustment needs at least 2 frames"},
    {"AnimationAsJpeg", {"@anim.gif", "--reverse", "-o", "@out.jpg"}, "cannot be saved as JPEG"},
    {"LoopBeyondTheCount",
     {"@anim.gif", "--loop", "65536", "-o", "@out.gif"},
     "--loop needs a count 0..65535 (0 for ever) or once"},
    {"LoopNotACount", {"@anim.gif", "--loop", "twice", "-o", "@out.gif"}, "--loop needs a count"},
    {"LoopOfAPicture", {"@pic.gif", "--loop", "3", "-o", "@out.gif"}, "--loop 3 needs an animation"},
    {"UnwritableFormat",
     {"@anim.gif", "--reverse", "-o", "@out.tif"},
     "writing .tif files is not supported"},
    {"LossyForGif", {"@anim.gif", "--reverse", "--lossy", "70", "-o", "@out.gif"},
     "--lossy is for a .webp output, not .gif"},
};

INSTANTIATE_TEST_SUITE_P(Cli, EditErrorTest, ::testing::ValuesIn(kEditErrorCases),
                         [](const ::testing::TestParamInfo<EditErrorCase>& info) {
                           return std::string(info.param.name);
                         });

// Repeat stops at half the frame maximum (10,000 frames in zel-cli): 5,000 frames cannot be
// doubled, 4,999 can.
TEST(EditRepeatLimit, HalfTheFrameMaximum) {
  if (!fs::exists("/usr/bin/gifsicle")) GTEST_SKIP() << "gifsicle is not installed";
  TempDir dir;
  WriteBytes(dir.path() / "tiny.gif", TinyGif());
  std::vector<std::string> gifsicle = {"/usr/bin/gifsicle", "--loopcount=forever",
                                       dir / "tiny.gif"};
  gifsicle.insert(gifsicle.end(), 5000, "#0");
  gifsicle.insert(gifsicle.end(), {"-o", dir / "big.gif"});
  ASSERT_TRUE(RunTool(gifsicle));

  RunResult refused = RunCli({"edit", dir / "big.gif", "--repeat", "-o", dir / "out.gif"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(
      refused.err.find("--repeat: an animation of 5000 frames cannot be doubled (at most 4999 "
                       "frames)"),
      std::string::npos)
      << refused.err;
  EXPECT_FALSE(fs::exists(dir / "out.gif"));

  RunResult doubled =
      RunCli({"edit", dir / "big.gif", "--delete-frame", "1", "--repeat", "-o", dir / "out.gif"});
  ASSERT_EQ(doubled.exitCode, 0) << doubled.err;
  EXPECT_EQ(Load(dir / "out.gif")->count, 9998);
}

// The loop count of the file is kept by any edit and set by --loop; "once" writes no
// looping extension.
TEST(EditLoop, KeptAndSet) {
  TempDir dir;
  MakeGif(dir / "in.gif", {10, 10}, 2);
  ASSERT_EQ(Load(dir / "in.gif")->loopCount, 2);
  const struct {
    std::vector<std::string> args;
    int32_t loopCount;
  } cases[] = {{{"--reverse"}, 2},
               {{"--loop", "once"}, kPlayOnce},
               {{"--loop", "0"}, kLoopForever},
               {{"--loop", "once", "--loop", "65535"}, 65535}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    std::vector<std::string> args = {"edit", dir / "in.gif"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.insert(args.end(), {"-o", dir / "out.gif"});
    RunResult r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Load(dir / "out.gif")->loopCount, c.loopCount);
    const std::vector<uint8_t> bytes = ReadBytes(dir / "out.gif");
    const std::string netscape = "NETSCAPE2.0";
    const bool hasBlock = std::search(bytes.begin(), bytes.end(), netscape.begin(),
                                      netscape.end()) != bytes.end();
    EXPECT_EQ(hasBlock, c.loopCount != kPlayOnce);
  }
}

// The result goes through the same save path as convert: a kept frame as a BMP picture.
TEST(EditOutput, PictureSavedAsBitmap) {
  if (ImageMagickPath().empty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  TempDir dir;
  MakeGif(dir / "in.gif", kFive);

  RunResult r = RunCli({"edit", dir / "in.gif", "--to-picture", "2", "-o", dir / "out.bmp"});

  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::string shown;
  ASSERT_TRUE(ImageMagick({dir / "out.bmp", "-format", "%wx%h %[hex:p{7,5}]", "info:"}, &shown));
  EXPECT_EQ(shown, "8x6 00FF00");
}

TEST(EditHelp, ListsEveryOption) {
  RunResult r = RunCli({"help"});
  ASSERT_EQ(r.exitCode, 0);
  for (const char* option : {"zel-cli edit IN",   "-o OUT",
                             "--output OUT",      "--delete-frame N",
                             "--delete-before N", "--delete-after N",
                             "--insert-copy N",   "--move-frame N:M",
                             "--first N",         "--to-picture N",
                             "--repeat",          "--reverse",
                             "--delay N=T",       "all=T",
                             "--scale-time P%",   "--loop N",
                             "--colors N",
                             "--pure-index",      "--palette-from F",
                             "--full-colour",     "--no-dither",
                             "--transparent C",   "--quality N"}) {
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace zel::clitest
