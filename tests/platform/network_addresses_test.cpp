// The addresses the status display offers to apps, compared with what the
// system reports. Inside a network namespace of the test's own (ctest runs
// it so), the test builds the interfaces itself: only loopback, then a veth
// pair with a known address, down, without a link, and up.
#include "platform/network_addresses.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

bool inOwnNetworkNamespace() { return std::getenv("ORVXLINK_OWN_NETWORK_NAMESPACE") != nullptr; }

bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// The IPv4 addresses `ip` lists for the interfaces that are up and have a
// link (LOWER_UP), loopback left out.
std::vector<std::string> addressesByIp() {
  std::vector<std::string> addresses;
  FILE* pipe = popen("ip -o -4 addr show up 2>/dev/null; ip -o link show up 2>/dev/null", "r");
  if (pipe == nullptr) return addresses;
  std::string text;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
  pclose(pipe);
  const std::regex linkLine(R"(^[0-9]+: ([^:@ ]+)[^<]*<([^>]*)>)");
  const std::regex addressLine(R"(^[0-9]+: ([^ ]+) +inet ([0-9.]+)/)");
  std::vector<std::string> linked;
  std::smatch match;
  std::istringstream lines(text);
  std::vector<std::pair<std::string, std::string>> found;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_search(line, match, linkLine)) {
      const std::string flags = match[2].str();
      if (flags.find("LOWER_UP") != std::string::npos && flags.find("LOOPBACK") == std::string::npos) {
        linked.push_back(match[1].str());
      }
    } else if (std::regex_search(line, match, addressLine)) {
      found.emplace_back(match[1].str(), match[2].str());
    }
  }
  for (const auto& entry : found) {
    for (const std::string& name : linked) {
      if (entry.first == name) addresses.push_back(entry.second);
    }
  }
  return addresses;
}

// A link comes and goes a moment after the command that changes it: the
// addresses once they match `wanted` (in any order), or the last ones read
// when they never did within two seconds.
std::vector<std::string> addressesOnceSettled(std::vector<std::string> wanted) {
  std::sort(wanted.begin(), wanted.end());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  std::vector<std::string> addresses;
  do {
    addresses = localIpv4Addresses();
    std::vector<std::string> sorted = addresses;
    std::sort(sorted.begin(), sorted.end());
    if (sorted == wanted) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < deadline);
  return addresses;
}

TEST(NetworkAddresses, MatchTheSystemsOwnListOnThisMachine) {
  EXPECT_THAT(localIpv4Addresses(), UnorderedElementsAreArray(addressesByIp()));
}

TEST(NetworkAddresses, FollowTheInterfacesOfAnIsolatedNetwork) {
  if (!inOwnNetworkNamespace()) GTEST_SKIP() << "changes interfaces: runs only in a network namespace of its own";
  EXPECT_THAT(localIpv4Addresses(), IsEmpty()) << "only loopback, and it is down";
  ASSERT_TRUE(run("ip link set lo up"));
  EXPECT_THAT(localIpv4Addresses(), IsEmpty()) << "loopback is never offered";

  ASSERT_TRUE(run("ip link add orvx0 type veth peer name orvx1")) << "cannot make a veth pair";
  ASSERT_TRUE(run("ip addr add 10.77.0.2/24 dev orvx0"));
  EXPECT_THAT(localIpv4Addresses(), IsEmpty()) << "the interface is down";
  ASSERT_TRUE(run("ip link set orvx0 up"));
  EXPECT_THAT(localIpv4Addresses(), IsEmpty()) << "up, but the other end is down: no link";
  ASSERT_TRUE(run("ip link set orvx1 up"));
  EXPECT_THAT(addressesOnceSettled({"10.77.0.2"}), ElementsAre("10.77.0.2"));
  EXPECT_EQ(localIpv4Addresses(), addressesByIp());

  ASSERT_TRUE(run("ip addr add 10.78.0.9/16 dev orvx1"));
  ASSERT_TRUE(run("ip addr add 10.77.0.3/24 dev orvx0"));
  EXPECT_THAT(addressesOnceSettled({"10.77.0.2", "10.77.0.3", "10.78.0.9"}),
              UnorderedElementsAre("10.77.0.2", "10.77.0.3", "10.78.0.9"));
  EXPECT_THAT(localIpv4Addresses(), UnorderedElementsAreArray(addressesByIp()));

  ASSERT_TRUE(run("ip link set orvx0 down"));
  EXPECT_THAT(addressesOnceSettled({}), IsEmpty()) << "either end down takes both links";
}

}  // namespace
