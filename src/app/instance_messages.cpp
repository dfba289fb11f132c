#include "app/instance_messages.h"

#include <cstring>

#include "document/document_state.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/image_loader.h"
#include "resources/string_table.h"

namespace zel {

uint32_t AnswerIdentify(uint32_t wParam) {
  return wParam == 1 ? kIdentifyAnswer : 0;
}

bool IsPictureHandOver(const InstanceRequest& request) {
  return request.message == kMsgCopyData && request.wParam == kPictureDataIdentifier &&
         request.data.size() > kPictureHandOverThreshold;
}

bool WantsDetailedAnswers(const InstanceRequest& request) {
  return IsPictureHandOver(request) && request.lParam == kHandOverDetailedAnswers;
}

uint32_t HandOverReplyWord(HandOverAnswer answer, bool detailed) {
  if (detailed) return static_cast<uint32_t>(answer);
  return answer == HandOverAnswer::kLoaded ? 1u : 0u;
}

PackedDib HandOverPicture(const std::vector<uint8_t>& data) {
  PackedDib block = PackedDib::Allocate(data.size());
  if (block) std::memcpy(block.data(), data.data(), data.size());
  return block;
}

std::optional<std::vector<uint8_t>> PictureFileAsPackedDib(const std::string& path,
                                                           MessageId* message) {
  auto fail = [message](MessageId id) {
    if (message) *message = id;
    return std::nullopt;
  };
  DocumentState doc;
  if (!CreateDocumentContainer(doc, kFrameMaxHighest)) return fail(kMsgNoMemory);
  LoadContext context;
  const Outcome loaded = LoadImageFile(doc, path, LoadMode::kOpen, context);
  if (!loaded.done()) return fail(loaded.failed() ? loaded.message() : kMsgBadImageFile);
  if (FramesWereDropped(context)) return fail(kMsgFramesDropped);

  PackedDib block;
  if (IsAnimation(doc.kind)) {
    block = BuildFrameBitmapImage(*doc.frameSet);
    if (!block) return fail(kMsgNoMemory);
  } else {
    block = DuplicateBlock(doc.currentPicture);
    if (!block) return fail(kMsgNoMemory);
    int32_t transparent = doc.frameSet->transparentIndex;
    if (doc.bitCount == 8 && transparent >= 0) WriteTransparencyTrailer(block, transparent);
  }
  std::vector<uint8_t> bytes(block.data(), block.data() + block.size());
  if (bytes.size() <= kPictureHandOverThreshold) bytes.resize(kPictureHandOverThreshold + 1, 0);
  return bytes;
}

}  // namespace zel
