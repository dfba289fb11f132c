// The colour-resolution command: the toggle from index colour back to full colour, the
// rules of its dialog "インディックスカラーに変更" and the installing of a conversion.
#pragma once

#include <cstdint>
#include <optional>

#include "app/settings.h"
#include "color/index_color.h"
#include "document/document_state.h"
#include "document/outcome.h"
#include "resources/words.h"

namespace zel {

inline constexpr Words kIndexConversionFailedText{"インディックスカラー変換に失敗しました",
                                                  "The conversion to index colours failed"};

// Control ids of the dialog.
enum ChangeColorControl : int {
  kChangeColorCreate = 1,
  kChangeColorClose = 2,
  kChangeColorBrowse = 1000,
  kChangeColorReferencePath = 1004,
  kChangeColorNoDiffusion = 1007,
  kChangeColorPureIndex = 1008,
  kChangeColorCount = 1010,
  kChangeColorTransparency = 1015,
  kChangeColorReferenceLabel = 1016,
  kChangeColorPaletteReference = 1018,
  kChangeColorHighQuality = 1019,
};

// The dialog's controls: selections, ticks and which controls are enabled.
struct ChangeColorDialogState {
  int colorCountIndex = 7;         // combo 1010
  int transparentCorner = 0;       // combo 1015
  bool noDiffusion = false;        // 1007
  bool pureIndex = false;          // 1008
  bool paletteReference = false;   // 1018
  bool colorCountEnabled = true;   // 1010
  bool noDiffusionEnabled = true;  // 1007
  bool pureIndexEnabled = true;    // 1008
  bool referenceEnabled = false;   // 1016, 1004 and 1000
  bool highQuality = false;        // 1019 "高画質": libimagequant instead of the own quantizer
};

// The opening state: the kept choices (clamped to the combo ranges) and, when `current`
// can keep every colour, pure index ticked with 1010 and 1007 disabled; else 1008 disabled.
// 1019 shows the kept high-quality choice.
ChangeColorDialogState OpenChangeColorDialog(const Settings& settings, const PackedDib& current,
                                             bool highQuality = false);
// Ticking or unticking 1008 and 1018.
void SetPureIndex(ChangeColorDialogState& state, bool ticked);
void SetPaletteReference(ChangeColorDialogState& state, bool ticked);
// Whether the control `id` is enabled (controls without a rule are always enabled). 1019
// is enabled only for a computed palette: not for pure index, not for the palette reference.
bool IsChangeColorControlEnabled(const ChangeColorDialogState& state, int id);

// "作成" first stores the selections as the kept choices (clamped to 0..7 and 0..4) and the
// flag of 1007 as kOptionNoDiffusion.
void StoreColorChoices(const ChangeColorDialogState& state, Settings& settings);
// The kept choices of the settings, clamped.
ColorChoices KeptColorChoices(const Settings& settings);

// What "作成" runs after storing the choices.
enum class ChangeColorAction { kPureIndex, kPaletteReference, kIndexColor };
ChangeColorAction CreateAction(const ChangeColorDialogState& state);
// The pure-index or index-colour conversion of the document's current picture with the
// kept choices (the palette reference is the caller's), through the high-quality reduction
// when `highQuality` is set. Nullopt on failure: show kIndexConversionFailedText and keep
// the dialog open.
std::optional<IndexConversion> RunColorConversion(const DocumentState& doc,
                                                  const Settings& settings, bool pureIndex,
                                                  bool highQuality = false);

// The command on an 8-bit current picture: one edit of the colours class that installs a
// full-colour copy with no transparent index. Nothing done when the picture is not 8-bit
// (the caller then opens the dialog), failed with kMsgNoMemory when the copy fails; unless
// done, the document and its undo history are as they were.
Outcome ToggleToFullColor(DocumentState& doc);
// Installs a successful conversion as one edit of the colours class: transparent index,
// current picture. Failed with kMsgNoMemory (nothing changed) when the picture cannot be
// shown.
Outcome InstallIndexConversion(DocumentState& doc, IndexConversion conversion);

}  // namespace zel
