// The bridge's catalogue against an independent copy of the published one:
// every entry's name, unit (none for "Title", not an empty one), data type,
// offset and size, and the event names in mapping order. A misspelt name or
// a wrong unit would be accepted by the simulator and silently deliver other
// values.
#include "bridge/sim_catalogue.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/bridge/catalogue_reference.h"

namespace {

std::string unitText(const char* unit) { return unit == nullptr ? "(no unit)" : std::string("\"") + unit + "\""; }

TEST(SimCatalogue, EveryEntryMatchesThePublishedCatalogue) {
  static_assert(sizeof catalogue_reference::kEntries / sizeof catalogue_reference::kEntries[0] == kSimVariableCount,
                "one row per entry");
  for (size_t i = 0; i < kSimVariableCount; ++i) {
    const catalogue_reference::Entry& expected = catalogue_reference::kEntries[i];
    const SimVariable& actual = kSimVariables[i];
    SCOPED_TRACE("entry " + std::to_string(expected.number) + " " + expected.name);
    EXPECT_EQ(std::string(actual.name), expected.name);
    EXPECT_EQ(unitText(actual.unit), unitText(expected.unit));
    EXPECT_EQ(actual.dataType, expected.dataType);
    EXPECT_EQ(actual.offset, expected.offset);
    EXPECT_EQ(actual.size, expected.size);
  }
  const catalogue_reference::Entry& last = catalogue_reference::kEntries[kSimVariableCount - 1];
  EXPECT_EQ(last.offset + last.size, kSimDataBlockSize);
}

TEST(SimCatalogue, EventNamesInMappingOrder) {
  ASSERT_EQ(kClientEventCount, 17u);
  for (size_t i = 0; i < kClientEventCount; ++i) {
    EXPECT_EQ(kClientEvents[i].id, 3 + i);
    EXPECT_EQ(std::string(kClientEvents[i].name), catalogue_reference::kClientEvents[i]) << "client event " << 3 + i;
  }
  for (size_t i = 0; i < kSystemEventCount; ++i) {
    EXPECT_EQ(kSystemEvents[i].id, i);
    EXPECT_EQ(std::string(kSystemEvents[i].name), catalogue_reference::kSystemEvents[i]);
  }
}

}  // namespace
