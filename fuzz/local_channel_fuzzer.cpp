// The single-instance channel: the input goes over a real local socket as the bytes a
// client sends, the server reads the frame, and a picture hand-over goes on to the loader
// as in the editor.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/instance_messages.h"
#include "document/document_state.h"
#include "fuzz_support.h"
#include "imagefiles/image_loader.h"
#include "platform/local_channel.h"

namespace {

// More than a socket buffer would make the client wait for a server that reads only later.
constexpr size_t kMaxInput = 64 * 1024;

struct Channel {
  zel::LocalChannelServer server{200};
  std::string socketPath;
  zel::DocumentState doc;

  Channel() {
    char folder[] = "/tmp/zel-fuzz-XXXXXX";
    zel::fuzz::Require(::mkdtemp(folder) != nullptr, "mkdtemp");
    socketPath = std::string(folder) + "/channel";
    zel::fuzz::Require(server.Listen(socketPath), "listen");
    zel::fuzz::Require(zel::CreateDocumentContainer(doc, zel::kFrameMaxDefault), "document");
  }
  ~Channel() {
    server.Close();
    ::rmdir(socketPath.substr(0, socketPath.rfind('/')).c_str());
  }
};

uint32_t Handle(zel::DocumentState& doc, const zel::ChannelMessage& request) {
  using namespace zel;
  if (request.message == kMsgIdentify) return AnswerIdentify(request.wParam);
  if (!IsPictureHandOver(request)) return 0;
  PackedDib picture = HandOverPicture(request.data);
  LoadContext context;
  if (!LoadHandedOverPicture(doc, std::move(picture), context).done()) return 0;
  fuzz::TouchPicture(doc.currentPicture);
  if (doc.frameSet) fuzz::TouchFrames(*doc.frameSet);
  return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zel;
  // Kept to the end: the socket outlives every run; the socket and its folder go at exit.
  static Channel* channel = [] {
    static Channel* made = new Channel;
    std::atexit([] { delete made; });
    return made;
  }();
  if (size > kMaxInput) return 0;

  int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  fuzz::Require(client >= 0, "socket");
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, channel->socketPath.c_str(), sizeof address.sun_path - 1);
  fuzz::Require(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0,
                "connect");
  size_t sent = 0;
  while (sent < size) {
    ssize_t n = ::send(client, data + sent, size - sent, MSG_NOSIGNAL);
    fuzz::Require(n > 0, "send");
    sent += static_cast<size_t>(n);
  }
  ::shutdown(client, SHUT_WR);

  channel->server.AcceptAndServeOne(
      [](const ChannelMessage& request) { return Handle(channel->doc, request); });
  uint8_t reply[4];
  while (::recv(client, reply, sizeof reply, 0) > 0) {
  }
  ::close(client);
  return 0;
}
