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
// cannot be loaded; `message` then receives the number of the message that says why
// (kMsgFramesDropped for a file with more frames than the highest frame maximum, which
// would go over shortened).
std::optional<std::vector<uint8_t>> PictureFileAsPackedDib(const std::string& path,
                                                           int* message = nullptr);

}  // namespace zel
