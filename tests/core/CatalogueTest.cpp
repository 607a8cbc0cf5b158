#include "catalogue/Catalogue.h"

#include <climits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ServiceProfile.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

struct CodeCase {
    unsigned code;
    unsigned group;
    unsigned slot;
    bool catalogue;
    int row;
    int staticIndex;
    std::vector<int> hostEntries;
    unsigned sanitized;
};

void PrintTo(const CodeCase& c, std::ostream* os)
{
    *os << "code " << c.code;
}

class LocationCodeTest : public ::testing::TestWithParam<CodeCase> {};

TEST_P(LocationCodeTest, MapsToItsGroupSlotRowAndHosts)
{
    const CodeCase& c = GetParam();
    EXPECT_EQ(LocationGroup(c.code), c.group);
    EXPECT_EQ(LocationSlot(c.code), c.slot);
    EXPECT_EQ(IsCatalogueLocationCode(c.code), c.catalogue);
    EXPECT_EQ(ServerRowOfCode(c.code), c.row);
    EXPECT_EQ(StaticSlotIndexOfCode(c.code), c.staticIndex);
    EXPECT_EQ(HostEntriesOfRow(ServerRowOfCode(c.code)), c.hostEntries);
    EXPECT_EQ(SanitizeLocationCode(c.code), c.sanitized);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCode, LocationCodeTest,
    ::testing::Values(
        CodeCase{0, 0, 0, true, 0, -1, {0, 1}, 0},
        CodeCase{100, 1, 0, true, 1, -1, {2, 3}, 100},
        CodeCase{200, 2, 0, true, 2, -1, {4, 5}, 200},
        CodeCase{300, 3, 0, true, 3, 0, {6, 7}, 300},
        CodeCase{301, 3, 1, true, 4, 1, {8, 9}, 301},
        CodeCase{302, 3, 2, true, 5, 2, {10, 11}, 302},
        CodeCase{303, 3, 3, true, 6, 3, {12, 13}, 303},
        CodeCase{304, 3, 4, true, 7, 4, {14, 15}, 304},
        CodeCase{400, 4, 0, true, 8, 5, {16, 17}, 400},
        CodeCase{401, 4, 1, true, 9, 6, {18, 19}, 401},
        CodeCase{402, 4, 2, true, 10, 7, {20, 21}, 402},
        CodeCase{403, 4, 3, true, 11, 8, {22, 23}, 403},
        CodeCase{404, 4, 4, true, 12, 9, {24, 25}, 404},
        // Hand-edited profile values: rotating groups keep their row, anything
        // without a row gives row 0, and all of them fall back to 200.
        CodeCase{105, 1, 5, false, 1, -1, {2, 3}, 200},
        CodeCase{250, 2, 50, false, 2, -1, {4, 5}, 200},
        CodeCase{305, 3, 5, false, 0, -1, {0, 1}, 200},
        CodeCase{399, 3, 99, false, 0, -1, {0, 1}, 200},
        CodeCase{405, 4, 5, false, 0, -1, {0, 1}, 200},
        CodeCase{500, 5, 0, false, 0, -1, {0, 1}, 200},
        CodeCase{9800, 98, 0, false, 0, -1, {0, 1}, 200},
        CodeCase{9900, 99, 0, false, 0, -1, {0, 1}, 200},
        CodeCase{UINT_MAX, 42949672, 95, false, 0, -1, {0, 1}, 200}));

TEST(CatalogueTest, HostEntriesCompareCodesWholeNotByPrefix)
{
    // Row 4 is "SP2"; the "SP21".."SP25" entries must not join it.
    ASSERT_STREQ(g_servers[4].code, L"SP2");
    EXPECT_THAT(HostEntriesOfRow(4), ElementsAre(8, 9));
    EXPECT_THAT(HostEntriesOfRow(8), ElementsAre(16, 17));
}

TEST(CatalogueTest, EveryRowHasItsPrimaryThenAlternateEntryWithTheProfileHost)
{
    for (int row = 0; row < kServerRowCount; ++row) {
        EXPECT_THAT(HostEntriesOfRow(row), ElementsAre(2 * row, 2 * row + 1)) << "row " << row;
        EXPECT_STREQ(HostNameOfEntry(2 * row), profile::kServerHosts[row]);
        EXPECT_STREQ(HostNameOfEntry(2 * row + 1), profile::kServerHosts[row]);
    }
}

TEST(CatalogueTest, RowsOutsideTheTableHaveNoHostEntries)
{
    EXPECT_THAT(HostEntriesOfRow(-1), IsEmpty());
    EXPECT_THAT(HostEntriesOfRow(kServerRowCount), IsEmpty());
    EXPECT_THAT(HostEntriesOfRow(INT_MAX), IsEmpty());
}

TEST(CatalogueTest, LookupsOutsideTheTablesGiveEmptyTexts)
{
    EXPECT_STREQ(HostNameOfEntry(-1), L"");
    EXPECT_STREQ(HostNameOfEntry(kHostEntryCount), L"");
    EXPECT_STREQ(LocationDisplayName(-1), L"");
    EXPECT_STREQ(LocationDisplayName(kLocationCount), L"");
    EXPECT_STREQ(ServerDisplayName(-1), L"");
    EXPECT_STREQ(ServerDisplayName(kServerRowCount), L"");
    EXPECT_STREQ(StaticSlotDisplayName(2, 0), L"");
    EXPECT_STREQ(StaticSlotDisplayName(3, 5), L"");
    EXPECT_STREQ(StaticSlotDisplayName(3, -1), L"");
    EXPECT_STREQ(StaticSlotDisplayName(4, 99), L"");
    EXPECT_STREQ(StaticSlotDisplayName(5, 0), L"");
    EXPECT_STREQ(StaticSlotDisplayName(99, 0), L"");
    EXPECT_STREQ(StaticSlotDisplayName(-1, 0), L"");
}

TEST(CatalogueTest, DisplayNamesComeFromTheirRows)
{
    EXPECT_STREQ(LocationDisplayName(0), L"Rotating United States");
    EXPECT_STREQ(LocationDisplayName(2), L"Rotating Netherlands");
    EXPECT_STREQ(LocationDisplayName(4), L"Static Canada");
    EXPECT_STREQ(StaticSlotDisplayName(3, 0), L"US Static IP 1");
    EXPECT_STREQ(StaticSlotDisplayName(3, 4), L"US Static IP 5");
    EXPECT_STREQ(StaticSlotDisplayName(4, 0), L"Canada Static IP 1");
    EXPECT_STREQ(StaticSlotDisplayName(4, 4), L"Canada Static IP 5");
    EXPECT_STREQ(ServerDisplayName(ServerRowOfCode(304)), L"US Static IP 5");
    EXPECT_STREQ(g_servers[ServerRowOfCode(304)].code, L"SP5");
    EXPECT_STREQ(ServerDisplayName(ServerRowOfCode(400)), L"Canada Static IP 1");
    EXPECT_STREQ(g_servers[ServerRowOfCode(400)].code, L"SP21");
}

TEST(CatalogueTest, StaticSlotRowsMatchTheServerRowsOfTheirCodes)
{
    for (unsigned code : {300u, 301u, 302u, 303u, 304u, 400u, 401u, 402u, 403u, 404u}) {
        const CatalogueEntry& slot = g_staticSlots[StaticSlotIndexOfCode(code)];
        const CatalogueEntry& server = g_servers[ServerRowOfCode(code)];
        EXPECT_STREQ(slot.name, server.name) << code;
        EXPECT_STREQ(slot.code, server.code) << code;
    }
}

struct LocationCommandCase {
    unsigned id;
    std::optional<int> locationIndex;
};

void PrintTo(const LocationCommandCase& c, std::ostream* os)
{
    *os << "id " << c.id;
}

class LocationCommandTest : public ::testing::TestWithParam<LocationCommandCase> {};

TEST_P(LocationCommandTest, SelectsOnlyExistingLocations)
{
    EXPECT_EQ(LocationIndexOfCommand(GetParam().id), GetParam().locationIndex);
}

INSTANTIATE_TEST_SUITE_P(
    CommandIds, LocationCommandTest,
    ::testing::Values(LocationCommandCase{32500, std::nullopt}, LocationCommandCase{32501, 0},
                      LocationCommandCase{32502, 1}, LocationCommandCase{32503, 2},
                      LocationCommandCase{32504, 3}, LocationCommandCase{32505, 4},
                      LocationCommandCase{32506, std::nullopt}, LocationCommandCase{32510, std::nullopt},
                      LocationCommandCase{32551, std::nullopt}, LocationCommandCase{32601, std::nullopt}));

struct SlotCommandCase {
    unsigned id;
    bool valid;
    unsigned group;
    unsigned slotNumber;
};

void PrintTo(const SlotCommandCase& c, std::ostream* os)
{
    *os << "id " << c.id;
}

class StaticSlotCommandTest : public ::testing::TestWithParam<SlotCommandCase> {};

TEST_P(StaticSlotCommandTest, SelectsOnlyTheFiveSlotsOfEachStaticLocation)
{
    const SlotCommandCase& c = GetParam();
    const std::optional<StaticSlotCommand> command = StaticSlotOfCommand(c.id);
    ASSERT_EQ(command.has_value(), c.valid);
    if (c.valid) {
        EXPECT_EQ(command->group, c.group);
        EXPECT_EQ(command->slotNumber, c.slotNumber);
        // The code it leads to is a catalogue code.
        EXPECT_TRUE(IsCatalogueLocationCode(c.group * 100 + c.slotNumber - 1));
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandIds, StaticSlotCommandTest,
    ::testing::Values(SlotCommandCase{32501, false, 0, 0}, SlotCommandCase{32551, false, 0, 0},
                      SlotCommandCase{32570, false, 0, 0}, SlotCommandCase{32600, false, 0, 0},
                      SlotCommandCase{32601, true, 3, 1}, SlotCommandCase{32603, true, 3, 3},
                      SlotCommandCase{32605, true, 3, 5}, SlotCommandCase{32606, false, 0, 0},
                      SlotCommandCase{32620, false, 0, 0}, SlotCommandCase{32621, true, 4, 1},
                      SlotCommandCase{32623, true, 4, 3}, SlotCommandCase{32625, true, 4, 5},
                      SlotCommandCase{32626, false, 0, 0}, SlotCommandCase{32650, false, 0, 0},
                      SlotCommandCase{32680, false, 0, 0}));

}  // namespace
