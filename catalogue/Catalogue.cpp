#include "catalogue/Catalogue.h"

#include <string_view>
#include <utility>

#include "ServiceProfile.h"
#include "res/resource.h"

const CatalogueEntry g_locations[kLocationCount] = {
    {L"Rotating United States", L"US"},
    {L"Rotating Canada", L"CA"},
    {L"Rotating Netherlands", L"NL"},
    {L"Static United States", L"SPUS"},
    {L"Static Canada", L"SPCAN"},
};

const CatalogueEntry g_staticSlots[kStaticSlotRowCount] = {
    {L"US Static IP 1", L"SP1"},
    {L"US Static IP 2", L"SP2"},
    {L"US Static IP 3", L"SP3"},
    {L"US Static IP 4", L"SP4"},
    {L"US Static IP 5", L"SP5"},
    {L"Canada Static IP 1", L"SP21"},
    {L"Canada Static IP 2", L"SP22"},
    {L"Canada Static IP 3", L"SP23"},
    {L"Canada Static IP 4", L"SP24"},
    {L"Canada Static IP 5", L"SP25"},
    {L"Not used", L"SP99"},
    {L"Not used", L"SP99"},
};

const CatalogueEntry g_servers[kServerRowCount] = {
    {L"Rotating United States", L"US"},
    {L"Rotating Canada", L"CA"},
    {L"Rotating Netherlands", L"NL"},
    {L"US Static IP 1", L"SP1"},
    {L"US Static IP 2", L"SP2"},
    {L"US Static IP 3", L"SP3"},
    {L"US Static IP 4", L"SP4"},
    {L"US Static IP 5", L"SP5"},
    {L"Canada Static IP 1", L"SP21"},
    {L"Canada Static IP 2", L"SP22"},
    {L"Canada Static IP 3", L"SP23"},
    {L"Canada Static IP 4", L"SP24"},
    {L"Canada Static IP 5", L"SP25"},
};

// Primary and alternate entry of a row name the same server.
#define CORVANE_HOST_ROW(row, code) \
    {profile::kServerHosts[row], code}, {profile::kServerHosts[row], code}

const CatalogueEntry g_serverHosts[kHostEntryCount] = {
    CORVANE_HOST_ROW(0, L"US"),    CORVANE_HOST_ROW(1, L"CA"),    CORVANE_HOST_ROW(2, L"NL"),
    CORVANE_HOST_ROW(3, L"SP1"),   CORVANE_HOST_ROW(4, L"SP2"),   CORVANE_HOST_ROW(5, L"SP3"),
    CORVANE_HOST_ROW(6, L"SP4"),   CORVANE_HOST_ROW(7, L"SP5"),   CORVANE_HOST_ROW(8, L"SP21"),
    CORVANE_HOST_ROW(9, L"SP22"),  CORVANE_HOST_ROW(10, L"SP23"), CORVANE_HOST_ROW(11, L"SP24"),
    CORVANE_HOST_ROW(12, L"SP25"),
};

#undef CORVANE_HOST_ROW

namespace {

constexpr unsigned kFirstStaticUsRow = 3;
constexpr unsigned kFirstStaticCanadaRow = 8;
constexpr unsigned kFirstCanadaSlotRow = 5;

bool IsStaticGroup(unsigned group)
{
    return group == kStaticUsGroup || group == kStaticCanadaGroup;
}

bool IsStaticCode(unsigned code)
{
    return IsStaticGroup(LocationGroup(code)) && LocationSlot(code) < kStaticSlotsPerLocation;
}

}  // namespace

unsigned LocationGroup(unsigned code)
{
    return code / 100;
}

unsigned LocationSlot(unsigned code)
{
    return code % 100;
}

bool IsCatalogueLocationCode(unsigned code)
{
    return (LocationGroup(code) < kStaticUsGroup && LocationSlot(code) == 0) || IsStaticCode(code);
}

unsigned SanitizeLocationCode(unsigned code)
{
    return IsCatalogueLocationCode(code) ? code : kDefaultLocationCode;
}

int ServerRowOfCode(unsigned code)
{
    const unsigned group = LocationGroup(code);
    if (group < kStaticUsGroup)
        return static_cast<int>(group);
    if (!IsStaticCode(code))
        return 0;
    const unsigned firstRow = group == kStaticUsGroup ? kFirstStaticUsRow : kFirstStaticCanadaRow;
    return static_cast<int>(firstRow + LocationSlot(code));
}

int StaticSlotIndexOfCode(unsigned code)
{
    if (!IsStaticCode(code))
        return -1;
    const unsigned firstRow = LocationGroup(code) == kStaticUsGroup ? 0 : kFirstCanadaSlotRow;
    return static_cast<int>(firstRow + LocationSlot(code));
}

std::vector<int> HostEntriesOfRow(int row)
{
    std::vector<int> entries;
    if (row < 0 || row >= kServerRowCount)
        return entries;
    const std::wstring_view code = g_servers[row].code;
    for (int entry = 0; entry < kHostEntryCount; ++entry) {
        if (code == g_serverHosts[entry].code)
            entries.push_back(entry);
    }
    return entries;
}

const wchar_t* HostNameOfEntry(int entry)
{
    return entry >= 0 && entry < kHostEntryCount ? g_serverHosts[entry].name : L"";
}

const wchar_t* LocationDisplayName(int locationIndex)
{
    return locationIndex >= 0 && locationIndex < kLocationCount ? g_locations[locationIndex].name : L"";
}

const wchar_t* ServerDisplayName(int row)
{
    return row >= 0 && row < kServerRowCount ? g_servers[row].name : L"";
}

const wchar_t* StaticSlotDisplayName(int locationIndex, int slot)
{
    if (locationIndex < 0 || !IsStaticGroup(static_cast<unsigned>(locationIndex)))
        return L"";
    const unsigned code = static_cast<unsigned>(locationIndex) * 100 + static_cast<unsigned>(slot);
    if (slot < 0 || !IsStaticCode(code))
        return L"";
    return g_staticSlots[StaticSlotIndexOfCode(code)].name;
}

std::optional<int> LocationIndexOfCommand(unsigned commandId)
{
    if (commandId < ID_LOCATION_FIRST || commandId >= ID_LOCATION_FIRST + kLocationCount)
        return std::nullopt;
    return static_cast<int>(commandId - ID_LOCATION_FIRST);
}

std::optional<StaticSlotCommand> StaticSlotOfCommand(unsigned commandId)
{
    for (const auto& [firstId, group] : {std::pair{ID_US_STATIC_FIRST, kStaticUsGroup},
                                        std::pair{ID_CA_STATIC_FIRST, kStaticCanadaGroup}}) {
        const unsigned first = static_cast<unsigned>(firstId);
        if (commandId >= first && commandId < first + kStaticSlotsPerLocation)
            return StaticSlotCommand{group, commandId - first + 1};
    }
    return std::nullopt;
}
