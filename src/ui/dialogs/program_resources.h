// The artwork compiled into the program (resources/resources.qrc): the tool-bar drawings
// ":/icons/cmd-<id>.svg". The resources live in a static library, so they are registered
// here explicitly; every user of the artwork goes through these functions.
#pragma once

#include <QIcon>
#include <QString>

namespace zel {

// Registers the compiled-in resources once; later calls do nothing.
void LoadProgramResources();

// ":/icons/cmd-<id>.svg".
QString CommandIconPath(int commandId);
// The program's own drawing of a tool-bar command (a null icon for a command without one).
QIcon CommandIcon(int commandId);

}  // namespace zel
