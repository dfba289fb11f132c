// When the open document can be saved in each format: the rules the save commands of the
// editor and zel-cli share.
#pragma once

#include "document/document_state.h"

namespace zel {

// Any open picture or animation.
bool IsDocumentOpen(const DocumentState& doc);
// GIF: an open document of 8 bits per pixel.
bool CanSaveAsGif(const DocumentState& doc);
// Bitmap (a BMP picture, or a frame bitmap for an animation): any open document.
bool CanSaveAsBitmap(const DocumentState& doc);
// JPEG: an open document of 24 bits per pixel.
bool CanSaveAsJpeg(const DocumentState& doc);
// Icon: a single 8-bit picture of 32 x 32 pixels.
bool CanMakeIcon(const DocumentState& doc);

}  // namespace zel
