// The bridge's own variable catalogue asked of the emulator: every variable
// and unit must be known, so that a data block for it carries real values.
#include <gtest/gtest.h>

#include "bridge/sim_catalogue.h"
#include "simlink/wire.h"
#include "tests/sim/sim_test_support.h"
#include "tests/sim/test_sim_client.h"
#include "tools/sim/data_definition.h"
#include "tools/sim/flight_model.h"

namespace simtest {
namespace {

TEST(SimCatalogueTest, EveryVariableOfTheBridgeCatalogueResolvesAtItsOffset) {
  simemu::FlightModel flight;
  simemu::AircraftProfile jet;
  std::string error;
  ASSERT_TRUE(simemu::loadAircraftProfile(aircraftRoot(), "orvx_jet", &jet, &error)) << error;
  flight.load(jet);
  std::vector<uint8_t> block;
  for (const SimVariable& variable : kSimVariables) {
    const simemu::Datum datum = simemu::declareDatum(0, variable.name, variable.unit != nullptr ? variable.unit : "",
                                                     variable.dataType, 0.0f, 0xFFFFFFFFu);
    EXPECT_TRUE(datum.problem.empty()) << variable.name << " in " << (variable.unit ? variable.unit : "(none)") << ": "
                                       << datum.problem;
    EXPECT_EQ(block.size(), variable.offset) << variable.name;
    simemu::packDatum(datum, flight.state(), simemu::PackOptions(), &block);
  }
  EXPECT_EQ(block.size(), kSimDataBlockSize);
}

TEST(SimCatalogueTest, WholeCatalogueComesBackAsOneDataMessage) {
  auto emulator = startEmulator(testOptions());
  ASSERT_NE(emulator, nullptr);
  auto client = TestSimClient::overTcp(4, emulator->tcp4Port());
  ASSERT_NE(client, nullptr);
  uint32_t sendId = 1;
  Bytes definitions;
  for (const SimVariable& variable : kSimVariables) {
    const Bytes packet = addToDataDefinitionRequest(sendId++, 0, variable.name,
                                                    variable.unit != nullptr ? variable.unit : "", variable.dataType);
    definitions.insert(definitions.end(), packet.begin(), packet.end());
  }
  client->send(definitions);  // one large write, framed by the emulator
  client->send(requestDataRequest(sendId++, 1, 0));
  const Bytes data = client->takeMessage(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, 5000);
  ASSERT_EQ(data.size(), 40u + kSimDataBlockSize);
  EXPECT_EQ(u32At(data, 36), kSimVariableCount);
  EXPECT_EQ(textAt(data, 40, 256), "Orvx Jet 320 Demo");
  EXPECT_EQ(i64At(data, 40 + 1584), 0x5852'4F49);  // NAV IDENT:1 "IORX"
  for (const simemu::LoggedRequest& entry : emulator->requestsOfKind(simwire::kAddToDataDefinition)) {
    EXPECT_TRUE(entry.note.empty()) << entry.field("datumName") << ": " << entry.note;
  }
}

}  // namespace
}  // namespace simtest
