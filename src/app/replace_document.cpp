#include "app/replace_document.h"

namespace zel {
namespace {

bool Busy(const DocumentState& doc) {
  return (doc.flags & kFlagBusy) != 0;
}

ReplaceResult Finish(DocumentState& doc, int loaderResult, const LoadContext& context) {
  ReplaceResult result;
  if (loaderResult != 0) {
    result.status = ReplaceStatus::kLoadFailed;
    result.message = loaderResult;
    return result;
  }
  // The history belongs to the document it was made on: it goes only now that this
  // document has really been replaced.
  doc.undo.Reset();
  result.status = ReplaceStatus::kReplaced;
  result.framesDropped = FramesWereDropped(context);
  return result;
}

ReplaceResult BusyResult() {
  ReplaceResult result;
  result.status = ReplaceStatus::kBusy;
  return result;
}

}  // namespace

ReplaceResult ReplaceDocumentFromFile(DocumentState& doc, const std::string& path,
                                      LoadContext& context, CutFrameFiles* cutFrameFiles) {
  if (Busy(doc)) return BusyResult();
  const ReplaceResult result =
      Finish(doc, LoadImageFile(doc, path, LoadMode::kOpen, context), context);
  if (result.framesDropped && cutFrameFiles != nullptr) cutFrameFiles->Remember(path);
  return result;
}

ReplaceResult ReplaceDocumentFromClipboard(DocumentState& doc, LoadContext& context) {
  if (Busy(doc)) return BusyResult();
  return Finish(doc, LoadImageFile(doc, std::string(), LoadMode::kClipboard, context), context);
}

ReplaceResult ReplaceDocumentWithPicture(DocumentState& doc, PackedDib picture,
                                         LoadContext& context) {
  if (Busy(doc)) return BusyResult();
  return Finish(doc, LoadHandedOverPicture(doc, std::move(picture), context), context);
}

}  // namespace zel
