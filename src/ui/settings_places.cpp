#include "ui/settings_places.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <vector>

#include "app/command_ids.h"
#include "app/recent_files.h"
#include "platform/folders.h"
#include "platform/profile_file.h"

namespace zel {
namespace {

constexpr qint64 kMaxOldFileSize = 1 << 20;

}  // namespace

std::string OldRecentFilesPath() {
  return ConfigHome() + "/Zel/zel.conf";
}

bool MoveOldRecentFiles(ProfileFile& profile) {
  const QString oldPath = QString::fromStdString(OldRecentFilesPath());
  const QFileInfo info(oldPath);
  // Four names fit in far less; a larger file is not the list and stays unread.
  if (!info.isFile() || info.size() > kMaxOldFileSize) return false;
  std::vector<std::string> old;
  {
    QSettings store(oldPath, QSettings::IniFormat);
    store.beginGroup(QStringLiteral("Recent File List"));
    for (int place = 1; place <= kRecentFileCount; ++place) {
      const QString path = store.value(QStringLiteral("File%1").arg(place)).toString();
      if (!path.isEmpty()) old.push_back(path.toStdString());
    }
  }
  AdoptOldRecentFiles(old, profile);
  // The old file goes only once what it held is safely in zel.ini.
  if (!profile.Save() || !QFile::remove(oldPath)) return false;
  QDir().rmdir(QFileInfo(oldPath).absolutePath());  // only when empty
  return true;
}

void KeepQtSettingsIn(const std::string& settingsFolder) {
  QString folder = QString::fromStdString(settingsFolder);
  while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

}  // namespace zel
