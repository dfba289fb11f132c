// The editor's dialogs driven directly through their widgets on the offscreen platform.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/menu_tree.h"
#include "app/settings.h"
#include "document/document_state.h"
#include "document/frame_set.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/color_chooser.h"
#include "ui/dialogs/define_dialog.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/jump_dialog.h"
#include "ui/dialogs/program_resources.h"
#include "ui/dialogs/progress_window.h"
#include "ui/dialogs/save_confirm_dialog.h"
#include "app/save_rules.h"
#include "ui/dialogs/save_jpeg_dialog.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

// Answers the next modal window: polls until one is active, records what it shows and lets
// `handle` close it. Polling stops when the answerer goes out of scope.
class ModalAnswerer {
 public:
  explicit ModalAnswerer(std::function<void(QWidget*)> handle) : handle_(std::move(handle)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }

  bool seen = false;
  QString text;  // the message box text, or the dialog's window title

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    timer_.stop();
    seen = true;
    auto* box = qobject_cast<QMessageBox*>(modal);
    text = box ? box->text() : modal->windowTitle();
    handle_(modal);
  }

  std::function<void(QWidget*)> handle_;
  QTimer timer_;
};

void ClickMessageButton(QWidget* modal, QMessageBox::StandardButton which) {
  auto* box = qobject_cast<QMessageBox*>(modal);
  ASSERT_NE(box, nullptr);
  box->button(which)->click();
}

QPushButton* ButtonWithText(QWidget* parent, const QString& text) {
  for (QPushButton* b : parent->findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

// ---- Progress window -------------------------------------------------------------------

class ProgressWindowTest : public ::testing::Test {
 protected:
  uint32_t now = 5000;
  ProgressWindow window{nullptr, QStringLiteral("GIFﾌｧｲﾙの作成"), [this] { return now; }};
};

TEST_F(ProgressWindowTest, TimesFollowWholeSecondsAndZeroMovesOnlyTheBar) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("GIFﾌｧｲﾙの作成"));
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isModal());
  EXPECT_EQ(window.BarValue(), 0);

  now += 10000;
  window.ReportProgress(50);
  EXPECT_EQ(window.BarValue(), 50);
  EXPECT_EQ(window.ElapsedText(), QStringLiteral("00:00:10"));
  EXPECT_EQ(window.RemainingText(), QStringLiteral("00:00:10"));

  now += 900;  // still second 10: the bar moves, the times stay
  window.ReportProgress(90);
  EXPECT_EQ(window.BarValue(), 90);
  EXPECT_EQ(window.RemainingText(), QStringLiteral("00:00:10"));

  now += 3600 * 1000;
  window.ReportProgress(0);
  EXPECT_EQ(window.BarValue(), 0);
  EXPECT_EQ(window.ElapsedText(), QStringLiteral("00:00:10"));

  window.ReportProgress(25);  // 3610 s at 25 %: three times as long to go
  EXPECT_EQ(window.ElapsedText(), QStringLiteral("01:00:10"));
  EXPECT_EQ(window.RemainingText(), QStringLiteral("03:00:30"));

  window.RestartClock();
  EXPECT_EQ(window.ElapsedText(), QStringLiteral("00:00:00"));
  now += 2000;
  window.ReportProgress(50);
  EXPECT_EQ(window.ElapsedText(), QStringLiteral("00:00:02"));
  EXPECT_EQ(window.RemainingText(), QStringLiteral("00:00:02"));
}

TEST_F(ProgressWindowTest, ReportDispatchesPendingEvents) {
  bool ran = false;
  QMetaObject::invokeMethod(
      &window, [&ran] { ran = true; }, Qt::QueuedConnection);
  window.ReportProgress(10);
  EXPECT_TRUE(ran);
}

TEST_F(ProgressWindowTest, CancelIsReadAndClearedAndNeverClosesTheWindow) {
  EXPECT_EQ(window.CancelButton()->text(), QStringLiteral("ｷｬﾝｾﾙ"));
  EXPECT_FALSE(window.TakeCancel());
  window.CancelButton()->click();
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.TakeCancel());
  EXPECT_FALSE(window.TakeCancel());

  window.close();  // the close box counts as Cancel too
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.TakeCancel());
}

TEST_F(ProgressWindowTest, DisabledCancelKeepsTheFlagClear) {
  window.DisableCancel();
  EXPECT_FALSE(window.CancelButton()->isEnabled());
  window.CancelButton()->click();
  window.close();
  window.ReportProgress(40);
  EXPECT_FALSE(window.TakeCancel());
  EXPECT_TRUE(window.isVisible());
}

// ---- Jump dialog -----------------------------------------------------------------------

class JumpDialogTest : public ::testing::Test {
 protected:
  JumpDialogTest() {
    doc.frameSet = FrameSet::Create(256);
    doc.frameSet->count = 10;
    doc.kind = ImageKind::kGifAnimation;
    doc.currentFrame = 3;
    doc.flags = kFlagStopped;
  }

  // The 1-based frame the next playback tick shows, or 0 when no step is pending.
  int PendingFrame() const {
    if (!(doc.flags & kFlagStep)) return 0;
    return (doc.currentFrame + 1) % doc.frameSet->count + 1;
  }

  DocumentState doc;
};

TEST_F(JumpDialogTest, OpensOnTheCurrentFrameWithRepeatingArrows) {
  JumpDialog dialog(doc, nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("アニメの位置づけ"));
  EXPECT_EQ(dialog.FrameEdit()->text(), QStringLiteral("4"));
  for (QPushButton* b : {dialog.PreviousButton(), dialog.NextButton()}) {
    EXPECT_TRUE(b->autoRepeat());
    EXPECT_EQ(b->autoRepeatDelay(), 1000);
    EXPECT_EQ(b->autoRepeatInterval(), 40);
  }
  EXPECT_EQ(dialog.FirstButton()->text(), QStringLiteral("|<"));
  EXPECT_EQ(dialog.LastButton()->text(), QStringLiteral(">|"));
  EXPECT_EQ(PendingFrame(), 0);
}

TEST_F(JumpDialogTest, EveryButtonSetsUpTheFrameItNames) {
  struct Case {
    const char* typed;
    const char* button;
    const char* editAfter;
    int pending;  // 0: nothing set up
  };
  const Case cases[] = {
      {"5", ">|", "10", 10},  {"5", "|<", "1", 1}, {"5", "<", "4", 4},  {"5", ">", "6", 6},
      {"10", ">", "10", 0},   {"1", "<", "1", 0},  {"1", "|<", "1", 0}, {"10", ">|", "10", 0},
      {"25", "OK", "25", 10}, {"0", "OK", "0", 1}, {"7", "OK", "7", 7}, {"1", "OK", "1", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " " + c.button);
    doc.flags = kFlagStopped;
    doc.currentFrame = 3;
    JumpDialog dialog(doc, nullptr);
    dialog.FrameEdit()->setText(QString::fromUtf8(c.typed));
    QPushButton* button = ButtonWithText(&dialog, QString::fromUtf8(c.button));
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(dialog.FrameEdit()->text(), QString::fromUtf8(c.editAfter));
    EXPECT_EQ(PendingFrame(), c.pending);
    EXPECT_EQ(dialog.result(), 0);  // no button closes the dialog
  }
}

// ---- Save as JPEG ----------------------------------------------------------------------

class SaveJpegDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("zel_jpeg_dialog_" + std::to_string(::getpid()));
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  fs::path folder;
};

TEST_F(SaveJpegDialogTest, OpensWithTheLastPathAsJpegAndTheQuality) {
  std::string last = "/pictures/walk.gif";
  int quality = 64;
  SaveJpegDialog dialog(last, quality, nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("JPEGﾌｧｲﾙ作成"));
  EXPECT_EQ(dialog.NameEdit()->text(), QStringLiteral("/pictures/walk.jpg"));
  EXPECT_EQ(dialog.QualitySpin()->value(), 64);
  EXPECT_EQ(dialog.QualitySpin()->minimum(), 30);
  EXPECT_EQ(dialog.QualitySpin()->maximum(), 100);
  EXPECT_EQ(dialog.CreateButton()->text(), QStringLiteral("作成"));
  EXPECT_EQ(dialog.CloseButton()->text(), QStringLiteral("閉じる"));
}

TEST_F(SaveJpegDialogTest, CreateStoresTheClampedQualityTyped) {
  struct Case {
    const char* typed;
    int stored;
  };
  for (const Case& c : {Case{"10", 30}, Case{"150", 100}, Case{"30", 30}, Case{"88", 88}}) {
    SCOPED_TRACE(c.typed);
    std::string last = (folder / "a.bmp").string();
    int quality = 75;
    SaveJpegDialog dialog(last, quality, nullptr);
    dialog.QualitySpin()->findChild<QLineEdit*>()->setText(QString::fromUtf8(c.typed));
    dialog.CreateButton()->click();
    EXPECT_EQ(quality, c.stored);
    EXPECT_EQ(last, (folder / "a.jpg").string());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
}

// Typed key by key and confirmed with Enter, as a user does: the spin box must not
// refuse the keys or fall back to the old quality for a number outside 30..100.
TEST_F(SaveJpegDialogTest, QualityTypedKeyByKeyFollowsTheQualityRule) {
  struct Case {
    const char* typed;
    int stored;
  };
  for (const Case& c : {Case{"10", 30}, Case{"5", 30}, Case{"150", 100}, Case{"88", 88}}) {
    SCOPED_TRACE(c.typed);
    std::string last = (folder / "typed.bmp").string();
    int quality = 75;
    SaveJpegDialog dialog(last, quality, nullptr);
    dialog.show();
    QLineEdit* field = dialog.QualitySpin()->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    field->selectAll();
    for (QChar ch : QString::fromUtf8(c.typed)) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(dialog.QualitySpin(), &press);
    }
    EXPECT_EQ(field->text(), QString::fromUtf8(c.typed));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dialog.QualitySpin(), &enter);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(quality, c.stored);
    EXPECT_EQ(dialog.QualitySpin()->value(), c.stored);
  }
}

TEST_F(SaveJpegDialogTest, InvalidNameShowsTheMessageAndStaysOpen) {
  for (const std::string& name :
       {std::string("relative.jpg"), (folder / "no/such.jpg").string(), folder.string() + "/"}) {
    SCOPED_TRACE(name);
    std::string last = "/old.jpg";
    int quality = 75;
    SaveJpegDialog dialog(last, quality, nullptr);
    dialog.NameEdit()->setText(QString::fromStdString(name));
    ModalAnswerer answer([](QWidget* m) { ClickMessageButton(m, QMessageBox::Ok); });
    dialog.CreateButton()->click();
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(answer.text, QStringLiteral("ファイル名が無効です."));
    EXPECT_EQ(last, name);  // the name is kept for next time even when refused
    EXPECT_EQ(dialog.result(), 0);
  }
}

TEST_F(SaveJpegDialogTest, ExistingFileIsOverwrittenOnlyAfterYes) {
  fs::path existing = folder / "photo.jpg";
  std::ofstream(existing) << "x";
  for (bool yes : {false, true}) {
    SCOPED_TRACE(yes);
    std::string last = existing.string();
    int quality = 75;
    SaveJpegDialog dialog(last, quality, nullptr);
    ModalAnswerer answer(
        [yes](QWidget* m) { ClickMessageButton(m, yes ? QMessageBox::Yes : QMessageBox::No); });
    dialog.CreateButton()->click();
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(
        answer.text,
        QStringLiteral("出力画像ファイルが存在するようです、上書きします。\nよろしいですか?"));
    EXPECT_EQ(dialog.result(), yes ? QDialog::Accepted : 0);
  }
  EXPECT_EQ(fs::file_size(existing), 1u);  // the dialog itself never writes
}

// The file whose frames were cut at load is named as such; No leaves the dialog open with
// the remembered name as it was.
TEST_F(SaveJpegDialogTest, ReplacingTheCutFileSaysItsFramesAreLostAndNoUndoesTheChoice) {
  fs::path cutFile = folder / "long.jpg";
  std::ofstream(cutFile) << "x";
  CutFrameFiles cut;
  cut.Remember(cutFile.string());
  const std::string remembered = (folder / "before.gif").string();
  std::string last = remembered;
  int quality = 75;
  SaveJpegDialog dialog(last, quality, nullptr, &cut);
  dialog.NameEdit()->setText(QString::fromStdString(cutFile.string()));
  ModalAnswerer answer([](QWidget* m) { ClickMessageButton(m, QMessageBox::No); });
  dialog.CreateButton()->click();
  EXPECT_TRUE(answer.seen);
  EXPECT_EQ(answer.text,
            QStringLiteral("出力画像ファイルは読み込み時にコマが削られています。"
                           "上書きすると残りのコマは失われます。\nよろしいですか?"));
  EXPECT_EQ(dialog.result(), 0);
  EXPECT_EQ(last, remembered);
  EXPECT_EQ(fs::file_size(cutFile), 1u);
}

TEST_F(SaveJpegDialogTest, NewFileIsAcceptedWithoutQuestionAndLeavesNoFile) {
  std::string last = (folder / "new.png").string();
  int quality = 75;
  SaveJpegDialog dialog(last, quality, nullptr);
  ModalAnswerer answer([](QWidget* m) { m->close(); });
  dialog.CreateButton()->click();
  QApplication::processEvents();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(answer.seen);
  EXPECT_FALSE(fs::exists(folder / "new.jpg"));
}

// ---- File dialogs ----------------------------------------------------------------------

using FileDialogsTest = SaveJpegDialogTest;  // the same temporary folder

TEST_F(FileDialogsTest, StartAtThePathAndForceTheExtension) {
  std::ofstream(folder / "walk.gif") << "GIF89a";
  const QString folderText = QString::fromStdString(folder.string());

  std::string path = (folder / "walk.gif").string();
  QStringList filters;
  QStringList proposed;
  ModalAnswerer open([&](QWidget* m) {
    auto* dialog = qobject_cast<QFileDialog*>(m);
    ASSERT_NE(dialog, nullptr);
    filters = dialog->nameFilters();
    proposed = dialog->selectedFiles();
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides it
  });
  ASSERT_TRUE(ShowOpenImageDialog(nullptr, QStringLiteral("表示する画像ファイルを選択します"),
                                  QStringLiteral("画像ファイル"),
                                  QStringLiteral("*.jpg;*.bmp;*.gif;*.png"), path));
  EXPECT_EQ(open.text, QStringLiteral("表示する画像ファイルを選択します"));
  EXPECT_EQ(filters, QStringList{QStringLiteral("画像ファイル (*.jpg *.bmp *.gif *.png)")});
  EXPECT_EQ(proposed, QStringList{folderText + QStringLiteral("/walk.gif")});
  EXPECT_EQ(path, (folder / "walk.gif").string());

  // The save dialog takes a name that does not exist yet and forces the extension on it.
  path = folder.string() + "/";
  ModalAnswerer save([&](QWidget* m) {
    auto* dialog = qobject_cast<QFileDialog*>(m);
    ASSERT_NE(dialog, nullptr);
    proposed = dialog->selectedFiles();
    // Typed as a user types it: selectFile() can be undone by the folder's late loading.
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QStringLiteral("copy.gif"));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides it
  });
  ASSERT_TRUE(ShowSaveImageDialog(nullptr, QStringLiteral("保存するBMPファイルを選択します"),
                                  QStringLiteral("BMPファイル"), QStringLiteral("*.bmp"), "bmpf",
                                  path));
  EXPECT_EQ(proposed, QStringList{folderText + QStringLiteral("/無題.bmpf")});
  EXPECT_EQ(path, (folder / "copy.bmpf").string());
  EXPECT_FALSE(fs::exists(folder / "copy.bmpf"));
}

// ---- Settings dialog -------------------------------------------------------------------

TEST(DefineDialogTest, OpensWithTheSettings) {
  Settings settings;
  settings.editorPath = "/usr/bin/paint";
  settings.options = kOptionShowAfterGifSave;
  settings.frameMax = 300;
  DefineDialog dialog(settings, nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("設定"));
  EXPECT_EQ(dialog.EditorEdit()->text(), QStringLiteral("/usr/bin/paint"));
  EXPECT_TRUE(dialog.PreviewCheck()->isChecked());
  EXPECT_FALSE(dialog.BackgroundCheck()->isChecked());
  EXPECT_EQ(dialog.FrameMaxEdit()->text(), QStringLiteral("300"));
  EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("ｷｬﾝｾﾙ"));
}

TEST(DefineDialogTest, OkStoresTheValuesAndAsksForARestartWhenTheMaximumChanged) {
  struct Case {
    int before;
    const char* typed;
    int stored;
    bool message;
  };
  const Case cases[] = {
      {300, "5", 256, true},    {300, "20000", 10000, true}, {256, "5", 256, false},
      {300, "300", 300, false}, {300, "16", 16, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Settings settings;
    settings.frameMax = c.before;
    settings.options = kOptionNoDiffusion | kOptionShowAfterGifSave;
    DefineDialog dialog(settings, nullptr);
    dialog.EditorEdit()->setText(QStringLiteral("/opt/editor"));
    dialog.PreviewCheck()->setChecked(false);
    dialog.BackgroundCheck()->setChecked(true);
    dialog.FrameMaxEdit()->setText(QString::fromUtf8(c.typed));
    ModalAnswerer answer([](QWidget* m) { ClickMessageButton(m, QMessageBox::Ok); });
    dialog.OkButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(settings.frameMax, c.stored);
    EXPECT_EQ(dialog.RestartMessageShown(), c.message);
    EXPECT_EQ(answer.seen, c.message);
    if (c.message) {
      EXPECT_EQ(answer.text, QStringLiteral("フレーム最大値が変更されました.\n直ちにZelを終了して"
                                            "ください.\n変更は次回から有効になります."));
    }
    EXPECT_EQ(settings.editorPath, "/opt/editor");
    EXPECT_EQ(settings.options, kOptionNoDiffusion | kOptionBrowserBackground);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
}

TEST(DefineDialogTest, CancelChangesNothing) {
  Settings settings;
  settings.frameMax = 300;
  Settings before = settings;
  DefineDialog dialog(settings, nullptr);
  dialog.EditorEdit()->setText(QStringLiteral("/opt/editor"));
  dialog.PreviewCheck()->setChecked(true);
  dialog.FrameMaxEdit()->setText(QStringLiteral("5"));
  dialog.CancelButton()->click();
  EXPECT_EQ(settings, before);
  EXPECT_FALSE(dialog.RestartMessageShown());
}

// ---- Small dialogs ---------------------------------------------------------------------

TEST(SmallDialogsTest, SaveConfirmationAnswersPerButtonAndEscapeCancels) {
  struct Case {
    const char* name;
    std::function<void(QWidget*)> answer;
    SaveChoice choice;
  };
  const Case cases[] = {
      {"保存する", [](QWidget* m) { ButtonWithText(m, QStringLiteral("保存する"))->click(); },
       SaveChoice::kSave},
      {"保存しない", [](QWidget* m) { ButtonWithText(m, QStringLiteral("保存しない"))->click(); },
       SaveChoice::kDiscard},
      {"Escape",
       [](QWidget* m) {
         QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
         QApplication::sendEvent(m, &escape);
       },
       SaveChoice::kCancel},
      {"close box", [](QWidget* m) { m->close(); }, SaveChoice::kCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QString label;
    ModalAnswerer answer([&c, &label](QWidget* m) {
      label = m->findChild<QLabel*>()->text();
      c.answer(m);
    });
    const SaveChoice choice = AskSaveBeforeClose(nullptr);
    EXPECT_EQ(answer.text, QStringLiteral("zel - 保存の確認"));
    EXPECT_EQ(label, QStringLiteral("編集した内容を保存しますか?"));
    EXPECT_EQ(choice, c.choice);
  }
}

TEST(SmallDialogsTest, AboutShowsTheVersionAndClosesWithItsButton) {
  bool versionShown = false;
  ModalAnswerer answer([&versionShown](QWidget* m) {
    for (QLabel* l : m->findChildren<QLabel*>()) versionShown |= l->text().contains("2.04");
    ButtonWithText(m, QStringLiteral("閉じる"))->click();
  });
  ShowAboutDialog(nullptr);
  EXPECT_TRUE(answer.seen);
  EXPECT_TRUE(versionShown);
}

TEST(SmallDialogsTest, ColorChooserWorksInColorRefOrder) {
  uint32_t colorref = 0x00336699;  // red 0x99, green 0x66, blue 0x33
  std::array<uint32_t, 16> custom{};
  custom[0] = 0x000000FF;   // pure red
  custom[15] = 0x00FF0000;  // pure blue
  QColor shown;
  QColor customShown;
  ModalAnswerer answer([&](QWidget* m) {
    auto* dialog = qobject_cast<QColorDialog*>(m);
    ASSERT_NE(dialog, nullptr);
    shown = dialog->currentColor();
    customShown = QColorDialog::customColor(0);
    QColorDialog::setCustomColor(3, QColor(1, 2, 3));
    dialog->setCurrentColor(QColor(0x10, 0x20, 0x30));
    static_cast<QDialog*>(dialog)->accept();
  });
  ASSERT_TRUE(ChooseBackgroundColor(nullptr, colorref, custom));
  EXPECT_EQ(shown, QColor(0x99, 0x66, 0x33));
  EXPECT_EQ(customShown, QColor(0xFF, 0, 0));
  EXPECT_EQ(colorref, 0x00302010u);
  EXPECT_EQ(custom[3], 0x00030201u);
  EXPECT_EQ(custom[15], 0x00FF0000u);

  // Cancel leaves both untouched.
  ModalAnswerer cancel([](QWidget* m) { static_cast<QDialog*>(m)->reject(); });
  std::array<uint32_t, 16> before = custom;
  EXPECT_FALSE(ChooseBackgroundColor(nullptr, colorref, custom));
  EXPECT_EQ(colorref, 0x00302010u);
  EXPECT_EQ(custom, before);
}

// ---- Tool bar artwork ------------------------------------------------------------------

TEST(ToolBarArtworkTest, EveryButtonHasItsOwnDrawing) {
  for (const auto* bar : {&StandardToolBar(), &AnimationToolBar(), &PictureToolBar()}) {
    for (int id : *bar) {
      if (id == 0) continue;  // separator
      SCOPED_TRACE(id);
      QIcon icon = CommandIcon(id);
      QImage image = icon.pixmap(24, 24).toImage();
      ASSERT_FALSE(image.isNull());
      int drawn = 0;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) drawn += qAlpha(image.pixel(x, y)) > 0;
      EXPECT_GT(drawn, 24 * 24 / 8);
    }
  }
}

}  // namespace
}  // namespace zel
