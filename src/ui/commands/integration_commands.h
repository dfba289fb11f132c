// What the integration commands keep between runs in the editor: the edit in the paint
// program while the editor waits for it, the MIDI tempo window, Morsel's readiness and the
// ways out to the desktop (tests replace them).
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "integration/browser_preview.h"
#include "integration/external_edit.h"
#include "integration/sibling_programs.h"

class QTimer;

namespace zel {

class EditWaitDialog;
class MainWindow;
class MidiTempoDialog;

class IntegrationState : public QObject {
  Q_OBJECT

 public:
  explicit IntegrationState(MainWindow& window);
  ~IntegrationState() override;

  // --- the desktop, replaceable by tests ---
  PageOpener openPage = OpenPageWithDesktop;  // the browser
  ProgramStarter startProgram;                // Vanta's program (StartDetached when empty)
  // Vanta's program file; looked up once for the run unless a test sets it.
  std::function<std::string()> vantaProgram = [] { return VantaProgramPath(); };
  SiblingChannel siblings = SystemSiblingChannel();
  // Where the paint program is looked up when none is set (the default BMP application).
  std::function<DesktopEnvironment()> desktop = SystemDesktop;

  bool VantaAvailable() const { return !vantaProgram().empty(); }
  // What the last Vanta and Morsel commands did (failures of Vanta's are not shown).
  VantaRoute lastVantaRoute = VantaRoute::kNothing;
  MorselOutcome lastMorselOutcome;
  // From the cache; never waits.
  bool MorselReady();

  // The external edit: starts it (false when nothing was started; a failure worth telling
  // has been shown), and abandons a running one (the window closes).
  bool StartEdit();
  bool Editing() const { return edit_ != nullptr; }
  void AbandonEdit();
  EditWaitDialog* WaitDialog() const;
  // One tick of the wait at once, for tests that do not want to wait a second.
  void TickEdit();

  // The MIDI tempo window, opened once.
  MidiTempoDialog* ShowMidiTempo();
  MidiTempoDialog* MidiTempo() const;

 private:
  void EndEdit(EditWaitState end);

  MainWindow& window_;
  std::unique_ptr<ExternalEdit> edit_;
  QTimer* editTimer_ = nullptr;
  QPointer<EditWaitDialog> waitDialog_;
  bool waitDialogClosed_ = false;
  bool quitRequested_ = false;
  QPointer<MidiTempoDialog> midiTempo_;
  std::unique_ptr<MorselReadiness> morsel_;
};

// After a GIF was saved: shows it in the browser when the settings ask for it.
void ShowSavedGifInBrowser(MainWindow& window, const std::string& path);

}  // namespace zel
