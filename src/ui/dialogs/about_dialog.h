// The About box: the program title and version, closed by "閉じる".
#pragma once

class QWidget;

namespace zel {

inline constexpr const char* kProgramVersion = "2.04";

void ShowAboutDialog(QWidget* parent);

}  // namespace zel
