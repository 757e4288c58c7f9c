// Where a link's settings come from and which transports an open tries, in
// which order: the three "SimConnect.cfg" files, the registry ports, the
// configuration index, and the fallback from pipe to IPv6 to IPv4 to pipe.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "link_test_support.h"
#include "simlink/link_config.h"
#include "simlink/link_process.h"
#include "simlink/registry_port.h"
#include "simlink/simconnect.h"
#include "simlink/wire.h"

namespace {

class LinkConfigTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folders.ready()); }

  void TearDown() override {
    if (link != nullptr) {
      EXPECT_EQ(SimConnect_Close(link), kSimConnectOk);
    }
    EXPECT_EQ(openLinkCount(), 0) << "an attempt left a link open";
  }

  LinkConfig configFor(uint32_t index) const { return readLinkConfig(index, configurationFilePaths()); }

  // Serves the simulator's default pipe on this machine.
  std::unique_ptr<ScriptedSimulator> serveDefaultPipe() const {
    return ScriptedSimulator::onPipe(simwire::kDefaultLocalPipe);
  }

  HRESULT open(uint32_t index) { return SimConnect_Open(&link, "Orvxlink", nullptr, 0, nullptr, index); }

  ScratchFolders folders;
  HANDLE link = nullptr;
};

TEST_F(LinkConfigTest, LaterFilesOverrideEarlierOnesInTheOrderCommonUserCurrent) {
  folders.writeConfig(folders.commonDocuments(), "[SimConnect]\nProtocol=IPv4\nAddress=common\nPort=1\n");
  folders.writeConfig(folders.userDocuments(), "[SimConnect]\nAddress=user\nPort=2\n");
  folders.writeConfig(folders.currentDirectory(), "[simconnect]\nport = 3\n");
  const LinkConfig config = configFor(0);
  EXPECT_EQ(config.protocol, kProtocolIpv4);
  EXPECT_EQ(config.address, "user");
  EXPECT_EQ(config.port, "3");
  EXPECT_EQ(config.maxReceiveSize, kDefaultMaxReceiveSize);
  EXPECT_FALSE(config.disableNagle);
}

TEST_F(LinkConfigTest, ReceiveLimitIsRaisedByAnyFileButNeverLowered) {
  folders.writeConfig(folders.commonDocuments(), "[SimConnect]\nMaxReceiveSize=1000\n");
  EXPECT_EQ(configFor(0).maxReceiveSize, 41088u);
  folders.writeConfig(folders.userDocuments(), "[SimConnect]\nMaxReceiveSize=200000\n");
  folders.writeConfig(folders.currentDirectory(), "[SimConnect]\nMaxReceiveSize=100000\n");
  EXPECT_EQ(configFor(0).maxReceiveSize, 200000u);
}

// As the Windows profile functions read them: a value in matching single or
// double quotes is read without them.
TEST_F(LinkConfigTest, QuotedValuesAreReadWithoutTheirQuotes) {
  folders.writeConfig(folders.currentDirectory(),
                      "[SimConnect]\nAddress=\"sim-pc\"\nPort='500'\nMaxReceiveSize=\"200000\"\n");
  const LinkConfig config = configFor(0);
  EXPECT_EQ(config.address, "sim-pc");
  EXPECT_EQ(config.port, "500");
  EXPECT_EQ(config.maxReceiveSize, 200000u);
}

TEST_F(LinkConfigTest, DisableNagleIsSwitchedOffAgainByALaterFile) {
  folders.writeConfig(folders.commonDocuments(), "[SimConnect]\nDisableNagle=1\n");
  EXPECT_TRUE(configFor(0).disableNagle);
  folders.writeConfig(folders.currentDirectory(), "[SimConnect]\nDisableNagle=0\n");
  EXPECT_FALSE(configFor(0).disableNagle);
}

// Numbers are read as the Windows C runtime's atoi reads them: optional
// sign, decimal digits up to the first other character, and a value beyond
// the int range held at INT_MAX or INT_MIN. The receive limit takes that int
// as an unsigned number, so a negative one is a very large limit.
TEST_F(LinkConfigTest, NumbersAreReadAsAtoiWithValuesBeyondTheIntRangeHeldAtItsEnds) {
  struct Case {
    const char* text;
    uint32_t maxReceiveSize;
    bool disableNagle;
  };
  const Case cases[] = {
      {"100000", 100000u, true},
      {"+100000", 100000u, true},
      {"100000abc", 100000u, true},
      {"0x100000", 41088u, false},  // "0", then a letter
      {"abc", 41088u, false},
      {"-0", 41088u, false},
      {"2147483647", 2147483647u, true},
      {"2147483648", 2147483647u, true},
      {"4294967296", 2147483647u, true},  // 2^32: not 0
      {"99999999999", 2147483647u, true},
      {"99999999999999999999999999", 2147483647u, true},
      {"-1", 0xFFFFFFFFu, true},
      {"-2147483648", 0x80000000u, true},
      {"-2147483649", 0x80000000u, true},
      {"-4294967297", 0x80000000u, true},  // not -1
      {"-99999999999999999999", 0x80000000u, true},
  };
  for (const Case& c : cases) {
    const std::string text = c.text;
    folders.writeConfig(folders.currentDirectory(),
                        "[SimConnect]\nMaxReceiveSize=" + text + "\nDisableNagle=" + text + "\n");
    const LinkConfig config = configFor(0);
    EXPECT_EQ(config.maxReceiveSize, c.maxReceiveSize) << "MaxReceiveSize=" << text;
    EXPECT_EQ(config.disableNagle, c.disableNagle) << "DisableNagle=" << text;
  }
}

TEST_F(LinkConfigTest, RegistryPortIsTakenOnlyWhilePortIsEmpty) {
  folders.setRegistryPort(IpVersion::kIpv4, "5001");
  folders.setRegistryPort(IpVersion::kIpv6, "5002");

  folders.writeConfig(folders.commonDocuments(), "[SimConnect]\nProtocol=ipv4\n");
  EXPECT_EQ(configFor(0).port, "5001");

  folders.writeConfig(folders.userDocuments(), "[SimConnect]\nPort=6000\n");  // a later Port replaces it
  EXPECT_EQ(configFor(0).port, "6000");

  folders.writeConfig(folders.commonDocuments(), "[SimConnect]\nPort=7000\n");
  folders.writeConfig(folders.userDocuments(), "[SimConnect]\nProtocol=IPv6\n");  // port already set
  LinkConfig config = configFor(0);
  EXPECT_EQ(config.protocol, kProtocolIpv6);
  EXPECT_EQ(config.port, "7000");

  folders.writeConfig(folders.userDocuments(), "[SimConnect]\nProtocol=Auto\n");
  EXPECT_EQ(configFor(0).protocol, kProtocolPipe);
}

TEST_F(LinkConfigTest, RegistryPortLongerThanItsBufferIsNotTaken) {
  folders.setRegistryPort(IpVersion::kIpv4, "1234567890123456789");  // 19 characters and the NUL fit
  std::string port = "stale";
  EXPECT_TRUE(readRegistryPort(IpVersion::kIpv4, port));
  EXPECT_EQ(port, "1234567890123456789");
  folders.setRegistryPort(IpVersion::kIpv4, "12345678901234567890");
  EXPECT_FALSE(readRegistryPort(IpVersion::kIpv4, port));
  EXPECT_EQ(port, "");
}

TEST_F(LinkConfigTest, IndexWithoutItsSectionIsRefusedBeforeAnyAttempt) {
  auto simulator = serveDefaultPipe();
  ASSERT_NE(simulator, nullptr);
  folders.writeConfig(folders.currentDirectory(), "[SimConnect]\nProtocol=Pipe\n");
  EXPECT_EQ(open(5), kSimConnectInvalidArg);
  EXPECT_EQ(link, nullptr);
  EXPECT_FALSE(simulator->hasPendingClient());

  // With the section present the index's own settings are used.
  const std::string pipeName = uniqueName("orvx-index");
  auto named = ScriptedSimulator::onPipe(localPipePath(pipeName));
  ASSERT_NE(named, nullptr);
  folders.writeConfig(folders.userDocuments(), "[SimConnect.5]\nProtocol=Pipe\nPort=" + pipeName + "\n");
  ASSERT_EQ(open(5), kSimConnectOk);
  EXPECT_TRUE(named->accept());
  EXPECT_FALSE(simulator->hasPendingClient());
}

TEST_F(LinkConfigTest, IndexAllOnesIgnoresEveryFile) {
  auto simulator = serveDefaultPipe();
  ASSERT_NE(simulator, nullptr);
  const std::string pipeName = uniqueName("orvx-ignored");
  auto configured = ScriptedSimulator::onPipe(localPipePath(pipeName));
  ASSERT_NE(configured, nullptr);
  folders.writeConfig(folders.currentDirectory(), "[SimConnect]\nProtocol=Pipe\nPort=" + pipeName + "\n");
  ASSERT_EQ(open(kNoConfigurationFiles), kSimConnectOk);
  EXPECT_TRUE(simulator->accept());
  EXPECT_FALSE(configured->hasPendingClient());
}

TEST_F(LinkConfigTest, LocalIpv4ThatFailsFallsBackToTheDefaultPipe) {
  auto simulator = serveDefaultPipe();
  ASSERT_NE(simulator, nullptr);
  folders.writeConfig(folders.currentDirectory(),
                      "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" + deadTcpPort(IpVersion::kIpv4) + "\n");
  ASSERT_EQ(open(0), kSimConnectOk);
  ASSERT_TRUE(simulator->accept());
  EXPECT_EQ(getU32(simulator->readPacket(), 8), simwire::kOpen);
}

TEST_F(LinkConfigTest, WithoutFilesThePipeFallsBackToTheRegistryIpv6ThenIpv4Ports) {
  auto ipv6 = ScriptedSimulator::onTcp(IpVersion::kIpv6);
  if (ipv6 == nullptr) GTEST_SKIP() << "no IPv6 loopback here";
  folders.setRegistryPort(IpVersion::kIpv6, ipv6->portText());
  ASSERT_EQ(open(0), kSimConnectOk);
  EXPECT_TRUE(ipv6->accept());
  ASSERT_EQ(SimConnect_Close(link), kSimConnectOk);
  link = nullptr;

  auto ipv4 = ScriptedSimulator::onTcp(IpVersion::kIpv4);
  ASSERT_NE(ipv4, nullptr);
  folders.setRegistryPort(IpVersion::kIpv6, deadTcpPort(IpVersion::kIpv6));
  folders.setRegistryPort(IpVersion::kIpv4, ipv4->portText());
  ASSERT_EQ(open(0), kSimConnectOk);
  EXPECT_TRUE(ipv4->accept());
  EXPECT_FALSE(ipv6->hasPendingClient());
}

// The usual installation: the simulator leaves only its IPv4 port. Without
// files, and with a configuration that asks for IPv6 on the local machine
// without a port, the IPv6 attempt has nothing to connect to and the open
// goes on to IPv4 on the registry's port.
TEST_F(LinkConfigTest, MissingIpv6PortFallsThroughToTheRegistryIpv4Port) {
  auto ipv4 = ScriptedSimulator::onTcp(IpVersion::kIpv4);
  ASSERT_NE(ipv4, nullptr);
  folders.setRegistryPort(IpVersion::kIpv4, ipv4->portText());
  const char* const configs[] = {nullptr, "[SimConnect]\nProtocol=IPv6\nAddress=::1\n",
                                 "[SimConnect]\nProtocol=IPv6\nAddress=::1\nPort=\n"};
  for (const char* config : configs) {
    SCOPED_TRACE(config ? config : "no configuration file");
    if (config != nullptr) folders.writeConfig(folders.currentDirectory(), config);
    if (config != nullptr) {
      const LinkConfig read = configFor(0);
      EXPECT_EQ(read.protocol, kProtocolIpv6);
      EXPECT_EQ(read.port, "") << "no IPv6 port anywhere";
    }
    ASSERT_EQ(open(0), kSimConnectOk);
    EXPECT_TRUE(ipv4->accept());
    EXPECT_EQ(getU32(ipv4->readPacket(), 8), simwire::kOpen);
    EXPECT_EQ(SimConnect_Close(link), kSimConnectOk);
    link = nullptr;
  }
}

TEST_F(LinkConfigTest, AnotherMachineGetsExactlyOneAttempt) {
  auto simulator = serveDefaultPipe();
  ASSERT_NE(simulator, nullptr);
  auto ipv4 = ScriptedSimulator::onTcp(IpVersion::kIpv4);
  ASSERT_NE(ipv4, nullptr);
  folders.setRegistryPort(IpVersion::kIpv4, ipv4->portText());

  // "127.0.0.1" is no IPv6 address: the one IPv6 attempt fails, and ends it.
  folders.writeConfig(folders.currentDirectory(),
                      "[SimConnect]\nProtocol=IPv6\nAddress=127.0.0.1\nPort=" + ipv4->portText() + "\n");
  EXPECT_EQ(open(0), kSimConnectFail);
  EXPECT_EQ(link, nullptr);

  // A pipe on another machine: one attempt, no TCP after it.
  folders.writeConfig(folders.currentDirectory(), "[SimConnect]\nProtocol=Pipe\nAddress=elsewhere.invalid\n");
  EXPECT_EQ(open(0), kSimConnectFail);

  EXPECT_FALSE(simulator->hasPendingClient());
  EXPECT_FALSE(ipv4->hasPendingClient());
}

TEST_F(LinkConfigTest, NothingToReachFailsAfterEveryAttempt) {
  EXPECT_EQ(open(0), kSimConnectFail);
  EXPECT_EQ(link, nullptr);
  EXPECT_EQ(liveClientObjectCount(), 0);
}

// An attempt that never connected has nothing to send, so it is dropped
// without the close's pause: opens retried while the simulator is away cost
// no waiting (four attempts of 100 ms each would take 2 s for five opens).
TEST_F(LinkConfigTest, OpensWithNothingToReachFailWithoutPausing) {
  const auto start = std::chrono::steady_clock::now();
  for (int attempt = 0; attempt < 5; ++attempt) EXPECT_EQ(open(0), kSimConnectFail);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_LT(took.count(), 1000) << "ms for five failed opens";
  EXPECT_EQ(liveClientObjectCount(), 0);
}

}  // namespace
