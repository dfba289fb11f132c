#include "ui/dialogs/program_resources.h"

#include <QFile>

// Q_INIT_RESOURCE names a function in the global namespace.
static void RegisterCompiledResources() {
  Q_INIT_RESOURCE(resources);
}

namespace zel {
namespace {

// Registered at start-up too, so that code using the ":/" paths directly finds them.
const bool kRegisteredAtStart = (LoadProgramResources(), true);

}  // namespace

void LoadProgramResources() {
  static const bool loaded = (RegisterCompiledResources(), true);
  (void)loaded;
}

QString CommandIconPath(int commandId) {
  return QStringLiteral(":/icons/cmd-%1.svg").arg(commandId);
}

QIcon CommandIcon(int commandId) {
  LoadProgramResources();
  QString path = CommandIconPath(commandId);
  return QFile::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace zel
