// Routes command numbers to the functions that carry them out. A command without a
// handler is not carried out by this build and stays disabled.
#pragma once

#include <functional>
#include <unordered_map>

namespace zel {

class CommandDispatch {
 public:
  // Handlers receive the command number, so one handler can serve a family of commands
  // (the recent-file entries).
  using Handler = std::function<void(int id)>;

  void Register(int id, Handler handler);
  bool Has(int id) const;
  // Runs the handler of `id`; false when there is none.
  bool Run(int id) const;

 private:
  std::unordered_map<int, Handler> handlers_;
};

}  // namespace zel
