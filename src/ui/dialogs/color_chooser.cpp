#include "ui/dialogs/color_chooser.h"

#include <QColor>
#include <QColorDialog>

namespace zel {

QColor ColorFromColorRef(uint32_t colorref) {
  return QColor(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

uint32_t ColorRefFromColor(const QColor& color) {
  return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
         (static_cast<uint32_t>(color.blue()) << 16);
}

bool ChooseBackgroundColor(QWidget* parent, uint32_t& colorref,
                           std::array<uint32_t, 16>& customColors) {
  // The dialog keeps its custom colours per application; load ours and restore the old
  // ones when the user cancels, so that only OK changes anything.
  std::array<QColor, 16> previous;
  for (int i = 0; i < 16; ++i) {
    previous[i] = QColorDialog::customColor(i);
    QColorDialog::setCustomColor(i, ColorFromColorRef(customColors[i]));
  }
  QColorDialog dialog(ColorFromColorRef(colorref), parent);
  dialog.setOption(QColorDialog::DontUseNativeDialog, true);
  if (dialog.exec() != QDialog::Accepted) {
    for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, previous[i]);
    return false;
  }
  colorref = ColorRefFromColor(dialog.selectedColor());
  for (int i = 0; i < 16; ++i) customColors[i] = ColorRefFromColor(QColorDialog::customColor(i));
  return true;
}

}  // namespace zel
