#include "ui/window_memory.h"

#include <QGuiApplication>
#include <QScreen>
#include <QToolBar>
#include <vector>

#include "app/window_layout.h"
#include "platform/profile_file.h"
#include "ui/main_window.h"
#include "ui/tools/tool_host.h"

namespace zel {
namespace {

QByteArray Bytes(const std::vector<uint8_t>& record) {
  return QByteArray(reinterpret_cast<const char*>(record.data()),
                    static_cast<qsizetype>(record.size()));
}

std::vector<uint8_t> Record(const QByteArray& bytes) {
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

ScreenRect ToScreenRect(const QRect& rect) {
  return {rect.x(), rect.y(), rect.width(), rect.height()};
}

// The usable areas of the screens, the primary one first.
std::vector<ScreenRect> ScreenAreas() {
  std::vector<ScreenRect> areas;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary) areas.push_back(ToScreenRect(primary->availableGeometry()));
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen != primary) areas.push_back(ToScreenRect(screen->availableGeometry()));
  }
  return areas;
}

}  // namespace

void RestoreWindowLayout(MainWindow& window, const ProfileFile& profile) {
  const WindowLayout layout = LoadWindowLayout(profile);
  if (!layout.geometry.empty() && window.restoreGeometry(Bytes(layout.geometry))) {
    const ScreenRect now = ToScreenRect(window.geometry());
    const ScreenRect placed = KeepOnScreen(now, ScreenAreas());
    if (!(placed == now)) window.setGeometry(placed.x, placed.y, placed.width, placed.height);
  }
  if (!layout.state.empty()) window.restoreState(Bytes(layout.state));
  // Which of these two shows follows the document, and there is none yet.
  window.PictureBar()->hide();
  window.AnimationBar()->hide();
}

void RememberWindowLayout(MainWindow& window, ProfileFile& profile) {
  WindowLayout layout;
  layout.geometry = Record(window.saveGeometry());
  if (!window.Tools().Active()) layout.state = Record(window.saveState());
  StoreWindowLayout(layout, profile);
}

}  // namespace zel
