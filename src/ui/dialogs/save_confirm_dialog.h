// "zel - 保存の確認", asked when the main window closes with unsaved work.
#pragma once

class QWidget;

namespace zel {

// True when the user chose "保存する"; "保存しない" and closing the box give false.
bool AskSaveBeforeClose(QWidget* parent);

}  // namespace zel
