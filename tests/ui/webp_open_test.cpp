// WebP files in the real main window, offscreen: the open command's dialog lists them and
// opens an animated one as a playing frame animation; a dropped still one opens as a
// picture; a damaged one is refused with the message and the document stays.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <string>

#include "app/command_ids.h"
#include "document/document_state.h"
#include "support/webp_builder.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"

namespace zel {
namespace {

using testing::WebpAnimationBuilder;
using testing::WebpPixels;

class WebpOpenTest : public testing::MainWindowFixture {
 protected:
  std::string Animation(const std::string& name) {
    const std::string path = File(name);
    testing::WriteBytes(path, WebpAnimationBuilder(20, 10)
                                  .Frame(WebpPixels::Filled(20, 10, 0xFFFF0000), 0, 0, 100)
                                  .Frame(WebpPixels::Filled(8, 4, 0xFF00FF00), 4, 2, 200)
                                  .Frame(WebpPixels::Filled(20, 10, 0x00000000), 0, 0, 300)
                                  .bytes());
    return path;
  }
};

TEST_F(WebpOpenTest, TheOpenCommandOpensAnAnimatedWebpFile) {
  const std::string path = Animation("anim.webp");
  QStringList filters;
  testing::ModalScript script({[&](QWidget* m) {
    auto* dialog = qobject_cast<QFileDialog*>(m);
    ASSERT_NE(dialog, nullptr);
    filters = dialog->nameFilters();
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdOpen));
  ASSERT_TRUE(testing::WaitUntil([&] { return script.Finished() && Doc().frameSet->count == 3; }));
  ASSERT_EQ(filters.size(), 1);
  EXPECT_TRUE(filters.front().contains(QStringLiteral("*.webp"))) << filters.front().toStdString();
  EXPECT_EQ(Doc().kind, ImageKind::kFrameAnimation);
  EXPECT_EQ(Delays(), (std::vector<int>{10, 20, 30}));
  EXPECT_TRUE(window_->FramePane()->text().endsWith(QStringLiteral("/3")));
  EXPECT_EQ(window_->windowTitle().toStdString(), "anim.webp - Zel");
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(WebpOpenTest, ADroppedStillWebpOpensAndADamagedOneChangesNothing) {
  WebpPixels still = WebpPixels::Filled(7, 5, 0xFF3366CC);
  still.Set(0, 0, 0x00000000);
  const std::string stillPath = File("still.webp");
  testing::WriteBytes(stillPath, testing::LosslessWebp(still));
  ASSERT_TRUE(window_->DropFiles({QString::fromStdString(stillPath)}));
  ASSERT_TRUE(testing::WaitUntil([&] { return Doc().filePath == stillPath; }));
  EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
  EXPECT_EQ(Doc().width, 7);
  EXPECT_GE(Doc().frameSet->transparentIndex, 0);

  std::vector<uint8_t> bytes = testing::ReadBytes(Animation("cut.webp"));
  bytes.resize(bytes.size() / 2);
  const std::string cut = File("cut.webp");
  testing::WriteBytes(cut, bytes);
  EXPECT_FALSE(window_->OpenFile(cut).done());
  ASSERT_TRUE(testing::WaitUntil([&] { return !messages_.isEmpty(); }));
  EXPECT_EQ(messages_.front(),
            QStringLiteral("画像ファイルが壊れているか、ファイルが存在しません."));
  EXPECT_EQ(Doc().filePath, stillPath);
  EXPECT_EQ(Doc().kind, ImageKind::kBitmap);
}

}  // namespace
}  // namespace zel
