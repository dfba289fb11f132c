// The texts of the status-bar panes and which tool bar a document kind shows.
#pragma once

#include <string>

#include "document/document_state.h"

namespace zel {

// Pane 1: the kind label (KindLabel: "ｱﾆﾒ", "ﾌﾚｰﾑ", "GIF", "BMP", "JPEG", "PNG", or " " when
// nothing is open; in English "Anim" and "Frames" for the first two).
std::string StatusKindText(const DocumentState& doc);

// Pane 2: "current/count" (1-based) for an animation, else "INDEX" for an 8-bit picture
// and "TRUE" for any other. Empty while nothing is open: there is no colour mode to show.
std::string StatusFramePaneText(const DocumentState& doc);

// Pane 3: "width,height" of the current picture. Empty while nothing is open.
std::string StatusSizeText(const DocumentState& doc);

// The animation tool bar is shown (and the picture tool bar hidden) for the two animation
// kinds; every other kind, nothing open included, shows the picture tool bar instead.
bool ShowsAnimationToolBar(ImageKind kind);

}  // namespace zel
