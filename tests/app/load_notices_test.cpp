#include "app/load_notices.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(LoadNotices, DroppedFramesNamesBothCountsAndTheSetting) {
  EXPECT_EQ(DroppedFramesNotice(300, 256),
            "このファイルには300コマありますが、先頭の256コマだけを読み込みました.\n"
            "上書き保存すると残りのコマは失われます.\n"
            "フレーム最大値は「オプション」の設定で変更できます.");
  EXPECT_EQ(DroppedFramesNotice(256, 256), "");
  EXPECT_EQ(DroppedFramesNotice(1, 1), "");
}

}  // namespace
}  // namespace zel
