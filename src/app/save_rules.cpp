#include "app/save_rules.h"

#include "imagefiles/file_names.h"
#include "resources/string_table.h"

namespace zel {

bool IsDocumentOpen(const DocumentState& doc) {
  switch (doc.kind) {
    case ImageKind::kBitmap:
    case ImageKind::kGifPicture:
    case ImageKind::kJpeg:
    case ImageKind::kGifAnimation:
    case ImageKind::kFrameAnimation:
    case ImageKind::kPng:
      return true;
    case ImageKind::kNone:
      break;
  }
  return false;
}

bool CanSaveAsGif(const DocumentState& doc) {
  return IsDocumentOpen(doc) && doc.bitCount == 8;
}

bool CanSaveAsBitmap(const DocumentState& doc) {
  return IsDocumentOpen(doc);
}

bool CanSaveAsJpeg(const DocumentState& doc) {
  return IsDocumentOpen(doc) && doc.bitCount == 24;
}

bool CanSaveAsWebp(const DocumentState& doc) {
  return IsDocumentOpen(doc) && (doc.bitCount == 8 || doc.bitCount == 24);
}

bool CanSaveAsPng(const DocumentState& doc) {
  return CanSaveAsWebp(doc);
}

bool CanMakeIcon(const DocumentState& doc) {
  return IsDocumentOpen(doc) && !IsAnimation(doc.kind) && doc.bitCount == 8 && doc.width == 32 &&
         doc.height == 32;
}

void CutFrameFiles::Remember(const std::string& path) {
  if (std::optional<FileStatus> status = ReadFileStatus(path)) files_.push_back(*status);
}

bool CutFrameFiles::Holds(const std::string& path) const {
  if (files_.empty()) return false;
  std::optional<FileStatus> status = ReadFileStatus(path);
  if (!status) return false;
  for (const FileStatus& file : files_) {
    if (file == *status) return true;
  }
  return false;
}

OverwriteQuestion OverwriteQuestionFor(bool exists, bool cutAtLoad) {
  if (!exists) return OverwriteQuestion::kNone;
  return cutAtLoad ? OverwriteQuestion::kReplaceCutFile : OverwriteQuestion::kReplaceFile;
}

OverwriteQuestion OverwriteQuestionForPath(const std::string& path, const CutFrameFiles* cut) {
  const bool exists = CheckOutputFileName(path) == kOutputNameExists;
  return OverwriteQuestionFor(exists, exists && cut != nullptr && cut->Holds(path));
}

const char* OverwriteQuestionText(OverwriteQuestion question) {
  switch (question) {
    case OverwriteQuestion::kReplaceFile:
      return MessageText(kMsgReplaceFile);
    case OverwriteQuestion::kReplaceCutFile:
      return MessageText(kMsgReplaceCutFile);
    case OverwriteQuestion::kNone:
      break;
  }
  return nullptr;
}

}  // namespace zel
