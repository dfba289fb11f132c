#include "app/command_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>

#include "app/menu_tree.h"

namespace zel {
namespace {

void CollectMenuIds(const std::vector<MenuNode>& nodes, std::vector<int>& ids) {
  for (const MenuNode& node : nodes) {
    if (node.commandId != 0) ids.push_back(node.commandId);
    CollectMenuIds(node.children, ids);
  }
}

std::vector<int> MenuIds() {
  std::vector<int> ids;
  CollectMenuIds(MainMenu(), ids);
  return ids;
}

std::vector<int> IdsOf(const std::vector<MenuNode>& nodes) {
  std::vector<int> ids;
  for (const MenuNode& node : nodes) ids.push_back(node.commandId);
  return ids;
}

const MenuNode* FindSubMenu(const std::vector<MenuNode>& nodes, const std::string& caption) {
  for (const MenuNode& node : nodes) {
    if (!node.children.empty() && caption == node.caption) return &node;
    if (const MenuNode* inner = FindSubMenu(node.children, caption)) return inner;
  }
  return nullptr;
}

TEST(CommandTable, EveryReferencedCommandIsDescribed) {
  std::vector<int> referenced = MenuIds();
  for (const std::vector<int>* list : {&StandardToolBar(), &AnimationToolBar(), &PictureToolBar(),
                                       &SavePopup(), &TransparencyPopup()}) {
    ASSERT_FALSE(list->empty());
    EXPECT_NE(list->front(), 0);
    EXPECT_NE(list->back(), 0);
    for (size_t i = 0; i < list->size(); ++i) {
      if ((*list)[i] == 0) {
        EXPECT_NE((*list)[i - 1], 0) << "two separators in a row";
      } else {
        referenced.push_back((*list)[i]);
      }
    }
  }
  for (int id : referenced) {
    const CommandInfo* info = FindCommand(id);
    ASSERT_NE(info, nullptr) << id;
    EXPECT_EQ(info->id, id);
    EXPECT_STRNE(info->caption, "") << id;
    EXPECT_STRNE(info->prompt, "") << id;
    EXPECT_STRNE(info->toolTip, "") << id;
  }

  std::set<int> ids;
  for (const CommandInfo& info : CommandTable()) {
    EXPECT_TRUE(ids.insert(info.id).second) << "duplicate " << info.id;
    for (const char* text : {info.caption, info.prompt, info.toolTip}) {
      std::string s(text);
      EXPECT_EQ(s.find_first_of("\t\n\x1e\x1f"), std::string::npos) << info.id << " " << s;
    }
  }
  EXPECT_EQ(FindCommand(0), nullptr);
  EXPECT_EQ(FindCommand(kCmdRecentFile1 + 3), FindCommand(kCmdRecentFile1));
  EXPECT_EQ(FindCommand(kCmdRecentFile1 + 4), nullptr);
}

TEST(CommandTable, MenuHoldsEveryMenuCommandOnceAndNoToolBarOnlyOne) {
  std::map<int, int> seen;
  for (int id : MenuIds()) ++seen[id];
  // 32806, 32833 and 32845 are on tool bars only.
  EXPECT_EQ(seen.size(), CommandTable().size() - 3);
  for (const CommandInfo& info : CommandTable()) {
    EXPECT_EQ(seen[info.id], info.toolBarOnly ? 0 : 1) << info.id;
  }
  // A command item shows the command's own caption.
  std::vector<const MenuNode*> stack;
  for (const MenuNode& node : MainMenu()) stack.push_back(&node);
  while (!stack.empty()) {
    const MenuNode* node = stack.back();
    stack.pop_back();
    if (node->commandId != 0) {
      EXPECT_STREQ(node->caption, FindCommand(node->commandId)->caption);
    }
    if (node->separator) {
      EXPECT_EQ(node->commandId, 0);
    }
    for (const MenuNode& child : node->children) stack.push_back(&child);
  }
}

TEST(CommandTable, CaptionsPromptsAndTips) {
  std::vector<std::string> top;
  for (const MenuNode& node : MainMenu()) top.push_back(node.caption);
  EXPECT_EQ(top, (std::vector<std::string>{"ファイル(&F)", "イメージ(&I)", "ピクチャー(&P)",
                                           "アニメ(&A)", "表示(&V)", "ツール(&T)", "ヘルプ(&H)"}));

  const std::map<int, std::string> captions = {
      {kCmdOpen, "開く(&O)..."},
      {kCmdSaveBitmap, "ﾋﾞｯﾄﾏｯﾌﾟに保存(&B)"},
      {kCmdMakeIcon, "ｱｲｺﾝを作成(&I)"},
      {kCmdImportClipboard, "クリップボードから入力(&P)"},
      {kCmdRotateLeft, "90ﾟ左回転(&L)"},
      {kCmdExternalEdit, "編集(&E)"},
      {kCmdUndo, "元に戻す(&U)"},
      {kCmdMakeFirstFrame, "最初のｺﾏ(&C)"},
      {kCmdBackgroundColor, "背景色の変更(&C)"},
      {kCmdInvertBackground, "背景色の反転(&R)"},
      {kCmdSendToVanta, "Vantaにアニメを転送する(&D)"},
      {kCmdAbout, "Zel のバージョン情報(&A)..."},
  };
  for (const auto& [id, caption] : captions) EXPECT_EQ(FindCommand(id)->caption, caption) << id;

  const struct {
    int id;
    const char* prompt;
    const char* tip;
  } texts[] = {
      {kCmdDeleteFrames, "現在のコマを削除する", "コマ削除"},
      {kCmdJump, "アニメーションの位置づけをする", "アニメ位置づけ"},
      {kCmdIconSize, "現在の画像をアイコンのサイズ(32x32)にリサイズする", "アイコン作成の前処理"},
  };
  for (const auto& t : texts) {
    EXPECT_STREQ(FindCommand(t.id)->prompt, t.prompt);
    EXPECT_STREQ(FindCommand(t.id)->toolTip, t.tip);
  }
}

// The prompt and tip of every command whose string-table entry is quoted, as "prompt\ntip";
// where only the prompt is quoted, the tip is the command table's own.
TEST(CommandTable, QuotedPromptsAndTips) {
  const struct {
    int id;
    const char* prompt;
    const char* tip;  // nullptr: only the prompt is quoted
  } quoted[] = {
      {kCmdSaveGif, "作業中の画像をGIFﾌｧｲﾙに保存する", nullptr},
      {kCmdAddMargins, "イメージにマージンを追加します", "マージン追加"},
      {kCmdTrim, "イメージをトリミングします", "トリミング"},
      {kCmdRotateLeft, "イメージを90ﾟ左回転する", "90ﾟ左回転"},
      {kCmdRotateRight, "イメージを90ﾟ右回転する", "90ﾟ右回転"},
      {kCmdMirrorHorizontal, "イメージを水平方向に反転します", "左右反転"},
      {kCmdMirrorVertical, "イメージを垂直方向に反転します", "上下反転"},
      {kCmdIconSize, "現在の画像をアイコンのサイズ(32x32)にリサイズする", "アイコン作成の前処理"},
      {kCmdColorResolution, "イメージの色解像度を変更する", "色解像度変更"},
      {kCmdTransparency25, "25%透過する", "25%透過"},
      {kCmdTransparency50, "50%透過する", "50%透過"},
      {kCmdTransparency75, "75%透過する", "75%透過"},
      {kCmdTransparencyPopup, "インディックスカラーのイメージを半透明にする", "半透明"},
      {kCmdDeleteFrames, "現在のコマを削除する", "コマ削除"},
      {kCmdJump, "アニメーションの位置づけをする", "アニメ位置づけ"},
      {kCmdMakeAnimation, "イメージからアニメーションを作成する", nullptr},
      {kCmdEffect, "アニメにエフェクトをかけます", nullptr},
      {kCmdMotion, "アニメを移動します", nullptr},
      {kCmdMergeAnimations, "アニメーションを合成する", nullptr},
  };
  for (const auto& q : quoted) {
    const CommandInfo* info = FindCommand(q.id);
    ASSERT_NE(info, nullptr) << q.id;
    EXPECT_STREQ(info->prompt, q.prompt) << q.id;
    if (q.tip) {
      EXPECT_STREQ(info->toolTip, q.tip) << q.id;
    }
  }
}

TEST(CommandTable, MenuStructure) {
  const std::vector<MenuNode>& file = MainMenu().front().children;
  ASSERT_EQ(file.size(), 9u);
  EXPECT_EQ(IdsOf(file), (std::vector<int>{kCmdOpen, 0, 0, kCmdImportClipboard, kCmdExportClipboard,
                                           0, kCmdRecentFile1, 0, kCmdExit}));
  EXPECT_STREQ(file[1].caption, "名前を付けて保存(&A)...");
  EXPECT_FALSE(file[1].separator);
  EXPECT_TRUE(file[2].separator);

  const MenuNode* save = FindSubMenu(MainMenu(), "名前を付けて保存(&A)...");
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(IdsOf(save->children), SavePopup());
  const MenuNode* transparency = FindSubMenu(MainMenu(), "半透明(&G)");
  ASSERT_NE(transparency, nullptr);
  EXPECT_EQ(IdsOf(transparency->children), TransparencyPopup());

  EXPECT_EQ(TransparencyLevel(kCmdTransparency25), 1);
  EXPECT_EQ(TransparencyLevel(kCmdTransparency50), 2);
  EXPECT_EQ(TransparencyLevel(kCmdTransparency75), 3);
  EXPECT_EQ(TransparencyLevel(kCmdTransparencyPopup), 0);

  // The help menu ends with the About box after a separator.
  const MenuNode& help = MainMenu().back();
  ASSERT_EQ(help.children.size(), 3u);
  EXPECT_TRUE(help.children[1].separator);
  EXPECT_EQ(help.children[2].commandId, kCmdAbout);
}

// The access letter of a caption ("開く(&O)..." gives 'O'), or 0 when it has none.
char AccessLetter(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
  }
  return 0;
}

// Alt and a letter must reach one item: two items of a menu with one letter only highlight.
void ExpectDistinctLetters(const std::string& menuName, const std::vector<std::string>& items) {
  std::map<char, std::string> seen;
  for (const std::string& caption : items) {
    const char letter = AccessLetter(caption);
    if (letter == 0) continue;
    auto [it, added] = seen.emplace(letter, caption);
    EXPECT_TRUE(added) << menuName << ": " << it->second << " and " << caption;
  }
}

void ExpectDistinctLettersIn(const std::string& menuName, const std::vector<MenuNode>& nodes) {
  std::vector<std::string> items;
  for (const MenuNode& node : nodes) {
    if (!node.separator) items.push_back(node.caption);
    if (!node.children.empty()) ExpectDistinctLettersIn(node.caption, node.children);
  }
  ExpectDistinctLetters(menuName, items);
}

std::vector<std::string> CaptionsOf(const std::vector<int>& ids) {
  std::vector<std::string> captions;
  for (int id : ids) {
    if (id != 0) captions.push_back(FindCommand(id)->caption);
  }
  return captions;
}

TEST(CommandTable, NoTwoItemsOfAMenuShareAnAccessLetter) {
  ExpectDistinctLettersIn("menu bar", MainMenu());
  ExpectDistinctLetters("save pop-up", CaptionsOf(SavePopup()));
  ExpectDistinctLetters("semi-transparency pop-up", CaptionsOf(TransparencyPopup()));
  ExpectDistinctLetters("frame strip pop-up", CaptionsOf(FrameStripPopup()));
  // The letters a user may know: the browser item takes B, redo gives up R to the turn.
  EXPECT_STREQ(FindCommand(kCmdShowInBrowser)->caption, "ブラウザで表示(&B)");
  EXPECT_STREQ(FindCommand(kCmdRotateRight)->caption, "90ﾟ右回転(&R)");
  EXPECT_STREQ(FindCommand(kCmdInsertFrame)->caption, "コマ挿入(&I)");
}

TEST(CommandTable, Accelerators) {
  const std::map<std::string, int> expected = {
      {"Ctrl+C", kCmdExportClipboard},
      {"Ctrl+E", kCmdExternalEdit},
      {"Ctrl+O", kCmdOpen},
      {"Ctrl+S", kCmdSaveGif},
      {"Ctrl+V", kCmdImportClipboard},
      {"Ctrl+X", kCmdInvertBackground},
      {"Ctrl+Z", kCmdUndo},
      {"Alt+Backspace", kCmdUndo},
      // The view's zoom and the frame keys.
      {"Ctrl++", kCmdZoomIn},
      {"Ctrl+=", kCmdZoomIn},
      {"Ctrl+-", kCmdZoomOut},
      {"Ctrl+0", kCmdZoomActualSize},
      {"Left", kCmdPreviousFrame},
      {"Right", kCmdNextFrame},
      {"Home", kCmdFirstFrameShown},
      {"End", kCmdLastFrameShown},
      {"Space", kCmdStartStop},
      {"Ctrl+Y", kCmdRedo},
      {"Ctrl+Shift+Z", kCmdRedo},
  };
  std::map<std::string, int> bound;
  for (const CommandInfo& info : CommandTable()) {
    if (*info.accelerator == '\0') continue;
    EXPECT_TRUE(bound.emplace(info.accelerator, info.id).second) << info.accelerator;
  }
  for (const ExtraAccelerator& extra : ExtraAccelerators()) {
    EXPECT_TRUE(bound.emplace(extra.accelerator, extra.id).second) << extra.accelerator;
  }
  EXPECT_EQ(bound, expected);
}

}  // namespace
}  // namespace zel
