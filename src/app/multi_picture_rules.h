// The rules of "複数画像をｱﾆﾒとして開く": the file list ("追加", drops, "削除", moving up and
// down), what the controls show on opening, and how "作成" stores them and turns them into
// the generator's options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "generators/picture_normalisation.h"
#include "generators/several_pictures.h"
#include "resources/words.h"

namespace zel {

inline constexpr int kPictureListMax = 40;

inline constexpr Words kTooManyPicturesText{"40個以上の画像は、登録できません.",
                                            "No more than 40 pictures can be listed."};
inline constexpr Words kPictureSizeDiffersText{
    "画像の幅、高さが異なる画像は、登録できません.",
    "A picture of another width or height than the others cannot be listed."};

// The listed files, one frame each in list order, and the size of the first file added to
// the empty list that every later file must have.
struct PictureList {
  std::vector<std::string> paths;
  PictureExtent size;
};

enum class AddPictureResult {
  kAdded,
  kIgnored,      // not a picture the program reads, or its size cannot be read: nothing said
  kTooMany,      // kTooManyPicturesText
  kSizeDiffers,  // kPictureSizeDiffersText
};

// How the list reads a file's size; the default reads the file's headers.
using PictureSizeReader = std::optional<PictureExtent> (*)(const std::string& path);

// "追加" of one file: the extension's first letter must be b, g, j or p (any case), the size
// must be readable; the first file of an empty list sets the size; a list of 40 refuses
// more; a file of another size is refused.
AddPictureResult AddPicture(PictureList& list, const std::string& path,
                            PictureSizeReader readSize = nullptr);
// Files dropped onto the list, in drop order, each as "追加"; the result of each.
std::vector<AddPictureResult> AddDroppedPictures(PictureList& list,
                                                 const std::vector<std::string>& paths,
                                                 PictureSizeReader readSize = nullptr);
// The message of a refusal; nullptr for kAdded and kIgnored.
const char* AddPictureMessage(AddPictureResult result);

// "削除": false (nothing changes) when `index` is not a listed row.
bool RemovePicture(PictureList& list, int index);
// Moves row `index` one up (delta -1) or down (+1); false when it cannot move.
bool MovePicture(PictureList& list, int index, int delta);

// Combo 1010 lists "16色" ... "256色" (index 0..4); the stored colour count has the meaning
// of "アニメ作成" (0..7 for 2..256 colours), so item i is stored i + 3.
inline constexpr int kMultiPictureComboOffset = 3;
inline constexpr int kMultiPictureSideMin = kSideMin;
inline constexpr int kMultiPictureSideMax = kSideMax;
inline constexpr int kMultiPictureTimeMax = kSeveralTimeMax;
inline constexpr int kMultiPictureTimeStart = 100;

struct MultiPictureDialogState {
  int comboIndex = -1;  // -1: no item selected
  int side = 100;       // spin 1008
  int timeValue = kMultiPictureTimeStart;
  bool perCycle = false;  // radio 1028 (else 1027)
  bool tempo = false;     // radio 1030 (else 1029)
};

// On opening: the item of the stored colour count (none when it lies outside 3..7), the
// stored side, time 100 per frame in hundredths.
MultiPictureDialogState OpenMultiPictureDialog(const Settings& settings);
// "作成": the colour count (-1 with no item selected, else item + 3) and the side, as they
// are, into the settings.
void StoreMultiPictureOptions(const MultiPictureDialogState& state, Settings& settings);
// The generator's options: no item counts as item 0, the side and time within their ranges.
SeveralPicturesOptions MultiPictureOptionsOf(const MultiPictureDialogState& state);

}  // namespace zel
