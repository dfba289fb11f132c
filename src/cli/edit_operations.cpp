#include "cli/edit_operations.h"

#include <algorithm>

#include "cli/cli_common.h"

namespace zel::cli {

const std::vector<EditFamily>& EditFamilies() {
  static const std::vector<EditFamily> families = {
      {"frames of an animation", &FrameEditOperations()},
      {"times of an animation", &TimeEditOperations()},
      {"colour conversions of a single picture (--colors --hq: an animation too)",
       &ColourEditOperations()},
      {"transforms of the picture or every frame", &TransformEditOperations()},
      {"colours of the picture or every frame", &ToneEditOperations()},
      {"effects on an animation", &GeneratorEditOperations()},
      {"motion of an animation along a path", &MotionEditOperations()},
      {"merging another picture or animation", &MergeEditOperations()},
  };
  return families;
}

const EditOperation* FindEditOperation(const std::string& option) {
  for (const EditFamily& family : EditFamilies()) {
    for (const EditOperation& operation : *family.operations) {
      if (option == operation.option || (operation.alias && option == operation.alias)) {
        return &operation;
      }
    }
  }
  return nullptr;
}

std::string EditOperationsHelp() {
  constexpr size_t kUsageWidth = 18;
  const std::string rowIndent(13, ' ');
  const std::string continuation(rowIndent.size() + kUsageWidth + 1, ' ');
  std::string text;
  for (const EditFamily& family : EditFamilies()) {
    text += std::string(11, ' ') + family.heading + ":\n";
    for (const EditOperation& operation : *family.operations) {
      std::string usage = operation.option;
      if (*operation.argument) usage += std::string(" ") + operation.argument;
      if (usage.size() < kUsageWidth) usage.resize(kUsageWidth, ' ');
      std::string help = operation.help;
      if (operation.alias) help += std::string("\nalso ") + operation.alias;
      // A usage too long for its column stands on a line of its own.
      std::string line = rowIndent + usage + " ";
      if (usage.size() > kUsageWidth) {
        text += rowIndent + usage + "\n";
        line = continuation;
      }
      for (char c : help) {
        if (c == '\n') {
          text += line + "\n";
          line = continuation;
        } else {
          line += c;
        }
      }
      text += line + "\n";
    }
  }
  return text;
}

bool ParseDigits(const std::string& text, int64_t* value) {
  if (text.empty()) return false;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = std::min<int64_t>(v * 10 + (c - '0'), 999999999);
  }
  *value = v;
  return true;
}

bool ParseFrame(const std::string& text, EditStep* step) {
  int64_t v = 0;
  if (!ParseDigits(text, &v) || v < 1) return false;
  step->frame = static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX));
  return true;
}

std::string Frames(int64_t n) {
  return std::to_string(n) + (n == 1 ? " frame" : " frames");
}

int RequireAnimation(EditRun& run, const EditStep& step) {
  const DocumentState& doc = run.doc;
  if (!IsAnimation(doc.kind) || !doc.frameSet) {
    PrintError(run.err, step.label + " needs an animation; " + run.source + " is a single picture");
    return kExitUsage;
  }
  const int32_t count = doc.frameSet->count;
  if (step.frame > count) {
    PrintError(run.err, step.label + ": there is no frame " + std::to_string(step.frame) +
                            "; the animation has " + Frames(count));
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace zel::cli
