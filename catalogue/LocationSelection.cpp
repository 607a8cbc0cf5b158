// The location lists of the main dialog (1008 locations, 1009 static slots,
// hidden 1007 host entries) kept in step with m_nCurrentLocation and the
// profile value "CurrentLocation"; while connected a change asks first and
// switches the tunnel.
#include "ui/CorvaneDlg.h"

#include "app/Settings.h"
#include "catalogue/Catalogue.h"
#include "res/resource.h"

#include <optional>

namespace {

bool IsStaticLocationIndex(int locationIndex)
{
    return locationIndex == static_cast<int>(kStaticUsGroup) || locationIndex == static_cast<int>(kStaticCanadaGroup);
}

// The code the two visible lists stand for: location index * 100, plus the
// slot for a static location. None while a list needed for it has no selection.
std::optional<unsigned> LocationCodeOfLists(const CComboBoxEx& locations, const CComboBoxEx& staticSlots)
{
    const int locationIndex = locations.GetCurSel();
    if (locationIndex < 0 || locationIndex >= kLocationCount)
        return std::nullopt;
    unsigned code = static_cast<unsigned>(locationIndex) * 100;
    if (IsStaticLocationIndex(locationIndex)) {
        const int slot = staticSlots.GetCurSel();
        if (slot < 0 || slot >= kStaticSlotsPerLocation)
            return std::nullopt;
        code += static_cast<unsigned>(slot);
    }
    return code;
}

}  // namespace

void CCorvaneDlg::FillLocationList()
{
    m_cboLocation.ResetContent();
    for (int location = 0; location < kLocationCount; ++location)
        m_cboLocation.AppendItem(LocationDisplayName(location), 2 * location, 2 * location + 1, location);
}

void CCorvaneDlg::FillStaticIpList()
{
    m_cboStaticIp.ResetContent();
    const int locationIndex = m_cboLocation.GetCurSel();
    if (!IsStaticLocationIndex(locationIndex)) {
        m_cboStaticIp.ShowWindow(SW_HIDE);
        return;
    }
    for (int slot = 0; slot < kStaticSlotsPerLocation; ++slot)
        m_cboStaticIp.AppendItem(StaticSlotDisplayName(locationIndex, slot), 2 * slot, 2 * slot + 1, slot);
    m_cboStaticIp.SetCurSel(0);
    m_cboStaticIp.ShowWindow(SW_SHOWNORMAL);
}

void CCorvaneDlg::FillServerList()
{
    m_cboServer.ResetContent();
    for (int entry : HostEntriesOfRow(ServerRowOfCode(m_nCurrentLocation)))
        m_cboServer.AppendItem(HostNameOfEntry(entry), 0, 1, entry);
}

void CCorvaneDlg::SelectCurrentLocation()
{
    // A code the lists cannot show (a hand-edited profile) becomes the default
    // location, shown and stored, so that list, member and profile agree.
    const unsigned shown = SanitizeLocationCode(m_nCurrentLocation);
    if (shown != m_nCurrentLocation) {
        m_nCurrentLocation = shown;
        settings::WriteInt(settings::kCurrentLocation, static_cast<int>(shown));
    }
    m_cboLocation.SetCurSel(static_cast<int>(LocationGroup(shown)));
    if (LocationGroup(shown) >= kStaticUsGroup)
        m_cboStaticIp.SetCurSel(static_cast<int>(LocationSlot(shown)));
}

void CCorvaneDlg::SelectCurrentServer()
{
    m_cboServer.SetCurSel(0);
}

void CCorvaneDlg::OnSelchangeServer()
{
    // The hidden host list follows the location; picking in it means nothing.
}

void CCorvaneDlg::OnSelchangeLocation()
{
    const int locationIndex = m_cboLocation.GetCurSel();
    if (locationIndex < 0) {
        RevertLocation();
        return;
    }
    if (!IsStaticLocationIndex(locationIndex))
        FillStaticIpList();
    if (static_cast<unsigned>(locationIndex) != LocationGroup(m_nCurrentLocation)) {
        // Another location starts on its first slot.
        FillStaticIpList();
        m_cboStaticIp.SetCurSel(0);
    }
    ApplyStaticSlotSelection();
}

void CCorvaneDlg::ApplyStaticSlotSelection()
{
    if (const std::optional<unsigned> candidate = LocationCodeOfLists(m_cboLocation, m_cboStaticIp))
        DecideLocation(*candidate);
    else
        RevertLocation();
}

void CCorvaneDlg::DecideLocation(unsigned candidate)
{
    if (m_bConnected && candidate != m_nCurrentLocation) {
        // Read again each time: the question's own "do not show" box may have changed it.
        const bool ask = settings::GetInt(settings::kEnableSwitchSrvrMessage, settings::kDefaultMessageFlag) != 0;
        if (ask && ConfirmServerSwitch(ServerRowOfCode(m_nCurrentLocation), ServerRowOfCode(candidate)) != IDYES) {
            RevertLocation();
            return;
        }
        // The switch takes its host from 1007, so 1007 holds the candidate's
        // hosts while the code itself only changes once the switch succeeded.
        const unsigned current = m_nCurrentLocation;
        m_nCurrentLocation = candidate;
        FillServerList();
        SelectCurrentServer();
        m_nCurrentLocation = current;
        if (!SwitchServer()) {
            RevertLocation();
            return;
        }
    }
    CommitLocation();
}

void CCorvaneDlg::CommitLocation()
{
    const std::optional<unsigned> chosen = LocationCodeOfLists(m_cboLocation, m_cboStaticIp);
    if (!chosen) {
        RevertLocation();
        return;
    }
    m_nCurrentLocation = *chosen;
    settings::WriteInt(settings::kCurrentLocation, static_cast<int>(m_nCurrentLocation));
    FillServerList();
    SelectCurrentServer();
}

void CCorvaneDlg::RevertLocation()
{
    const unsigned group = LocationGroup(m_nCurrentLocation);
    m_cboLocation.SetCurSel(static_cast<int>(group));
    if (group < kStaticUsGroup) {
        m_cboStaticIp.ShowWindow(SW_HIDE);
    } else {
        FillStaticIpList();
        m_cboStaticIp.SetCurSel(static_cast<int>(LocationSlot(m_nCurrentLocation)));
        m_cboStaticIp.ShowWindow(SW_SHOWNORMAL);
    }
    FillServerList();
    SelectCurrentServer();
}

void CCorvaneDlg::OnLocationCommand(UINT id)
{
    const std::optional<int> locationIndex = LocationIndexOfCommand(id);
    if (!locationIndex)
        return;
    m_cboLocation.SetCurSel(m_cboLocation.FindStringExact(-1, LocationDisplayName(*locationIndex)));
    OnSelchangeLocation();
    if (!m_bConnected)
        PostMessage(WM_COMMAND, IDC_CONNECT, 0);
}

void CCorvaneDlg::OnStaticSlotCommand(UINT id)
{
    const std::optional<StaticSlotCommand> command = StaticSlotOfCommand(id);
    if (!command)
        return;
    m_cboLocation.SetCurSel(static_cast<int>(command->group));
    FillStaticIpList();
    m_cboStaticIp.SetCurSel(static_cast<int>(command->slotNumber) - 1);
    ApplyStaticSlotSelection();
    if (!m_bConnected)
        PostMessage(WM_COMMAND, IDC_CONNECT, 0);
}
