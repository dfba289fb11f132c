#include "ui/dialogs/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "imagefiles/file_names.h"
#include "platform/folders.h"

namespace zel {
namespace {

// Splits "/folder/name" into the folder the dialog opens in and the proposed name.
void PresetPath(QFileDialog& dialog, const std::string& initialPath) {
  QString path = QString::fromStdString(initialPath);
  int slash = path.lastIndexOf(QLatin1Char('/'));
  if (slash >= 0) {
    dialog.setDirectory(slash == 0 ? QStringLiteral("/") : path.left(slash));
    dialog.selectFile(path.mid(slash + 1));
  } else {
    dialog.selectFile(path);
  }
}

void Prepare(QFileDialog& dialog, const QString& filterName, const QString& patterns) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setNameFilter(NameFilter(filterName, patterns));
}

}  // namespace

QString NameFilter(const QString& filterName, const QString& patterns) {
  QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
  for (QString& p : list) p = p.trimmed();
  return filterName + QStringLiteral(" (") + list.join(QLatin1Char(' ')) + QStringLiteral(")");
}

bool ShowOpenImageDialog(QWidget* parent, const QString& title, const QString& filterName,
                         const QString& patterns, std::string& path) {
  QFileDialog dialog(parent, title);
  Prepare(dialog, filterName, patterns);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  PresetPath(dialog, OpenDialogInitialPath(path, PicturesFolder()));
  if (dialog.exec() != QDialog::Accepted) return false;
  QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  QFileInfo info(chosen.first());
  if (!info.exists() || info.isDir()) return false;
  path = chosen.first().toStdString();
  return true;
}

bool ShowOpenImagesDialog(QWidget* parent, const QString& title, const QString& filterName,
                          const QString& patterns, const std::string& startPath,
                          std::vector<std::string>& paths) {
  QFileDialog dialog(parent, title);
  Prepare(dialog, filterName, patterns);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  PresetPath(dialog, OpenDialogInitialPath(startPath, PicturesFolder()));
  if (dialog.exec() != QDialog::Accepted) return false;
  paths.clear();
  for (const QString& chosen : dialog.selectedFiles()) {
    QFileInfo info(chosen);
    if (info.exists() && !info.isDir()) paths.push_back(chosen.toStdString());
  }
  return !paths.empty();
}

bool ShowSaveImageDialog(QWidget* parent, const QString& title, const QString& filterName,
                         const QString& patterns, const std::string& ext, std::string& path) {
  QFileDialog dialog(parent, title);
  Prepare(dialog, filterName, patterns);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  PresetPath(dialog, SaveDialogInitialPath(path, ext, PicturesFolder()));
  if (dialog.exec() != QDialog::Accepted) return false;
  QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  // The folder must exist; the file itself is the caller's business.
  if (!QFileInfo(QFileInfo(chosen.first()).absolutePath()).isDir()) return false;
  path = ForceExtension(chosen.first().toStdString(), ext);
  return true;
}

}  // namespace zel
