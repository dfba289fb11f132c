// The About box: the program title and version, closed by "閉じる".
#pragma once

#include "zel_version.h"

class QWidget;

namespace zel {

// The one version number of the project (CMakeLists.txt), as zel --version prints it.
inline constexpr const char* kProgramVersion = kZelVersion;

void ShowAboutDialog(QWidget* parent);

}  // namespace zel
