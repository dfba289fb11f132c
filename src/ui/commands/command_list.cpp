// The one list of executor families. A new family adds its function here; a new command
// adds a row to its family's file.
#include <unordered_map>

#include "ui/commands/command_executors.h"

namespace zel {

const std::vector<CommandExecutor>& CommandExecutors() {
  static const std::vector<CommandExecutor> all = [] {
    using Family = const std::vector<CommandExecutor>& (*)();
    const Family families[] = {FileExecutors,        TransformExecutors, ColorExecutors,
                               HistoryExecutors,     PlaybackExecutors,  FrameExecutors,
                               TimeExecutors,        WindowExecutors,    HelpExecutors,
                               IntegrationExecutors, GeneratorExecutors, MotionExecutors,
                               ViewExecutors,        MergeExecutors,     SeveralPicturesExecutors,
                               VideoExecutors};
    std::vector<CommandExecutor> list;
    for (Family family : families) {
      const std::vector<CommandExecutor>& rows = family();
      list.insert(list.end(), rows.begin(), rows.end());
    }
    return list;
  }();
  return all;
}

const CommandExecutor* FindExecutor(CommandId id) {
  static const std::unordered_map<int, const CommandExecutor*> index = [] {
    std::unordered_map<int, const CommandExecutor*> map;
    for (const CommandExecutor& executor : CommandExecutors()) map[executor.id] = &executor;
    return map;
  }();
  auto it = index.find(id);
  return it == index.end() ? nullptr : it->second;
}

}  // namespace zel
