#include "app/command_table.h"

namespace zel {

namespace {

// Shorthand for a row: id, caption, prompt, tip, accelerator, icon, tool bar only.
CommandInfo Row(CommandId id, const char* caption, const char* prompt, const char* tip,
                const char* accelerator = "", const char* icon = "", bool toolBarOnly = false) {
  return CommandInfo{id, caption, prompt, tip, accelerator, icon, toolBarOnly};
}

std::vector<CommandInfo> BuildTable() {
  return {
      // File
      Row(kCmdOpen, "開く(&O)...", "既存の画像ファイルを開く", "開く", "Ctrl+O", "document-open"),
      Row(kCmdSaveGif, "GIFに保存(&G)", "現在の画像をGIFファイルに保存する", "GIFに保存", "Ctrl+S"),
      Row(kCmdSaveBitmap, "ﾋﾞｯﾄﾏｯﾌﾟに保存(&B)", "現在の画像をビットマップファイルに保存する",
          "ビットマップに保存"),
      Row(kCmdSaveJpeg, "JPEGに保存(&J)", "現在の画像をJPEGファイルに保存する", "JPEGに保存"),
      Row(kCmdMakeIcon, "ｱｲｺﾝを作成(&I)", "現在の画像からアイコンファイルを作成する",
          "アイコン作成"),
      Row(kCmdSavePopup, "ファイルに保存", "現在の画像を形式を選んでファイルに保存する",
          "ファイルに保存", "", "document-save", true),
      Row(kCmdImportClipboard, "クリップボードから入力(&P)", "クリップボードの画像を取り込む",
          "クリップボードから入力", "Ctrl+V", "edit-paste"),
      Row(kCmdExportClipboard, "クリップボードに出力(&C)", "現在の画像をクリップボードにコピーする",
          "クリップボードに出力", "Ctrl+C", "edit-copy"),
      Row(kCmdRecentFile1, "最近使ったファイル", "この画像ファイルを開く", "最近使ったファイル"),
      Row(kCmdExit, "アプリケーションの終了(&X)", "Zelを終了する", "終了", "", "application-exit"),

      // Image
      Row(kCmdColorAdjust, "色調節(&C)", "画像の明るさや色合いを調節する", "色調節"),
      Row(kCmdAddMargins, "マージン追加(&M)", "画像の周りに余白を追加する", "マージン追加"),
      Row(kCmdTrim, "トリミング(&X)", "画像の必要な部分だけを切り抜く", "トリミング"),
      Row(kCmdMirrorHorizontal, "左右反転(&H)", "画像を左右に反転する", "左右反転", "",
          "object-flip-horizontal"),
      Row(kCmdMirrorVertical, "上下反転(&V)", "画像を上下に反転する", "上下反転", "",
          "object-flip-vertical"),
      Row(kCmdRotateLeft, "90ﾟ左回転(&L)", "画像を左に90度回転する", "90度左回転", "",
          "object-rotate-left"),
      Row(kCmdRotateRight, "90ﾟ右回転(&R)", "画像を右に90度回転する", "90度右回転", "",
          "object-rotate-right"),
      Row(kCmdRotate, "回転(&T)", "画像を好きな角度に回転する", "回転"),
      Row(kCmdFishEye, "魚眼変形(&F)", "画像を魚眼レンズで見たように変形する", "魚眼変形"),
      Row(kCmdEdgePull, "辺変形(&B)", "画像の辺を引っ張って変形する", "辺変形"),
      Row(kCmdCornerPull, "角変形(&A)", "画像の角を引っ張って変形する", "角変形"),
      Row(kCmdStretch, "伸張(&S)", "画像を縦横に伸び縮みさせる", "伸張"),
      Row(kCmdZoom, "ズーム(&Z)", "画像を拡大・縮小する", "ズーム", "", "zoom-in"),
      Row(kCmdTransparency25, "25%透過(&1)", "画像を25%透過させる", "25%透過"),
      Row(kCmdTransparency50, "50%透過(&2)", "画像を50%透過させる", "50%透過"),
      Row(kCmdTransparency75, "75%透過(&3)", "画像を75%透過させる", "75%透過"),
      Row(kCmdTransparencyPopup, "半透明", "画像を背景色に向けて半透明にする", "半透明", "", "",
          true),
      Row(kCmdExternalEdit, "編集(&E)", "現在の画像を外部の編集ツールで編集する", "編集", "Ctrl+E"),
      Row(kCmdUndo, "元に戻す(&U)", "直前の操作を取り消して元に戻す", "元に戻す", "Ctrl+Z",
          "edit-undo"),

      // Picture
      Row(kCmdColorResolution, "色解像度変更(&C)", "画像の色数を変更する", "色解像度変更"),
      Row(kCmdMakeAnimation, "アニメ作成(&A)", "現在の画像からアニメーションを作成する",
          "アニメ作成"),

      // Animation
      Row(kCmdStart, "開始(&S)", "アニメーションを再生する", "開始", "", "media-playback-start"),
      Row(kCmdStop, "停止(&P)", "アニメーションを停止する。停止中は1コマ進める", "停止/コマ送り",
          "", "media-playback-stop"),
      Row(kCmdJump, "ジャンプ(&J)", "アニメーションの位置づけをする", "アニメ位置づけ", "",
          "go-jump"),
      Row(kCmdDeleteFrames, "コマ削除(&D)", "現在のコマを削除する", "コマ削除", "", "edit-delete"),
      Row(kCmdInsertFrame, "コマ挿入(&I)", "現在のコマの複製を挿入する", "コマ挿入"),
      Row(kCmdConvertToPicture, "ピクチャー変換(&A)", "現在のコマだけを残してピクチャーに変換する",
          "ピクチャー変換"),
      Row(kCmdMakeFirstFrame, "最初のｺﾏ(&C)", "現在のコマを最初のコマにする", "最初のコマ", "",
          "go-first"),
      Row(kCmdEffect, "エフェクト(&E)", "アニメーションにエフェクトをかける", "エフェクト"),
      Row(kCmdMotion, "モーション(&M)", "モーション定義に従ってアニメーションを作成する",
          "モーション"),
      Row(kCmdRepeatAnimation, "アニメを繰り返す(&X)",
          "アニメーションを繰り返してコマ数を2倍にする", "アニメを繰り返す", "",
          "media-playlist-repeat"),
      Row(kCmdReverse, "逆転(&R)", "コマの順序を逆にする", "逆転"),
      Row(kCmdTimeAdjust, "時間調節(&T)", "コマの表示時間を調節する", "時間調節"),
      Row(kCmdShowInBrowser, "IEに表示(&I)", "アニメーションをWebブラウザで表示する",
          "ブラウザで表示", "", "internet-web-browser"),

      // View
      Row(kCmdBackgroundColor, "背景色の変更(&C)", "背景色を変更する", "背景色の変更"),
      Row(kCmdInvertBackground, "背景色の反転(&R)", "背景色を反転する", "背景色の反転", "Ctrl+X"),
      Row(kCmdOptions, "オプション(&O)", "Zelの動作を設定する", "オプション", "",
          "preferences-system"),
      Row(kCmdStandardToolBar, "汎用ツール(&T)", "汎用ツールバーの表示/非表示を切り替える",
          "汎用ツールの表示/非表示"),
      Row(kCmdPictureToolBar, "ピクチャーツール(&P)",
          "ピクチャーツールバーの表示/非表示を切り替える", "ピクチャーツールの表示/非表示"),
      Row(kCmdAnimationToolBar, "アニメツール(&A)", "アニメツールバーの表示/非表示を切り替える",
          "アニメツールの表示/非表示"),
      Row(kCmdStatusBar, "ステータスバー(&S)", "ステータスバーの表示/非表示を切り替える",
          "ステータスバーの表示/非表示"),

      // Tools
      Row(kCmdOpenMultiple, "複数画像をアニメとして開く(&S)",
          "複数の画像ファイルをまとめてアニメーションとして開く", "複数画像をアニメに"),
      Row(kCmdMidiTempo, "MIDIのテンポを調べる(&M)", "MIDIファイルのテンポを調べる", "MIDIテンポ"),
      Row(kCmdPaletteOperation, "パレット操作(&P)", "パレットの色を操作する", "パレット操作"),
      Row(kCmdIconSize, "アイコンサイズに変更する(&I)",
          "現在の画像をアイコンのサイズ(32x32)にリサイズする", "アイコン作成の前処理"),
      Row(kCmdMergeAnimations, "アニメの合成(&A)", "複数のアニメーションを合成する",
          "アニメの合成"),
      Row(kCmdSendToVanta, "Vantaにアニメを転送する(&D)", "アニメーションをVantaに転送する",
          "Vantaに転送", "", "document-send"),
      Row(kCmdSendToMorsel, "Morselに出力", "現在の画像をMorselに出力する", "Morselに出力", "", "",
          true),

      // Help
      Row(kCmdHelp, "Zelの説明(&I)", "Zelの説明をWebブラウザで表示する", "Zelの説明", "",
          "help-contents"),
      Row(kCmdAbout, "Zel のバージョン情報(&A)...", "Zelのバージョン情報を表示する",
          "バージョン情報", "", "help-about"),
  };
}

}  // namespace

const std::vector<CommandInfo>& CommandTable() {
  static const std::vector<CommandInfo> table = BuildTable();
  return table;
}

const CommandInfo* FindCommand(int id) {
  if (IsRecentFileCommand(id)) id = kCmdRecentFile1;
  for (const CommandInfo& info : CommandTable()) {
    if (info.id == id) return &info;
  }
  return nullptr;
}

const std::vector<ExtraAccelerator>& ExtraAccelerators() {
  static const std::vector<ExtraAccelerator> extras = {{kCmdUndo, "Alt+Backspace"}};
  return extras;
}

}  // namespace zel
