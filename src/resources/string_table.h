// The program's messages, by their string-table numbers.
#pragma once

#include "resources/language.h"
#include "resources/words.h"

namespace zel {

// A message number names one text of the table. Results carry these, never bare ints.
enum class MessageId : int {
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
  kMsgNoPictureHandedOver = 517,  // the clipboard or another program gave no picture
  kMsgPictureTooLarge = 518,
  kMsgFramesDropped = 519,  // a format: the frames in the file, then the frames kept
  kMsgReplaceFile = 530,     // a save's name is taken: replace the file?
  kMsgReplaceCutFile = 531,  // the same for the file whose frames were cut at load
  kMsgMorselNotRunning = 532,
  kMsgMorselRefused = 533,
  kMsgMorselNoFolder = 534,
  kMsgNoPaintProgram = 535,    // Ctrl+E: no paint program set, and none found for BMP
  kMsgCannotWriteImage = 540,  // a GIF, bitmap, JPEG or icon file could not be written
  kMsgWebpTooLarge = 545,      // a WebP file holds at most 16383 x 16383 pixels
  kMsgFramesDifferInSize = 546,  // an animation's frames are not all of one size
  kMsgBadVideoFile = 550,      // a video clip that cannot be opened or decoded to its end
};
// The messages keep their short names in the namespace.
using enum MessageId;

// Every message of the table, in the order of their numbers.
inline constexpr MessageId kMessageIds[] = {
    kMsgBadFileName,         kMsgBadImageFile,     kMsgNoMemory,      kMsgNotFrameBitmap,
    kMsgOutOfRange,          kMsgFileError,        kMsgStringError,   kMsgNotUpdated,
    kMsgNoPicture,           kMsgCannotConvert,    kMsgCannotOpen,    kMsgMonochromeOnly,
    kMsgMotionBitmapError,   kMsgTooFewElements,   kMsgEnterTitle,    kMsgDiscardPicture,
    kMsgNoPictureHandedOver, kMsgPictureTooLarge,  kMsgFramesDropped, kMsgReplaceFile,
    kMsgReplaceCutFile,      kMsgMorselNotRunning, kMsgMorselRefused, kMsgMorselNoFolder,
    kMsgNoPaintProgram,      kMsgCannotWriteImage, kMsgWebpTooLarge,  kMsgFramesDifferInSize,
    kMsgBadVideoFile,
};

// The number of a message, as the table lists it.
constexpr int MessageNumber(MessageId id) {
  return static_cast<int>(id);
}

// The text of a message in `language`, or nullptr for a number the table does not have
// (and for kMsgNoPictureHandedOver, which has nothing to say).
[[nodiscard]] const char* MessageText(MessageId id, Language language);
// The same in the current language.
[[nodiscard]] const char* MessageText(MessageId id);

// Caption of the program's message boxes.
inline constexpr const char* kMessageCaption = "zel";
// The options dialog's label of the paint program's path; message 535 names it.
inline constexpr Words kEditorSettingLabel{"編集ﾂｰﾙ", "Paint program"};
// Shown when a GIF file cannot be written (the text of kMsgCannotWriteImage).
inline constexpr Words kGifWriteFailedText{"画像ファイルに書き込みできません．",
                                           "The picture file cannot be written."};

}  // namespace zel
