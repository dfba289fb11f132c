// One private home for the whole GUI test program.
#pragma once

#include <string>

namespace zel::testing {

// HOME and the XDG folders (config, data, runtime) point into one fresh temporary folder,
// set up on the first call: Qt keeps the settings paths it finds first, so every suite of
// the program shares it. The folder also has "files/" for the tests' own files.
const std::string& PrivateHome();

}  // namespace zel::testing
