// The open and save dialogs of the picture commands. Both are Qt's own (not the desktop's
// native) file dialogs.
#pragma once

#include <QString>
#include <string>
#include <vector>

class QWidget;

namespace zel {

// Asks for an existing file. `path` is the initial path (empty: "無題" in the picture
// folder; a folder: "無題" in it) and receives the choice. `patterns` are separated by ';'
// ("*.jpg;*.bmp"). True when a file was chosen and exists.
bool ShowOpenImageDialog(QWidget* parent, const QString& title, const QString& filterName,
                         const QString& patterns, std::string& path);

// As ShowOpenImageDialog, but several files may be chosen at once; `paths` receives the
// existing ones in the order the dialog gives them. True when at least one was chosen.
bool ShowOpenImagesDialog(QWidget* parent, const QString& title, const QString& filterName,
                          const QString& patterns, const std::string& startPath,
                          std::vector<std::string>& paths);

// Asks for a file name to write; `ext` is forced on the chosen name. No overwrite question:
// the caller decides. True when confirmed.
bool ShowSaveImageDialog(QWidget* parent, const QString& title, const QString& filterName,
                         const QString& patterns, const std::string& ext, std::string& path);

// The Qt name filter of a filter name and ';'-separated patterns: "名前 (*.a *.b)".
QString NameFilter(const QString& filterName, const QString& patterns);

}  // namespace zel
