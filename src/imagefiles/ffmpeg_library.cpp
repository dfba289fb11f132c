#include "imagefiles/ffmpeg_library.h"

#include <dlfcn.h>

#include <string>
#include <type_traits>

namespace zel {
namespace {

// "libavformat.so.59" from the headers' major version.
std::string SharedName(const char* base, int major) {
  return std::string(base) + ".so." + std::to_string(major);
}

const FfmpegLibrary* Load() {
  // Dependencies first, each kept for the life of the process.
  const std::string names[] = {
      SharedName("libavutil", LIBAVUTIL_VERSION_MAJOR),
      SharedName("libswscale", LIBSWSCALE_VERSION_MAJOR),
      SharedName("libavcodec", LIBAVCODEC_VERSION_MAJOR),
      SharedName("libavformat", LIBAVFORMAT_VERSION_MAJOR),
  };
  void* handles[4] = {};
  for (int i = 0; i < 4; ++i) {
    handles[i] = dlopen(names[i].c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handles[i] == nullptr) return nullptr;
  }
  static FfmpegLibrary library;
  bool complete = true;
  const auto find = [&](auto& function, const char* name) {
    void* symbol = nullptr;
    for (void* handle : handles) {
      symbol = dlsym(handle, name);
      if (symbol != nullptr) break;
    }
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(symbol);
    if (symbol == nullptr) complete = false;
  };
#define ZEL_FFMPEG_FIND(name) find(library.name, #name);
  ZEL_FFMPEG_FUNCTIONS(ZEL_FFMPEG_FIND)
#undef ZEL_FFMPEG_FIND
  return complete ? &library : nullptr;
}

}  // namespace

const FfmpegLibrary* LoadFfmpegLibrary() {
  static const FfmpegLibrary* const library = Load();
  return library;
}

}  // namespace zel
