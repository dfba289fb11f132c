#include "cli/send_command.h"

#include <optional>

#include "app/instance_messages.h"
#include "cli/cli_common.h"
#include "platform/instance_lock.h"
#include "resources/string_table.h"

namespace zel::cli {
namespace {

constexpr int kSendWaitSecondsMax = 3600;

// Takes "--wait SECONDS" out of `args`; false (after a message) when it is malformed.
bool TakeWaitOption(std::vector<std::string>& args, int* seconds, std::FILE* err) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--wait") continue;
    if (i + 1 >= args.size()) {
      PrintError(err, "--wait needs a number of seconds");
      return false;
    }
    const std::string& text = args[i + 1];
    int value = 0;
    bool digits = !text.empty() && text.size() <= 4;
    for (char c : text) {
      if (c < '0' || c > '9') digits = false;
    }
    if (digits) value = std::stoi(text);
    if (!digits || value < 1 || value > kSendWaitSecondsMax) {
      PrintError(err, "--wait takes 1.." + std::to_string(kSendWaitSecondsMax) + " seconds, not '" +
                          text + "'");
      return false;
    }
    *seconds = value;
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    --i;
  }
  return true;
}

}  // namespace

SendReport DescribeSendAnswer(const ChannelAnswer& answer, const std::string& path,
                              const std::string& socketPath, size_t bytes, int waitSeconds) {
  switch (answer.outcome) {
    case ChannelOutcome::kNotListening:
      return {kExitSendNotRunning, "no editor is running (nothing listens at " + socketPath + ")"};
    case ChannelOutcome::kNoAnswer:
      return {kExitSendNoAnswer,
              "an editor is there but gave no answer (none within " +
                  std::to_string(waitSeconds) +
                  " s, or it went away while asking; it may be in the middle of a long task); " +
                  path + " was not loaded"};
    case ChannelOutcome::kAnswered:
      break;
  }
  switch (static_cast<HandOverAnswer>(answer.value)) {
    case HandOverAnswer::kLoaded:
      return {kExitOk, "the editor loaded " + path + " (" + std::to_string(bytes) + " bytes)"};
    case HandOverAnswer::kRefusedByUser:
      return {kExitSendRefused, std::string("the editor's user kept the open picture (answered ") +
                                    Say({"いいえ", "No"}) + "); " + path + " was not loaded"};
    case HandOverAnswer::kBusy:
      return {kExitSendBusy,
              "the editor is busy (a dialog or tool is open, or an edit or save runs); " + path +
                  " was not loaded, try again later"};
    case HandOverAnswer::kNotAPicture:
    case HandOverAnswer::kLoadFailed:
      return {kExitFailed, "the editor could not load the picture (" + path + ")"};
    case HandOverAnswer::kNotTaken:
    case HandOverAnswer::kAskingUser:
      break;
  }
  // An editor that does not give the details: 0 is all it says.
  return {kExitFailed,
          "the editor did not take the picture and did not say why (" + path + ")"};
}

int RunSendCommand(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err) {
  std::vector<std::string> args = arguments;
  int waitSeconds = kSendWaitSecondsDefault;
  if (!TakeWaitOption(args, &waitSeconds, err)) return kExitUsage;
  if (args.size() != 1) {
    PrintUsage(err);
    return kExitUsage;
  }
  const std::string& path = args[0];
  if (!CheckReadable(path, err)) return kExitUsage;
  MessageId message = kMsgBadImageFile;
  std::optional<std::vector<uint8_t>> picture = PictureFileAsPackedDib(path, &message);
  if (!picture) {
    if (message == kMsgPictureTooLarge) {
      PrintError(err, TooLargeText(path));
      return kExitFailed;
    }
    if (message == kMsgFramesDropped) {
      PrintError(err, path + " holds more than " + std::to_string(kFrameMaxHighest) +
                          " frames; zel-cli sends no shortened animation");
      return kExitFailed;
    }
    const char* text = MessageText(message);
    PrintError(err, std::string(text ? text : MessageText(kMsgBadImageFile)) + " (" + path + ")");
    return kExitFailed;
  }
  // The folder is checked before anything is sent: a folder another user controls could
  // hold someone else's socket.
  std::string folderError;
  std::optional<std::string> folder = InstanceFolder(false, &folderError);
  if (!folder) {
    PrintError(err, "no editor is running (" + folderError + ")");
    return kExitSendNotRunning;
  }
  const std::string socketPath = *folder + kInstanceSocketName;
  // The editor answers at once, or says it is asking its user; that answer is waited for
  // for as long as the user takes.
  const ChannelAnswer answer = ExchangeMessage(
      socketPath, kMsgCopyData, kPictureDataIdentifier, kHandOverDetailedAnswers, *picture,
      waitSeconds * 1000, [err, &path](uint32_t word) {
        if (word != static_cast<uint32_t>(HandOverAnswer::kAskingUser)) return false;
        std::fprintf(err, "zel-cli: the editor asks its user whether to replace the open "
                          "picture with %s; waiting for the answer\n",
                     path.c_str());
        std::fflush(err);
        return true;
      });
  const SendReport report = DescribeSendAnswer(answer, path, socketPath, picture->size(), waitSeconds);
  if (report.exitCode == kExitOk) {
    std::fprintf(out, "%s\n", report.text.c_str());
  } else {
    PrintError(err, report.text);
  }
  return report.exitCode;
}

}  // namespace zel::cli
