#include "app/replace_document.h"

namespace zel {
namespace {

bool Busy(const DocumentState& doc) {
  return IsDocumentBusy(doc);
}

// The history belongs to the document it was made on: the loader drops it inside its
// commit, only once the new document is in (LoadContext::startHistory).
LoadContext& StartingHistory(LoadContext& context) {
  context.startHistory = true;
  return context;
}

ReplaceResult Finish(const Outcome& loaded, const LoadContext& context) {
  ReplaceResult result;
  result.outcome = loaded;
  if (!loaded.done()) {
    result.status = ReplaceStatus::kLoadFailed;
    return result;
  }
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
      Finish(LoadImageFile(doc, path, LoadMode::kOpen, StartingHistory(context)), context);
  if (result.framesDropped && cutFrameFiles != nullptr) cutFrameFiles->Remember(path);
  return result;
}

ReplaceResult ReplaceDocumentFromClipboard(DocumentState& doc, LoadContext& context) {
  if (Busy(doc)) return BusyResult();
  return Finish(LoadImageFile(doc, std::string(), LoadMode::kClipboard, StartingHistory(context)),
                context);
}

ReplaceResult ReplaceDocumentWithPicture(DocumentState& doc, PackedDib picture,
                                         LoadContext& context) {
  if (Busy(doc)) return BusyResult();
  return Finish(LoadHandedOverPicture(doc, std::move(picture), StartingHistory(context)), context);
}

}  // namespace zel
