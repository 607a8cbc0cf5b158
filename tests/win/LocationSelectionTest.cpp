// The location lists of the real main dialog: what a profile shows, what each
// pick and tray command stores, and that a pick while connected that is not
// agreed to leaves everything as it was.
#include "TestSupport.h"

#include "ServiceProfile.h"
#include "app/Settings.h"
#include "res/resource.h"

#include <gmock/gmock.h>

#include <optional>

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;

constexpr unsigned kAbsent = 0xABADu;

unsigned StoredLocation()
{
    return settings::GetInt(settings::kCurrentLocation, static_cast<int>(kAbsent));
}

void ForgetStoredLocation()
{
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, (TheTestApp().ProfileKeyPath() + L"\\" + settings::kSection).c_str(),
                         settings::kCurrentLocation);
}

std::vector<std::wstring> Texts(const CComboBoxEx& list)
{
    std::vector<std::wstring> texts;
    for (int i = 0; i < list.GetCount(); ++i)
        texts.push_back(list.GetItemText(i));
    return texts;
}

std::vector<LPARAM> ItemData(const CComboBoxEx& list)
{
    std::vector<LPARAM> data;
    for (int i = 0; i < list.GetCount(); ++i)
        data.push_back(list.GetItemData(i));
    return data;
}

// The dialog itself is never shown in these tests, so the list's own style says
// whether it would be visible.
bool Shown(const CWnd& control)
{
    return (::GetWindowLongW(control.GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
}

// What the lists and the member show for one location code.
struct ShownLocation {
    unsigned code;
    int locationIndex;
    std::optional<int> slot;  // none: 1009 hidden
    std::vector<LPARAM> hostEntries;
};

class LocationSelectionTest : public testing::Test {
protected:
    void Open() { m_dialog.emplace(IDD_MAIN_SIGNUP); }
    CCorvaneDlg& Dialog() { return m_dialog->Dialog(); }

    // The user picks an entry of 1008 or 1009.
    void Pick(CComboBoxEx& list, int listId, int index)
    {
        list.SetCurSel(index);
        m_dialog->Command(static_cast<UINT>(listId), CBN_SELCHANGE);
    }

    // A tray command, sent without handling what it posts.
    void TrayCommand(UINT id)
    {
        ::SendMessageW(Dialog().GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    // Takes the WM_COMMAND messages the dialog posted to itself off the queue.
    std::vector<std::pair<WPARAM, LPARAM>> TakePostedCommands()
    {
        std::vector<std::pair<WPARAM, LPARAM>> posted;
        MSG message;
        while (::PeekMessageW(&message, Dialog().GetSafeHwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE))
            posted.emplace_back(message.wParam, message.lParam);
        return posted;
    }

    void ExpectShown(const ShownLocation& expected)
    {
        EXPECT_EQ(Dialog().m_nCurrentLocation, expected.code);
        EXPECT_EQ(Dialog().m_cboLocation.GetCurSel(), expected.locationIndex);
        EXPECT_EQ(Shown(Dialog().m_cboStaticIp), expected.slot.has_value());
        if (expected.slot) {
            EXPECT_EQ(Dialog().m_cboStaticIp.GetCurSel(), *expected.slot);
        }
        EXPECT_EQ(ItemData(Dialog().m_cboServer), expected.hostEntries);
        EXPECT_EQ(Dialog().m_cboServer.GetCurSel(), 0);
    }

    ScopedTestProfile m_profile;
    std::optional<MainDialogHarness> m_dialog;
};

TEST_F(LocationSelectionTest, FreshProfileShowsRotatingNetherlandsWithItsTwoHostEntries)
{
    Open();
    CCorvaneDlg& dialog = Dialog();
    EXPECT_THAT(Texts(dialog.m_cboLocation),
                ElementsAre(L"Rotating United States", L"Rotating Canada", L"Rotating Netherlands",
                            L"Static United States", L"Static Canada"));
    EXPECT_THAT(ItemData(dialog.m_cboLocation), ElementsAre(0, 1, 2, 3, 4));
    EXPECT_EQ(dialog.m_cboLocation.GetItemText(dialog.m_cboLocation.GetCurSel()), L"Rotating Netherlands");
    EXPECT_FALSE(Shown(dialog.m_cboStaticIp));
    EXPECT_FALSE(Shown(dialog.m_cboServer));
    EXPECT_THAT(Texts(dialog.m_cboServer), ElementsAre(profile::kServerHosts[2], profile::kServerHosts[2]));
    ExpectShown({200, 2, std::nullopt, {4, 5}});
    EXPECT_EQ(StoredLocation(), kAbsent) << "showing the default stores nothing";
}

TEST_F(LocationSelectionTest, PicksWhileDisconnectedStoreTheirCodesWithoutAnyQuestion)
{
    Open();
    MessageBoxScript boxes;
    ModalScript modals([](CDialog&) { return IDNO; });
    CCorvaneDlg& dialog = Dialog();

    Pick(dialog.m_cboLocation, IDC_LOCATION, 4);
    EXPECT_THAT(Texts(dialog.m_cboStaticIp),
                ElementsAre(L"Canada Static IP 1", L"Canada Static IP 2", L"Canada Static IP 3", L"Canada Static IP 4",
                            L"Canada Static IP 5"));
    EXPECT_THAT(ItemData(dialog.m_cboStaticIp), ElementsAre(0, 1, 2, 3, 4));
    EXPECT_THAT(Texts(dialog.m_cboServer), ElementsAre(profile::kServerHosts[8], profile::kServerHosts[8]));
    EXPECT_EQ(StoredLocation(), 400u);
    ExpectShown({400, 4, 0, {16, 17}});

    struct Step {
        bool inStaticList;
        int index;
        ShownLocation after;
    };
    const Step steps[] = {
        {true, 2, {402, 4, 2, {20, 21}}},
        {true, 4, {404, 4, 4, {24, 25}}},
        {false, 3, {300, 3, 0, {6, 7}}},  // another location starts on its first slot
        {true, 4, {304, 3, 4, {14, 15}}},
        {false, 3, {304, 3, 4, {14, 15}}},  // the same location keeps its slot
        {false, 1, {100, 1, std::nullopt, {2, 3}}},
        {false, 0, {0, 0, std::nullopt, {0, 1}}},
        {false, 2, {200, 2, std::nullopt, {4, 5}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.after.code);
        if (step.inStaticList)
            Pick(dialog.m_cboStaticIp, IDC_STATIC_IP, step.index);
        else
            Pick(dialog.m_cboLocation, IDC_LOCATION, step.index);
        EXPECT_EQ(StoredLocation(), step.after.code);
        ExpectShown(step.after);
    }
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(modals.Shown().empty());
}

TEST_F(LocationSelectionTest, StaticListOfUnitedStatesNamesItsFiveSlots)
{
    Open();
    Pick(Dialog().m_cboLocation, IDC_LOCATION, 3);
    EXPECT_THAT(Texts(Dialog().m_cboStaticIp), ElementsAre(L"US Static IP 1", L"US Static IP 2", L"US Static IP 3",
                                                           L"US Static IP 4", L"US Static IP 5"));
}

TEST_F(LocationSelectionTest, TrayCommandsWhileDisconnectedSelectStoreAndPostConnect)
{
    struct Case {
        UINT command;
        ShownLocation after;
    };
    const Case cases[] = {
        {32501, {0, 0, std::nullopt, {0, 1}}},   {32502, {100, 1, std::nullopt, {2, 3}}},
        {32503, {200, 2, std::nullopt, {4, 5}}}, {32504, {300, 3, 0, {6, 7}}},
        {32505, {400, 4, 0, {16, 17}}},          {32601, {300, 3, 0, {6, 7}}},
        {32605, {304, 3, 4, {14, 15}}},          {32621, {400, 4, 0, {16, 17}}},
        {32623, {402, 4, 2, {20, 21}}},          {32625, {404, 4, 4, {24, 25}}},
    };
    Open();
    MessageBoxScript boxes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        ForgetStoredLocation();
        TrayCommand(c.command);
        EXPECT_THAT(TakePostedCommands(), ElementsAre(std::make_pair(WPARAM{IDC_CONNECT}, LPARAM{0})));
        EXPECT_EQ(StoredLocation(), c.after.code);
        ExpectShown(c.after);
    }
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(LocationSelectionTest, CommandIdsWithoutACatalogueRowOrSlotDoNothing)
{
    Open();
    TrayCommand(32623);
    TakePostedCommands();
    ForgetStoredLocation();
    const ShownLocation before{402, 4, 2, {20, 21}};

    std::vector<UINT> unused;
    for (auto [first, last] : {std::pair{32506u, 32510u}, std::pair{32606u, 32620u}, std::pair{32626u, 32680u},
                               std::pair{32551u, 32570u}}) {
        for (UINT id = first; id <= last; ++id)
            unused.push_back(id);
    }
    const size_t routedBefore = TheTestApp().m_routedCommands.size();
    for (UINT id : unused) {
        SCOPED_TRACE(id);
        TrayCommand(id);
        EXPECT_TRUE(TakePostedCommands().empty());
        EXPECT_EQ(StoredLocation(), kAbsent);
        ExpectShown(before);
    }
    EXPECT_EQ(TheTestApp().m_routedCommands.size(), routedBefore) << "the dialog's ranges take them";
}

TEST_F(LocationSelectionTest, StoredLocationIsShownWithItsSlot)
{
    for (const ShownLocation& stored : {ShownLocation{100, 1, std::nullopt, {2, 3}}, ShownLocation{403, 4, 3, {22, 23}}}) {
        SCOPED_TRACE(stored.code);
        ScopedTestProfile::Clear();
        settings::WriteInt(settings::kCurrentLocation, static_cast<int>(stored.code));
        Open();
        ExpectShown(stored);
        EXPECT_EQ(StoredLocation(), stored.code);
        m_dialog.reset();
    }
}

TEST_F(LocationSelectionTest, HandEditedLocationFallsBackToRotatingNetherlandsShownAndStored)
{
    // Every code is mapped natively; here one of each kind: a rotating group
    // with a slot, a group beyond the catalogue, the largest DWORD, a sixth slot.
    for (unsigned edited : {105u, 999u, 4294967295u, 305u}) {
        SCOPED_TRACE(edited);
        ScopedTestProfile::Clear();
        settings::WriteInt(settings::kCurrentLocation, static_cast<int>(edited));
        MessageBoxScript boxes;
        Open();
        ExpectShown({200, 2, std::nullopt, {4, 5}});
        EXPECT_EQ(StoredLocation(), 200u);
        EXPECT_TRUE(boxes.Shown().empty());
        m_dialog.reset();
    }
}

// While connected, a pick of the location in use needs neither question nor switch.
TEST_F(LocationSelectionTest, PickOfTheCurrentLocationWhileConnectedCommitsWithoutAsking)
{
    Open();
    Dialog().m_bConnected = true;
    MessageBoxScript boxes;
    ModalScript modals([](CDialog&) { return IDNO; });

    Pick(Dialog().m_cboLocation, IDC_LOCATION, 2);
    TrayCommand(32503);

    EXPECT_TRUE(TakePostedCommands().empty()) << "never Connect while connected";
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(modals.Shown().empty());
    EXPECT_EQ(StoredLocation(), 200u);
    ExpectShown({200, 2, std::nullopt, {4, 5}});
    Dialog().m_bConnected = false;
}

// A switch answered with No puts the lists back on the location in use and
// stores nothing; the tunnel stays where it is.
TEST_F(LocationSelectionTest, DeclinedSwitchWhileConnectedRevertsTheLists)
{
    settings::WriteInt(settings::kCurrentLocation, 401);
    Open();
    ForgetStoredLocation();
    Dialog().m_bConnected = true;
    MessageBoxScript boxes({IDNO, IDNO, IDNO, IDNO, IDNO, IDNO});
    ModalScript modals([](CDialog&) { return IDNO; });
    const ShownLocation current{401, 4, 1, {18, 19}};

    Pick(Dialog().m_cboLocation, IDC_LOCATION, 3);
    ExpectShown(current);
    Pick(Dialog().m_cboStaticIp, IDC_STATIC_IP, 4);
    ExpectShown(current);
    Pick(Dialog().m_cboLocation, IDC_LOCATION, 2);
    ExpectShown(current);
    TrayCommand(32502);
    ExpectShown(current);
    // The static-slot command's requested slot does not stay in 1009: the list
    // shows the slot in use.
    TrayCommand(32623);
    ExpectShown(current);

    EXPECT_TRUE(TakePostedCommands().empty());
    EXPECT_EQ(StoredLocation(), kAbsent);
    EXPECT_THAT(Texts(Dialog().m_cboStaticIp), ElementsAreArray({L"Canada Static IP 1", L"Canada Static IP 2",
                                                                 L"Canada Static IP 3", L"Canada Static IP 4",
                                                                 L"Canada Static IP 5"}));
    Dialog().m_bConnected = false;
}

}  // namespace
