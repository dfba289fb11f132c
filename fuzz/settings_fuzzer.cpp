// The settings file: profile text parsed, the settings read from it, written back and read
// again (what was read must survive the round trip).
#include <string>

#include "app/settings.h"
#include "fuzz_support.h"
#include "platform/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  ProfileFile file;
  file.Parse(std::string(reinterpret_cast<const char*>(data), size));
  const AppSettings settings = LoadAppSettings(file, "/pictures");

  StoreAppSettings(settings, file);
  ProfileFile again;
  again.Parse(file.Text());
  fuzz::Require(LoadAppSettings(again, "/pictures") == settings,
                "settings changed on their way through the file");
  return 0;
}
