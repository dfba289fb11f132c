#include "app/menu_tree.h"

#include "app/command_table.h"

namespace zel {

namespace {

MenuNode Item(CommandId id) {
  const CommandInfo* info = FindCommand(id);
  return MenuNode{info != nullptr ? info->caption : "", id, {}, false};
}

MenuNode Separator() {
  return MenuNode{"", 0, {}, true};
}

MenuNode SubMenu(const char* caption, std::vector<MenuNode> children) {
  return MenuNode{caption, 0, std::move(children), false};
}

std::vector<MenuNode> BuildMainMenu() {
  return {
      SubMenu("ファイル(&F)", {Item(kCmdOpen),
                               SubMenu("名前を付けて保存(&A)...",
                                       {Item(kCmdSaveGif), Item(kCmdSaveBitmap), Item(kCmdSaveJpeg),
                                        Item(kCmdSaveWebp), Item(kCmdSavePng), Separator(),
                                        Item(kCmdMakeIcon)}),
                               Separator(), Item(kCmdImportClipboard), Item(kCmdExportClipboard),
                               Separator(), Item(kCmdRecentFile1), Separator(), Item(kCmdExit)}),
      SubMenu("イメージ(&I)",
              {Item(kCmdColorAdjust),
               Separator(),
               Item(kCmdAddMargins),
               Item(kCmdTrim),
               Separator(),
               Item(kCmdMirrorHorizontal),
               Item(kCmdMirrorVertical),
               Separator(),
               Item(kCmdRotateLeft),
               Item(kCmdRotateRight),
               Item(kCmdRotate),
               Separator(),
               Item(kCmdFishEye),
               Item(kCmdEdgePull),
               Item(kCmdCornerPull),
               Item(kCmdStretch),
               Item(kCmdZoom),
               Separator(),
               SubMenu("半透明(&G)", {Item(kCmdTransparency25), Item(kCmdTransparency50),
                                      Item(kCmdTransparency75)}),
               Item(kCmdExternalEdit),
               Item(kCmdUndo),
               Item(kCmdRedo)}),
      SubMenu("ピクチャー(&P)", {Item(kCmdColorResolution), Item(kCmdMakeAnimation)}),
      SubMenu("アニメ(&A)", {Item(kCmdStart),
                             Item(kCmdStop),
                             Item(kCmdJump),
                             Separator(),
                             Item(kCmdStartStop),
                             Item(kCmdPreviousFrame),
                             Item(kCmdNextFrame),
                             Item(kCmdFirstFrameShown),
                             Item(kCmdLastFrameShown),
                             Separator(),
                             Item(kCmdDeleteFrames),
                             Item(kCmdInsertFrame),
                             Item(kCmdConvertToPicture),
                             Item(kCmdMakeFirstFrame),
                             Separator(),
                             Item(kCmdEffect),
                             Item(kCmdMotion),
                             Item(kCmdRepeatAnimation),
                             Separator(),
                             Item(kCmdReverse),
                             Item(kCmdTimeAdjust),
                             Separator(),
                             Item(kCmdShowInBrowser)}),
      SubMenu("表示(&V)",
              {Item(kCmdZoomIn), Item(kCmdZoomOut), Item(kCmdZoomActualSize), Item(kCmdZoomToFit),
               Separator(), Item(kCmdBackgroundColor), Item(kCmdInvertBackground),
               Item(kCmdOptions), Separator(), Item(kCmdStandardToolBar), Item(kCmdPictureToolBar),
               Item(kCmdAnimationToolBar), Item(kCmdStatusBar), Item(kCmdFrameStrip)}),
      SubMenu("ツール(&T)",
              {Item(kCmdOpenMultiple), Item(kCmdOpenVideo), Item(kCmdMidiTempo), Separator(), Item(kCmdPaletteOperation),
               Item(kCmdIconSize), Separator(), Item(kCmdMergeAnimations), Item(kCmdSendToVanta)}),
      SubMenu("ヘルプ(&H)", {Item(kCmdHelp), Separator(), Item(kCmdAbout)}),
  };
}

}  // namespace

const std::vector<MenuNode>& MainMenu() {
  static const std::vector<MenuNode> menu = BuildMainMenu();
  return menu;
}

const std::vector<int>& StandardToolBar() {
  static const std::vector<int> buttons = {kCmdOpen,
                                           kCmdSavePopup,
                                           0,
                                           kCmdColorAdjust,
                                           kCmdAddMargins,
                                           kCmdTrim,
                                           kCmdMirrorHorizontal,
                                           kCmdMirrorVertical,
                                           kCmdRotateLeft,
                                           kCmdRotateRight,
                                           kCmdRotate,
                                           kCmdFishEye,
                                           kCmdEdgePull,
                                           kCmdCornerPull,
                                           kCmdStretch,
                                           kCmdZoom,
                                           0,
                                           kCmdTransparencyPopup,
                                           kCmdExternalEdit,
                                           kCmdUndo,
                                           0,
                                           kCmdInvertBackground,
                                           kCmdHelp};
  return buttons;
}

const std::vector<int>& AnimationToolBar() {
  static const std::vector<int> buttons = {kCmdStart,
                                           kCmdStop,
                                           kCmdJump,
                                           0,
                                           kCmdDeleteFrames,
                                           kCmdInsertFrame,
                                           kCmdConvertToPicture,
                                           kCmdMakeFirstFrame,
                                           0,
                                           kCmdEffect,
                                           kCmdMotion,
                                           kCmdRepeatAnimation,
                                           0,
                                           kCmdReverse,
                                           kCmdTimeAdjust,
                                           0,
                                           kCmdShowInBrowser,
                                           kCmdSendToVanta,
                                           kCmdSendToMorsel};
  return buttons;
}

const std::vector<int>& PictureToolBar() {
  static const std::vector<int> buttons = {kCmdColorResolution, 0, kCmdMakeAnimation};
  return buttons;
}

const std::vector<int>& SavePopup() {
  static const std::vector<int> entries = {kCmdSaveGif,  kCmdSaveBitmap, kCmdSaveJpeg,
                                           kCmdSaveWebp, kCmdSavePng,    0,
                                           kCmdMakeIcon};
  return entries;
}

const std::vector<int>& TransparencyPopup() {
  static const std::vector<int> entries = {kCmdTransparency25, kCmdTransparency50,
                                           kCmdTransparency75};
  return entries;
}

const std::vector<int>& FrameStripPopup() {
  static const std::vector<int> entries = {
      kCmdDeleteFrames,    kCmdInsertFrame, kCmdConvertToPicture, kCmdMakeFirstFrame, 0,
      kCmdRepeatAnimation, kCmdReverse,     kCmdTimeAdjust};
  return entries;
}

int TransparencyLevel(int id) {
  switch (id) {
    case kCmdTransparency25:
      return 1;
    case kCmdTransparency50:
      return 2;
    case kCmdTransparency75:
      return 3;
    default:
      return 0;
  }
}

}  // namespace zel
