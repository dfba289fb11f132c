// Local sockets made by hand in tests: a stale socket file, or a listener that never answers.
#pragma once

#include <string>

namespace zel::testing {

// A stream socket bound to `path` (not yet listening), or -1 when it cannot be bound.
int BindUnixSocket(const std::string& path);

}  // namespace zel::testing
