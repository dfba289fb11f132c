#include "integration/sibling_programs.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "imagefiles/frame_bitmap.h"
#include "imagefiles/gif_decoder.h"
#include "integration/integration_fixtures.h"
#include "platform/file_io.h"
#include "platform/local_channel.h"
#include "support/stand_in_sibling.h"

namespace zel {
namespace {

using testing::ScratchFolder;

// A sibling program at `folder`, under the socket name of `title`.
class StandInSibling : public testing::StandInSibling {
 public:
  StandInSibling(const std::string& folder, const std::string& title,
                 std::function<uint32_t(const ChannelMessage&)> answer)
      : testing::StandInSibling(folder + SiblingSocketName(title), std::move(answer)) {}
};

uint32_t AnswerLikeVanta(const ChannelMessage& m) {
  return m.message == kSiblingIdentify && m.wParam == 1 ? kSiblingIdentifyAnswer : 1;
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 200 && !std::filesystem::exists(path); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return std::filesystem::exists(path);
}

TEST(SiblingPrograms, NamesOfSocketsAndFiles) {
  EXPECT_EQ(SiblingSocketName(kVantaTitle), "vanta-maker.sock");
  EXPECT_EQ(SiblingSocketName(kMorselTitle), "morsel-tsr.sock");
  const char* names[] = {"$morsel.jpg", "$morsel.gif", "$morsel.bmp", "$morsel.txt", "$image.bmp"};
  for (int type = 0; type < 5; ++type) EXPECT_STREQ(MorselExchangeName(type), names[type]);
  EXPECT_EQ(MorselExchangeName(5), nullptr);
}

TEST(SiblingPrograms, RunningVantaReceivesTheFrameBitmapBlock) {
  ScratchFolder folder;
  auto doc = testing::LoadAnimation(folder.path(), 3);
  StandInSibling vanta(folder.path(), kVantaTitle, AnswerLikeVanta);
  SiblingChannel channel{folder.path()};
  int starts = 0;
  auto start = [&](const std::vector<std::string>&) { return ++starts > 0; };
  EXPECT_EQ(SendToVanta(*doc, channel, folder.path(), "/bin/true", start), VantaRoute::kMessage);
  EXPECT_EQ(starts, 0);
  EXPECT_FALSE(std::filesystem::exists(folder / kVantaHandOverName));
  std::vector<ChannelMessage> got = vanta.received();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, kSiblingIdentify);
  EXPECT_EQ(got[0].wParam, 1u);
  EXPECT_EQ(got[1].message, kSiblingCopyData);
  EXPECT_EQ(got[1].wParam, 74u);
  PackedDib block = PackedDib::Allocate(got[1].data.size());
  std::copy(got[1].data.begin(), got[1].data.end(), block.data());
  ASSERT_TRUE(IsFrameBitmap(block));
  auto frames = FrameSet::Create(256);
  ASSERT_TRUE(ReadFrameBitmap(block, *frames).done());
  EXPECT_EQ(frames->count, 3);
  EXPECT_EQ(frames->frame(1).delay, 20);
}

TEST(SiblingPrograms, WithoutAnsweringVantaTheProgramIsStartedWithTheFile) {
  ScratchFolder folder;
  auto doc = testing::LoadAnimation(folder.path(), 3);
  // A window of that name that does not answer 74 is someone else's.
  StandInSibling impostor(folder.path(), kVantaTitle, [](const ChannelMessage&) { return 0u; });
  const std::string program = folder / "vantamaker";
  testing::WriteScript(program, "printf '%s\\n' \"$@\" > \"$0.args\"\n");
  SiblingChannel channel{folder.path()};
  EXPECT_EQ(SendToVanta(*doc, channel, folder.path(), program), VantaRoute::kProgram);
  ASSERT_TRUE(WaitForFile(program + ".args"));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(testing::ReadText(program + ".args"), "/f=" + (folder / "$vanta.gif") + "\n");
  auto frames = FrameSet::Create(256);
  ASSERT_TRUE(LoadGifAnimation(folder / "$vanta.gif", *frames, 256));
  EXPECT_EQ(frames->count, 3);
  EXPECT_EQ(impostor.received().size(), 1u);  // the identification only

  // Nothing reachable and no program; or no animation: nothing happens.
  SiblingChannel nowhere{folder / "none/"};
  EXPECT_EQ(SendToVanta(*doc, nowhere, folder.path(), ""), VantaRoute::kNothing);
  auto picture = testing::LoadGifPicture(folder.path(), -1);
  EXPECT_EQ(SendToVanta(*picture, channel, folder.path(), program), VantaRoute::kNothing);
}

TEST(SiblingPrograms, MorselRouteByKindDepthAndCommandLine) {
  ScratchFolder folder;
  auto anim = testing::LoadAnimation(folder.path(), 3);
  const std::string started = anim->filePath;
  EXPECT_EQ(ChooseMorselRoute(*anim, ""), MorselRoute::kGif);
  EXPECT_EQ(ChooseMorselRoute(*anim, started), MorselRoute::kGif);  // not from the command line
  anim->flags |= kFlagFromCommandLine;
  EXPECT_EQ(ChooseMorselRoute(*anim, started), MorselRoute::kRewriteCommandLineFile);
  // After another file was opened or saved the command-line file is left alone.
  anim->filePath = folder / "other.bmp";
  EXPECT_EQ(ChooseMorselRoute(*anim, started), MorselRoute::kGif);

  EXPECT_EQ(ChooseMorselRoute(*testing::LoadGifPicture(folder.path(), 1), ""), MorselRoute::kGif);
  auto truePicture = testing::LoadTrueColorPicture(folder.path());
  EXPECT_EQ(ChooseMorselRoute(*truePicture, ""), MorselRoute::kJpeg);
  truePicture->kind = ImageKind::kPng;
  EXPECT_EQ(ChooseMorselRoute(*truePicture, ""), MorselRoute::kJpeg);
  truePicture->bitCount = 8;
  EXPECT_EQ(ChooseMorselRoute(*truePicture, ""), MorselRoute::kGif);
  truePicture->kind = ImageKind::kJpeg;
  EXPECT_EQ(ChooseMorselRoute(*truePicture, ""), MorselRoute::kJpeg);
  DocumentState empty;
  EXPECT_EQ(ChooseMorselRoute(empty, ""), MorselRoute::kNothing);
}

TEST(SiblingPrograms, MorselReceivesTheExchangeFilesAndNotifications) {
  ScratchFolder folder;
  StandInSibling morsel(folder.path(), kMorselTitle, [](const ChannelMessage&) { return 1u; });
  SiblingChannel channel{folder.path()};

  auto truePicture = testing::LoadTrueColorPicture(folder.path());
  MorselOutcome jpeg = SendToMorsel(*truePicture, "", folder.path(), 75, channel, nullptr);
  EXPECT_EQ(jpeg.route, MorselRoute::kJpeg);
  EXPECT_TRUE(jpeg.delivered);
  std::vector<uint8_t> head = *ReadFileBytes(folder / "$morsel.jpg");
  ASSERT_GE(head.size(), 2u);
  EXPECT_EQ(head[0], 0xFF);
  EXPECT_EQ(head[1], 0xD8);

  auto picture = testing::LoadGifPicture(folder.path(), 4);
  MorselOutcome gif = SendToMorsel(*picture, "", folder.path(), 75, channel, nullptr);
  EXPECT_EQ(gif.route, MorselRoute::kGif);
  EXPECT_TRUE(gif.delivered);
  EXPECT_FALSE(gif.closeProgram);
  auto frames = FrameSet::Create(256);
  ASSERT_TRUE(LoadGifAnimation(folder / "$morsel.gif", *frames, 256));
  EXPECT_EQ(frames->count, 1);
  EXPECT_EQ(frames->frame(0).transparentIndex, 4);

  std::vector<ChannelMessage> got = morsel.received();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, kMorselNotify);
  EXPECT_EQ(got[0].wParam, 0u);
  EXPECT_EQ(got[0].lParam, 0u);
  EXPECT_EQ(got[1].message, kMorselNotify);
  EXPECT_EQ(got[1].wParam, 1u);

  // A settings folder that does not exist: nothing is written or sent.
  MorselOutcome none = SendToMorsel(*picture, "", folder / "gone/", 75, channel, nullptr);
  EXPECT_FALSE(none.delivered);
  EXPECT_EQ(morsel.received().size(), 2u);
}

// When Morsel does not take the work the outcome says why, and the user is told so.
TEST(SiblingPrograms, MorselFailuresSayWhy) {
  ScratchFolder folder;
  auto picture = testing::LoadGifPicture(folder.path(), 4);
  SiblingChannel channel{folder.path()};
  struct Case {
    const char* what;
    std::function<uint32_t(const ChannelMessage&)> morsel;  // none: Morsel is not there
    std::string settingsFolder;
    MorselFailure failure;
    const char* text;
  } cases[] = {
      {"taken", [](const ChannelMessage&) { return 1u; }, folder.path(), MorselFailure::kNone,
       nullptr},
      {"refused", [](const ChannelMessage&) { return 0u; }, folder.path(),
       MorselFailure::kRefused, "Morselが画像を受け取りませんでした."},
      {"not running", nullptr, folder.path(), MorselFailure::kNotRunning,
       "Morselが起動していないか、応答がありません。\n画像を出力できませんでした."},
      {"no settings folder", [](const ChannelMessage&) { return 1u; }, folder / "gone/",
       MorselFailure::kNoFolder, "設定フォルダがないため、Morselに画像を出力できません."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<StandInSibling> morsel;
    if (c.morsel) morsel = std::make_unique<StandInSibling>(folder.path(), kMorselTitle, c.morsel);
    MorselOutcome outcome = SendToMorsel(*picture, "", c.settingsFolder, 75, channel, nullptr);
    EXPECT_EQ(outcome.failure, c.failure);
    EXPECT_EQ(outcome.delivered, c.failure == MorselFailure::kNone);
    const char* text = MorselFailureText(outcome.failure);
    if (c.text) {
      ASSERT_NE(text, nullptr);
      EXPECT_STREQ(text, c.text);
    } else {
      EXPECT_EQ(text, nullptr);
    }
  }
  EXPECT_STREQ(MorselFailureText(MorselFailure::kWriteFailed), "画像ファイルに書き込みできません．");
}

TEST(SiblingPrograms, MorselCommandRewritesTheCommandLineFileAndCloses) {
  ScratchFolder folder;
  auto doc = testing::LoadAnimation(folder.path(), 3);
  const std::string started = doc->filePath;
  doc->flags |= kFlagFromCommandLine;
  doc->frameSet->frame(0).delay = 77;  // the edit
  SiblingChannel nowhere;
  MorselOutcome outcome = SendToMorsel(*doc, started, folder.path(), 75, nowhere, nullptr);
  EXPECT_EQ(outcome.route, MorselRoute::kRewriteCommandLineFile);
  EXPECT_TRUE(outcome.delivered);
  EXPECT_TRUE(outcome.closeProgram);
  EXPECT_EQ(doc->flags & kFlagBusy, 0u);
  auto frames = FrameSet::Create(256);
  ASSERT_TRUE(LoadGifAnimation(started, *frames, 256));
  EXPECT_EQ(frames->count, 3);
  EXPECT_EQ(frames->frame(0).delay, 77);
}

TEST(SiblingPrograms, ReadinessComesFromACacheAndNeverBlocks) {
  ScratchFolder folder;
  SiblingChannel channel{folder.path()};
  {
    StandInSibling morsel(folder.path(), kMorselTitle, [](const ChannelMessage& m) {
      return m.message == kMorselNotify && m.wParam == kMorselReadyQuery ? 1u : 7u;
    });
    EXPECT_TRUE(QueryMorselReady(channel));
    MorselReadiness readiness([&] { return QueryMorselReady(channel); }, 0);
    EXPECT_FALSE(readiness.IsReady());  // nothing known yet
    readiness.WaitForRefresh();
    EXPECT_TRUE(readiness.IsReady());
    ASSERT_FALSE(morsel.received().empty());
    EXPECT_EQ(morsel.received()[0].wParam, 1u);
  }
  // A reply of 2 is not "ready".
  {
    StandInSibling busy(folder.path(), kMorselTitle, [](const ChannelMessage&) { return 2u; });
    EXPECT_FALSE(QueryMorselReady(channel));
  }
  // A Morsel that never answers: every call returns at once, and the answer is "not ready".
  LocalChannelServer silent;
  ASSERT_TRUE(silent.Listen(folder.path() + SiblingSocketName(kMorselTitle)));
  MorselReadiness readiness([&] { return QueryMorselReady(channel); }, 0);
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < 50; ++i) EXPECT_FALSE(readiness.IsReady());
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(100));
  readiness.WaitForRefresh();
  EXPECT_FALSE(readiness.IsReady());
}

}  // namespace
}  // namespace zel
