#include "catalogue/Catalogue.h"

#include <climits>
#include <optional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ServiceProfile.h"

namespace {

// Catches a code mapped to the wrong server row or static slot, and a
// hand-edited profile value that is kept instead of falling back to 200.
TEST(CatalogueTest, LocationCodes)
{
    // The code is a catalogue code where it is kept as it is. Rotating groups
    // keep their row, anything else without a row gives row 0.
    const struct { unsigned code; int row; int staticIndex; unsigned sanitized; } rows[] = {
        {0, 0, -1, 0}, {100, 1, -1, 100}, {200, 2, -1, 200}, {300, 3, 0, 300}, {301, 4, 1, 301}, {302, 5, 2, 302},
        {303, 6, 3, 303}, {304, 7, 4, 304}, {400, 8, 5, 400}, {401, 9, 6, 401}, {402, 10, 7, 402}, {403, 11, 8, 403},
        {404, 12, 9, 404}, {105, 1, -1, 200}, {250, 2, -1, 200}, {305, 0, -1, 200}, {399, 0, -1, 200},
        {405, 0, -1, 200}, {500, 0, -1, 200}, {UINT_MAX, 0, -1, 200},
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
// Names and lookups outside the tables show in the switch question.
TEST(CatalogueTest, HostEntriesAndDisplayNames)
{
    for (int row = 0; row < kServerRowCount; ++row) {
        EXPECT_EQ(HostEntriesOfRow(row), (std::vector<int>{2 * row, 2 * row + 1})) << "row " << row;
        EXPECT_STREQ(HostNameOfEntry(2 * row), profile::kServerHosts[row]);
        EXPECT_STREQ(HostNameOfEntry(2 * row + 1), profile::kServerHosts[row]);
    }
    for (int row : {-1, kServerRowCount, INT_MAX})
        EXPECT_TRUE(HostEntriesOfRow(row).empty()) << row;
    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {LocationDisplayName(0), L"Rotating United States"}, {LocationDisplayName(4), L"Static Canada"},
        {StaticSlotDisplayName(3, 4), L"US Static IP 5"}, {StaticSlotDisplayName(4, 0), L"Canada Static IP 1"},
        {HostNameOfEntry(-1), L""}, {HostNameOfEntry(kHostEntryCount), L""}, {LocationDisplayName(-1), L""},
        {LocationDisplayName(kLocationCount), L""}, {StaticSlotDisplayName(2, 0), L""},
        {StaticSlotDisplayName(3, 5), L""}, {StaticSlotDisplayName(3, -1), L""}, {StaticSlotDisplayName(5, 0), L""},
        {StaticSlotDisplayName(-1, 0), L""},
    };
    for (size_t i = 0; i < std::size(names); ++i)
        EXPECT_STREQ(names[i].first, names[i].second) << "lookup " << i;
}

// Catches a tray command outside the five locations or the five slots of
// each static location that still selects something.
TEST(CatalogueTest, TrayCommands)
{
    // The location index (-1: none), and group * 10 + slot number (0: none).
    const struct { unsigned id; int location; unsigned slot; } rows[] = {
        {32500, -1, 0}, {32501, 0, 0}, {32503, 2, 0}, {32505, 4, 0}, {32506, -1, 0}, {32600, -1, 0}, {32601, -1, 31},
        {32603, -1, 33}, {32605, -1, 35}, {32606, -1, 0}, {32620, -1, 0}, {32621, -1, 41}, {32625, -1, 45},
        {32626, -1, 0}};
    for (const auto& r : rows) {
        EXPECT_EQ(LocationIndexOfCommand(r.id), r.location < 0 ? std::nullopt : std::optional(r.location)) << r.id;
        const std::optional<StaticSlotCommand> command = StaticSlotOfCommand(r.id);
        EXPECT_EQ(command ? command->group * 10 + command->slotNumber : 0u, r.slot) << r.id;
    }
}

}  // namespace
