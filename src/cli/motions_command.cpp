#include "cli/motions_command.h"

#include "app/settings.h"
#include "cli/cli_common.h"
#include "generators/motion_builtins.h"
#include "generators/motion_tracer.h"
#include "platform/folders.h"

namespace zel::cli {

void OpenMotionDefinitions(ProfileFile& profile, MotionDefinitions& defs) {
  const std::string path = SettingsFilePath();
  profile.Load(path);
  profile.SetPath(path);
  defs.Load(profile, MotionDataFolder());
}

std::string MotionNamesText(const MotionDefinitions& defs) {
  std::string text;
  for (int i = 0; i < defs.Count(); ++i) {
    std::optional<MotionRecord> record = defs.Read(i);
    if (!record) continue;
    if (!text.empty()) text += ", ";
    text += ShownMotionTitle(record->title);
  }
  std::string aliases;
  for (int b = 0; b < kBuiltinMotionCount; ++b) {
    aliases += (b == 0 ? "" : ", ") + std::string(BuiltinMotionAt(b).alias);
  }
  return (text.empty() ? std::string("none") : text) + " (for the built-in paths also " + aliases +
         ")";
}

int RunMotionsCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (!args.empty()) {
    PrintError(err, "motions takes no arguments");
    return kExitUsage;
  }
  ProfileFile profile;
  MotionDefinitions defs;
  OpenMotionDefinitions(profile, defs);
  std::fprintf(out, "motion definitions: %d (* selected in the editor), range %d%%%s%s\n",
               defs.Count(), defs.range(), (defs.flags() & kMotionWrap) ? ", wrap" : "",
               (defs.flags() & kMotionReverse) ? ", reverse" : "");
  for (int i = 0; i < defs.Count(); ++i) {
    std::optional<MotionRecord> record = defs.Read(i);
    const char marker = i == defs.selected() ? '*' : ' ';
    if (!record) {
      std::fprintf(out, "%3d %c      -  (record missing)\n", i + 1, marker);
      continue;
    }
    const size_t points = ReadMotionPathFile(MotionPathFileOf(record->bitmapPath)).size();
    std::string alias;
    if (const int b = BuiltinMotionNamed(record->title, false); b >= 0) {
      alias = std::string(" (") + BuiltinMotionAt(b).alias + ")";
    }
    std::fprintf(out, "%3d %c %6zu  %s%s\n", i + 1, marker, points,
                 ShownMotionTitle(record->title).c_str(), alias.c_str());
  }
  return kExitOk;
}

}  // namespace zel::cli
