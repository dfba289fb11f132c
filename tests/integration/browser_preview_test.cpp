#include "integration/browser_preview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagefiles/gif_decoder.h"
#include "integration/integration_fixtures.h"

namespace zel {
namespace {

using testing::ReadText;
using testing::ScratchFolder;

TEST(BrowserPreview, PageTemplates) {
  const uint32_t color = 0x336699;  // red 153, green 102, blue 51
  EXPECT_EQ(PreviewColorHex(color), "996633");
  EXPECT_EQ(BuildPreviewPage("/home/u/a.gif", color, false),
            "<HTML>\n<HEAD>\n<META charset=\"UTF-8\">\n<TITLE>/home/u/a.gif</TITLE>\n</HEAD>\n"
            "<BODY BGCOLOR=\"#996633\">\n<IMG SRC=\"file:///home/u/a.gif\">\n</BODY>\n</HTML>");
  EXPECT_EQ(BuildPreviewPage("/home/u/a.gif", color, true),
            "<HTML>\n<HEAD>\n<META charset=\"UTF-8\">\n<TITLE>/home/u/a.gif</TITLE>\n</HEAD>\n"
            "<BODY BACKGROUND=\"file:///home/u/a.gif\" BGCOLOR=\"#996633\">\n</BODY>\n</HTML>");
}

TEST(BrowserPreview, AwkwardNamesNeitherBreakNorInjectIntoThePage) {
  const std::string path = "/tmp/a\"b#c<script>&%20 無題.gif";
  const std::string url = FileUrl(path);
  EXPECT_EQ(url, "file:///tmp/a%22b%23c%3Cscript%3E%26%2520%20%E7%84%A1%E9%A1%8C.gif");
  const std::string page = BuildPreviewPage(path, 0, false);
  EXPECT_NE(page.find("<TITLE>/tmp/a&quot;b#c&lt;script&gt;&amp;%20 無題.gif</TITLE>"),
            std::string::npos);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_NE(page.find("<IMG SRC=\"" + url + "\">"), std::string::npos);
}

TEST(BrowserPreview, PreviewWritesTheGifAndThePageAndOpensThePage) {
  ScratchFolder folder;
  auto doc = testing::LoadAnimation(folder.path(), 3);
  std::vector<std::string> opened;
  auto open = [&](const std::string& url) {
    opened.push_back(url);
    return true;
  };
  ASSERT_TRUE(PreviewAnimation(*doc, folder.path(), false, open));
  EXPECT_EQ(doc->flags & kFlagBusy, 0u);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], FileUrl(folder / "$zel.html"));
  EXPECT_EQ(ReadText(folder / "$zel.html"),
            BuildPreviewPage(folder / "$zel.gif", doc->backgroundColor, false));
  auto frames = FrameSet::Create(256);
  ASSERT_TRUE(LoadGifAnimation(folder / "$zel.gif", *frames, 256));
  EXPECT_EQ(frames->count, 3);
  EXPECT_EQ(frames->frame(2).delay, 30);
}

TEST(BrowserPreview, ActsOnlyOnAnimationsAndToleratesAMissingBrowser) {
  ScratchFolder folder;
  auto picture = testing::LoadGifPicture(folder.path(), -1);
  int calls = 0;
  auto open = [&](const std::string&) {
    ++calls;
    return false;  // no browser: still no failure
  };
  EXPECT_FALSE(PreviewAnimation(*picture, folder.path(), false, open));
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(ShowInBrowser("/x.gif", folder / "page.html", 0, false, open));
  EXPECT_EQ(calls, 1);
  // A page that cannot be written is the only failure.
  EXPECT_FALSE(ShowInBrowser("/x.gif", folder / "missing/page.html", 0, false, open));
}

}  // namespace
}  // namespace zel
