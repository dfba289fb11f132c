<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>zel</name>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>色解像度変更(&amp;C)</source>
        <translation>Change &amp;Color Depth...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>イメージの色解像度を変更する</source>
        <translation>Reduce the picture to an indexed palette</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>色解像度変更</source>
        <translation>Color depth</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>色調節(&amp;C)</source>
        <translation>&amp;Color Adjustment</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>画像の明るさや色合いを調節する</source>
        <translation>Adjust the brightness and colors of the picture</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>色調節</source>
        <translation>Color adjustment</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>25%透過(&amp;1)</source>
        <translation>&amp;25% Transparent</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>25%透過する</source>
        <translation>Make the picture 25% transparent</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>25%透過</source>
        <translation>25% transparent</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>50%透過(&amp;2)</source>
        <translation>&amp;50% Transparent</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>50%透過する</source>
        <translation>Make the picture 50% transparent</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>50%透過</source>
        <translation>50% transparent</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>75%透過(&amp;3)</source>
        <translation>&amp;75% Transparent</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>75%透過する</source>
        <translation>Make the picture 75% transparent</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>75%透過</source>
        <translation>75% transparent</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>半透明</source>
        <translation>Semi-transparency</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>インディックスカラーのイメージを半透明にする</source>
        <translation>Make an indexed-color picture semi-transparent</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>パレット操作(&amp;P)</source>
        <translation>&amp;Palette...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <source>パレットの色を操作する</source>
        <translation>Edit the colors of the palette</translation>
    </message>
    <message>
        <location filename="../src/app/commands/color_commands.cpp"/>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>パレット操作</source>
        <translation>Palette</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>既存の画像ファイルを開く</source>
        <translation>Open an existing picture file</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>GIFに保存(&amp;G)</source>
        <translation>Save as &amp;GIF...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>作業中の画像をGIFﾌｧｲﾙに保存する</source>
        <translation>Save the current work as a GIF file</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>GIFに保存</source>
        <translation>Save as GIF</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>ﾋﾞｯﾄﾏｯﾌﾟに保存(&amp;B)</source>
        <translation>Save as &amp;Bitmap...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>現在の画像をビットマップファイルに保存する</source>
        <translation>Save the current picture as a bitmap file</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>ビットマップに保存</source>
        <translation>Save as bitmap</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>JPEGに保存(&amp;J)</source>
        <translation>Save as &amp;JPEG...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>現在の画像をJPEGファイルに保存する</source>
        <translation>Save the current picture as a JPEG file</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>JPEGに保存</source>
        <translation>Save as JPEG</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>WebPに保存(&amp;W)</source>
        <translation>Save as &amp;WebP...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>現在の画像をWebPファイルに保存する(アニメはアニメーションWebP)</source>
        <translation>Save the current picture as a WebP file (an animation as an animated WebP)</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>WebPに保存</source>
        <translation>Save as WebP</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>PNGに保存(&amp;P)</source>
        <translation>Save as &amp;PNG...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>現在の画像をPNGファイルに保存する(アニメはAPNG)</source>
        <translation>Save the current picture as a PNG file (an animation as an APNG)</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>PNGに保存</source>
        <translation>Save as PNG</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>ｱｲｺﾝを作成(&amp;I)</source>
        <translation>Make &amp;Icon...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>現在の画像からアイコンファイルを作成する</source>
        <translation>Make an icon file from the current picture</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>アイコン作成</source>
        <translation>Make icon</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>ファイルに保存</source>
        <translation>Save to file</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>現在の画像を形式を選んでファイルに保存する</source>
        <translation>Choose a format and save the current picture to a file</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>最近使ったファイル</source>
        <translation>Recent Files</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>この画像ファイルを開く</source>
        <translation>Open this picture file</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>アプリケーションの終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>Zelを終了する</source>
        <translation>Quit Zel</translation>
    </message>
    <message>
        <location filename="../src/app/commands/file_commands.cpp"/>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>コマ削除(&amp;D)</source>
        <translation>&amp;Delete Frames...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <location filename="../src/ui/commands/frame_commands.cpp"/>
        <source>現在のコマを削除する</source>
        <translation>Delete the current frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>コマ削除</source>
        <translation>Delete frames</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>コマ挿入(&amp;I)</source>
        <translation>&amp;Insert Frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>現在のコマの複製を挿入する</source>
        <translation>Insert a copy of the current frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>コマ挿入</source>
        <translation>Insert frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>ピクチャー変換(&amp;A)</source>
        <translation>&amp;Convert to Picture</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>現在のコマだけを残してピクチャーに変換する</source>
        <translation>Keep only the current frame and make it a picture</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>ピクチャー変換</source>
        <translation>Convert to picture</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>最初のｺﾏ(&amp;C)</source>
        <translation>Make First Fr&amp;ame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>現在のコマを最初のコマにする</source>
        <translation>Make the current frame the first frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>最初のコマ</source>
        <translation>Make first frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>アニメを繰り返す(&amp;X)</source>
        <translation>&amp;Repeat Animation</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>アニメーションを繰り返してコマ数を2倍にする</source>
        <translation>Repeat the animation, doubling its frames</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>アニメを繰り返す</source>
        <translation>Repeat animation</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>逆転(&amp;R)</source>
        <translation>Re&amp;verse</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>コマの順序を逆にする</source>
        <translation>Reverse the order of the frames</translation>
    </message>
    <message>
        <location filename="../src/app/commands/frame_commands.cpp"/>
        <source>逆転</source>
        <translation>Reverse</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>アニメ作成(&amp;A)</source>
        <translation>Make &amp;Animation...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>イメージからアニメーションを作成する</source>
        <translation>Make an animation from the picture</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>アニメ作成</source>
        <translation>Make Animation</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>エフェクト(&amp;E)</source>
        <translation>&amp;Effect...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>アニメにエフェクトをかけます</source>
        <translation>Apply an effect to the animation</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <location filename="../src/ui/dialogs/anime_effect_dialog.cpp"/>
        <source>エフェクト</source>
        <translation>Effect</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>モーション(&amp;M)</source>
        <translation>&amp;Motion...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>アニメを移動します</source>
        <translation>Move the animation along a path</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>モーション</source>
        <translation>Motion</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>複数画像をアニメとして開く(&amp;S)</source>
        <translation>Open &amp;Several Pictures as Animation...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>複数の画像ファイルをまとめてアニメーションとして開く</source>
        <translation>Open several picture files together as one animation</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>複数画像をアニメに</source>
        <translation>Pictures to animation</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>動画をアニメとして開く(&amp;V)</source>
        <translation>Open a &amp;Video as Animation...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>動画ファイルの一部をアニメーションとして開く</source>
        <translation>Open a stretch of a video file as an animation</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>動画をアニメに</source>
        <translation>Video to animation</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>アニメの合成(&amp;A)</source>
        <translation>Merge &amp;Animations...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>アニメーションを合成する</source>
        <translation>Merge another animation into this one</translation>
    </message>
    <message>
        <location filename="../src/app/commands/generator_commands.cpp"/>
        <source>アニメの合成</source>
        <translation>Merge animations</translation>
    </message>
    <message>
        <location filename="../src/app/commands/help_commands.cpp"/>
        <source>Zelの説明(&amp;I)</source>
        <translation>Zel &amp;Help</translation>
    </message>
    <message>
        <location filename="../src/app/commands/help_commands.cpp"/>
        <source>Zelの説明をWebブラウザで表示する</source>
        <translation>Show the Zel help in the web browser</translation>
    </message>
    <message>
        <location filename="../src/app/commands/help_commands.cpp"/>
        <source>Zelの説明</source>
        <translation>Zel help</translation>
    </message>
    <message>
        <location filename="../src/app/commands/help_commands.cpp"/>
        <source>Zel のバージョン情報(&amp;A)...</source>
        <translation>&amp;About Zel...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/help_commands.cpp"/>
        <source>Zelのバージョン情報を表示する</source>
        <translation>Show the version of Zel</translation>
    </message>
    <message>
        <location filename="../src/app/commands/help_commands.cpp"/>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <location filename="../src/app/commands/history_commands.cpp"/>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <location filename="../src/app/commands/history_commands.cpp"/>
        <source>直前の操作を取り消して元に戻す</source>
        <translation>Undo the last operation</translation>
    </message>
    <message>
        <location filename="../src/app/commands/history_commands.cpp"/>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <location filename="../src/app/commands/history_commands.cpp"/>
        <source>やり直し(&amp;Y)</source>
        <translation>Re&amp;do</translation>
    </message>
    <message>
        <location filename="../src/app/commands/history_commands.cpp"/>
        <source>元に戻した操作をやり直す</source>
        <translation>Redo the operation that was undone</translation>
    </message>
    <message>
        <location filename="../src/app/commands/history_commands.cpp"/>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>クリップボードから入力(&amp;P)</source>
        <translation>&amp;Paste from Clipboard</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>クリップボードの画像を取り込む</source>
        <translation>Take in the picture on the clipboard</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>クリップボードから入力</source>
        <translation>Paste from clipboard</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>クリップボードに出力(&amp;C)</source>
        <translation>&amp;Copy to Clipboard</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>現在の画像をクリップボードにコピーする</source>
        <translation>Copy the current picture to the clipboard</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>クリップボードに出力</source>
        <translation>Copy to clipboard</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit in Paint Program</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>現在の画像を外部の編集ツールで編集する</source>
        <translation>Edit the current picture in the external paint program</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <location filename="../src/ui/dialogs/motion_dialogs.cpp"/>
        <location filename="../src/ui/dialogs/motion_properties_dialog.cpp"/>
        <source>編集</source>
        <translation>Edit</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>ブラウザで表示(&amp;B)</source>
        <translation>Show in &amp;Browser</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>アニメーションをWebブラウザで表示する</source>
        <translation>Show the animation in the web browser</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>ブラウザで表示</source>
        <translation>Show in browser</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>MIDIのテンポを調べる(&amp;M)</source>
        <translation>&amp;MIDI Tempo...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>MIDIファイルのテンポを調べる</source>
        <translation>Read the tempo of a MIDI file</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>MIDIテンポ</source>
        <translation>MIDI tempo</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>Vantaにアニメを転送する(&amp;D)</source>
        <translation>Sen&amp;d Animation to Vanta</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>アニメーションをVantaに転送する</source>
        <translation>Send the animation to Vanta</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>Vantaに転送</source>
        <translation>Send to Vanta</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>Morselに出力</source>
        <translation>Send to Morsel</translation>
    </message>
    <message>
        <location filename="../src/app/commands/integration_commands.cpp"/>
        <source>現在の画像をMorselに出力する</source>
        <translation>Send the current picture to Morsel</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>開始(&amp;S)</source>
        <translation>&amp;Start</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>アニメーションを再生する</source>
        <translation>Play the animation</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>停止(&amp;P)</source>
        <translation>Sto&amp;p</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>アニメーションを停止する。停止中は1コマ進める</source>
        <translation>Stop the animation; when stopped, step one frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>停止/コマ送り</source>
        <translation>Stop / step</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>ジャンプ(&amp;J)</source>
        <translation>&amp;Jump...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>アニメーションの位置づけをする</source>
        <translation>Go to a frame of the animation</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>アニメ位置づけ</source>
        <translation>Jump to frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>前のコマ(&amp;V)</source>
        <translation>Previ&amp;ous Frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>再生を止めて1コマ戻す。最初のコマからは最後のコマへ</source>
        <translation>Stop and go back one frame; from the first frame, go to the last</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>前のコマ</source>
        <translation>Previous frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>次のコマ(&amp;F)</source>
        <translation>&amp;Next Frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>再生を止めて1コマ進める。最後のコマからは最初のコマへ</source>
        <translation>Stop and go forward one frame; from the last frame, go to the first</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>次のコマ</source>
        <translation>Next frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>先頭のコマへ(&amp;H)</source>
        <translation>Go to &amp;First Frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>再生を止めて最初のコマを表示する</source>
        <translation>Stop and show the first frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>先頭のコマ</source>
        <translation>First frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>末尾のコマへ(&amp;L)</source>
        <translation>Go to &amp;Last Frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>再生を止めて最後のコマを表示する</source>
        <translation>Stop and show the last frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>末尾のコマ</source>
        <translation>Last frame</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>再生/停止(&amp;G)</source>
        <translation>Pla&amp;y/Stop</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>停止中なら再生を始め、再生中なら停止する</source>
        <translation>Play when stopped, stop when playing</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>再生/停止</source>
        <translation>Play/stop</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>背景色の変更(&amp;C)</source>
        <translation>&amp;Background Color...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>背景色を変更する</source>
        <translation>Change the background color</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>背景色の変更</source>
        <translation>Background color</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>背景色の反転(&amp;R)</source>
        <translation>In&amp;vert Background</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>背景色を反転する</source>
        <translation>Invert the background color</translation>
    </message>
    <message>
        <location filename="../src/app/commands/playback_commands.cpp"/>
        <source>背景色の反転</source>
        <translation>Invert background</translation>
    </message>
    <message>
        <location filename="../src/app/commands/time_commands.cpp"/>
        <source>時間調節(&amp;T)</source>
        <translation>&amp;Timing...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/time_commands.cpp"/>
        <source>コマの表示時間を調節する</source>
        <translation>Adjust how long each frame is shown</translation>
    </message>
    <message>
        <location filename="../src/app/commands/time_commands.cpp"/>
        <source>時間調節</source>
        <translation>Timing</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>マージン追加(&amp;M)</source>
        <translation>Add &amp;Margins</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>イメージにマージンを追加します</source>
        <translation>Add margins to the picture</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>マージン追加</source>
        <translation>Add margins</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>トリミング(&amp;X)</source>
        <translation>&amp;Trim</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>イメージをトリミングします</source>
        <translation>Trim the picture</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>トリミング</source>
        <translation>Trim</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>左右反転(&amp;H)</source>
        <translation>Flip &amp;Horizontally</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>イメージを水平方向に反転します</source>
        <translation>Flip the picture horizontally</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>左右反転</source>
        <translation>Flip horizontally</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>上下反転(&amp;V)</source>
        <translation>Flip &amp;Vertically</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>イメージを垂直方向に反転します</source>
        <translation>Flip the picture vertically</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>上下反転</source>
        <translation>Flip vertically</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>90ﾟ左回転(&amp;L)</source>
        <translation>Rotate 90° &amp;Left</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>イメージを90ﾟ左回転する</source>
        <translation>Rotate the picture 90° to the left</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>90ﾟ左回転</source>
        <translation>Rotate 90° left</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>90ﾟ右回転(&amp;R)</source>
        <translation>Rotate 90° &amp;Right</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>イメージを90ﾟ右回転する</source>
        <translation>Rotate the picture 90° to the right</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>90ﾟ右回転</source>
        <translation>Rotate 90° right</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>回転(&amp;T)</source>
        <translation>R&amp;otate...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>画像を好きな角度に回転する</source>
        <translation>Rotate the picture by any angle</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>回転</source>
        <translation>Rotate</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>魚眼変形(&amp;F)</source>
        <translation>&amp;Fisheye...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>画像を魚眼レンズで見たように変形する</source>
        <translation>Warp the picture as seen through a fisheye lens</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>魚眼変形</source>
        <translation>Fisheye</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>辺変形(&amp;B)</source>
        <translation>Edge &amp;Warp</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>画像の辺を引っ張って変形する</source>
        <translation>Warp the picture by pulling its edges</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>辺変形</source>
        <translation>Edge warp</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>角変形(&amp;A)</source>
        <translation>Cor&amp;ner Warp</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>画像の角を引っ張って変形する</source>
        <translation>Warp the picture by pulling its corners</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>角変形</source>
        <translation>Corner warp</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>伸張(&amp;S)</source>
        <translation>&amp;Stretch</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>画像を縦横に伸び縮みさせる</source>
        <translation>Stretch or shrink the picture across and down</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>伸張</source>
        <translation>Stretch</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>ズーム(&amp;Z)</source>
        <translation>&amp;Zoom...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>画像を拡大・縮小する</source>
        <translation>Enlarge or reduce the picture</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>ズーム</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>アイコンサイズに変更する(&amp;I)</source>
        <translation>Resize to &amp;Icon Size</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>現在の画像をアイコンのサイズ(32x32)にリサイズする</source>
        <translation>Resize the current picture to icon size (32x32)</translation>
    </message>
    <message>
        <location filename="../src/app/commands/transform_commands.cpp"/>
        <source>アイコン作成の前処理</source>
        <translation>Prepare for an icon</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>拡大(&amp;I)</source>
        <translation>Zoom &amp;In</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>表示を拡大する</source>
        <translation>Enlarge the view</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>拡大表示</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>縮小(&amp;U)</source>
        <translation>Zoom O&amp;ut</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>表示を縮小する</source>
        <translation>Reduce the view</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>縮小表示</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>等倍(&amp;N)</source>
        <translation>&amp;Actual Size</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>等倍(100%)で表示する</source>
        <translation>Show the picture at its actual size (100%)</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>等倍表示</source>
        <translation>Actual size</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>ウィンドウに合わせる(&amp;W)</source>
        <translation>&amp;Fit to Window</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>画像全体がウィンドウに収まる倍率で表示する</source>
        <translation>Show the whole picture in the window</translation>
    </message>
    <message>
        <location filename="../src/app/commands/view_commands.cpp"/>
        <source>ウィンドウに合わせる</source>
        <translation>Fit to window</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>オプション(&amp;O)</source>
        <translation>&amp;Options...</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>Zelの動作を設定する</source>
        <translation>Set up how Zel works</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>汎用ツール(&amp;T)</source>
        <translation>&amp;Standard Toolbar</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>汎用ツールバーの表示/非表示を切り替える</source>
        <translation>Show or hide the standard toolbar</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>汎用ツールの表示/非表示</source>
        <translation>Standard toolbar on/off</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>ピクチャーツール(&amp;P)</source>
        <translation>&amp;Picture Toolbar</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>ピクチャーツールバーの表示/非表示を切り替える</source>
        <translation>Show or hide the picture toolbar</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>ピクチャーツールの表示/非表示</source>
        <translation>Picture toolbar on/off</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>アニメツール(&amp;A)</source>
        <translation>A&amp;nimation Toolbar</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>アニメツールバーの表示/非表示を切り替える</source>
        <translation>Show or hide the animation toolbar</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>アニメツールの表示/非表示</source>
        <translation>Animation toolbar on/off</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>コマ一覧(&amp;F)</source>
        <translation>Frame S&amp;trip</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>コマの一覧の表示/非表示を切り替える</source>
        <translation>Show or hide the strip of frames</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>コマ一覧の表示/非表示</source>
        <translation>Frame strip on/off</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>ステータスバー(&amp;S)</source>
        <translation>Status Ba&amp;r</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>ステータスバーの表示/非表示を切り替える</source>
        <translation>Show or hide the status bar</translation>
    </message>
    <message>
        <location filename="../src/app/commands/window_commands.cpp"/>
        <source>ステータスバーの表示/非表示</source>
        <translation>Status bar on/off</translation>
    </message>
    <message>
        <location filename="../src/app/menu_tree.cpp"/>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <location filename="../src/app/menu_tree.cpp"/>
        <source>名前を付けて保存(&amp;A)...</source>
        <translation>Save &amp;As</translation>
    </message>
    <message>
        <location filename="../src/app/menu_tree.cpp"/>
        <source>イメージ(&amp;I)</source>
        <translation>&amp;Image</translation>
    </message>
    <message>
        <location filename="../src/app/menu_tree.cpp"/>
        <source>半透明(&amp;G)</source>
        <translation>Semi-trans&amp;parency</translation>
    </message>
    <message>
        <location filename="../src/app/menu_tree.cpp"/>
        <source>ピクチャー(&amp;P)</source>
        <translation>&amp;Picture</translation>
    </message>
    <message>
        <location filename="../src/app/menu_tree.cpp"/>
        <source>アニメ(&amp;A)</source>
        <translation>&amp;Animation</translation>
    </message>
    <message>
        <location filename="../src/app/menu_tree.cpp"/>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <location filename="../src/app/menu_tree.cpp"/>
        <source>ツール(&amp;T)</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <location filename="../src/app/menu_tree.cpp"/>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>表示する画像ファイルを選択します</source>
        <translation>Choose the picture file to show</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>画像ファイル</source>
        <translation>Picture files</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>保存するGIFファイルを設定します</source>
        <translation>Choose the GIF file to save</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>GIFファイル</source>
        <translation>GIF files</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>保存するBMPファイルを選択します</source>
        <translation>Choose the BMP file to save</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>BMPファイル</source>
        <translation>BMP files</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>作成するアイコンファイルを選択します</source>
        <translation>Choose the icon file to make</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>アイコンファイル</source>
        <translation>Icon files</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>GIFﾌｧｲﾙの作成</source>
        <translation>Writing the GIF file</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>保存するWebPファイルを設定します</source>
        <translation>Choose the WebP file to save</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>WebPファイル</source>
        <translation>WebP files</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>WebPﾌｧｲﾙの作成</source>
        <translation>Writing the WebP file</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>保存するPNGファイルを設定します</source>
        <translation>Choose the PNG file to save</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>PNGファイル</source>
        <translation>PNG files</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/file_commands.cpp"/>
        <source>PNGﾌｧｲﾙの作成</source>
        <translation>Writing the PNG file</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/frame_commands.cpp"/>
        <source>現在より前の全部を削除する</source>
        <translation>Delete every frame before the current one</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/frame_commands.cpp"/>
        <source>現在より後ろの全部を削除する</source>
        <translation>Delete every frame after the current one</translation>
    </message>
    <message>
        <location filename="../src/ui/commands/time_commands.cpp"/>
        <source>時間調節、ｽﾗｲﾀﾞｰを操作します</source>
        <translation>Timing: move the slider</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/about_dialog.cpp"/>
        <source>Zel のバージョン情報</source>
        <translation>About Zel</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/about_dialog.cpp"/>
        <source>Zel アニメGIF編集ソフト</source>
        <translation>Zel animated GIF editor</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/about_dialog.cpp"/>
        <location filename="../src/ui/dialogs/dialog_buttons.cpp"/>
        <location filename="../src/ui/dialogs/midi_tempo_dialog.cpp"/>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/anime_effect_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>演出効果</source>
        <translation>Effect</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/anime_effect_dialog.cpp"/>
        <source>振幅</source>
        <translation>Amplitude</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>2色</source>
        <translation>2 colors</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>4色</source>
        <translation>4 colors</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>8色</source>
        <translation>8 colors</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>16色</source>
        <translation>16 colors</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>32色</source>
        <translation>32 colors</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>64色</source>
        <translation>64 colors</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>128色</source>
        <translation>128 colors</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>256色</source>
        <translation>256 colors</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>画像内は透明にしない</source>
        <translation>No transparent color</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>左上端から取得</source>
        <translation>From the top-left corner</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>右上端から取得</source>
        <translation>From the top-right corner</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>左下端から取得</source>
        <translation>From the bottom-left corner</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>右下端から取得</source>
        <translation>From the bottom-right corner</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <source>インディックスカラーに変更</source>
        <translation>Change to Indexed Color</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>誤差拡散法を使わない</source>
        <translation>No error diffusion</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>高画質</source>
        <translation>High quality</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <source>ピュアインディックス</source>
        <translation>Pure index</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <source>パレットを参照する</source>
        <translation>Use the palette of a picture</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <source>参照画像</source>
        <translation>Picture</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>色数</source>
        <translation>Colors</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>透明色</source>
        <translation>Transparent color</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/change_color_dialog.cpp"/>
        <source>パレットを参照する画像ファイルを選択します</source>
        <translation>Choose the picture file whose palette to use</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/define_dialog.cpp"/>
        <source>設定</source>
        <translation>Options</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/define_dialog.cpp"/>
        <source>GIF保存時、ブラウザで確認する</source>
        <translation>Show in the browser after saving a GIF</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/define_dialog.cpp"/>
        <source>ブラウザ確認で、背景画として表示する</source>
        <translation>Show the animation as the page background in the browser</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/define_dialog.cpp"/>
        <source>GIFを最適化して保存する</source>
        <translation>Save GIF files optimized</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/define_dialog.cpp"/>
        <source>自動</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/define_dialog.cpp"/>
        <source>日本語</source>
        <translation>Japanese</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/define_dialog.cpp"/>
        <source>言語</source>
        <translation>Language</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/define_dialog.cpp"/>
        <source>フレーム最大値</source>
        <translation>Maximum frames</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/define_dialog.cpp"/>
        <source>言語の変更は、次回の起動から有効になります.</source>
        <translation>The new language applies from the next start of Zel.</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/dialog_buttons.cpp"/>
        <source>作成</source>
        <translation>Create</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/dialog_buttons.cpp"/>
        <location filename="../src/ui/dialogs/progress_window.cpp"/>
        <location filename="../src/ui/dialogs/time_slider_dialog.cpp"/>
        <location filename="../src/ui/tools/handle_tools.cpp"/>
        <location filename="../src/ui/tools/slider_form.cpp"/>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/jump_dialog.cpp"/>
        <source>アニメの位置づけ</source>
        <translation>Jump to Frame</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>ﾏｰｼﾞﾝを挿入する</source>
        <translation>Insert margins</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>移動</source>
        <translation>Move</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>移動の設定...</source>
        <translation>Motion settings...</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <source>振幅(%)</source>
        <translation>Amplitude (%)</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <source>コマ数</source>
        <translation>Frames</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/make_anime_dialog.cpp"/>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>表示時間</source>
        <translation>Display time</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>合成するアニメファイルを選択します</source>
        <translation>Choose the animation file to merge</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>ｱﾆﾒの合成</source>
        <translation>Merge Animations</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>合成するｱﾆﾒ</source>
        <translation>Animation to merge</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <location filename="../src/ui/dialogs/midi_tempo_dialog.cpp"/>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>前景にする</source>
        <translation>In front</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>背景にする</source>
        <translation>Behind</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>ｸﾘｯﾌﾟﾎﾞｰﾄﾞからｱﾆﾒを取得する</source>
        <translation>Take the animation from the clipboard</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>位置指定</source>
        <translation>Pick position</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>重なり合い</source>
        <translation>Overlap</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>貼り付ける位置</source>
        <translation>Position</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>x座標</source>
        <translation>x</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>y座標</source>
        <translation>y</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/merge_anime_dialog.cpp"/>
        <source>この画像ﾌｧｲﾙは、色数が多すぎます</source>
        <translation>This picture file has too many colors</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/midi_tempo_dialog.cpp"/>
        <source>MIDIのﾃﾝﾎﾟを調べる</source>
        <translation>MIDI Tempo</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/midi_tempo_dialog.cpp"/>
        <source>MIDIのテンポを調べる</source>
        <translation>Choose a MIDI file</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/midi_tempo_dialog.cpp"/>
        <source>MIDIファイル (*.mid)</source>
        <translation>MIDI files (*.mid)</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/midi_tempo_dialog.cpp"/>
        <location filename="../src/ui/dialogs/time_choice.cpp"/>
        <source>ﾃﾝﾎﾟ(回/分)</source>
        <translation>Tempo (beats/min)</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/midi_tempo_dialog.cpp"/>
        <source>1拍(秒)</source>
        <translation>1 beat (s)</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/midi_tempo_dialog.cpp"/>
        <source>2拍(秒)</source>
        <translation>2 beats (s)</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/midi_tempo_dialog.cpp"/>
        <source>3拍(秒)</source>
        <translation>3 beats (s)</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/midi_tempo_dialog.cpp"/>
        <source>4拍(秒)</source>
        <translation>4 beats (s)</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/midi_tempo_dialog.cpp"/>
        <source>ﾌｧｲﾙ名</source>
        <translation>File name</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/motion_dialogs.cpp"/>
        <source>タイトル</source>
        <translation>Title</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/motion_properties_dialog.cpp"/>
        <source>末端で折り返す</source>
        <translation>Turn back at the end</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/motion_properties_dialog.cpp"/>
        <source>逆順</source>
        <translation>Reverse order</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/motion_properties_dialog.cpp"/>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/motion_properties_dialog.cpp"/>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/motion_properties_dialog.cpp"/>
        <source>移動範囲(%)</source>
        <translation>Range of motion (%)</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/motion_properties_dialog.h"/>
        <source>移動プロパティ</source>
        <translation>Motion Properties</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/motion_properties_dialog.h"/>
        <source>選択した移動定義を削除します。
よろしいですか?</source>
        <translation>The selected motion will be deleted.
Are you sure?</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>複数画像をｱﾆﾒとして開く</source>
        <translation>Open Several Pictures as Animation</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>画像ﾌｧｲﾙﾘｽﾄ</source>
        <translation>Picture files</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>上へ</source>
        <translation>Up</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>下へ</source>
        <translation>Down</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>一辺の長さ</source>
        <translation>Side length</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/multi_picture_dialog.cpp"/>
        <source>追加する画像ファイルを選択します</source>
        <translation>Choose the picture files to add</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>並び替え</source>
        <translation>Sort</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>ｵﾘｼﾞﾅﾙ</source>
        <translation>Original</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>色合い</source>
        <translation>Hue</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <location filename="../src/ui/tools/slider_tools.cpp"/>
        <source>明るさ</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>ﾄﾞｯﾄ数</source>
        <translation>Pixels</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>パレット</source>
        <translation>Palette</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>インディックス</source>
        <translation>Index</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>ドット数</source>
        <translation>Pixels</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>赤</source>
        <translation>Red</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>緑</source>
        <translation>Green</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>青</source>
        <translation>Blue</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>パレットの合体</source>
        <translation>Merge duplicate colors</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/palette_dialog.cpp"/>
        <source>共通パレットを使わない</source>
        <translation>Drop the common palette</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/progress_window.cpp"/>
        <source>経過時間</source>
        <translation>Elapsed</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/progress_window.cpp"/>
        <source>残り時間</source>
        <translation>Remaining</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_confirm_dialog.cpp"/>
        <source>zel - 保存の確認</source>
        <translation>zel - Save Changes</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_confirm_dialog.cpp"/>
        <source>保存する</source>
        <translation>Save</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_confirm_dialog.cpp"/>
        <source>保存しない</source>
        <translation>Don't Save</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_confirm_dialog.cpp"/>
        <source>編集した内容を保存しますか?</source>
        <translation>Save your changes?</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_jpeg_dialog.cpp"/>
        <source>JPEGﾌｧｲﾙ作成</source>
        <translation>Save as JPEG</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_jpeg_dialog.cpp"/>
        <source>JPEGﾌｧｲﾙ名</source>
        <translation>JPEG file name</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_jpeg_dialog.cpp"/>
        <location filename="../src/ui/dialogs/save_webp_dialog.cpp"/>
        <source>品質</source>
        <translation>Quality</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_jpeg_dialog.cpp"/>
        <source>保存するJPEGファイルを選択します</source>
        <translation>Choose the JPEG file to save</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_jpeg_dialog.cpp"/>
        <source>JPEGファイル</source>
        <translation>JPEG files</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_webp_dialog.cpp"/>
        <source>WebPﾌｧｲﾙ作成</source>
        <translation>Create WebP file</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_webp_dialog.cpp"/>
        <source>劣化なし(可逆圧縮)</source>
        <translation>Lossless</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/save_webp_dialog.cpp"/>
        <source>非可逆圧縮</source>
        <translation>Lossy</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_choice.cpp"/>
        <source>1ｺﾏの表示時間</source>
        <translation>Time per frame</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_choice.cpp"/>
        <source>1巡の表示時間</source>
        <translation>Time per cycle</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_choice.cpp"/>
        <source>0.01秒単位</source>
        <translation>In 1/100 s</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <location filename="../src/ui/dialogs/time_slider_dialog.cpp"/>
        <source>ｱﾆﾒの時間調節</source>
        <translation>Animation Timing</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <source>変更</source>
        <translation>Apply</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <source>ｽﾗｲﾀﾞｰ</source>
        <translation>Slider</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <source>全部のコマをまとめて調節するｽﾗｲﾀﾞｰに切り替えます</source>
        <translation>Switch to the slider that adjusts all frames together</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <source>合計</source>
        <translation>Total</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <location filename="../src/ui/dialogs/time_slider_dialog.cpp"/>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <source>無限</source>
        <translation>Forever</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <source>1回のみ</source>
        <translation>Once</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <source>ループ回数</source>
        <translation>Loops</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <source>回</source>
        <translation>times</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_detail_dialog.cpp"/>
        <source>表示時間 (1/100秒)</source>
        <translation>Display time (1/100 s)</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_slider_dialog.cpp"/>
        <source>詳細</source>
        <translation>Details</translation>
    </message>
    <message>
        <location filename="../src/ui/dialogs/time_slider_dialog.cpp"/>
        <source>コマごとの時間調節に切り替えます</source>
        <translation>Switch to timing frame by frame</translation>
    </message>
    <message>
        <location filename="../src/ui/frame_strip.cpp"/>
        <source>コマ一覧</source>
        <translation>Frames</translation>
    </message>
    <message>
        <location filename="../src/ui/main_window.cpp"/>
        <source>汎用ツール</source>
        <translation>Standard toolbar</translation>
    </message>
    <message>
        <location filename="../src/ui/main_window.cpp"/>
        <source>ピクチャーツール</source>
        <translation>Picture toolbar</translation>
    </message>
    <message>
        <location filename="../src/ui/main_window.cpp"/>
        <source>アニメツール</source>
        <translation>Animation toolbar</translation>
    </message>
    <message>
        <location filename="../src/ui/main_window.cpp"/>
        <source>ﾌﾚｰﾑ</source>
        <translation>Frame</translation>
    </message>
    <message>
        <location filename="../src/ui/tools/slider_tools.cpp"/>
        <source>角度</source>
        <translation>Angle</translation>
    </message>
    <message>
        <location filename="../src/ui/tools/slider_tools.cpp"/>
        <source>強さ</source>
        <translation>Strength</translation>
    </message>
    <message>
        <location filename="../src/ui/tools/slider_tools.cpp"/>
        <source>拡大率</source>
        <translation>Scale</translation>
    </message>
    <message>
        <location filename="../src/ui/tools/slider_tools.cpp"/>
        <source>縦横比</source>
        <translation>Aspect</translation>
    </message>
    <message>
        <location filename="../src/ui/tools/slider_tools.cpp"/>
        <source>ｺﾝﾄﾗｽﾄ</source>
        <translation>Contrast</translation>
    </message>
    <message>
        <location filename="../src/ui/tools/slider_tools.cpp"/>
        <source>赤-緑</source>
        <translation>Red-green</translation>
    </message>
    <message>
        <location filename="../src/ui/tools/slider_tools.cpp"/>
        <source>白黒</source>
        <translation>Grayscale</translation>
    </message>
</context>
</TS>
