// Reading what zel-cli wrote the way the editor opens a file, to compare documents.
#pragma once

#include <memory>
#include <string>

#include "document/document_state.h"

namespace zel::clitest {

// The document the editor makes of `path`, with room for the highest frame maximum. A file
// that does not open fails the test (the document is then empty).
std::unique_ptr<DocumentState> Load(const std::string& path);

}  // namespace zel::clitest
