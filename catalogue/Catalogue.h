// The built-in server catalogue: locations, static slots, server rows and their
// host entries, the location code (group * 100 + slot) and the tray commands
// that stand for locations and slots.
#pragma once

#include <optional>
#include <vector>

struct CatalogueEntry {
    const wchar_t* name;
    const wchar_t* code;
};

constexpr int kLocationCount = 5;
constexpr int kStaticSlotsPerLocation = 5;
constexpr int kStaticSlotRowCount = 12;
constexpr int kServerRowCount = 13;
constexpr int kHostEntryCount = 26;
constexpr unsigned kDefaultLocationCode = 200;

// The two static groups; groups below them are the rotating locations.
constexpr unsigned kStaticUsGroup = 3;
constexpr unsigned kStaticCanadaGroup = 4;

extern const CatalogueEntry g_locations[kLocationCount];
extern const CatalogueEntry g_staticSlots[kStaticSlotRowCount];
extern const CatalogueEntry g_servers[kServerRowCount];
extern const CatalogueEntry g_serverHosts[kHostEntryCount];

unsigned LocationGroup(unsigned code);
unsigned LocationSlot(unsigned code);

// Codes the user interface can produce: 0, 100, 200, 300-304, 400-404.
bool IsCatalogueLocationCode(unsigned code);

// A hand-edited or damaged code falls back to the default location.
unsigned SanitizeLocationCode(unsigned code);

// Rotating groups 0-2 map to rows 0-2 by group, static slots to rows 3-7 and
// 8-12; every other code (static slots beyond the fifth, groups 5 and above)
// gives row 0, so the result always indexes g_servers.
int ServerRowOfCode(unsigned code);

// Row of g_staticSlots (0-9) for a static code, -1 for any other code.
int StaticSlotIndexOfCode(unsigned code);

// Host entries whose code equals the row's code exactly (never by prefix), in
// entry order; empty for a row outside the table.
std::vector<int> HostEntriesOfRow(int row);

// Display texts and host names; L"" for any index outside the tables.
const wchar_t* HostNameOfEntry(int entry);
const wchar_t* LocationDisplayName(int locationIndex);
const wchar_t* ServerDisplayName(int row);
// Slot s (0-4) of location 3 (rows 0-4) or location 4 (rows 5-9).
const wchar_t* StaticSlotDisplayName(int locationIndex, int slot);

// Tray command 32501 + i selects location i (0-4); other ids of the range do nothing.
std::optional<int> LocationIndexOfCommand(unsigned commandId);

struct StaticSlotCommand {
    unsigned group;
    unsigned slotNumber;  // 1-5, as the menu item names it
};

// 32601-32605 (US static 1-5) and 32621-32625 (Canada static 1-5); ids beyond
// the five slots and the "Not used" ranges do nothing.
std::optional<StaticSlotCommand> StaticSlotOfCommand(unsigned commandId);
