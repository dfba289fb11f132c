// The program's messages, by their string-table numbers.
#pragma once

namespace zel {

enum MessageId : int {
  kMsgBadFileName = 500,
  kMsgBadImageFile = 501,
  kMsgNoMemory = 502,
  kMsgNotFrameBitmap = 503,
  kMsgOutOfRange = 504,
  kMsgFileError = 505,
  kMsgStringError = 506,
  kMsgNotUpdated = 507,
  kMsgNoPicture = 508,
  kMsgCannotConvert = 509,
  kMsgCannotOpen = 510,
  kMsgMonochromeOnly = 511,
  kMsgMotionBitmapError = 512,
  kMsgTooFewElements = 513,
  kMsgEnterTitle = 514,
  kMsgDiscardPicture = 516,
  kMsgPictureTooLarge = 518,
  kMsgFramesDropped = 519,  // a format: the frames in the file, then the frames kept
  kMsgReplaceFile = 530,     // a save's name is taken: replace the file?
  kMsgReplaceCutFile = 531,  // the same for the file whose frames were cut at load
  kMsgMorselNotRunning = 532,
  kMsgMorselRefused = 533,
  kMsgMorselNoFolder = 534,
  kMsgNoPaintProgram = 535,  // Ctrl+E: no paint program set, and none found for BMP
};

// The text of a message number, or nullptr for an unknown number.
const char* MessageText(int id);

// Caption of the program's message boxes.
inline constexpr const char* kMessageCaption = "zel";
// The options dialog's label of the paint program's path; message 535 names it.
inline constexpr const char* kEditorSettingLabel = "編集ﾂｰﾙ";
// Shown when a GIF file cannot be written.
inline constexpr const char* kGifWriteFailedText = "画像ファイルに書き込みできません．";

}  // namespace zel
