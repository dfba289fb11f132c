#include "resources/string_table.h"

namespace zel {

const char* MessageText(MessageId id) {
  switch (id) {
    case kMsgBadFileName:
      return "ファイル名が無効です.";
    case kMsgBadImageFile:
      return "画像ファイルが壊れているか、ファイルが存在しません.";
    case kMsgNoMemory:
      return "メモリが足りないようです.";
    case kMsgNotFrameBitmap:
      return "フレームビットマップではありません.";
    case kMsgOutOfRange:
      return "設定値が範囲外です.";
    case kMsgFileError:
      return "ファイルが異常です.";
    case kMsgStringError:
      return "文字列操作の異常です.";
    case kMsgNotUpdated:
      return "更新していません.";
    case kMsgNoPicture:
      return "画像がありません.";
    case kMsgCannotConvert:
      return "データ変換ができません.";
    case kMsgCannotOpen:
      return "ファイルがオープンできません.";
    case kMsgMonochromeOnly:
      return "サポートしていない画像ﾌｧｲﾙです。\n白黒のビットマップのみサポートしています.";
    case kMsgMotionBitmapError:
      return "移動定義用ビットマップのエラーです。\n移動用のデータが作成できませんでした.";
    case kMsgTooFewElements:
      return "要素数が少なすぎます.";
    case kMsgEnterTitle:
      return "タイトルを入力してください.";
    case kMsgDiscardPicture:
      return "この操作は、現在の画像を破棄します。\n続行してよろしいですか?";
    case kMsgNoPictureHandedOver:
      return nullptr;  // nothing to say: the clipboard or the sender simply had no picture
    case kMsgPictureTooLarge:
      return "画像が大きすぎます.";
    case kMsgFramesDropped:
      return "このファイルには%dコマありますが、先頭の%dコマだけを読み込みました.\n"
             "上書き保存すると残りのコマは失われます.\n"
             "フレーム最大値は「オプション」の設定で変更できます.";
    case kMsgReplaceFile:
      return "出力画像ファイルが存在するようです、上書きします。\nよろしいですか?";
    case kMsgReplaceCutFile:
      return "出力画像ファイルは読み込み時にコマが削られています。"
             "上書きすると残りのコマは失われます。\nよろしいですか?";
    case kMsgMorselNotRunning:
      return "Morselが起動していないか、応答がありません。\n画像を出力できませんでした.";
    case kMsgMorselRefused:
      return "Morselが画像を受け取りませんでした.";
    case kMsgMorselNoFolder:
      return "設定フォルダがないため、Morselに画像を出力できません.";
    case kMsgCannotWriteImage:
      return kGifWriteFailedText;
    case kMsgNoPaintProgram:
      return "画像を編集するソフトウェアが設定されていないか、見つかりません.\n"
             "「オプション」の「編集ﾂｰﾙ」に設定してください.";
  }
  return nullptr;
}

}  // namespace zel
