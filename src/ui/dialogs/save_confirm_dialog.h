// "zel - 保存の確認", asked when the main window closes with unsaved work.
#pragma once

class QWidget;

namespace zel {

enum class SaveChoice {
  kSave,     // "保存する"
  kDiscard,  // "保存しない"
  kCancel,   // Escape or the close box: the window stays open
};

SaveChoice AskSaveBeforeClose(QWidget* parent);

}  // namespace zel
