// zel-cli writes WebP and PNG by the output's extension: animations as animated files,
// pictures as still ones, --lossy for WebP only. The pixels are the interop tests' business
// (Chromium); here the format each command chose.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "support/gif_builder.h"

namespace zel::clitest {
namespace {

// A GIF of `frames` 8 x 6 frames of one colour each.
void MakeGif(const std::string& path, int frames) {
  ::zel::testing::GifBuilder gif(8, 6, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}});
  if (frames > 1) gif.Looping(0);
  for (int i = 0; i < frames; ++i) {
    gif.Control(0, 10 + i, 0).Image(0, 0, 8, 6, std::vector<uint8_t>(48, uint8_t(i % 4)));
  }
  WriteBytes(path, gif.Trailer().bytes());
}

bool Has(const std::vector<uint8_t>& bytes, const std::string& chunk) {
  return std::string(bytes.begin(), bytes.end()).find(chunk) != std::string::npos;
}

std::string Head(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < 16) return "";
  if (std::string(bytes.begin() + 8, bytes.begin() + 12) == "WEBP") return "webp";
  if (bytes[0] == 0x89 && bytes[1] == 'P') return "png";
  return "other";
}

TEST(AnimatedOutputCli, TheExtensionChoosesTheFormatAndLossyIsForWebp) {
  TempDir dir;
  MakeGif(dir / "anim.gif", 3);
  MakeGif(dir / "pic.gif", 1);
  const struct Case {
    std::vector<std::string> args;  // after the command; "@x" is dir / x
    const char* output;
    const char* head;
    std::vector<const char*> chunks;    // must be in the file
    std::vector<const char*> notThere;  // must not be
  } cases[] = {
      {{"convert", "@anim.gif", "@a.webp"}, "a.webp", "webp", {"ANIM", "ANMF", "VP8L"}, {"VP8 "}},
      {{"convert", "@anim.gif", "@b.webp", "--lossy", "60"}, "b.webp", "webp", {"ANIM", "VP8 "}, {}},
      {{"convert", "@anim.gif", "@c.PNG"}, "c.PNG", "png", {"acTL", "fcTL", "fdAT"}, {}},
      {{"convert", "@pic.gif", "@d.webp"}, "d.webp", "webp", {"VP8L"}, {"ANIM"}},
      {{"convert", "@pic.gif", "@e.png"}, "e.png", "png", {"PLTE", "IDAT"}, {"acTL"}},
      {{"edit", "@anim.gif", "--reverse", "-o", "@f.webp", "--lossy", "0"}, "f.webp", "webp",
       {"ANIM", "VP8 "}, {}},
      {{"edit", "@anim.gif", "@g.png", "--delete-frame", "1"}, "g.png", "png", {"acTL"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(a[0] == '@' ? dir / a.substr(1) : a);
    const RunResult r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<uint8_t> bytes = ReadBytes(dir / c.output);
    EXPECT_EQ(Head(bytes), c.head);
    for (const char* chunk : c.chunks) EXPECT_TRUE(Has(bytes, chunk)) << chunk;
    for (const char* chunk : c.notThere) EXPECT_FALSE(Has(bytes, chunk)) << chunk;
    if (std::string(c.head) == "webp") {
      std::string out;
      EXPECT_TRUE(RunTool({"webpinfo", "-quiet", dir / c.output}, &out)) << out;
    }
  }
}

}  // namespace
}  // namespace zel::clitest
