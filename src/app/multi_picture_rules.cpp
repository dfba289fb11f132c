#include "app/multi_picture_rules.h"

#include <algorithm>
#include <utility>

#include "generators/listed_picture.h"

namespace zel {

AddPictureResult AddPicture(PictureList& list, const std::string& path,
                            PictureSizeReader readSize) {
  if (ClassifyListedName(path) != ListedName::kReadable) return AddPictureResult::kIgnored;
  const std::optional<PictureExtent> size = readSize ? readSize(path) : ReadListedPictureSize(path);
  if (!size || size->width <= 0 || size->height <= 0) return AddPictureResult::kIgnored;
  if (list.paths.empty()) {
    list.size = *size;
    list.paths.push_back(path);
    return AddPictureResult::kAdded;
  }
  if (list.paths.size() >= static_cast<size_t>(kPictureListMax)) return AddPictureResult::kTooMany;
  if (!(*size == list.size)) return AddPictureResult::kSizeDiffers;
  list.paths.push_back(path);
  return AddPictureResult::kAdded;
}

std::vector<AddPictureResult> AddDroppedPictures(PictureList& list,
                                                 const std::vector<std::string>& paths,
                                                 PictureSizeReader readSize) {
  std::vector<AddPictureResult> results;
  results.reserve(paths.size());
  for (const std::string& path : paths) results.push_back(AddPicture(list, path, readSize));
  return results;
}

const char* AddPictureMessage(AddPictureResult result) {
  switch (result) {
    case AddPictureResult::kTooMany:
      return Say(kTooManyPicturesText);
    case AddPictureResult::kSizeDiffers:
      return Say(kPictureSizeDiffersText);
    default:
      return nullptr;
  }
}

bool RemovePicture(PictureList& list, int index) {
  if (index < 0 || static_cast<size_t>(index) >= list.paths.size()) return false;
  list.paths.erase(list.paths.begin() + index);
  return true;
}

bool MovePicture(PictureList& list, int index, int delta) {
  const int target = index + delta;
  const int n = static_cast<int>(list.paths.size());
  if ((delta != -1 && delta != 1) || index < 0 || index >= n || target < 0 || target >= n) {
    return false;
  }
  std::swap(list.paths[static_cast<size_t>(index)], list.paths[static_cast<size_t>(target)]);
  return true;
}

MultiPictureDialogState OpenMultiPictureDialog(const Settings& settings) {
  MultiPictureDialogState state;
  const int item = settings.colorCountIndex - kMultiPictureComboOffset;
  state.comboIndex = item >= 0 && item <= 4 ? item : -1;
  state.side = settings.sideLength;
  return state;
}

void StoreMultiPictureOptions(const MultiPictureDialogState& state, Settings& settings) {
  settings.colorCountIndex =
      state.comboIndex < 0 ? -1 : std::min(state.comboIndex, 4) + kMultiPictureComboOffset;
  settings.sideLength = state.side;
}

SeveralPicturesOptions MultiPictureOptionsOf(const MultiPictureDialogState& state) {
  SeveralPicturesOptions options;
  options.colorCountIndex = std::clamp(state.comboIndex, 0, 4);
  options.side = std::clamp(state.side, kMultiPictureSideMin, kMultiPictureSideMax);
  options.timeValue = std::clamp(state.timeValue, 0, kMultiPictureTimeMax);
  options.perCycle = state.perCycle;
  options.tempo = state.tempo;
  return options;
}

}  // namespace zel
