// The location lists of the real main dialog: what a profile shows, what each
// pick and tray command stores, and that a pick while connected that is not
// agreed to leaves everything as it was. The catalogue's mapping of codes is
// tested natively.
#include "TestSupport.h"

#include "app/Settings.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned kAbsent = 0xABADu;

enum class Act { Open, PickLocation, PickSlot, Tray };

// The code, the location list's row, the static list's selected text (when
// shown: the dialog is never shown here, so the list's own style says it)
// and the server list's entries.
std::wstring Lists(CCorvaneDlg& d)
{
    std::wstring text = std::to_wstring(d.m_nCurrentLocation) + L" " + std::to_wstring(d.m_cboLocation.GetCurSel());
    if (::GetWindowLongW(d.m_cboStaticIp.GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE)
        text += L" " + d.m_cboStaticIp.GetItemText(d.m_cboStaticIp.GetCurSel());
    for (int i = 0; i < d.m_cboServer.GetCount(); ++i)
        text += (i ? L"," : L" ") + std::to_wstring(d.m_cboServer.GetItemData(i));
    return text;
}

TEST(LocationSelectionTest, EachProfileAndCommandShowsAndStoresItsLocation)
{
    // arg: for Open the stored code (kAbsent: none), for picks the list index, for Tray the command. Then the lists,
    // what the row stores, the commands it posts and whether it asks to switch (answered No).
    struct Row { Act act; unsigned arg; bool connected; const wchar_t* seen; };
    const Row rows[] = {
        {Act::Open, kAbsent, false, L"200 2 4,5"},  // showing the default stores nothing
        {Act::PickLocation, 4, false, L"400 4 Canada Static IP 1 16,17, stores 400"},
        {Act::PickSlot, 2, false, L"402 4 Canada Static IP 3 20,21, stores 402"},
        {Act::PickLocation, 3, false, L"300 3 US Static IP 1 6,7, stores 300"},  // another location: first slot
        {Act::PickSlot, 4, false, L"304 3 US Static IP 5 14,15, stores 304"},
        {Act::PickLocation, 3, false, L"304 3 US Static IP 5 14,15, stores 304"},  // the same keeps its slot
        {Act::PickLocation, 0, false, L"0 0 0,1, stores 0"},
        {Act::Tray, 32505, false, L"400 4 Canada Static IP 1 16,17, stores 400, posts Connect"},
        {Act::Tray, 32623, false, L"402 4 Canada Static IP 3 20,21, stores 402, posts Connect"},
        // An id in the dialog's ranges without a catalogue row does nothing (the ranges' edges are tested natively).
        {Act::Tray, 32510, false, L"402 4 Canada Static IP 3 20,21"},
        {Act::Open, 403, false, L"403 4 Canada Static IP 4 22,23, stores 403"},
        // A hand-edited code falls back to Rotating Netherlands, shown and stored.
        {Act::Open, 999, false, L"200 2 4,5, stores 200"},
        // While connected, the location in use needs neither question nor switch.
        {Act::PickLocation, 2, true, L"200 2 4,5, stores 200"},
        {Act::Tray, 32503, true, L"200 2 4,5, stores 200"},
        // A switch answered No puts the lists back on the location in use and stores nothing.
        {Act::Open, 401, false, L"401 4 Canada Static IP 2 18,19, stores 401"},
        {Act::PickLocation, 3, true, L"401 4 Canada Static IP 2 18,19, asks"},
        {Act::PickSlot, 4, true, L"401 4 Canada Static IP 2 18,19, asks"},
        {Act::Tray, 32623, true, L"401 4 Canada Static IP 2 18,19, asks"},
    };
    ScopedTestProfile profile;
    std::optional<MainDialogHarness> dialog;
    MessageBoxScript boxes(std::deque<int>(8, IDNO));
    ModalScript modals([](CDialog&) { return IDNO; });
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "act " << static_cast<int>(row.act) << " " << row.arg);
        const size_t questionsBefore = boxes.Shown().size() + modals.Shown().size();
        if (row.act == Act::Open) {
            dialog.reset();
            ScopedTestProfile::Clear();
            if (row.arg != kAbsent)
                settings::WriteInt(settings::kCurrentLocation, static_cast<int>(row.arg));
            dialog.emplace(IDD_MAIN_SIGNUP);
        } else {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, (TheTestApp().ProfileKeyPath() + L"\\" + settings::kSection).c_str(),
                                 settings::kCurrentLocation);
            (*dialog)->m_bConnected = row.connected;
            if (row.act == Act::Tray) {
                // Sent without handling what it posts: the Connect stays queued, to be seen below.
                ::SendMessageW((*dialog)->GetSafeHwnd(), WM_COMMAND, row.arg, 0);
            } else {
                (row.act == Act::PickSlot ? (*dialog)->m_cboStaticIp : (*dialog)->m_cboLocation).SetCurSel(row.arg);
                dialog->Command(row.act == Act::PickSlot ? IDC_STATIC_IP : IDC_LOCATION, CBN_SELCHANGE);
            }
        }
        CCorvaneDlg& d = dialog->Dialog();
        const unsigned stored = settings::GetInt(settings::kCurrentLocation, static_cast<int>(kAbsent));
        std::wstring seen = Lists(d) + (stored == kAbsent ? L"" : L", stores " + std::to_wstring(stored));
        for (MSG message; ::PeekMessageW(&message, d.GetSafeHwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE);)
            seen += L", posts " + (message.wParam == IDC_CONNECT ? L"Connect" : std::to_wstring(message.wParam));
        seen += boxes.Shown().size() + modals.Shown().size() > questionsBefore ? L", asks" : L"";
        EXPECT_EQ(seen, row.seen);
        EXPECT_EQ(d.m_cboServer.GetCurSel(), 0);
        d.m_bConnected = false;
    }
}

}  // namespace
