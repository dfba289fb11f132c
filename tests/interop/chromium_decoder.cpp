#include "interop/chromium_decoder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include "interop/interop_helpers.h"

namespace zel::interop {
namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string EncodeBase64(const std::vector<uint8_t>& bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t v = uint32_t(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= uint32_t(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) v |= bytes[i + 2];
    text += kBase64[(v >> 18) & 63];
    text += kBase64[(v >> 12) & 63];
    text += i + 1 < bytes.size() ? kBase64[(v >> 6) & 63] : '=';
    text += i + 2 < bytes.size() ? kBase64[v & 63] : '=';
  }
  return text;
}

// Nothing when the text is not base64.
std::optional<std::vector<uint8_t>> DecodeBase64(const std::string& text) {
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() / 4 * 3);
  uint32_t v = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=') break;
    const char* at = std::char_traits<char>::find(kBase64, 64, c);
    if (at == nullptr) return std::nullopt;
    v = (v << 6) | static_cast<uint32_t>(at - kBase64);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<uint8_t>(v >> bits));
    }
  }
  return bytes;
}

// The page: decodes every file in turn and posts one line per file and per frame, between
// two markers, to /result. Lines:
//   FILE <key> <frames> <repetitions, -1 for ever>
//   FRAME <width> <height> <duration in microseconds, -1 for none> <RGBA in base64>
//   ERROR <key> <message>
//   PAGE <message>           (the page itself failed)
constexpr char kPageScript[] = R"JS(
function toBase64(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  return btoa(text);
}
async function decodeFile(file, lines) {
  const data = Uint8Array.from(atob(file.data), c => c.charCodeAt(0));
  const decoder = new ImageDecoder({data, type: file.type, colorSpaceConversion: 'none',
                                    premultiplyAlpha: 'none'});
  try {
    await decoder.tracks.ready;
    await decoder.completed;
    const track = decoder.tracks.selectedTrack;
    const repetitions = track.repetitionCount === Infinity ? -1 : track.repetitionCount;
    lines.push(['FILE', file.key, track.frameCount, repetitions].join(' '));
    for (let i = 0; i < track.frameCount; ++i) {
      const frame = (await decoder.decode({frameIndex: i, completeFramesOnly: true})).image;
      const width = frame.displayWidth, height = frame.displayHeight;
      const rgba = new Uint8Array(width * height * 4);
      await frame.copyTo(rgba, {format: 'RGBA'});
      const duration = frame.duration === null ? -1 : frame.duration;
      frame.close();
      lines.push(['FRAME', width, height, duration, toBase64(rgba)].join(' '));
    }
  } finally {
    decoder.close();
  }
}
async function decodeAll() {
  const lines = ['ZEL-BEGIN'];
  for (const file of files) {
    try {
      await decodeFile(file, lines);
    } catch (e) {
      lines.push('ERROR ' + file.key + ' ' + String(e).replace(/\s+/g, ' '));
    }
  }
  lines.push('ZEL-END');
  await fetch('/result', {method: 'POST', body: lines.join('\n')});
}
function report(text) {
  fetch('/result', {method: 'POST', body: 'ZEL-BEGIN\nPAGE ' + text + '\nZEL-END'});
}
window.addEventListener('error', e => report(String(e.message)));
if (typeof ImageDecoder === 'undefined') {
  report('this Chromium has no ImageDecoder');
} else {
  decodeAll().catch(e => report(String(e)));
}
)JS";

std::string MakePage(const std::vector<ChromiumInput>& inputs) {
  std::string page = "<!doctype html><html><head><meta charset=utf-8></head><body><script>\n";
  page += "const files = [\n";
  for (const ChromiumInput& input : inputs) {
    page += "{key: '" + input.key + "', type: '" + input.mimeType + "', data: '" +
            EncodeBase64(ReadFileBytes(input.path)) + "'},\n";
  }
  page += "];\n";
  page += kPageScript;
  page += "</script></body></html>\n";
  return page;
}

bool ParseFrameLine(std::istringstream& fields, ComposedAnimation& animation) {
  int width = 0, height = 0;
  long long duration = -1;
  std::string data;
  if (!(fields >> width >> height >> duration >> data)) return false;
  std::optional<std::vector<uint8_t>> bytes = DecodeBase64(data);
  if (!bytes || width <= 0 || height <= 0 || bytes->size() != size_t(width) * height * 4) {
    return false;
  }
  if (animation.frames.empty()) {
    animation.width = width;
    animation.height = height;
  }
  RgbaImage image(width, height);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    const uint8_t* p = bytes->data() + 4 * i;
    image.pixels[i] = {p[0], p[1], p[2], p[3]};
  }
  animation.frames.push_back(std::move(image));
  // Durations are whole hundredths for GIF; anything else shows as a different delay.
  animation.delays.push_back(duration < 0 ? 0 : static_cast<int>((duration + 5000) / 10000));
  return true;
}

// A one-page HTTP server on 127.0.0.1 (a secure context for WebCodecs): GET / gives the
// page, POST /result takes the answer. Connections are served together with poll(), so a
// connection the browser opens in advance and never uses holds nothing up.
class PageServer {
 public:
  explicit PageServer(std::string page) : page_(std::move(page)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      close(listener_);
      listener_ = -1;
      return;
    }
    port_ = ntohs(address.sin_port);
  }
  ~PageServer() {
    for (const Connection& c : connections_) close(c.fd);
    if (listener_ >= 0) close(listener_);
  }
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  bool Listening() const { return listener_ >= 0; }
  int Port() const { return port_; }

  // Serves until the answer is posted, `alive` says the browser has gone, or the time is up.
  std::optional<std::string> AwaitResult(std::chrono::seconds limit,
                                         const std::function<bool()>& alive) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      std::vector<pollfd> polled{{listener_, POLLIN, 0}};
      for (const Connection& c : connections_) polled.push_back({c.fd, POLLIN, 0});
      if (poll(polled.data(), polled.size(), 200) < 0 && errno != EINTR) return std::nullopt;
      if (polled[0].revents & POLLIN) {
        int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) connections_.push_back({fd, {}});
      }
      for (size_t i = 1; i < polled.size(); ++i) {
        if (polled[i].revents == 0) continue;
        Connection& c = connections_[i - 1];
        char buffer[65536];
        ssize_t n = read(c.fd, buffer, sizeof buffer);
        if (n <= 0) {
          c.done = true;
          continue;
        }
        c.request.append(buffer, static_cast<size_t>(n));
        if (std::optional<std::string> result = Serve(c)) return result;
      }
      std::erase_if(connections_, [](const Connection& c) {
        if (c.done) close(c.fd);
        return c.done;
      });
      if (!alive()) return std::nullopt;
    }
    return std::nullopt;
  }

 private:
  struct Connection {
    int fd = -1;
    std::string request;
    bool done = false;
  };

  // Answers a complete request; the posted body when it is the result.
  std::optional<std::string> Serve(Connection& c) {
    const size_t headerEnd = c.request.find("\r\n\r\n");
    if (headerEnd == std::string::npos) return std::nullopt;
    const std::string head = c.request.substr(0, headerEnd);
    size_t bodyLength = 0;
    for (const char* name : {"Content-Length:", "content-length:"}) {
      if (size_t at = head.find(name); at != std::string::npos) {
        bodyLength = std::strtoul(head.c_str() + at + std::strlen(name), nullptr, 10);
      }
    }
    if (c.request.size() < headerEnd + 4 + bodyLength) return std::nullopt;
    c.done = true;
    if (head.rfind("POST /result ", 0) == 0) {
      Reply(c.fd, "200 OK", "text/plain", "");
      return c.request.substr(headerEnd + 4, bodyLength);
    }
    if (head.rfind("GET / ", 0) == 0) {
      Reply(c.fd, "200 OK", "text/html; charset=utf-8", page_);
    } else {
      Reply(c.fd, "404 Not Found", "text/plain", "");
    }
    return std::nullopt;
  }

  static void Reply(int fd, const std::string& status, const std::string& type,
                    const std::string& body) {
    const std::string reply = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                              "\r\nContent-Length: " + std::to_string(body.size()) +
                              "\r\nConnection: close\r\n\r\n" + body;
    size_t sent = 0;
    while (sent < reply.size()) {
      ssize_t n = send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += static_cast<size_t>(n);
    }
  }

  std::string page_;
  int listener_ = -1;
  int port_ = 0;
  std::vector<Connection> connections_;
};

// A program started in a process group of its own, its output going to a log file; Stop
// ends that group (the browser and the helpers it started) and reaps the program.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& arguments,
               const std::vector<std::string>& environmentOverrides, const std::string& log) {
    std::vector<std::string> environment = environmentOverrides;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      const std::string name = entry.substr(0, entry.find('='));
      bool overridden = false;
      for (const std::string& o : environmentOverrides) {
        overridden = overridden || o.rfind(name + "=", 0) == 0;
      }
      if (!overridden) environment.push_back(entry);
    }
    std::vector<char*> argv, envp;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    if (posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0) {
      pid_ = -1;
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ChildProcess() { Stop(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }

  // The program is left unreaped (a zombie) until Stop, so its group id stays its own.
  bool Running() {
    if (pid_ <= 0) return false;
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
      return false;
    }
    return info.si_pid == 0;
  }

  void Stop() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Running() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Whatever of the group is left, the browser included when it did not stop.
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace

std::optional<std::map<std::string, ComposedAnimation>> DecodeWithChromium(
    const std::vector<ChromiumInput>& inputs, const std::string& scratchDir) {
  if (access(kChromiumPath, X_OK) != 0) {
    ADD_FAILURE() << "Chromium is missing: " << kChromiumPath
                  << " (the chromium package; scripts/test installs it)";
    return std::nullopt;
  }
  const std::string dir = scratchDir + "/chromium";
  std::filesystem::create_directories(dir + "/profile");
  const std::string log = dir + "/chromium.log";

  PageServer server(MakePage(inputs));
  if (!server.Listening()) {
    ADD_FAILURE() << "cannot listen on a local port for Chromium's answer";
    return std::nullopt;
  }
  const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/";
  // A private home keeps Chromium's caches and settings out of the user's.
  const std::vector<std::string> arguments = {
      kChromiumPath, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
      "--no-first-run", "--disable-background-networking", "--disable-component-update",
      "--disable-sync", "--user-data-dir=" + dir + "/profile", url};
  const std::vector<std::string> environment = {
      "HOME=" + dir, "XDG_CONFIG_HOME=" + dir + "/config", "XDG_CACHE_HOME=" + dir + "/cache"};
  ChildProcess chromium(arguments, environment, log);
  if (!chromium.Started()) {
    ADD_FAILURE() << "cannot start " << kChromiumPath;
    return std::nullopt;
  }
  std::optional<std::string> answer =
      server.AwaitResult(std::chrono::seconds(120), [&] { return chromium.Running(); });
  chromium.Stop();
  const size_t begin = answer ? answer->find("ZEL-BEGIN") : std::string::npos;
  const size_t end = answer ? answer->find("ZEL-END") : std::string::npos;
  if (begin == std::string::npos || end == std::string::npos || end < begin) {
    const std::vector<uint8_t> logBytes = ReadFileBytes(log);
    std::string logText(logBytes.begin(), logBytes.end());
    if (logText.size() > 2000) logText = "..." + logText.substr(logText.size() - 2000);
    ADD_FAILURE() << "Chromium gave no complete answer ("
                  << (answer ? std::to_string(answer->size()) + " bytes posted"
                             : std::string("nothing posted"))
                  << "); its log:\n"
                  << logText;
    return std::nullopt;
  }
  const std::string text = *answer;

  std::map<std::string, ComposedAnimation> decoded;
  std::istringstream lines(text.substr(begin, end - begin));
  std::string line;
  ComposedAnimation* current = nullptr;
  size_t expectedFrames = 0;
  std::string currentKey;
  auto finishFile = [&]() {
    if (current != nullptr && current->frames.size() != expectedFrames) {
      ADD_FAILURE() << "Chromium: " << currentKey << " has " << current->frames.size()
                    << " frames of " << expectedFrames;
      decoded.erase(currentKey);
    }
    current = nullptr;
  };
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    if (kind == "FILE") {
      finishFile();
      int repetitions = 0;
      fields >> currentKey >> expectedFrames >> repetitions;
      current = &decoded[currentKey];
      current->loop = repetitions < 0 ? kViewerLoopsForever : repetitions;
    } else if (kind == "FRAME") {
      if (current == nullptr || !ParseFrameLine(fields, *current)) {
        ADD_FAILURE() << "Chromium: unreadable frame line for " << currentKey;
        decoded.erase(currentKey);
        current = nullptr;
      }
    } else if (kind == "ERROR") {
      finishFile();
      ADD_FAILURE() << "Chromium cannot decode " << line.substr(6);
    } else if (kind == "PAGE") {
      ADD_FAILURE() << "the decoding page failed in Chromium: " << line.substr(5);
    }
  }
  finishFile();
  for (const ChromiumInput& input : inputs) {
    if (decoded.count(input.key) == 0) ADD_FAILURE() << "Chromium: no result for " << input.key;
  }
  return decoded;
}

}  // namespace zel::interop
