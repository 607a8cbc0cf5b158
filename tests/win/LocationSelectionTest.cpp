// The location lists of the real main dialog: what a profile shows, what each
// pick and tray command stores, and that a pick while connected that is not
// agreed to leaves everything as it was. The catalogue's mapping of codes is
// tested natively.
#include "TestSupport.h"

#include "app/Settings.h"
#include "res/resource.h"

#include <gmock/gmock.h>

#include <optional>

namespace {

constexpr unsigned kAbsent = 0xABADu;

std::vector<LPARAM> ItemData(const CComboBoxEx& list)
{
    std::vector<LPARAM> data;
    for (int i = 0; i < list.GetCount(); ++i)
        data.push_back(list.GetItemData(i));
    return data;
}

// The dialog itself is never shown in these tests, so a list's own style says
// whether it would be visible.
bool Shown(const CWnd& control)
{
    return (::GetWindowLongW(control.GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
}

enum class Act { Open, PickLocation, PickSlot, Tray };

// arg: for Open the stored code (kAbsent: none), for picks the list index, for Tray the command. Then what the
// lists and the member show: the code, the static list's selected text (none: hidden), the server list's entries;
// stored: what the row stores (kAbsent: nothing); asks: a switch question, answered No.
struct Row {
    Act act; unsigned arg; bool connected; unsigned code; const wchar_t* slot; std::vector<LPARAM> hostEntries;
    unsigned stored; bool postsConnect = false; bool asks = false;
};

TEST(LocationSelectionTest, EachProfileAndCommandShowsAndStoresItsLocation)
{
    const Row rows[] = {
        {Act::Open, kAbsent, false, 200, nullptr, {4, 5}, kAbsent},  // showing the default stores nothing
        {Act::PickLocation, 4, false, 400, L"Canada Static IP 1", {16, 17}, 400},
        {Act::PickSlot, 2, false, 402, L"Canada Static IP 3", {20, 21}, 402},
        {Act::PickLocation, 3, false, 300, L"US Static IP 1", {6, 7}, 300},  // another location: first slot
        {Act::PickSlot, 4, false, 304, L"US Static IP 5", {14, 15}, 304},
        {Act::PickLocation, 3, false, 304, L"US Static IP 5", {14, 15}, 304},  // the same keeps its slot
        {Act::PickLocation, 0, false, 0, nullptr, {0, 1}, 0},
        {Act::Tray, 32505, false, 400, L"Canada Static IP 1", {16, 17}, 400, true},
        {Act::Tray, 32605, false, 304, L"US Static IP 5", {14, 15}, 304, true},
        {Act::Tray, 32623, false, 402, L"Canada Static IP 3", {20, 21}, 402, true},
        {Act::Tray, 32502, false, 100, nullptr, {2, 3}, 100, true},
        // Ids without a catalogue row or slot: the dialog's ranges take them and do nothing.
        {Act::Tray, 32510, false, 100, nullptr, {2, 3}, kAbsent},
        {Act::Tray, 32620, false, 100, nullptr, {2, 3}, kAbsent},
        {Act::Tray, 32680, false, 100, nullptr, {2, 3}, kAbsent},
        {Act::Open, 403, false, 403, L"Canada Static IP 4", {22, 23}, 403},
        // Hand-edited codes fall back to Rotating Netherlands, shown and stored.
        {Act::Open, 999, false, 200, nullptr, {4, 5}, 200},
        {Act::Open, 305, false, 200, nullptr, {4, 5}, 200},
        // While connected, the location in use needs neither question nor switch.
        {Act::PickLocation, 2, true, 200, nullptr, {4, 5}, 200},
        {Act::Tray, 32503, true, 200, nullptr, {4, 5}, 200},
        // A switch answered No puts the lists back on the location in use and stores nothing.
        {Act::Open, 401, false, 401, L"Canada Static IP 2", {18, 19}, 401},
        {Act::PickLocation, 3, true, 401, L"Canada Static IP 2", {18, 19}, kAbsent, false, true},
        {Act::PickSlot, 4, true, 401, L"Canada Static IP 2", {18, 19}, kAbsent, false, true},
        {Act::Tray, 32623, true, 401, L"Canada Static IP 2", {18, 19}, kAbsent, false, true},
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
                const size_t routed = TheTestApp().m_routedCommands.size();
                ::SendMessageW((*dialog)->GetSafeHwnd(), WM_COMMAND, row.arg, 0);
                EXPECT_EQ(TheTestApp().m_routedCommands.size(), routed) << "the dialog's ranges take them all";
            } else {
                (row.act == Act::PickSlot ? (*dialog)->m_cboStaticIp : (*dialog)->m_cboLocation).SetCurSel(row.arg);
                dialog->Command(row.act == Act::PickSlot ? IDC_STATIC_IP : IDC_LOCATION, CBN_SELCHANGE);
            }
        }
        CCorvaneDlg& d = dialog->Dialog();
        std::vector<WPARAM> posted;
        for (MSG message; ::PeekMessageW(&message, d.GetSafeHwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE);)
            posted.push_back(message.wParam);
        EXPECT_EQ(posted, row.postsConnect ? std::vector<WPARAM>{IDC_CONNECT} : std::vector<WPARAM>{});
        EXPECT_EQ(boxes.Shown().size() + modals.Shown().size() > questionsBefore, row.asks);
        EXPECT_EQ(settings::GetInt(settings::kCurrentLocation, static_cast<int>(kAbsent)), row.stored);
        EXPECT_EQ(d.m_nCurrentLocation, row.code);
        EXPECT_EQ(d.m_cboLocation.GetCurSel(), static_cast<int>(row.code / 100));
        EXPECT_EQ(Shown(d.m_cboStaticIp) ? d.m_cboStaticIp.GetItemText(d.m_cboStaticIp.GetCurSel()) : L"-",
                  row.slot ? row.slot : L"-");
        EXPECT_EQ(ItemData(d.m_cboServer), row.hostEntries);
        EXPECT_EQ(d.m_cboServer.GetCurSel(), 0);
        d.m_bConnected = false;
    }
    std::vector<std::wstring> names;
    for (int i = 0; i < (*dialog)->m_cboLocation.GetCount(); ++i)
        names.push_back((*dialog)->m_cboLocation.GetItemText(i));
    EXPECT_THAT(names, testing::ElementsAre(L"Rotating United States", L"Rotating Canada", L"Rotating Netherlands",
                                            L"Static United States", L"Static Canada"));
    EXPECT_THAT(ItemData((*dialog)->m_cboLocation), testing::ElementsAre(0, 1, 2, 3, 4));
}

}  // namespace
