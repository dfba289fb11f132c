// Handing the work to the two sibling programs: Vanta takes animations, Morsel takes
// pictures and animations. Both are reached over the same local-socket messages as this
// editor's own channel, each at a socket named after its window title in the user's
// instance folder.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "document/document_state.h"
#include "platform/progress.h"
#include "resources/words.h"

namespace zel {

inline constexpr char kVantaTitle[] = "Vanta Maker";
inline constexpr char kMorselTitle[] = "Morsel TSR";
inline constexpr char kVantaProgramName[] = "vantamaker";
inline constexpr char kVantaHandOverName[] = "$vanta.gif";

// The messages: identification (answered with 74), a data hand-over whose wParam is the
// data identifier, and Morsel's notifications.
inline constexpr uint32_t kSiblingIdentify = 1098;
inline constexpr uint32_t kSiblingIdentifyAnswer = 74;
inline constexpr uint32_t kSiblingCopyData = 0x004A;
inline constexpr uint32_t kSiblingPictureData = 74;
inline constexpr uint32_t kMorselNotify = 1061;       // wParam: the exchange type
inline constexpr uint32_t kMorselNotifyImage = 1103;  // for type 4
inline constexpr uint32_t kMorselReadyQuery = 1;      // wParam of 1061 that asks for readiness

// The progress window's caption while a GIF file for Morsel is written.
inline constexpr Words kMorselProgressCaption{"GIFﾌｧｲﾙの作成", "Making the GIF file"};

// Morsel's exchange files by type: "$morsel.jpg", "$morsel.gif", "$morsel.bmp",
// "$morsel.txt", "$image.bmp"; null for other types.
enum MorselType : int {
  kMorselJpeg = 0,
  kMorselGif = 1,
  kMorselBmp = 2,
  kMorselText = 3,
  kMorselImage = 4
};
const char* MorselExchangeName(int type);

// "Vanta Maker" → "vanta-maker.sock": lower case, blanks as dashes.
std::string SiblingSocketName(const std::string& title);

// Where the sibling programs listen, and how long a message may take.
struct SiblingChannel {
  std::string folder;  // with a trailing '/'; empty: nothing is reachable
  int timeoutMs = 2000;
  std::optional<uint32_t> Send(const std::string& title, uint32_t message, uint32_t wParam,
                               uint32_t lParam, const std::vector<uint8_t>& data = {}) const;
};
// The user's instance folder (not created here).
SiblingChannel SystemSiblingChannel();

// Vanta's program: "vantamaker" beside this program's file, else on PATH; empty when none.
std::string FindVantaProgram();
// FindVantaProgram, looked up on the first call and remembered for the rest of the run
// (the enabling rule asks often).
const std::string& VantaProgramPath();

// Starts a program with an argument list; StartDetached by default.
using ProgramStarter = std::function<bool(const std::vector<std::string>& argv)>;

enum class VantaRoute { kNothing, kMessage, kProgram };

// The steps of the Vanta command, for a caller that keeps its window responsive while a
// socket is waited for: the two exchanges touch no document and may run on another thread.
// True when a running Vanta answers the identification with 74 (a socket of that name that
// does not answer it is not Vanta).
[[nodiscard]] bool VantaIsRunning(const SiblingChannel& channel);
// The animation as the frame-bitmap bytes Vanta takes; no value when memory is short.
std::optional<std::vector<uint8_t>> VantaHandOverData(const FrameSet& frames);
// Hands the bytes to the running Vanta; true when it took them.
[[nodiscard]] bool HandToVanta(const SiblingChannel& channel, const std::vector<uint8_t>& data);
// Without a running Vanta: writes "$vanta.gif" in `settingsFolder` and starts the program
// with "/f=<that file>". kProgram, or kNothing when there is no program or a step failed.
VantaRoute StartVantaWithFile(const DocumentState& doc, const std::string& settingsFolder,
                              const std::string& programPath, const ProgramStarter& start = {});
// Whether the Vanta command has an animation to send: two frames or more.
[[nodiscard]] bool HasAnimationForVanta(const DocumentState& doc);

// The Vanta command: with a running Vanta that answers the identification, the animation
// goes over as a frame bitmap (data identifier 74); otherwise, when `programPath` is set,
// it is written to "$vanta.gif" in `settingsFolder` and the program is started with
// "/f=<that file>". Only for animations of two or more frames. The route taken, kNothing
// when every way failed.
VantaRoute SendToVanta(DocumentState& doc, const SiblingChannel& channel,
                       const std::string& settingsFolder, const std::string& programPath,
                       const ProgramStarter& start = {});

// What the Morsel command does with the document.
enum class MorselRoute {
  kNothing,
  kRewriteCommandLineFile,  // the animation goes back over the file it was started with
  kJpeg,                    // "$morsel.jpg", type 0
  kGif,                     // "$morsel.gif", type 1
};
// `commandLinePath` is the file this program was started with ("" when none). It is
// rewritten only while it is still the open document.
MorselRoute ChooseMorselRoute(const DocumentState& doc, const std::string& commandLinePath);

// Why the Morsel command did not deliver.
enum class MorselFailure {
  kNone,
  kNothingToSend,  // no document
  kNoFolder,       // the settings folder, where the exchange files go, is missing
  kWriteFailed,    // the file could not be written
  kNotRunning,     // Morsel did not answer its notification
  kRefused,        // Morsel answered 0
};

struct MorselOutcome {
  MorselRoute route = MorselRoute::kNothing;
  bool delivered = false;     // the file was written (and, for Morsel's files, accepted)
  bool closeProgram = false;  // the command-line file was rewritten: the program closes
  MorselFailure failure = MorselFailure::kNone;
  int exchangeType = -1;  // the type Morsel is to be notified of once the file is written
};
MorselOutcome SendToMorsel(DocumentState& doc, const std::string& commandLinePath,
                           const std::string& settingsFolder, int jpegQuality,
                           const SiblingChannel& channel, ProgressSink* progress);
// The two halves of SendToMorsel, for a caller that keeps its window responsive while
// Morsel is waited for. WriteForMorsel writes the file; for Morsel's exchange files the
// outcome is not delivered yet and names the exchange type to notify of.
MorselOutcome WriteForMorsel(DocumentState& doc, const std::string& commandLinePath,
                             const std::string& settingsFolder, int jpegQuality,
                             ProgressSink* progress);
// Notifies Morsel of a written exchange file (touches no document; any thread).
[[nodiscard]] MorselFailure NotifyMorsel(const SiblingChannel& channel, int exchangeType);

// Whether the Morsel command has something to do: the file this program was started with
// is still the open animation (it is written back), or a document is open and Morsel is
// ready to take it.
[[nodiscard]] bool CanSendToMorsel(const DocumentState& doc, const std::string& commandLinePath,
                                   bool morselReady);
// What the user is told when the Morsel command did not deliver (nullptr for kNone).
const char* MorselFailureText(MorselFailure failure);

// Asks Morsel whether it is ready (reply exactly 1).
bool QueryMorselReady(const SiblingChannel& channel);

// Morsel's readiness for the enabling rules, which ask often: the answer comes from a
// cache at once, and a stale cache is refreshed by a query in the background.
class MorselReadiness {
 public:
  using Query = std::function<bool()>;
  explicit MorselReadiness(Query query, int refreshMs = 1000);
  ~MorselReadiness();
  MorselReadiness(const MorselReadiness&) = delete;
  MorselReadiness& operator=(const MorselReadiness&) = delete;

  // The last answer (false before the first one); never blocks.
  bool IsReady();
  // Waits for a refresh in progress; for tests and shutdown.
  void WaitForRefresh();

 private:
  Query query_;
  std::chrono::milliseconds refresh_;
  std::mutex mutex_;
  std::thread worker_;
  std::atomic<bool> ready_{false};
  std::atomic<bool> running_{false};
  bool asked_ = false;
  std::chrono::steady_clock::time_point lastAsked_;
};

}  // namespace zel
