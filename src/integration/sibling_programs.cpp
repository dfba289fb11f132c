#include "integration/sibling_programs.h"

#include <sys/stat.h>

#include <algorithm>

#include "imagefiles/frame_bitmap.h"
#include "imagefiles/gif_encoder.h"
#include "imagefiles/jpeg_writer.h"
#include "platform/instance_lock.h"
#include "platform/local_channel.h"
#include "platform/process.h"
#include "resources/string_table.h"

namespace zel {
namespace {

constexpr int kReadyQueryTimeoutMs = 250;

bool FolderExists(const std::string& folder) {
  struct stat st {};
  return !folder.empty() && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Writes the document's frames, or a one-frame set of the current picture, as a GIF file.
int WriteDocumentGif(DocumentState& doc, const std::string& path, ProgressSink* progress) {
  if (IsAnimation(doc.kind)) {
    DocumentBusyScope busy(doc);
    return WriteGifFile(*doc.frameSet, path, false, progress);
  }
  std::unique_ptr<FrameSet> single = FrameSet::Create(1);
  if (!single) return kGifWriteNoMemory;
  single->transparentIndex = doc.frameSet ? doc.frameSet->transparentIndex : -1;
  single->count = 1;
  single->frame(0).image = DuplicateBlock(doc.currentPicture);
  if (!single->frame(0).image) return kGifWriteNoMemory;
  return WriteGifFile(*single, path, false, progress);
}

}  // namespace

const char* MorselExchangeName(int type) {
  switch (type) {
    case kMorselJpeg:
      return "$morsel.jpg";
    case kMorselGif:
      return "$morsel.gif";
    case kMorselBmp:
      return "$morsel.bmp";
    case kMorselText:
      return "$morsel.txt";
    case kMorselImage:
      return "$image.bmp";
    default:
      return nullptr;
  }
}

std::string SiblingSocketName(const std::string& title) {
  std::string name;
  for (char c : title) {
    if (c == ' ') {
      name += '-';
    } else if (c >= 'A' && c <= 'Z') {
      name += static_cast<char>(c - 'A' + 'a');
    } else {
      name += c;
    }
  }
  return name + ".sock";
}

std::optional<uint32_t> SiblingChannel::Send(const std::string& title, uint32_t message,
                                             uint32_t wParam, uint32_t lParam,
                                             const std::vector<uint8_t>& data) const {
  if (folder.empty()) return std::nullopt;
  return SendMessage(folder + SiblingSocketName(title), message, wParam, lParam, data, timeoutMs);
}

SiblingChannel SystemSiblingChannel() {
  SiblingChannel channel;
  if (std::optional<std::string> folder = InstanceFolder(false)) channel.folder = *folder;
  return channel;
}

std::string FindVantaProgram() {
  const std::string beside = ExecutableFolder() + kVantaProgramName;
  if (IsExecutableFile(beside)) return beside;
  return FindExecutable(kVantaProgramName);
}

const std::string& VantaProgramPath() {
  static const std::string path = FindVantaProgram();
  return path;
}

bool HasAnimationForVanta(const DocumentState& doc) {
  return IsAnimation(doc.kind) && doc.frameSet && doc.frameSet->count >= 2;
}

bool VantaIsRunning(const SiblingChannel& channel) {
  std::optional<uint32_t> answer = channel.Send(kVantaTitle, kSiblingIdentify, 1, 0);
  return answer && *answer == kSiblingIdentifyAnswer;
}

std::optional<std::vector<uint8_t>> VantaHandOverData(const FrameSet& frames) {
  PackedDib block = BuildFrameBitmapImage(frames);
  if (!block) return std::nullopt;
  return std::vector<uint8_t>(block.data(), block.data() + block.size());
}

bool HandToVanta(const SiblingChannel& channel, const std::vector<uint8_t>& data) {
  return channel.Send(kVantaTitle, kSiblingCopyData, kSiblingPictureData, 0, data).has_value();
}

VantaRoute StartVantaWithFile(const DocumentState& doc, const std::string& settingsFolder,
                              const std::string& programPath, const ProgramStarter& start) {
  if (programPath.empty() || !HasAnimationForVanta(doc)) return VantaRoute::kNothing;
  const std::string gifPath = settingsFolder + kVantaHandOverName;
  if (WriteGifFile(*doc.frameSet, gifPath, false, nullptr) != 0) return VantaRoute::kNothing;
  const std::vector<std::string> argv = {programPath, "/f=" + gifPath};
  const bool started = start ? start(argv) : StartDetached(argv);
  return started ? VantaRoute::kProgram : VantaRoute::kNothing;
}

VantaRoute SendToVanta(DocumentState& doc, const SiblingChannel& channel,
                       const std::string& settingsFolder, const std::string& programPath,
                       const ProgramStarter& start) {
  if (!HasAnimationForVanta(doc)) return VantaRoute::kNothing;
  if (VantaIsRunning(channel)) {
    std::optional<std::vector<uint8_t>> data = VantaHandOverData(*doc.frameSet);
    return data && HandToVanta(channel, *data) ? VantaRoute::kMessage : VantaRoute::kNothing;
  }
  return StartVantaWithFile(doc, settingsFolder, programPath, start);
}

MorselRoute ChooseMorselRoute(const DocumentState& doc, const std::string& commandLinePath) {
  if ((doc.flags & kFlagFromCommandLine) && IsAnimation(doc.kind) && !commandLinePath.empty() &&
      doc.filePath == commandLinePath) {
    return MorselRoute::kRewriteCommandLineFile;
  }
  switch (doc.kind) {
    case ImageKind::kGifAnimation:
    case ImageKind::kFrameAnimation:
    case ImageKind::kGifPicture:
      return MorselRoute::kGif;
    case ImageKind::kBitmap:
    case ImageKind::kPng:
      return doc.bitCount <= 8 ? MorselRoute::kGif : MorselRoute::kJpeg;
    case ImageKind::kJpeg:
      return MorselRoute::kJpeg;
    default:
      return MorselRoute::kNothing;
  }
}

MorselOutcome WriteForMorsel(DocumentState& doc, const std::string& commandLinePath,
                             const std::string& settingsFolder, int jpegQuality,
                             ProgressSink* progress) {
  MorselOutcome outcome;
  outcome.route = ChooseMorselRoute(doc, commandLinePath);
  switch (outcome.route) {
    case MorselRoute::kNothing:
      outcome.failure = MorselFailure::kNothingToSend;
      return outcome;
    case MorselRoute::kRewriteCommandLineFile:
      outcome.delivered = WriteDocumentGif(doc, commandLinePath, progress) == 0;
      outcome.closeProgram = outcome.delivered;
      if (!outcome.delivered) outcome.failure = MorselFailure::kWriteFailed;
      return outcome;
    case MorselRoute::kJpeg:
    case MorselRoute::kGif:
      break;
  }
  if (!FolderExists(settingsFolder)) {
    outcome.failure = MorselFailure::kNoFolder;
    return outcome;
  }
  const int type = outcome.route == MorselRoute::kJpeg ? kMorselJpeg : kMorselGif;
  const std::string path = settingsFolder + MorselExchangeName(type);
  const bool written = type == kMorselJpeg
                           ? WriteJpegFile(doc.currentPicture, path, jpegQuality) == 0
                           : WriteDocumentGif(doc, path, progress) == 0;
  if (!written) {
    outcome.failure = MorselFailure::kWriteFailed;
    return outcome;
  }
  outcome.exchangeType = type;
  return outcome;
}

MorselFailure NotifyMorsel(const SiblingChannel& channel, int exchangeType) {
  std::optional<uint32_t> reply =
      channel.Send(kMorselTitle, kMorselNotify, static_cast<uint32_t>(exchangeType), 0);
  if (!reply) return MorselFailure::kNotRunning;
  return *reply != 0 ? MorselFailure::kNone : MorselFailure::kRefused;
}

MorselOutcome SendToMorsel(DocumentState& doc, const std::string& commandLinePath,
                           const std::string& settingsFolder, int jpegQuality,
                           const SiblingChannel& channel, ProgressSink* progress) {
  MorselOutcome outcome = WriteForMorsel(doc, commandLinePath, settingsFolder, jpegQuality, progress);
  if (outcome.exchangeType < 0) return outcome;
  outcome.failure = NotifyMorsel(channel, outcome.exchangeType);
  outcome.delivered = outcome.failure == MorselFailure::kNone;
  return outcome;
}

bool CanSendToMorsel(const DocumentState& doc, const std::string& commandLinePath,
                     bool morselReady) {
  const MorselRoute route = ChooseMorselRoute(doc, commandLinePath);
  if (route == MorselRoute::kRewriteCommandLineFile) return true;
  return route != MorselRoute::kNothing && morselReady;
}

const char* MorselFailureText(MorselFailure failure) {
  switch (failure) {
    case MorselFailure::kNone:
      return nullptr;
    case MorselFailure::kNothingToSend:
      return MessageText(kMsgNoPicture);
    case MorselFailure::kNoFolder:
      return MessageText(kMsgMorselNoFolder);
    case MorselFailure::kWriteFailed:
      return Say(kGifWriteFailedText);
    case MorselFailure::kNotRunning:
      return MessageText(kMsgMorselNotRunning);
    case MorselFailure::kRefused:
      return MessageText(kMsgMorselRefused);
  }
  return nullptr;
}

bool QueryMorselReady(const SiblingChannel& channel) {
  SiblingChannel quick = channel;
  quick.timeoutMs = std::min(channel.timeoutMs, kReadyQueryTimeoutMs);
  std::optional<uint32_t> reply = quick.Send(kMorselTitle, kMorselNotify, kMorselReadyQuery, 0);
  return reply && *reply == 1;
}

MorselReadiness::MorselReadiness(Query query, int refreshMs)
    : query_(std::move(query)), refresh_(refreshMs) {}

MorselReadiness::~MorselReadiness() {
  WaitForRefresh();
}

bool MorselReadiness::IsReady() {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  if (!running_ && (!asked_ || now - lastAsked_ >= refresh_)) {
    if (worker_.joinable()) worker_.join();  // finished: running_ is false
    asked_ = true;
    lastAsked_ = now;
    running_ = true;
    worker_ = std::thread([this] {
      ready_ = query_ ? query_() : false;
      running_ = false;
    });
  }
  return ready_;
}

void MorselReadiness::WaitForRefresh() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (worker_.joinable()) worker_.join();
}

}  // namespace zel
