// The save dialogs of the real main window ask before they replace a file: No leaves the
// file as it was and goes back to the dialog, Yes replaces it; the file whose frames were
// cut at load is named as such.
#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"

namespace zel::testing {
namespace {

const QString kReplaceQuestion =
    QStringLiteral("出力画像ファイルが存在するようです、上書きします。\nよろしいですか?");
const QString kReplaceCutQuestion = QStringLiteral(
    "出力画像ファイルは読み込み時にコマが削られています。上書きすると残りのコマは失われます。"
    "\nよろしいですか?");

// The file dialog's step: types `path` as a user would and confirms it.
ModalScript::Step ChooseName(const std::string& path, int* shown = nullptr) {
  return [path, shown](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    if (shown) ++*shown;
    // The name proposed is selected in the list once the folder is read, and a selection
    // wins over the typed name: a user who types a name has none.
    for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>()) {
      if (view->selectionModel()) view->selectionModel()->clearSelection();
    }
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides it
  };
}

ModalScript::Step CancelDialog(int* shown = nullptr) {
  return [shown](QWidget* modal) {
    ASSERT_NE(qobject_cast<QFileDialog*>(modal), nullptr);
    if (shown) ++*shown;
    static_cast<QDialog*>(modal)->reject();
  };
}

ModalScript::Step Answer(QMessageBox::StandardButton button, QString* text) {
  return [button, text](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    *text = box->text();
    box->button(button)->click();
  };
}

std::string WriteFrames(const std::string& path, int frames, int width, int height) {
  GifBuilder gif(width, height, kEightColors);
  gif.Looping();
  for (int i = 0; i < frames; ++i) {
    gif.Control(0x04, 5, 0).Image(0, 0, width, height, Noise(width, height, 8, 7 + i));
  }
  return WriteGif(path, gif);
}

// Serves events until the main window is the active one again (at most 2 s).
bool BecomesActive(QWidget* window) {
  return WaitUntil([window] { return QApplication::activeWindow() == window; }, 2000);
}

class SaveOverwriteTest : public MainWindowFixture {
 protected:
  // Runs `command` while `steps` answer its dialogs; fails when a step was left over.
  void RunScripted(CommandId command, std::vector<ModalScript::Step> steps) {
    ModalScript script(std::move(steps));
    ASSERT_TRUE(window_->RunCommand(command));
    EXPECT_TRUE(script.Finished());
  }
};

// Every save dialog of the window: an existing file is replaced only after Yes. No writes
// nothing, changes nothing in the document or the remembered path, and brings the dialog
// back at that name, where the user may cancel.
TEST_F(SaveOverwriteTest, EverySaveDialogAsksBeforeReplacingAFile) {
  struct Case {
    CommandId command;
    const char* target;
  } cases[] = {
      {kCmdSaveGif, "taken.gif"},
      {kCmdSaveBitmap, "taken.bmp"},
      {kCmdMakeIcon, "taken.ico"},
      {kCmdSavePng, "taken.png"},
  };
  const std::string source = WriteFrames(File("icon-sized.gif"), 1, 32, 32);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    ASSERT_TRUE(window_->OpenFile(source).done());
    const std::string target = File(c.target);
    const std::vector<uint8_t> before = {'k', 'e', 'e', 'p'};
    WriteBytes(target, before);
    const std::string remembered = File("remembered.gif");
    session_->settings.block.lastImagePath = remembered;

    answerYes_ = false;
    asked_.clear();
    int dialogs = 0;
    RunScripted(c.command, {ChooseName(target, &dialogs), CancelDialog(&dialogs)});
    EXPECT_EQ(dialogs, 2);  // back to the dialog after No
    EXPECT_EQ(asked_, QStringList{kReplaceQuestion});
    EXPECT_EQ(ReadBytes(target), before);
    EXPECT_EQ(Doc().filePath, source);
    EXPECT_EQ(Doc().kind, ImageKind::kGifPicture);
    EXPECT_EQ(session_->settings.block.lastImagePath, remembered);

    answerYes_ = true;
    asked_.clear();
    RunScripted(c.command, {ChooseName(target)});
    EXPECT_EQ(asked_, QStringList{kReplaceQuestion});
    EXPECT_NE(ReadBytes(target), before);
    EXPECT_GT(ReadBytes(target).size(), 100u);
    EXPECT_EQ(session_->settings.block.lastImagePath, target);
  }
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join(QStringLiteral("|")).toStdString();

  // A new name is written without a question.
  asked_.clear();
  RunScripted(kCmdSaveGif, {ChooseName(File("fresh.gif"))});
  EXPECT_TRUE(asked_.isEmpty());
  EXPECT_GT(ReadBytes(File("fresh.gif")).size(), 100u);
}

// The real question box, answered No and then Yes: the file stays byte for byte until Yes,
// and the keyboard is the main window's again after the box.
TEST_F(SaveOverwriteTest, TheQuestionBoxLeavesTheFileUntilYesAndGivesTheKeyboardBack) {
  window_->question = nullptr;  // the real box
  const std::string source = WriteFrames(File("moving.gif"), 3, 16, 8);
  ASSERT_TRUE(window_->OpenFile(source).done());
  const std::string target = WriteFrames(File("older.gif"), 2, 8, 8);
  const std::vector<uint8_t> before = ReadBytes(target);

  window_->activateWindow();
  ASSERT_TRUE(BecomesActive(window_.get()));
  QString asked;
  RunScripted(kCmdSaveGif,
              {ChooseName(target), Answer(QMessageBox::No, &asked), CancelDialog()});
  EXPECT_EQ(asked, kReplaceQuestion);
  EXPECT_EQ(ReadBytes(target), before);
  EXPECT_EQ(Doc().filePath, source);
  EXPECT_TRUE(BecomesActive(window_.get()));

  asked.clear();
  RunScripted(kCmdSaveGif, {ChooseName(target), Answer(QMessageBox::Yes, &asked)});
  EXPECT_EQ(asked, kReplaceQuestion);
  EXPECT_NE(ReadBytes(target), before);
  EXPECT_EQ(Doc().filePath, target);
  EXPECT_TRUE(BecomesActive(window_.get()));
}

// A file opened at the frame maximum (300 frames, 256 kept): saving over it says that its
// remaining frames will be lost; No keeps all 300. Once replaced it is a file like any other.
TEST_F(SaveOverwriteTest, SavingOverTheFileWhoseFramesWereCutSaysSo) {
  const std::string longFile = WriteFrames(File("three-hundred.gif"), 300, 2, 1);
  const std::vector<uint8_t> before = ReadBytes(longFile);
  ASSERT_TRUE(window_->OpenFile(longFile).done());
  ASSERT_EQ(Doc().frameSet->count, 256);

  answerYes_ = false;
  RunScripted(kCmdSaveGif, {ChooseName(longFile), CancelDialog()});
  EXPECT_EQ(asked_, QStringList{kReplaceCutQuestion});
  EXPECT_EQ(ReadBytes(longFile), before);

  // Another file keeps the plain question.
  asked_.clear();
  const std::string other = WriteFrames(File("other.gif"), 2, 2, 1);
  RunScripted(kCmdSaveGif, {ChooseName(other), CancelDialog()});
  EXPECT_EQ(asked_, QStringList{kReplaceQuestion});

  answerYes_ = true;
  asked_.clear();
  RunScripted(kCmdSaveGif, {ChooseName(longFile)});
  EXPECT_EQ(asked_, QStringList{kReplaceCutQuestion});
  EXPECT_NE(ReadBytes(longFile), before);

  asked_.clear();
  RunScripted(kCmdSaveGif, {ChooseName(longFile)});
  EXPECT_EQ(asked_, QStringList{kReplaceQuestion});
}

}  // namespace
}  // namespace zel::testing
