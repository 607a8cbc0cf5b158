#include "catalogue/Catalogue.h"

#include <climits>
#include <optional>
#include <string>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ServiceProfile.h"

using ::testing::ElementsAre;

namespace {

// Catches a code mapped to the wrong server row or static slot, and a
// hand-edited profile value that is kept instead of falling back to 200.
TEST(CatalogueTest, LocationCodes)
{
    // The code is a catalogue code where it is kept as it is.
    const struct { unsigned code; int row; int staticIndex; unsigned sanitized; } rows[] = {
        {0, 0, -1, 0},       {100, 1, -1, 100},   {200, 2, -1, 200},   {300, 3, 0, 300},    {301, 4, 1, 301},
        {302, 5, 2, 302},    {303, 6, 3, 303},    {304, 7, 4, 304},    {400, 8, 5, 400},    {401, 9, 6, 401},
        {402, 10, 7, 402},   {403, 11, 8, 403},   {404, 12, 9, 404},
        // Rotating groups keep their row, anything else without a row gives row 0.
        {105, 1, -1, 200},   {250, 2, -1, 200},   {305, 0, -1, 200},   {399, 0, -1, 200},   {405, 0, -1, 200},
        {500, 0, -1, 200},   {UINT_MAX, 0, -1, 200},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.code);
        EXPECT_EQ(IsCatalogueLocationCode(r.code), r.sanitized == r.code);
        EXPECT_EQ(ServerRowOfCode(r.code), r.row);
        EXPECT_EQ(StaticSlotIndexOfCode(r.code), r.staticIndex);
        EXPECT_EQ(SanitizeLocationCode(r.code), r.sanitized);
        if (r.staticIndex >= 0) {
            EXPECT_STREQ(g_staticSlots[r.staticIndex].name, g_servers[r.row].name);
            EXPECT_STREQ(g_staticSlots[r.staticIndex].code, g_servers[r.row].code);
        }
    }
}

// Host entries compare codes whole: "SP21".."SP25" must not join row 4 ("SP2").
TEST(CatalogueTest, EveryRowHasItsPrimaryThenAlternateEntryWithTheProfileHost)
{
    for (int row = 0; row < kServerRowCount; ++row) {
        EXPECT_THAT(HostEntriesOfRow(row), ElementsAre(2 * row, 2 * row + 1)) << "row " << row;
        EXPECT_STREQ(HostNameOfEntry(2 * row), profile::kServerHosts[row]);
        EXPECT_STREQ(HostNameOfEntry(2 * row + 1), profile::kServerHosts[row]);
    }
    for (int row : {-1, kServerRowCount, INT_MAX})
        EXPECT_TRUE(HostEntriesOfRow(row).empty()) << row;
}

// Server rows' names and lookups outside the tables show in the switch question.
TEST(CatalogueTest, DisplayNamesAndEmptyTextsOutsideTheTables)
{
    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {LocationDisplayName(0), L"Rotating United States"}, {LocationDisplayName(4), L"Static Canada"},
        {StaticSlotDisplayName(3, 4), L"US Static IP 5"},    {StaticSlotDisplayName(4, 0), L"Canada Static IP 1"},
        {HostNameOfEntry(-1), L""},         {HostNameOfEntry(kHostEntryCount), L""},
        {LocationDisplayName(-1), L""},     {LocationDisplayName(kLocationCount), L""},
        {StaticSlotDisplayName(2, 0), L""}, {StaticSlotDisplayName(3, 5), L""},
        {StaticSlotDisplayName(3, -1), L""}, {StaticSlotDisplayName(5, 0), L""},
        {StaticSlotDisplayName(-1, 0), L""},
    };
    for (size_t i = 0; i < std::size(names); ++i)
        EXPECT_STREQ(names[i].first, names[i].second) << "lookup " << i;
}

// Catches a tray command outside the five locations or the five slots of
// each static location that still selects something.
TEST(CatalogueTest, TrayCommands)
{
    const std::pair<unsigned, std::optional<int>> locations[] = {
        {32500, std::nullopt}, {32501, 0}, {32503, 2}, {32505, 4}, {32506, std::nullopt}, {32601, std::nullopt}};
    for (const auto& [id, location] : locations)
        EXPECT_EQ(LocationIndexOfCommand(id), location) << id;
    // Group * 10 + slot number; 0 where the command selects nothing.
    const std::pair<unsigned, unsigned> slots[] = {{32501, 0}, {32600, 0}, {32601, 31}, {32603, 33}, {32605, 35},
                                                   {32606, 0}, {32620, 0}, {32621, 41}, {32625, 45}, {32626, 0}};
    for (const auto& [id, slot] : slots) {
        const std::optional<StaticSlotCommand> command = StaticSlotOfCommand(id);
        EXPECT_EQ(command ? command->group * 10 + command->slotNumber : 0u, slot) << id;
    }
}

}  // namespace
