#include "app/enabling_rules.h"

#include "app/save_rules.h"

namespace zel {

namespace {

// The terms the rules are written in, read once from the document.
struct Terms {
  bool open = false;
  bool animation = false;
  bool single = false;
  bool stopped = false;
  bool paletted = false;
  bool fromCommandLine = false;
  int32_t n = 0;
  int32_t cur = 0;
  int32_t bitCount = 0;
  int32_t frameMax = 0;
};

Terms ReadTerms(const DocumentState* doc) {
  Terms t;
  // A zeroed document: nothing open, an empty frame set whose palette count is 0.
  t.paletted = true;
  if (doc == nullptr) return t;
  t.open = IsDocumentOpen(*doc);
  t.animation = IsAnimation(doc->kind);
  t.single = t.open && !t.animation;
  t.stopped = (doc->flags & kFlagStopped) != 0;
  t.fromCommandLine = (doc->flags & kFlagFromCommandLine) != 0;
  if (doc->frameSet != nullptr) {
    t.paletted = doc->frameSet->paletteCount >= 0;
    t.n = doc->frameSet->count;
  }
  t.cur = doc->currentFrame;
  t.bitCount = doc->bitCount;
  t.frameMax = doc->frameMax;
  return t;
}

}  // namespace

bool IsAllowedWhileBusy(int id) {
  switch (id) {
    case kCmdStandardToolBar:
    case kCmdStatusBar:
    case kCmdPictureToolBar:
    case kCmdAnimationToolBar:
    case kCmdOptions:
    case kCmdMidiTempo:
    case kCmdHelp:
    case kCmdAbout:
      return true;
    default:
      return false;
  }
}

bool IsCommandEnabled(int id, const CommandContext& ctx) {
  const bool busy = ctx.doc != nullptr && (ctx.doc->flags & kFlagBusy) != 0;
  if (busy && !IsAllowedWhileBusy(id)) return false;
  const Terms t = ReadTerms(ctx.doc);
  switch (id) {
    case kCmdSaveGif:
      return ctx.doc != nullptr && CanSaveAsGif(*ctx.doc);
    case kCmdSaveBitmap:
      return ctx.doc != nullptr && CanSaveAsBitmap(*ctx.doc);
    case kCmdSaveJpeg:
      return ctx.doc != nullptr && CanSaveAsJpeg(*ctx.doc);
    case kCmdMakeIcon:
      return ctx.doc != nullptr && CanMakeIcon(*ctx.doc);
    case kCmdTransparency25:
    case kCmdTransparency50:
    case kCmdTransparency75:
    case kCmdTransparencyPopup:
      return t.open && t.bitCount == 8;
    case kCmdSavePopup:
    case kCmdExportClipboard:
    case kCmdColorAdjust:
    case kCmdAddMargins:
    case kCmdTrim:
    case kCmdMirrorHorizontal:
    case kCmdMirrorVertical:
    case kCmdRotateLeft:
    case kCmdRotateRight:
    case kCmdRotate:
    case kCmdFishEye:
    case kCmdEdgePull:
    case kCmdCornerPull:
    case kCmdStretch:
    case kCmdZoom:
      return t.open;
    case kCmdImportClipboard:
      return ctx.clipboardHasPicture;
    case kCmdExternalEdit:
      // With nothing open the rule leaves the command as it is: enabled, and it does nothing.
      return !t.open || t.paletted || t.stopped;
    case kCmdUndo:
      return ctx.canUndo;
    case kCmdColorResolution:
    case kCmdMakeAnimation:
    case kCmdIconSize:
      return t.single;
    case kCmdStart:
    case kCmdJump:
    case kCmdDeleteFrames:
    case kCmdInsertFrame:
    case kCmdConvertToPicture:
      return t.animation && t.stopped;
    case kCmdMakeFirstFrame:
      return t.animation && t.stopped && t.cur > 0;
    case kCmdStop:
    case kCmdReverse:
    case kCmdTimeAdjust:
    case kCmdShowInBrowser:
      return t.animation;
    case kCmdEffect:
      return t.animation && t.n >= 4;
    case kCmdMotion:
      return t.animation && ctx.motionDefinitionsExist;
    case kCmdRepeatAnimation:
      return t.animation && t.n > 1 && t.n < t.frameMax / 2;
    case kCmdPaletteOperation:
    case kCmdMergeAnimations:
      return t.paletted && t.bitCount == 8;
    case kCmdSendToVanta:
      return ctx.vantaAvailable && t.animation && t.n > 1;
    case kCmdSendToMorsel:
      return t.fromCommandLine || (t.open && ctx.morselReady);
    default:
      // Open, exit, recent files, background colour, options, the bar toggles, the tools
      // without a rule, help and about.
      return true;
  }
}

bool IsCommandCheckable(int id) {
  return id == kCmdStandardToolBar || id == kCmdStatusBar || id == kCmdPictureToolBar ||
         id == kCmdAnimationToolBar;
}

bool IsCommandChecked(int id, const CommandContext& ctx) {
  switch (id) {
    case kCmdStandardToolBar:
      return ctx.standardToolBarVisible;
    case kCmdStatusBar:
      return ctx.statusBarVisible;
    case kCmdPictureToolBar:
      return ctx.pictureToolBarVisible;
    case kCmdAnimationToolBar:
      return ctx.animationToolBarVisible;
    default:
      return false;
  }
}

bool IsCommandBuilt(int id) {
  if (IsRecentFileCommand(id)) return true;
  switch (id) {
    case kCmdOpen:
    case kCmdSaveGif:
    case kCmdSaveBitmap:
    case kCmdSaveJpeg:
    case kCmdMakeIcon:
    case kCmdSavePopup:
    case kCmdExit:
    case kCmdUndo:
    case kCmdStart:
    case kCmdStop:
    case kCmdJump:
    case kCmdDeleteFrames:
    case kCmdInsertFrame:
    case kCmdConvertToPicture:
    case kCmdMakeFirstFrame:
    case kCmdRepeatAnimation:
    case kCmdReverse:
    case kCmdTimeAdjust:
    case kCmdBackgroundColor:
    case kCmdInvertBackground:
    case kCmdOptions:
    case kCmdStandardToolBar:
    case kCmdStatusBar:
    case kCmdPictureToolBar:
    case kCmdAnimationToolBar:
    case kCmdHelp:
    case kCmdAbout:
    case kCmdPaletteOperation:
    case kCmdColorResolution:
      return true;
    default:
      return false;
  }
}

bool IsCommandAvailable(int id, const CommandContext& ctx) {
  return IsCommandBuilt(id) && IsCommandEnabled(id, ctx);
}

}  // namespace zel
