// Decisions of start-up, shutdown and the settings dialog that need no window: the file
// named on the command line, the quick animated-GIF test, the save confirmation on close
// and the values the settings dialog stores.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "document/document_state.h"
#include "resources/words.h"

namespace zel {

// Message texts of the settings dialog and of start-up.
inline constexpr Words kFrameMaxChangedMessage{
    "フレーム最大値が変更されました.\n直ちにZelを終了してください.\n変更は次回から有効になります.",
    "The frame maximum was changed.\nPlease quit Zel now.\nThe change takes effect from the next "
    "start."};
inline constexpr Words kSecondInstanceMessage{"二重起動はできません.",
                                              "Zel is already running; it cannot run twice."};
// The settings dialog's browse button: its dialog title, filter name and proposed file.
inline constexpr Words kEditorBrowseTitle{"画像を編集するソフトウェアを設定する",
                                          "Set the program that edits pictures"};
inline constexpr Words kEditorBrowseFilter{"実行ファイル", "Programs"};
inline constexpr Words kEditorBrowseProposal{"無題.exe", "Untitled.exe"};
// Longest external editor path the settings dialog takes, in characters.
constexpr size_t kEditorPathMaxChars = 256;
// Longest file name taken from an unquoted command line, in bytes.
constexpr size_t kCommandLineNameMax = 255;

// The program arguments as one command line: joined by spaces, an argument containing a
// space or tab wrapped in double quotes.
std::string JoinCommandLine(const std::vector<std::string>& args);

// The file named on the command line. None without a full stop. When a double quote
// follows the last full stop, the name ends there and begins after the last double quote
// before it (none without one); otherwise the whole line is the name, cut to 255 bytes.
std::optional<std::string> CommandLineFileName(const std::string& commandLine);

// The quick test that a command-line file is an animated GIF: the name's extension starts
// with 'g' or 'G'; the file is at least 1024 bytes and starts with "GIF"; from byte 13,
// after the global colour table, only extensions follow until a NETSCAPE2.0 looping block,
// all within the first 1024 bytes.
bool IsQuickAnimatedGif(const std::string& path);
// The same test over a file's first bytes (the extension is not looked at).
bool IsQuickAnimatedGifHead(const uint8_t* data, size_t size);

// Whether closing the window, or opening another file, asks to save: an open document whose
// revision is not the one last opened or saved. An undo back to that state, or a document
// replaced by another without an edit, asks nothing.
bool NeedsSaveConfirmation(const DocumentState& doc);

// The frame maximum typed in the settings dialog: below 16 becomes 256, above 10000 becomes
// 10000.
int ClampFrameMaxSetting(int typed);
// The dialog's frame-maximum text read as a signed integer: surrounding spaces allowed; an
// empty, malformed or out-of-range text reads as 0.
int DialogTextToInt(const std::string& text);

// The settings dialog's OK: stores the editor path (cut to 256 characters), the two browser
// options and the clamped frame maximum. True when the frame maximum changed, so that the
// restart message must be shown.
bool ApplyDefineDialog(Settings& settings, const std::string& editorPath, bool showAfterGifSave,
                       bool browserBackground, int typedFrameMax);

// Where the editor browse dialog starts: the editor path, or "無題.exe" in the program
// folder when the path is empty.
std::string DefineBrowseInitialPath(const std::string& editorPath,
                                    const std::string& programFolder);

}  // namespace zel
