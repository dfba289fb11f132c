// The main window's title: the document's file name, a marker while it has unsaved changes,
// and the program's name.
#pragma once

#include <string>

#include "document/document_state.h"

namespace zel {

inline constexpr char kUntitledTitle[] = "無題";
inline constexpr char kApplicationTitle[] = "Zel";
// Follows the name while the document has changes that are not saved (the same state the
// question on closing asks about).
inline constexpr char kModifiedMarker[] = "*";

// "name - Zel" with the file name of the document's path ("無題" without one), and the
// marker right after the name while unsavedChanges is set: "name* - Zel".
std::string MainWindowTitle(const DocumentState& doc);

}  // namespace zel
