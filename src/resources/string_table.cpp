#include "resources/string_table.h"

namespace zel {

namespace {

// One message in both languages; a null pair for a message without text.
Words MessageWords(MessageId id) {
  switch (id) {
    case kMsgBadFileName:
      return {"ファイル名が無効です.", "The file name is not valid."};
    case kMsgBadImageFile:
      return {"画像ファイルが壊れているか、ファイルが存在しません.",
              "The picture file is damaged or does not exist."};
    case kMsgNoMemory:
      return {"メモリが足りないようです.", "There seems to be too little memory."};
    case kMsgNotFrameBitmap:
      return {"フレームビットマップではありません.", "This is not a frame bitmap."};
    case kMsgOutOfRange:
      return {"設定値が範囲外です.", "A value is out of range."};
    case kMsgFileError:
      return {"ファイルが異常です.", "Something is wrong with the file."};
    case kMsgStringError:
      return {"文字列操作の異常です.", "A text operation went wrong."};
    case kMsgNotUpdated:
      return {"更新していません.", "Nothing was updated."};
    case kMsgNoPicture:
      return {"画像がありません.", "There is no picture."};
    case kMsgCannotConvert:
      return {"データ変換ができません.", "The data cannot be converted."};
    case kMsgCannotOpen:
      return {"ファイルがオープンできません.", "The file cannot be opened."};
    case kMsgMonochromeOnly:
      return {"サポートしていない画像ﾌｧｲﾙです。\n白黒のビットマップのみサポートしています.",
              "This picture file is not supported.\nOnly black-and-white bitmaps are."};
    case kMsgMotionBitmapError:
      return {"移動定義用ビットマップのエラーです。\n移動用のデータが作成できませんでした.",
              "The bitmap of the motion definition is in error.\n"
              "The data for the motion could not be made."};
    case kMsgTooFewElements:
      return {"要素数が少なすぎます.", "There are too few elements."};
    case kMsgEnterTitle:
      return {"タイトルを入力してください.", "Please enter a title."};
    case kMsgDiscardPicture:
      return {"この操作は、現在の画像を破棄します。\n続行してよろしいですか?",
              "This operation discards the current picture.\nDo you want to go on?"};
    case kMsgNoPictureHandedOver:
      return {nullptr, nullptr};  // nothing to say: the clipboard or the sender had no picture
    case kMsgPictureTooLarge:
      return {"画像が大きすぎます.", "The picture is too large."};
    case kMsgFramesDropped:
      return {
          "このファイルには%dコマありますが、先頭の%dコマだけを読み込みました.\n"
          "上書き保存すると残りのコマは失われます.\n"
          "フレーム最大値は「オプション」の設定で変更できます.",
          "This file holds %d frames, but only its first %d frames were read.\n"
          "Saving over the file loses the other frames.\n"
          "The frame maximum can be changed in the \"Options\"."};
    case kMsgReplaceFile:
      return {"出力画像ファイルが存在するようです、上書きします。\nよろしいですか?",
              "The output picture file seems to exist already; it will be replaced.\n"
              "Is that all right?"};
    case kMsgReplaceCutFile:
      return {
          "出力画像ファイルは読み込み時にコマが削られています。"
          "上書きすると残りのコマは失われます。\nよろしいですか?",
          "Frames of the output picture file were left out when it was read. "
          "Replacing it loses the other frames.\nIs that all right?"};
    case kMsgMorselNotRunning:
      return {"Morselが起動していないか、応答がありません。\n画像を出力できませんでした.",
              "Morsel is not running or does not answer.\nThe picture could not be handed over."};
    case kMsgMorselRefused:
      return {"Morselが画像を受け取りませんでした.", "Morsel did not take the picture."};
    case kMsgMorselNoFolder:
      return {"設定フォルダがないため、Morselに画像を出力できません.",
              "There is no settings folder, so the picture cannot be handed to Morsel."};
    case kMsgCannotWriteImage:
      return kGifWriteFailedText;
    case kMsgWebpTooLarge:
      return {"WebPファイルに保存できる画像は16383×16383ドットまでです.",
              "A WebP file holds pictures of at most 16383 x 16383 pixels."};
    case kMsgFramesDifferInSize:
      return {"コマの大きさが揃っていないため保存できません.",
              "The frames are not all of one size, so the animation cannot be saved."};
    case kMsgBadVideoFile:
      return {"動画ファイルが読み込みできないか、途中で壊れています.",
              "The video file cannot be read, or it is broken part way through."};
    case kMsgNoPaintProgram:
      return {
          "画像を編集するソフトウェアが設定されていないか、見つかりません.\n"
          "「オプション」の「編集ﾂｰﾙ」に設定してください.",
          "No program to edit pictures is set, or it cannot be found.\n"
          "Set one as \"Paint program\" in the \"Options\"."};
  }
  return {nullptr, nullptr};
}

}  // namespace

const char* MessageText(MessageId id, Language language) {
  return Say(MessageWords(id), language);
}

const char* MessageText(MessageId id) {
  return MessageText(id, CurrentLanguage());
}

}  // namespace zel
