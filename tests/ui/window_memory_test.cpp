// What the editor shows and keeps about itself: the title's marker of unsaved changes, the
// window's size, place and tool bars across restarts, everything in the one settings
// folder (the recent files of earlier versions taken over once), and Qt's own texts in
// Japanese.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QToolBar>
#include <QTranslator>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/command_ids.h"
#include "app/settings.h"
#include "platform/folders.h"
#include "support/gif_builder.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"
#include "ui/private_home.h"
#include "ui/qt_translations.h"
#include "ui/settings_places.h"

namespace zel {
namespace {

using testing::GifBuilder;

std::string WriteAnimation(const std::string& path) {
  GifBuilder gif(8, 6, {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
  gif.Looping();
  for (int i = 0; i < 3; ++i) {
    gif.Control(0x04, 10, 0).Image(0, 0, 8, 6, std::vector<uint8_t>(48, uint8_t(i)));
  }
  return testing::WriteGif(path, gif);
}

class WindowMemoryTest : public testing::MainWindowFixture {
 protected:
  void SetUp() override {
    files_ = Home() + "/files/";
    std::filesystem::remove_all(std::filesystem::path(OldRecentFilesPath()).parent_path());
    MainWindowFixture::SetUp();
  }
  // The layout stored here is not left for the windows of other tests.
  void TearDown() override {
    MainWindowFixture::TearDown();
    std::filesystem::remove(SettingsFilePath());
  }
  void HookWindow() override {
    FailOnMessages();
    window_->saveConfirmation = [] { return SaveChoice::kDiscard; };
  }

  // Closes the window as the user does, then ends the session, which writes zel.ini.
  void Restart() {
    window_->close();
    StopWindow();
    StartWindow();
  }
  std::string Title() const { return window_->windowTitle().toStdString(); }

  std::string files_;
};

// The marker is the state the question on closing asks about: the revision differs from the
// one last opened or saved. An undo back to that state clears it; a redo sets it again.
TEST_F(WindowMemoryTest, TheTitleMarksUnsavedChangesUntilTheyAreSaved) {
  EXPECT_EQ(Title(), "無題 - Zel");
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(files_ + "marked.gif")).done());
  EXPECT_EQ(Title(), "marked.gif - Zel");
  ASSERT_TRUE(window_->RunCommand(kCmdStop));
  EXPECT_EQ(Title(), "marked.gif - Zel");  // playback changes nothing

  ASSERT_TRUE(window_->RunCommand(kCmdInsertFrame));
  EXPECT_EQ(Title(), "marked.gif* - Zel");
  EXPECT_EQ(window_->windowHandle()->title().toStdString(), "marked.gif* - Zel");
  ASSERT_TRUE(window_->RunCommand(kCmdUndo));
  EXPECT_EQ(Title(), "marked.gif - Zel");
  ASSERT_TRUE(window_->RunCommand(kCmdRedo));
  EXPECT_EQ(Title(), "marked.gif* - Zel");

  // A save without its dialog (the last path lies in the settings folder).
  session_->settings.block.lastImagePath = session_->settingsFolder + "saved.gif";
  ASSERT_TRUE(window_->RunCommand(kCmdSaveGif));
  EXPECT_EQ(Title(), "saved.gif - Zel");
  ASSERT_TRUE(window_->RunCommand(kCmdReverse));
  EXPECT_EQ(Title(), "saved.gif* - Zel");
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(files_ + "other.gif")).done());
  EXPECT_EQ(Title(), "other.gif - Zel");
}

TEST_F(WindowMemoryTest, SizePlaceAndToolBarsSurviveARestart) {
  const QRect area = window_->screen()->availableGeometry();
  const QRect placed(area.x() + 40, area.y() + 30, 520, 400);
  window_->setGeometry(placed);
  window_->addToolBar(Qt::LeftToolBarArea, window_->StandardBar());
  ASSERT_TRUE(window_->OpenFile(WriteAnimation(files_ + "kept.gif")).done());
  ASSERT_TRUE(window_->AnimationBar()->isVisible());

  Restart();
  EXPECT_EQ(window_->geometry(), placed);
  EXPECT_EQ(window_->toolBarArea(window_->StandardBar()), Qt::LeftToolBarArea);
  EXPECT_TRUE(window_->StandardBar()->isVisible());
  // No document yet: neither of the document's bars.
  EXPECT_FALSE(window_->AnimationBar()->isVisible());
  EXPECT_FALSE(window_->PictureBar()->isVisible());
  EXPECT_EQ(window_->RecentFiles(), QStringList{QString::fromStdString(files_ + "kept.gif")});

  // A bar the user hid stays hidden.
  ASSERT_TRUE(window_->RunCommand(kCmdStandardToolBar));
  ASSERT_FALSE(window_->StandardBar()->isVisible());
  Restart();
  EXPECT_FALSE(window_->StandardBar()->isVisible());
  EXPECT_FALSE(std::filesystem::exists(ConfigHome() + "/Zel"));
}

// Left where the screens no longer reach (a screen was unplugged), or with too little of
// its top on a screen to take hold of it.
TEST_F(WindowMemoryTest, AWindowLeftOffTheScreensComesBackOntoOne) {
  const QRect area = window_->screen()->availableGeometry();
  for (const QRect& left : {QRect(area.right() + 3000, area.bottom() + 2000, 500, 400),
                            QRect(area.x() - 470, area.y() - 10, 500, 400)}) {
    SCOPED_TRACE(left.x());
    window_->setGeometry(left);
    Restart();
    const QRect now = window_->geometry();
    EXPECT_EQ(now.size(), QSize(500, 400));
    EXPECT_TRUE(area.contains(now.topLeft())) << now.x() << "," << now.y();
    EXPECT_TRUE(area.contains(QPoint(now.left() + 64, now.top() + 24)));
  }
}

// Earlier versions kept the recent files in ~/.config/Zel/zel.conf. They are taken into
// zel.ini on the first start, and that file is removed; a list zel.ini has wins.
TEST_F(WindowMemoryTest, TheOldRecentFilesAreReadOnceFromTheOldPlace) {
  StopWindow();
  const QString old = QString::fromStdString(OldRecentFilesPath());
  auto writeOld = [&old](const QStringList& paths) {
    QSettings store(old, QSettings::IniFormat);
    store.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 0; i < paths.size(); ++i)
      store.setValue(QStringLiteral("File%1").arg(i + 1), paths[i]);
  };
  const QStringList earlier = {QStringLiteral("/pictures/猫 1.gif"), QStringLiteral("/b.png")};
  writeOld(earlier);
  ASSERT_TRUE(std::filesystem::exists(old.toStdString()));

  StartWindow();
  EXPECT_EQ(window_->RecentFiles(), earlier);
  EXPECT_FALSE(std::filesystem::exists(old.toStdString()));
  EXPECT_FALSE(std::filesystem::exists(ConfigHome() + "/Zel"));
  ProfileFile ini;
  ASSERT_TRUE(ini.Load(SettingsFilePath()));
  EXPECT_EQ(ini.Get("Recent File List", "File1"), "/pictures/猫 1.gif");

  // The file comes back (an earlier version ran meanwhile): zel.ini's list stays.
  StopWindow();
  writeOld({QStringLiteral("/elsewhere.gif")});
  StartWindow();
  EXPECT_EQ(window_->RecentFiles(), earlier);
  EXPECT_FALSE(std::filesystem::exists(old.toStdString()));
}

// The program's language is Japanese; Qt's own dialogs and buttons speak it too.
class QtTextsTest : public WindowMemoryTest {
 protected:
  void SetUp() override {
    WindowMemoryTest::SetUp();
    installed_ = InstallTranslations(*QCoreApplication::instance(), Language::kJapanese);
  }
  void TearDown() override {
    RemoveTranslations(*QCoreApplication::instance());
    WindowMemoryTest::TearDown();
  }
  bool installed_ = false;
};

TEST_F(QtTextsTest, FileDialogsAndStandardButtonsReadJapanese) {
  ASSERT_TRUE(installed_) << "qtbase_ja.qm is not installed";

  QStringList buttons;
  QStringList filters;
  testing::ModalScript script({[&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    filters = dialog->nameFilters();
    for (QPushButton* button :
         dialog->findChild<QDialogButtonBox*>()->findChildren<QPushButton*>()) {
      buttons << button->text();
    }
    dialog->reject();
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdOpen));
  ASSERT_TRUE(script.Finished());
  EXPECT_TRUE(buttons.contains(QStringLiteral("開く"))) << buttons.join('|').toStdString();
  EXPECT_TRUE(buttons.contains(QStringLiteral("キャンセル"))) << buttons.join('|').toStdString();
  // What the file dialog keeps of itself is in the settings folder too.
  EXPECT_TRUE(std::filesystem::exists(session_->settingsFolder + "QtProject.conf"));
  EXPECT_FALSE(std::filesystem::exists(ConfigHome() + "/QtProject.conf"));
  ASSERT_EQ(filters.size(), 1);
  for (const char* pattern : {"*.jpg", "*.JPG", "*.jpeg", "*.jpe", "*.GIF", "*.png"}) {
    EXPECT_TRUE(filters.front().contains(QString::fromLatin1(pattern))) << pattern;
  }

  QMessageBox box(QMessageBox::Question, QStringLiteral("zel"), QStringLiteral("?"),
                  QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
  EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
}

}  // namespace
}  // namespace zel
