#include "simlink/open_link.h"

#include <new>
#include <vector>

#include "platform/named_pipe_client.h"
#include "platform/tcp_client.h"
#include "simlink/link_config.h"
#include "simlink/link_process.h"
#include "simlink/open_report.h"
#include "simlink/registry_port.h"
#include "simlink/wire.h"

namespace {

constexpr uint32_t kPipeBusyWaitMilliseconds = 5000;
constexpr size_t kLongestPipePath = 255;
constexpr uint32_t kPipeAddressFamily = 0;

std::string attemptTarget(uint32_t addressFamily, const LinkConfig& config) {
  if (addressFamily == kPipeAddressFamily) return "pipe " + linkPipePath(config.address, config.port);
  const std::string target = (addressFamily == kProtocolIpv6 ? "IPv6 " : "IPv4 ") + config.address;
  return config.port.empty() ? target : target + " port " + config.port;
}

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
  std::vector<LinkAttempt>& attempts = linkOpenReportToFill().attempts;
  attempts.push_back(LinkAttempt{attemptTarget(addressFamily, config), std::string()});
  std::string& failure = attempts.back().failure;
  const bool pipe = addressFamily == kPipeAddressFamily;
  auto* link = new (std::nothrow) ClientClient(pipe ? TransportKind::kNamedPipe : TransportKind::kSocket);
  if (link == nullptr) {
    failure = "no memory for the link";
    return nullptr;
  }
  if (!pipe && config.port.empty()) {
    failure = "no port: neither SimConnect.cfg nor the simulator's settings give one";
  } else if (connectTransport(*link, addressFamily, config.address, config.port, config.maxReceiveSize,
                              config.disableNagle, &failure)) {
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
                      uint32_t maxReceiveSize, bool disableNagle, std::string* failure) {
  IoHandle handle;
  if (addressFamily == kPipeAddressFamily) {
    handle = openNamedPipeClient(linkPipePath(address, port), kPipeBusyWaitMilliseconds, failure);
  } else {
    const IpVersion version = addressFamily == kProtocolIpv6 ? IpVersion::kIpv6 : IpVersion::kIpv4;
    handle = connectTcpClient(version, address.c_str(), port.c_str(), failure);
  }
  if (handle == kInvalidIoHandle) return false;
  if (handOver(link, handle, addressFamily, maxReceiveSize, disableNagle)) return true;
  if (failure != nullptr) *failure = "connected, but the connection could not be set up for the link";
  return false;
}

OpenLinkResult openLink(ClientClient*& link, uint32_t configIndex) {
  link = nullptr;
  LinkOpenReport& report = linkOpenReportToFill();
  report = LinkOpenReport();
  std::vector<std::string> files;
  if (configIndex != kNoConfigurationFiles) files = configurationFilePaths();
  report.filesLookedAt = files;
  if (configIndex != 0 && configIndex != kNoConfigurationFiles &&
      !configurationSectionExists(files, configurationSectionName(configIndex))) {
    return OpenLinkResult::kSectionMissing;
  }
  LinkConfig config = readLinkConfig(configIndex, files, &report.filesRead);
  report.settings = describeLinkConfig(config);
  link = tryTransports(config);
  return link != nullptr ? OpenLinkResult::kOpened : OpenLinkResult::kNoTransport;
}
