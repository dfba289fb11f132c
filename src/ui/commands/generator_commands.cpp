// New animations: the picture made into an animation by an effect, and the effects on an
// open animation.
#include <utility>

#include "app/settings.h"
#include "generators/generated_motion.h"
#include "ui/commands/command_executors.h"
#include "ui/dialogs/anime_effect_dialog.h"
#include "ui/dialogs/make_anime_dialog.h"
#include "ui/dialogs/motion_properties_dialog.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"

namespace zel {
namespace {

// After a new animation the picture tool bar gives way to the animation tool bar, and the
// status bar shows the new kind.
void MakeAnimationCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  MotionDialogServices services;
  services.editorPath = session.settings.block.editorPath;
  services.message = [&window](const QString& text) { window.ShowMessageText(text); };
  services.question = [&window](const QString& text) { return window.Ask(text); };
  MotionHooks motion;
  motion.definitionsExist = [&session] { return session.motions.Count() > 0; };
  motion.selectedTitle = [&session] {
    return QString::fromStdString(session.motions.SelectedTitle());
  };
  motion.openProperties = [&session, &services](QWidget* parent) {
    RunMotionProperties(parent, session.motions, services);
  };
  motion.preparation = MotionAlongSelected(session.motions);
  MakeAnimeDialog dialog(session.doc, session.settings.block, session.settings.highQualityColors,
                         std::move(motion), &window);
  if (window.message) dialog.message = window.message;
  dialog.exec();
}

void EffectCommand(MainWindow& window, CommandId) {
  EditorSession& session = window.Session();
  AnimeEffectDialog dialog(session.doc, session.settings.block, &window);
  if (window.message) dialog.message = window.message;
  dialog.exec();
}

}  // namespace

const std::vector<CommandExecutor>& GeneratorExecutors() {
  static const std::vector<CommandExecutor> rows = {
      {kCmdMakeAnimation, MakeAnimationCommand},
      {kCmdEffect, EffectCommand},
  };
  return rows;
}

}  // namespace zel
