// What the GUI tests share: the real main window on a fresh session in the program's private
// home, answers for its boxes, small GIF files, and waiting while the window serves events.
#pragma once

#include <gtest/gtest.h>

#include <QEvent>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "document/packed_dib.h"
#include "support/gif_builder.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"

class QWidget;

namespace zel::testing {

// Eight plain colours: black, red, green, blue, yellow, cyan, magenta, white.
extern const std::vector<Rgb> kEightColors;

// Serves the window's events for `ms` milliseconds. Only for "nothing happens in that time";
// a test that expects something waits for it with WaitUntil.
void ProcessEventsFor(int ms);

// Serves the window's events until `done` holds, at most `timeoutMs` milliseconds; whether it
// came to hold. `done` is checked before any event is served.
[[nodiscard]] bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// Pixels of `colorCount` colours that do not compress to nothing, from a generator started at
// `start`.
std::vector<uint8_t> Noise(int width, int height, size_t colorCount, uint32_t start);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);
// Ends `gif` and writes it to `path`; returns `path`.
std::string WriteGif(const std::string& path, GifBuilder& gif);

// A picture's bytes (header, table and pixels); none for an empty one.
std::vector<uint8_t> Bytes(const PackedDib& picture);

// A mouse press, move or release of `button` at `local` on `widget`.
void SendMouse(QWidget* widget, QEvent::Type type, QPoint local, Qt::MouseButton button);

// A fresh session and its main window for each test; the settings of earlier tests are
// removed first. The window's boxes are answered by the test (see HookWindow).
class MainWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void StartWindow();
  // Ends the window and then the session, which writes the settings.
  void StopWindow();
  // Gives the window its answers; by default messages are kept in messages_, yes/no questions
  // are counted and answered with answerYes_, "保存の確認" with saveAnswer_.
  virtual void HookWindow();
  // Messages fail the test at once (for a HookWindow that leaves the questions to the real
  // boxes).
  void FailOnMessages();

  // The private home, and a file in its "files/" folder.
  static std::string Home();
  static std::string File(const std::string& name);
  DocumentState& Doc() { return session_->doc; }
  // The delays of the open animation's frames.
  std::vector<int> Delays();

  // Sizes the window and serves its events until it has laid itself out.
  void Resize(int width, int height);
  // Opens `path`, a file of `frames` frames; an animation is stopped at once.
  void OpenStopped(const std::string& path, int frames);

  std::unique_ptr<EditorSession> session_;
  std::unique_ptr<MainWindow> window_;
  QStringList messages_;
  bool noMessages_ = false;  // any message kept fails the test at its end
  int questions_ = 0;
  QStringList asked_;  // the questions' texts
  bool answerYes_ = true;
  int saveQuestions_ = 0;
  SaveChoice saveAnswer_ = SaveChoice::kDiscard;
};

}  // namespace zel::testing
