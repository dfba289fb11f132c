// The editor in each of its languages: under English no menu, tip or options text is left in
// Japanese, under Japanese the texts are the program's own; the English translation covers
// every command's texts; access letters reach one item; the language setting.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QToolBar>
#include <QTranslator>
#include <QXmlStreamReader>
#include <functional>

#include "app/command_table.h"
#include "app/menu_tree.h"
#include "app/settings.h"
#include "platform/profile_file.h"
#include "resources/language.h"
#include "ui/dialogs/define_dialog.h"
#include "ui/frame_strip.h"
#include "ui/main_window_fixture.h"
#include "ui/modal_script.h"
#include "ui/qt_translations.h"

namespace zel {
namespace {

// Hiragana, Katakana (half-width too), CJK ideographs, and the Japanese punctuation and
// full-width forms.
bool HoldsJapanese(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x4DBF) ||
        (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF01 && u <= 0xFF9F)) {
      return true;
    }
  }
  return false;
}

// What a user reads in the menus: each menu's title and, per action, its text, status-bar
// prompt and tool tip; `where` names the place.
struct Text {
  QString where;
  QString text;
};

void CollectMenu(QMenu* menu, const QString& path, std::vector<Text>& texts) {
  texts.push_back({path, menu->title()});
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    const QString where = path + QStringLiteral(" > ") + action->text();
    if (action->menu() != nullptr) {
      CollectMenu(action->menu(), where, texts);
      continue;
    }
    texts.push_back({where, action->text()});
    texts.push_back({where + QStringLiteral(" (prompt)"), action->statusTip()});
    texts.push_back({where + QStringLiteral(" (tip)"), action->toolTip()});
  }
}

// The access letter of a caption ("&Open..." gives 'O'), or a null character.
QChar AccessLetter(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] == u'&') {
      ++i;
      continue;
    }
    return caption[i + 1].toUpper();
  }
  return QChar();
}

// Alt and a letter must reach one item: two items of one menu with the same letter only
// highlight.
void ExpectDistinctLetters(const QString& name, const QList<QAction*>& actions) {
  QMap<QChar, QString> seen;
  for (QAction* action : actions) {
    if (action->isSeparator() || !action->isVisible()) continue;
    const QString caption = action->menu() ? action->menu()->title() : action->text();
    const QChar letter = AccessLetter(caption);
    if (letter.isNull()) continue;
    EXPECT_FALSE(seen.contains(letter))
        << name.toStdString() << ": " << seen.value(letter).toStdString() << " and "
        << caption.toStdString();
    seen.insert(letter, caption);
    if (action->menu()) ExpectDistinctLetters(caption, action->menu()->actions());
  }
}

// Texts of a dialog: its title and every label, button, combo item, group box and tip.
std::vector<Text> DialogTexts(QWidget* dialog) {
  std::vector<Text> texts{{QStringLiteral("title"), dialog->windowTitle()}};
  for (QWidget* widget : dialog->findChildren<QWidget*>()) {
    const QString name = QString::fromLatin1(widget->metaObject()->className());
    texts.push_back({name + QStringLiteral(" tip"), widget->toolTip()});
    if (auto* label = qobject_cast<QLabel*>(widget)) texts.push_back({name, label->text()});
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      texts.push_back({name, button->text()});
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) texts.push_back({name, box->title()});
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      for (int i = 0; i < combo->count(); ++i) texts.push_back({name, combo->itemText(i)});
    }
  }
  return texts;
}

// The window in a language: the core's texts and the editor's translators, as at start-up.
class LanguageTest : public testing::MainWindowFixture {
 protected:
  explicit LanguageTest(Language language) : language_(language) {}
  void SetUp() override {
    SetCurrentLanguage(language_);
    installed_ = InstallTranslations(*QCoreApplication::instance(), language_);
    MainWindowFixture::SetUp();
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    RemoveTranslations(*QCoreApplication::instance());
    SetCurrentLanguage(Language::kJapanese);
  }

  std::vector<Text> MenuTexts() {
    std::vector<Text> texts;
    for (QAction* top : window_->menuBar()->actions()) {
      if (top->menu()) CollectMenu(top->menu(), QString(), texts);
    }
    // The tool bars' own buttons (the save and semi-transparency pop-ups) and titles.
    for (QToolBar* bar : window_->findChildren<QToolBar*>()) {
      texts.push_back({QStringLiteral("tool bar"), bar->windowTitle()});
      for (QAction* action : bar->actions()) {
        texts.push_back({QStringLiteral("tool bar tip"), action->toolTip()});
        texts.push_back({QStringLiteral("tool bar prompt"), action->statusTip()});
      }
    }
    texts.push_back({QStringLiteral("frame strip"), window_->Strip()->windowTitle()});
    return texts;
  }

  // The options dialog's texts, opened by its command.
  std::vector<Text> OptionsTexts() {
    std::vector<Text> texts;
    testing::ModalScript script({[&](QWidget* dialog) {
      texts = DialogTexts(dialog);
      static_cast<QDialog*>(dialog)->reject();
    }});
    EXPECT_TRUE(window_->RunCommand(kCmdOptions));
    EXPECT_TRUE(script.Finished());
    return texts;
  }

  const Language language_;
  bool installed_ = false;
};

class EnglishTest : public LanguageTest {
 protected:
  EnglishTest() : LanguageTest(Language::kEnglish) {}
};

class JapaneseTest : public LanguageTest {
 protected:
  JapaneseTest() : LanguageTest(Language::kJapanese) {}
};

TEST_F(EnglishTest, NoMenuTipOrOptionsTextIsLeftInJapanese) {
  ASSERT_TRUE(installed_) << "zel_en.qm is not in the program's resources";
  std::vector<Text> texts = MenuTexts();
  const std::vector<Text> options = OptionsTexts();
  ASSERT_FALSE(options.empty());
  texts.insert(texts.end(), options.begin(), options.end());
  for (const Text& t : texts) {
    EXPECT_FALSE(HoldsJapanese(t.text)) << t.where.toStdString() << ": " << t.text.toStdString();
  }

  QStringList titles;
  for (QAction* top : window_->menuBar()->actions()) titles << top->text();
  EXPECT_EQ(titles.join(u'|').toStdString(), "&File|&Image|&Picture|&Animation|&View|&Tools|&Help");
  EXPECT_EQ(window_->Action(kCmdShowInBrowser)->toolTip(), QStringLiteral("Show in browser"));
  bool previewCheck = false;
  for (const Text& t : options) {
    previewCheck |= t.text == QStringLiteral("Show in the browser after saving a GIF");
  }
  EXPECT_TRUE(previewCheck);
}

TEST_F(JapaneseTest, TheProgramsOwnTextsAsWritten) {
  QStringList titles;
  for (QAction* top : window_->menuBar()->actions()) titles << top->text();
  EXPECT_EQ(titles.join(u'|').toStdString(),
            "ファイル(&F)|イメージ(&I)|ピクチャー(&P)|アニメ(&A)|表示(&V)|ツール(&T)|ヘルプ(&H)");
  EXPECT_EQ(window_->Action(kCmdShowInBrowser)->text(), QStringLiteral("ブラウザで表示(&B)"));
  EXPECT_EQ(window_->Action(kCmdRedo)->text(), QStringLiteral("やり直し(&Y)"));
  EXPECT_EQ(window_->Action(kCmdOpen)->statusTip(), QStringLiteral("既存の画像ファイルを開く"));
  QStringList options;
  for (const Text& t : OptionsTexts()) options << t.text;
  for (const char* text :
       {"設定", "編集ﾂｰﾙ", "GIF保存時、ブラウザで確認する", "ブラウザ確認で、背景画として表示する",
        "フレーム最大値", "ｷｬﾝｾﾙ", "言語", "自動", "日本語", "English"}) {
    EXPECT_TRUE(options.contains(QString::fromUtf8(text))) << text;
  }
}

// Every menu, the pop-ups and the frame strip's menu, in both languages.
void ExpectDistinctLettersEverywhere(MainWindow& window) {
  ExpectDistinctLetters(QStringLiteral("menu bar"), window.menuBar()->actions());
  const std::pair<const char*, const std::vector<int>*> popups[] = {
      {"save pop-up", &SavePopup()},
      {"semi-transparency pop-up", &TransparencyPopup()},
      {"frame strip pop-up", &FrameStripPopup()}};
  for (const auto& [name, ids] : popups) {
    QList<QAction*> actions;
    for (int id : *ids) {
      if (id != 0) actions << window.Action(id);
    }
    ExpectDistinctLetters(QString::fromLatin1(name), actions);
  }
}

TEST_F(EnglishTest, NoTwoItemsOfAMenuShareAnAccessLetter) {
  ExpectDistinctLettersEverywhere(*window_);
}

TEST_F(JapaneseTest, NoTwoItemsOfAMenuShareAnAccessLetter) {
  ExpectDistinctLettersEverywhere(*window_);
}

TEST_F(JapaneseTest, TheLanguageSettingIsKeptAndAppliesFromTheNextStart) {
  EXPECT_EQ(session_->settings.language, LanguageChoice::kAutomatic);
  QString said;
  testing::ModalScript script({[&](QWidget* dialog) {
    auto* options = qobject_cast<DefineDialog*>(dialog);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->LanguageCombo()->currentIndex(), 0);
    options->LanguageCombo()->setCurrentIndex(2);  // English
    // OK says so in a box of its own before the dialog closes.
    testing::ModalScript box({[&](QWidget* message) {
      said = static_cast<QMessageBox*>(message)->text();
      static_cast<QDialog*>(message)->accept();
    }});
    options->OkButton()->click();
    EXPECT_TRUE(box.Finished());
  }});
  ASSERT_TRUE(window_->RunCommand(kCmdOptions));
  ASSERT_TRUE(script.Finished());
  EXPECT_EQ(said, QStringLiteral("言語の変更は、次回の起動から有効になります."));
  EXPECT_EQ(session_->settings.language, LanguageChoice::kEnglish);
  // The window keeps the language it was made in.
  EXPECT_EQ(window_->Action(kCmdOpen)->text(), QStringLiteral("開く(&O)..."));

  StopWindow();
  ProfileFile ini;
  ASSERT_TRUE(ini.Load(SettingsFilePath()));
  EXPECT_EQ(LoadLanguageChoice(ini), LanguageChoice::kEnglish);
  EXPECT_EQ(ini.Get("option", "language"), "en");
  StartWindow();
}

// The English translation, as built into the program and as written in the tree: every text
// has its English, and every command's caption, prompt and tip and every sub-menu's caption
// are among them (a new Japanese text without English fails here).
TEST(TranslationFileTest, EveryCommandTextHasItsEnglish) {
  QTranslator english;
  ASSERT_TRUE(english.load(QStringLiteral(":/translations/zel_en.qm")));
  auto expectEnglish = [&](const char* japanese, int id) {
    if (japanese == nullptr || *japanese == '\0') return;
    const QString text = english.translate("zel", japanese);
    EXPECT_FALSE(text.isEmpty()) << id << ": " << japanese;
    EXPECT_FALSE(HoldsJapanese(text)) << id << ": " << text.toStdString();
  };
  for (const CommandInfo& info : CommandTable()) {
    expectEnglish(info.caption, info.id);
    expectEnglish(info.prompt, info.id);
    expectEnglish(info.toolTip, info.id);
  }
  std::function<void(const std::vector<MenuNode>&)> subMenus =
      [&](const std::vector<MenuNode>& nodes) {
        for (const MenuNode& node : nodes) {
          if (node.commandId == 0 && !node.separator) expectEnglish(node.caption, 0);
          subMenus(node.children);
        }
      };
  subMenus(MainMenu());

  QFile ts(QStringLiteral(ZEL_TRANSLATIONS_TS));
  ASSERT_TRUE(ts.open(QIODevice::ReadOnly)) << ZEL_TRANSLATIONS_TS;
  QXmlStreamReader xml(&ts);
  int messages = 0;
  QString source;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == u"source") {
      source = xml.readElementText();
      ++messages;
    } else if (xml.name() == u"translation") {
      const bool unfinished =
          xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
      const QString translation = xml.readElementText();
      EXPECT_FALSE(unfinished || translation.isEmpty()) << source.toStdString();
      EXPECT_FALSE(HoldsJapanese(translation)) << translation.toStdString();
      // What the program shows is what the file says.
      EXPECT_EQ(english.translate("zel", source.toUtf8().constData()), translation)
          << source.toStdString();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_GT(messages, 300);
}

// A dialog made on its own takes the language setting, shows it, and says once that a change
// applies from the next start; without the setting it shows no language row.
TEST(DefineDialogLanguageTest, ShowsAndStoresTheChoice) {
  const struct {
    LanguageChoice before;
    int index;  // shown on opening
    int chosen;
    LanguageChoice after;
    bool message;
  } cases[] = {
      {LanguageChoice::kAutomatic, 0, 1, LanguageChoice::kJapanese, true},
      {LanguageChoice::kJapanese, 1, 2, LanguageChoice::kEnglish, true},
      {LanguageChoice::kEnglish, 2, 0, LanguageChoice::kAutomatic, true},
      {LanguageChoice::kEnglish, 2, 2, LanguageChoice::kEnglish, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen);
    Settings settings;
    LanguageChoice language = c.before;
    DefineDialog dialog(settings, nullptr, nullptr, &language);
    EXPECT_EQ(dialog.LanguageCombo()->currentIndex(), c.index);
    dialog.LanguageCombo()->setCurrentIndex(c.chosen);
    testing::ModalScript script({[](QWidget* box) { static_cast<QDialog*>(box)->accept(); }});
    dialog.OkButton()->click();
    EXPECT_EQ(script.Finished(), c.message);
    EXPECT_EQ(dialog.LanguageMessageShown(), c.message);
    EXPECT_EQ(language, c.after);
  }
  Settings settings;
  DefineDialog withoutSetting(settings, nullptr);
  EXPECT_TRUE(withoutSetting.LanguageCombo()->isHidden());
}

}  // namespace
}  // namespace zel
