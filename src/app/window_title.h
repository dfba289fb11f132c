// The main window's title: the document's file name, a marker while it has unsaved changes,
// and the program's name.
#pragma once

#include <string>

#include "document/document_state.h"
#include "resources/words.h"

namespace zel {

inline constexpr Words kUntitledTitle{"無題", "Untitled"};
inline constexpr char kApplicationTitle[] = "Zel";
// Follows the name while the document has changes that are not saved (the same state the
// question on closing asks about).
inline constexpr char kModifiedMarker[] = "*";
// The title of an animation made from several files until it is saved: it has no name of
// its own, and it always counts as unsaved.
inline constexpr Words kGeneratedUntitledTitle{"無題 - zel", "Untitled - zel"};

// "name - Zel" with the file name of the document's path ("無題" without one), and the
// marker right after the name while the document has unsaved changes: "name* - Zel"; an untitled
// document made from several files shows kGeneratedUntitledTitle.
std::string MainWindowTitle(const DocumentState& doc);

}  // namespace zel
