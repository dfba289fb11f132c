// The background-colour chooser: Qt's colour dialog over COLORREF values (0x00BBGGRR).
#pragma once

#include <array>
#include <cstdint>

class QColor;
class QWidget;

namespace zel {

QColor ColorFromColorRef(uint32_t colorref);
uint32_t ColorRefFromColor(const QColor& color);

// Opens the chooser with `colorref` selected and the 16 custom colours loaded. On OK the
// chosen colour goes to `colorref`, the custom colours as left by the user to
// `customColors`, and the result is true; on cancel nothing changes.
bool ChooseBackgroundColor(QWidget* parent, uint32_t& colorref,
                           std::array<uint32_t, 16>& customColors);

}  // namespace zel
