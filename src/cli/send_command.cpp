#include "cli/send_command.h"

#include <optional>

#include "app/instance_messages.h"
#include "cli/cli_common.h"
#include "platform/instance_lock.h"
#include "platform/local_channel.h"
#include "resources/string_table.h"

namespace zel::cli {

int RunSendCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.size() != 1) {
    PrintUsage(err);
    return kExitUsage;
  }
  const std::string& path = args[0];
  if (!CheckReadable(path, err)) return kExitUsage;
  int message = 0;
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
    return kExitFailed;
  }
  std::string socketPath = *folder + kInstanceSocketName;
  std::optional<uint32_t> reply =
      SendMessage(socketPath, kMsgCopyData, kPictureDataIdentifier, 0, *picture, kSendTimeoutMs);
  if (!reply) {
    PrintError(err, "no editor is running, or it did not answer (" + socketPath + ")");
    return kExitFailed;
  }
  if (*reply == 0) {
    // The editor keeps its document while a dialog is open, a save runs, or the user chose
    // to keep the open picture.
    PrintError(err,
               "the editor did not take the picture; it is busy or its open picture was "
               "kept (" +
                   path + ")");
    return kExitFailed;
  }
  std::fprintf(out, "sent %s (%zu bytes) to the running editor\n", path.c_str(), picture->size());
  return kExitOk;
}

}  // namespace zel::cli
