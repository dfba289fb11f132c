// A WebP file in the list of "複数画像をｱﾆﾒとして開く": its size, and its first picture as the
// animation shows it first.
#include <gtest/gtest.h>

#include <fstream>

#include "generators/listed_picture.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"
#include "support/webp_builder.h"

namespace zel {
namespace {

using testing::WebpAnimationBuilder;
using testing::WebpPixels;

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

TEST(ListedWebp, SizeAndFirstPicture) {
  const std::string dir = testing::MakeTempDir();
  const std::string path = dir + "/clip.WEBP";
  Write(path, WebpAnimationBuilder(6, 4)
                  .Frame(WebpPixels::Filled(6, 4, 0xFF102030), 0, 0, 50)
                  .Frame(WebpPixels::Filled(6, 4, 0xFFFFFFFF), 0, 0, 50)
                  .bytes());
  char letter = 0;
  ASSERT_EQ(ClassifyListedName(path, &letter), ListedName::kReadable);
  EXPECT_EQ(ReadListedPictureSize(path), (PictureExtent{6, 4}));
  PackedDib picture;
  ASSERT_TRUE(ReadListedPicture(path, letter, &picture).done());
  ASSERT_EQ(picture.Header().bitCount, 24);
  const uint8_t* p = picture.Row(3) + 3 * 5;
  EXPECT_EQ(p[0], 0x30);  // blue, green, red of the first frame
  EXPECT_EQ(p[1], 0x20);
  EXPECT_EQ(p[2], 0x10);

  std::vector<uint8_t> cut =
      WebpAnimationBuilder(6, 4).Frame(WebpPixels::Filled(6, 4, 0xFF102030), 0, 0, 50).bytes();
  cut.resize(cut.size() - 4);
  Write(dir + "/cut.webp", cut);
  EXPECT_EQ(ReadListedPictureSize(dir + "/cut.webp"), std::nullopt);
  EXPECT_EQ(ReadListedPicture(dir + "/cut.webp", letter, &picture),
            Outcome::Failed(kMsgBadImageFile));
  EXPECT_FALSE(picture);
}

}  // namespace
}  // namespace zel
