#include "app/change_color.h"

#include <algorithm>

#include "color/quality_quantizer.h"
#include "document/edit_transaction.h"

namespace zel {

namespace {

// Installs `picture` as one edit of the colours class, its display copy made first, so
// that a picture the display cannot show leaves the document and the undo history as they
// were.
Outcome InstallColours(DocumentState& doc, PackedDib picture, int32_t transparentIndex) {
  if (!picture || !doc.frameSet) return Outcome::Failed(kMsgNoMemory);
  PackedDib display;
  if (!doc.trueColorDisplay) {
    display = MakePaletteDisplayCopy(picture);
    if (!display) return Outcome::Failed(kMsgNoMemory);
  }
  EditTransaction edit(doc, kUndoColors);
  return edit.Commit([&] {
    if (!SetCurrentPicture(doc, std::move(picture), std::move(display))) return false;
    doc.frameSet->transparentIndex = transparentIndex;
    return true;
  });
}

}  // namespace

ChangeColorDialogState OpenChangeColorDialog(const Settings& settings, const PackedDib& current,
                                             bool highQuality) {
  ChangeColorDialogState state;
  state.highQuality = highQuality;
  ColorChoices kept = KeptColorChoices(settings);
  state.colorCountIndex = kept.colorCountIndex;
  state.transparentCorner = kept.transparentCorner;
  state.noDiffusion = kept.noDiffusion;
  if (IsPureIndexPossible(current)) {
    state.pureIndex = true;
    state.colorCountEnabled = false;
    state.noDiffusionEnabled = false;
  } else {
    state.pureIndexEnabled = false;
  }
  state.referenceEnabled = false;
  return state;
}

void SetPureIndex(ChangeColorDialogState& state, bool ticked) {
  state.pureIndex = ticked;
  state.colorCountEnabled = !ticked;
  state.noDiffusionEnabled = !ticked;
  if (ticked) {
    state.paletteReference = false;
    state.referenceEnabled = false;
  }
}

void SetPaletteReference(ChangeColorDialogState& state, bool ticked) {
  state.paletteReference = ticked;
  state.referenceEnabled = ticked;
  if (ticked) {
    state.pureIndex = false;
    state.colorCountEnabled = true;
    state.noDiffusionEnabled = true;
  }
}

bool IsChangeColorControlEnabled(const ChangeColorDialogState& state, int id) {
  switch (id) {
    case kChangeColorCount:
      return state.colorCountEnabled;
    case kChangeColorHighQuality:
      return state.colorCountEnabled && !state.paletteReference;
    case kChangeColorNoDiffusion:
      return state.noDiffusionEnabled;
    case kChangeColorPureIndex:
      return state.pureIndexEnabled;
    case kChangeColorReferenceLabel:
    case kChangeColorReferencePath:
    case kChangeColorBrowse:
      return state.referenceEnabled;
    default:
      return true;
  }
}

void StoreColorChoices(const ChangeColorDialogState& state, Settings& settings) {
  settings.colorCountIndex = std::clamp(state.colorCountIndex, 0, 7);
  settings.transparentCorner = std::clamp(state.transparentCorner, 0, 4);
  if (state.noDiffusion) {
    settings.options |= kOptionNoDiffusion;
  } else {
    settings.options &= ~static_cast<uint32_t>(kOptionNoDiffusion);
  }
}

ColorChoices KeptColorChoices(const Settings& settings) {
  return ColorChoices{std::clamp(settings.colorCountIndex, 0, 7),
                      std::clamp(settings.transparentCorner, 0, 4),
                      (settings.options & kOptionNoDiffusion) != 0};
}

ChangeColorAction CreateAction(const ChangeColorDialogState& state) {
  if (state.pureIndex) return ChangeColorAction::kPureIndex;
  if (state.paletteReference) return ChangeColorAction::kPaletteReference;
  return ChangeColorAction::kIndexColor;
}

std::optional<IndexConversion> RunColorConversion(const DocumentState& doc,
                                                  const Settings& settings, bool pureIndex,
                                                  bool highQuality) {
  ColorChoices choices = KeptColorChoices(settings);
  if (pureIndex) {
    return ConvertToPureIndex(doc.currentPicture, choices.transparentCorner, doc.backgroundColor);
  }
  if (highQuality) {
    return QualityConvertToIndexColor(doc.currentPicture, choices, doc.backgroundColor);
  }
  return ConvertToIndexColor(doc.currentPicture, choices, doc.backgroundColor);
}

Outcome ToggleToFullColor(DocumentState& doc) {
  if (!doc.currentPicture || doc.currentPicture.size() < kDibHeaderSize ||
      doc.currentPicture.Header().bitCount != 8) {
    return Outcome::NothingDone();
  }
  PackedDib full = ConvertToFullColor(doc.currentPicture);
  if (!full) return Outcome::Failed(kMsgNoMemory);
  return InstallColours(doc, std::move(full), -1);
}

Outcome InstallIndexConversion(DocumentState& doc, IndexConversion conversion) {
  return InstallColours(doc, std::move(conversion.picture), conversion.transparentIndex);
}

}  // namespace zel
