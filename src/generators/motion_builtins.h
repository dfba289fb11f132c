// The eight motion paths the program brings along, drawn here on 96 x 96 one-bit bitmaps,
// and the blank bitmap a new definition starts from.
#pragma once

#include <string>

#include "document/packed_dib.h"
#include "resources/language.h"

namespace zel {

constexpr int kBuiltinMotionCount = 8;
constexpr int kMotionBitmapSide = 96;

struct BuiltinMotion {
  const char* title;     // the program's own name, kept in its record
  const char* english;   // the name shown in English
  const char* alias;     // the plain name zel-cli also accepts
  const char* fileName;  // the bitmap in the data folder; the path file is beside it
};

// 0 八の字移動 (figure eight), 1 斜め (diagonal), 2 ボックス (box), 3 枯葉 (falling leaf),
// 4 水平 (horizontal line on row 47), 5 垂直 (vertical line on column 48), 6 とんぼ返り
// (somersault), 7 円 (circle).
const BuiltinMotion& BuiltinMotionAt(int index);

// The built-in path a record's title or a name names: its title in either language (English
// in any ASCII case) or, with `aliasToo`, its plain name; -1 for any other text.
int BuiltinMotionNamed(const std::string& name, bool aliasToo);

// A title as the lists show it: a built-in's title (kept in either language) in the current
// language; any other title as it is.
std::string ShownMotionTitle(const std::string& title);

// The drawing of built-in path `index`: black ink (entry 0) on white (entry 1). Null for an
// index outside 0..7 or when memory is short.
PackedDib DrawBuiltinMotion(int index);

// A 96 x 96 one-bit bitmap, all white.
PackedDib BlankMotionBitmap();

}  // namespace zel
