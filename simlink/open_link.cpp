#include "simlink/open_link.h"

#include <new>
#include <vector>

#include "platform/named_pipe_client.h"
#include "platform/tcp_client.h"
#include "simlink/link_config.h"
#include "simlink/link_process.h"
#include "simlink/registry_port.h"
#include "simlink/wire.h"

namespace {

constexpr uint32_t kPipeBusyWaitMilliseconds = 5000;
constexpr size_t kLongestPipePath = 255;
constexpr uint32_t kPipeAddressFamily = 0;

bool handOver(ClientClient& link, IoHandle handle, uint32_t addressFamily, uint32_t maxReceiveSize, bool disableNagle) {
  if (!bindIoCompletion(handle, link.transportKind()) ||
      !link.attach(handle, addressFamily, maxReceiveSize, disableNagle)) {
    if (link.transportKind() == TransportKind::kNamedPipe) {
      closePipeHandle(handle);
    } else {
      closeSocketHandle(handle);
    }
    return false;
  }
  link.BeginConnection();
  link.postReceive();
  return true;
}

// One attempt on a new link object; the object is released when it fails,
// with no pause (nothing was ever queued on it), so that an open with no
// simulator to reach costs no waiting. An attempt with nothing to connect to
// (a TCP attempt with no port) fails.
ClientClient* attempt(uint32_t addressFamily, const LinkConfig& config) {
  const bool pipe = addressFamily == kPipeAddressFamily;
  auto* link = new (std::nothrow) ClientClient(pipe ? TransportKind::kNamedPipe : TransportKind::kSocket);
  if (link == nullptr) return nullptr;
  const bool possible = pipe || !config.port.empty();
  if (possible &&
      connectTransport(*link, addressFamily, config.address, config.port, config.maxReceiveSize, config.disableNagle)) {
    return link;
  }
  releaseLink(link);
  return nullptr;
}

ClientClient* tryTransports(LinkConfig& config) {
  uint32_t step = config.protocol;
  if (step == kProtocolPipe) {
    if (ClientClient* link = attempt(kPipeAddressFamily, config)) return link;
    if (!config.address.empty() && config.address != ".") return nullptr;
    config.address = "::1";
    readRegistryPort(IpVersion::kIpv6, config.port);
    step = kProtocolIpv6;
  }
  if (step == kProtocolIpv6) {
    if (!ensureLinkSocketsStarted()) return nullptr;  // no sockets: nothing further to try
    if (ClientClient* link = attempt(kProtocolIpv6, config)) return link;
    if (config.address != "::1") return nullptr;
    config.address = "127.0.0.1";
    readRegistryPort(IpVersion::kIpv4, config.port);
    step = kProtocolIpv4;
  }
  if (step == kProtocolIpv4) {
    if (!ensureLinkSocketsStarted()) return nullptr;
    if (ClientClient* link = attempt(kProtocolIpv4, config)) return link;
    if (config.address != "127.0.0.1") return nullptr;
    config.address = ".";
    config.port.clear();
    return attempt(kPipeAddressFamily, config);
  }
  return nullptr;
}

}  // namespace

std::string linkPipePath(const std::string& address, const std::string& port) {
  const std::string machine = address.empty() ? "." : address;
  std::string path;
  if (port.empty()) {
    path = simwire::kDefaultPipeFormat;
    path.replace(path.find("%s"), 2, machine);
  } else {
    path = "\\\\" + machine + "\\pipe\\" + port;
  }
  if (path.size() > kLongestPipePath) path.resize(kLongestPipePath);
  return path;
}

bool connectTransport(ClientClient& link, uint32_t addressFamily, const std::string& address, const std::string& port,
                      uint32_t maxReceiveSize, bool disableNagle) {
  IoHandle handle;
  if (addressFamily == kPipeAddressFamily) {
    handle = openNamedPipeClient(linkPipePath(address, port), kPipeBusyWaitMilliseconds);
  } else {
    const IpVersion version = addressFamily == kProtocolIpv6 ? IpVersion::kIpv6 : IpVersion::kIpv4;
    handle = connectTcpClient(version, address.c_str(), port.c_str());
  }
  if (handle == kInvalidIoHandle) return false;
  return handOver(link, handle, addressFamily, maxReceiveSize, disableNagle);
}

OpenLinkResult openLink(ClientClient*& link, uint32_t configIndex) {
  link = nullptr;
  std::vector<std::string> files;
  if (configIndex != kNoConfigurationFiles) files = configurationFilePaths();
  if (configIndex != 0 && configIndex != kNoConfigurationFiles &&
      !configurationSectionExists(files, configurationSectionName(configIndex))) {
    return OpenLinkResult::kSectionMissing;
  }
  LinkConfig config = readLinkConfig(configIndex, files);
  link = tryTransports(config);
  return link != nullptr ? OpenLinkResult::kOpened : OpenLinkResult::kNoTransport;
}
