#include "ui/command_dispatch.h"

#include <utility>

namespace zel {

void CommandDispatch::Register(int id, Handler handler) {
  handlers_[id] = std::move(handler);
}

bool CommandDispatch::Has(int id) const {
  return handlers_.count(id) != 0;
}

bool CommandDispatch::Run(int id) const {
  auto it = handlers_.find(id);
  if (it == handlers_.end() || !it->second) return false;
  // A copy: the handler may replace the table entry while it runs.
  Handler handler = it->second;
  handler(id);
  return true;
}

}  // namespace zel
