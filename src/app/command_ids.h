// The numbers of every command the editor knows: menu items, tool bar buttons,
// accelerators and pop-up entries all reach the program as one of these.
#pragma once

namespace zel {

enum CommandId : int {
  // File
  kCmdOpen = 57601,
  kCmdSaveGif = 32802,
  kCmdSaveBitmap = 32805,
  kCmdSaveJpeg = 32804,
  kCmdMakeIcon = 32835,
  kCmdSavePopup = 32806,  // tool bar only: pop-up of the save commands
  kCmdSaveWebp = 32901,
  kCmdSavePng = 32902,
  kCmdImportClipboard = 32820,
  kCmdExportClipboard = 32821,
  kCmdRecentFile1 = 57616,  // first entry of the recent-file list; the others follow
  kCmdExit = 57665,

  // Image
  kCmdColorAdjust = 32796,
  kCmdAddMargins = 32778,
  kCmdTrim = 32781,
  kCmdMirrorHorizontal = 32786,
  kCmdMirrorVertical = 32787,
  kCmdRotateLeft = 32782,
  kCmdRotateRight = 32783,
  kCmdRotate = 32784,
  kCmdFishEye = 32789,
  kCmdEdgePull = 32790,
  kCmdCornerPull = 32791,
  kCmdStretch = 32792,
  kCmdZoom = 32793,
  kCmdTransparency25 = 32832,
  kCmdTransparency50 = 32831,
  kCmdTransparency75 = 32830,
  kCmdTransparencyPopup = 32833,  // tool bar only: pop-up of the three levels
  kCmdExternalEdit = 32771,
  kCmdUndo = 57643,
  kCmdRedo = 57644,

  // Picture
  kCmdColorResolution = 32798,
  kCmdMakeAnimation = 32800,

  // Animation
  kCmdStart = 32776,
  kCmdStop = 32777,
  kCmdJump = 32840,
  // The frame keys: one frame back and forward, the first and the last frame, start/stop.
  kCmdPreviousFrame = 33111,
  kCmdNextFrame = 33112,
  kCmdFirstFrameShown = 33113,
  kCmdLastFrameShown = 33114,
  kCmdStartStop = 33115,
  kCmdDeleteFrames = 32808,
  kCmdInsertFrame = 32810,
  kCmdConvertToPicture = 32811,
  kCmdMakeFirstFrame = 32828,
  kCmdEffect = 32815,
  kCmdMotion = 32801,
  kCmdRepeatAnimation = 32827,
  kCmdReverse = 32785,
  kCmdTimeAdjust = 32807,
  kCmdShowInBrowser = 32814,

  // View
  kCmdBackgroundColor = 32772,
  kCmdInvertBackground = 32825,
  // The view's zoom.
  kCmdZoomIn = 33101,
  kCmdZoomOut = 33102,
  kCmdZoomActualSize = 33103,
  kCmdZoomToFit = 33104,
  kCmdOptions = 32812,
  kCmdStandardToolBar = 59392,
  kCmdStatusBar = 59393,
  kCmdPictureToolBar = 32799,
  kCmdAnimationToolBar = 32788,
  kCmdFrameStrip = 32850,  // the strip of frame thumbnails under the view

  // Tools
  kCmdOpenMultiple = 32817,
  kCmdOpenVideo = 32900,  // a stretch of a video clip as a new animation
  kCmdMidiTempo = 32818,
  kCmdPaletteOperation = 32824,
  kCmdIconSize = 32834,
  kCmdMergeAnimations = 32823,
  kCmdSendToVanta = 32837,
  kCmdSendToMorsel = 32845,  // tool bar only

  // Help
  kCmdHelp = 32819,
  kCmdAbout = 57664,
};

// Entries of the recent-file list: kCmdRecentFile1 .. kCmdRecentFile1 + kRecentFileCount - 1.
constexpr int kRecentFileCount = 4;

inline bool IsRecentFileCommand(int id) {
  return id >= kCmdRecentFile1 && id < kCmdRecentFile1 + kRecentFileCount;
}
// The command of recent-file entry `index` (0-based).
constexpr CommandId RecentFileCommand(int index) {
  return static_cast<CommandId>(kCmdRecentFile1 + index);
}

}  // namespace zel
