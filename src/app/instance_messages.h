// What the editor's local socket carries: the identification query that tells another
// program it reached this editor, and pictures handed over by other programs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/packed_dib.h"
#include "platform/local_channel.h"
#include "resources/string_table.h"

namespace zel {

// The identification query (WM_USER + 74) and the answer of this program.
inline constexpr uint32_t kMsgIdentify = 1098;
inline constexpr uint32_t kIdentifyAnswer = 74;
// A data hand-over (the number of WM_COPYDATA); wParam carries the data identifier.
inline constexpr uint32_t kMsgCopyData = 0x004A;
// The identifier of a picture hand-over: the data is a packed picture.
inline constexpr uint32_t kPictureDataIdentifier = 74;
// A hand-over must carry more than this many bytes to count as a picture.
inline constexpr size_t kPictureHandOverThreshold = 1024;

using InstanceRequest = ChannelMessage;

// A sender that puts this in lParam of a picture hand-over (zel-cli does) is told what
// became of the picture; any other sender hears only 1 (loaded) or 0 (not taken).
inline constexpr uint32_t kHandOverDetailedAnswers = 0x5A454C31;  // "1LEZ"

// What the editor did with a handed-over picture.
enum class HandOverAnswer : uint32_t {
  kNotTaken = 0,  // all that a plain sender hears when the picture was not loaded
  kLoaded = 1,
  // Interim: the user is being asked whether the open picture may go (string 516); the
  // answer follows once the user has decided.
  kAskingUser = 0x5A000001,
  kRefusedByUser = 0x5A000002,  // the user answered No
  kBusy = 0x5A000003,           // a dialog or tool is open, an edit or a save runs
  kNotAPicture = 0x5A000004,    // the bytes are no picture
  kLoadFailed = 0x5A000005,     // the picture did not load (memory, size limit)
};

// Whether the sender of `request` asked for the detailed answers.
[[nodiscard]] bool WantsDetailedAnswers(const InstanceRequest& request);
// The word the sender hears for `answer`: itself for a sender that asked for the details,
// else 1 for kLoaded and 0 for the rest. Only a sender that asked for the details is sent
// kAskingUser.
[[nodiscard]] uint32_t HandOverReplyWord(HandOverAnswer answer, bool detailed);

// 74 when wParam is 1, else 0.
uint32_t AnswerIdentify(uint32_t wParam);

// A data hand-over with identifier 74 and more than 1024 bytes.
bool IsPictureHandOver(const InstanceRequest& request);

// The handed-over bytes in a block of their own, for LoadHandedOverPicture (which checks
// them). Null when the data is empty or memory is short.
PackedDib HandOverPicture(const std::vector<uint8_t>& data);

// Any picture file the editor opens, as the bytes to hand over: the picture as a packed
// bitmap (an 8-bit picture with a transparent colour carries it in the "TIDX" trailer), or
// for an animation the whole of it as a frame bitmap. Short blocks are padded with zero
// bytes to more than 1024 bytes so that the editor takes them. No value when the file
// cannot be loaded; `message` then receives the message that says why
// (kMsgFramesDropped for a file with more frames than the highest frame maximum, which
// would go over shortened).
std::optional<std::vector<uint8_t>> PictureFileAsPackedDib(const std::string& path,
                                                           MessageId* message = nullptr);

}  // namespace zel
