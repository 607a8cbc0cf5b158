#include "ui/CorvaneDlg.h"

#include "app/Product.h"
#include "app/Settings.h"
#include "framework/App.h"
#include "framework/ProcedureGuard.h"
#include "framework/Seams.h"
#include "framework/Strings.h"
#include "framework/TextFormat.h"
#include "res/resource.h"
#include "ui/Hyperlink.h"
#include "ui/PasswordCodec.h"
#include "web/UpdateCheck.h"
#include "web/WebAddresses.h"

bool g_bRetryPromptArmed = false;

namespace {
constexpr int kCredentialLimit = 15;
constexpr COLORREF kImageMask = RGB(255, 255, 255);
// Posted once the window has been painted for the first time (see OnInitDialog).
constexpr UINT kFinishStartUpMessage = WM_APP + 1;
constexpr UINT_PTR kFirstPaintTimer = 3;

// A timer of no delay comes after the first WM_PAINT, since the system hands
// out WM_TIMER only when nothing else (painting included) is waiting, and it
// still comes when there is nothing to paint, as for a window off the screen.
void CALLBACK AfterFirstPaint(HWND window, UINT, UINT_PTR timerId, DWORD)
{
    ::KillTimer(window, timerId);
    ::PostMessageW(window, kFinishStartUpMessage, 0, 0);
}
}  // namespace

// clang-format off
const MessageEntry<CCorvaneDlg> CCorvaneDlg::kMessages[] = {
    OnMessage(WM_PAINT,                      &CCorvaneDlg::OnPaint),
    OnMessage(WM_QUERYDRAGICON,              &CCorvaneDlg::OnQueryDragIcon),
    OnMessage(WM_CLOSE,                      &CCorvaneDlg::OnClose),
    OnMessage(WM_TIMER,                      &CCorvaneDlg::OnTimer),
    OnMessage(WM_ACTIVATE,                   &CCorvaneDlg::OnActivate),
    OnMessage(WM_MOVE,                       &CCorvaneDlg::OnMove),
    OnMessage(WM_ENDSESSION,                 &CCorvaneDlg::OnEndSession),
    OnMessage(WM_SYSCOMMAND,                 &CCorvaneDlg::OnSysCommand),
    OnMessage(WM_SHOWWINDOW,                 &CCorvaneDlg::OnShowWindowMessage),
    OnMessage(kFinishStartUpMessage,         &CCorvaneDlg::OnFinishStartUp),
    OnNotify(IDC_SERVER, CBN_SELCHANGE,      &CCorvaneDlg::OnSelchangeServer),
    OnNotify(IDC_LOCATION, CBN_SELCHANGE,    &CCorvaneDlg::OnSelchangeLocation),
    OnNotify(IDC_STATIC_IP, CBN_SELCHANGE,   &CCorvaneDlg::OnSelchangeLocation),
    OnNotify(IDC_USERNAME, EN_CHANGE,        &CCorvaneDlg::OnChangeUsername),
    OnNotify(IDC_PASSWORD, EN_CHANGE,        &CCorvaneDlg::OnChangePassword),
    OnCommand(IDC_MANAGE_ACCOUNT,            &CCorvaneDlg::OnManageMyAccount),
    OnCommand(IDC_HELP_BUTTON,               &CCorvaneDlg::OnHelp),
    OnCommand(IDC_VERIFY_CONNECTION,         &CCorvaneDlg::OnVerifyMyConnection),
    OnCommand(IDC_SIGNUP_LINK,               &CCorvaneDlg::OnSignUp),
    OnCommand(IDC_CONNECT,                   &CCorvaneDlg::OnConnect),
    OnCommand(ID_CONNECT_COMMAND,            &CCorvaneDlg::OnConnect),
    OnCommand(ID_DISCONNECT,                 &CCorvaneDlg::OnConnect),
    OnCommand(ID_SHOW_WINDOW,                &CCorvaneDlg::OnShowWindowCommand),
    OnCommand(ID_CHECK_UPDATES,              &CCorvaneDlg::OnCheckForUpdates),
    OnCommand(ID_HELP_COMMAND,               &CCorvaneDlg::OnHelp),
    OnCommand(ID_EXIT,                       &CCorvaneDlg::OnClose),
    OnCommandRange(ID_LOCATION_FIRST, ID_LOCATION_LAST,     &CCorvaneDlg::OnLocationCommand),
    OnCommandRange(ID_US_STATIC_FIRST, ID_STATIC_SLOT_LAST, &CCorvaneDlg::OnStaticSlotCommand),
    OnCommandRange(ID_SLOT99_FIRST, ID_SLOT99_LAST,         &CCorvaneDlg::OnStaticSlotCommand),
    OnCommand(IDC_REMEMBER,                  &CCorvaneDlg::OnRememberClicked),
    OnCommand(ID_ABOUT,                      &CCorvaneDlg::OnAbout),
    OnCommand(ID_END_DIALOG,                 &CCorvaneDlg::OnEndDialogCommand),
};
// clang-format on

CCorvaneDlg::CCorvaneDlg(UINT templateId) : CDialogWithTable(templateId)
{
    HINSTANCE module = ResourceModule();
    m_hIcon = ::LoadIconW(module, MAKEINTRESOURCEW(IDI_APP));
    m_hIconDisconnected = ::LoadIconW(module, MAKEINTRESOURCEW(IDI_DISCONNECTED));
    m_hIconConnected = ::LoadIconW(module, MAKEINTRESOURCEW(IDI_CONNECTED));
    m_trayIcon.AddIcon(m_hIconDisconnected, LoadStringResource(IDS_TOOLTIP_DISCONNECTED));
    m_strAccountUrl = AccountPageUrl();
    // A handler that failed leaves nothing switched on: the tunnel stops, the
    // system goes direct, and the user is told.
    seams::procedureFailure = [this](const char*) {
        GiveUpTunnel();
        ShowMessageBox(m_hWnd, LoadStringResource(IDS_UNEXPECTED_ERROR), LoadStringResource(IDS_APP_NAME),
                       MB_OK | MB_ICONERROR);
    };
}

// Image lists, the tray icon and the tunnel (its files, its process, whose job
// ends it) free themselves.
CCorvaneDlg::~CCorvaneDlg()
{
    seams::procedureFailure = nullptr;
}

void CCorvaneDlg::DoDataExchange()
{
    BindControl(IDC_LOCATION, m_cboLocation);
    BindControl(IDC_STATIC_IP, m_cboStaticIp);
    BindControl(IDC_SERVER, m_cboServer);
    BindControl(IDC_USERNAME, m_editUsername);
    BindControl(IDC_PASSWORD, m_editPassword);
    BindControl(IDC_CONNECT, m_btnConnect);
    BindControl(IDC_REMEMBER, m_chkRemember);
}

BOOL CCorvaneDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (HWND signUpLink = GetDlgItem(IDC_SIGNUP_LINK))
        ConvertStaticToHyperlink(signUpLink);

    m_pLocationImages = std::make_unique<CImageList>();
    m_pLocationImages->Create(IDB_LOCATIONS, 16, 1, kImageMask);
    m_pStaticIpImages = std::make_unique<CImageList>();
    m_pStaticIpImages->Create(IDB_STATIC_SLOTS, 16, 1, kImageMask);
    m_pServerImages = std::make_unique<CImageList>();
    m_pServerImages->Create(IDB_SERVERS, 16, 1, kImageMask);
    m_cboLocation.SetImageList(*m_pLocationImages);
    m_cboStaticIp.SetImageList(*m_pStaticIpImages);
    m_cboServer.SetImageList(*m_pServerImages);

    m_strWindowTitle = FormatText(L"%s v.%s", {kProductName, kVersionText});
    SetWindowText(m_strWindowTitle);

    m_trayIcon.m_pOwner = this;
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIconDisconnected));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconDisconnected));

    m_strUsername = settings::GetString(settings::kUsername);
    m_strPassword = DecodePassword(settings::GetString(settings::kPassword));

    m_nCurrentLocation = settings::GetInt(settings::kCurrentLocation, settings::kDefaultLocation);

    FillLocationList();
    SelectCurrentLocation();
    FillStaticIpList();
    if (m_nCurrentLocation / 100 >= 3)
        m_cboStaticIp.SetCurSel(static_cast<int>(m_nCurrentLocation % 100));
    FillServerList();
    SelectCurrentServer();

    const auto storedSwitch = [](const wchar_t* name) {
        return settings::GetInt(name, settings::kDefaultMessageFlag) != 0;
    };
    m_warnings = {storedSwitch(settings::kExitMessage), storedSwitch(settings::kBrowserMessage),
                  storedSwitch(settings::kEnableSwitchSrvrMessage), storedSwitch(settings::kEnableBrowserMessage)};

    const int x = static_cast<int>(settings::GetInt(settings::kX, settings::kDefaultX));
    const int y = static_cast<int>(settings::GetInt(settings::kY, settings::kDefaultY));

    m_strCustomerId = settings::ReadCustomerId(m_strIniPath);

    ::SetWindowPos(m_hWnd, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_FRAMECHANGED);

    EnableConnectForCredentials();
    m_chkRemember.SetCheck(static_cast<int>(settings::GetInt(settings::kRemember, settings::kDefaultRemember)));

    m_editPassword.SetWindowText(m_strPassword);
    m_editUsername.SetWindowText(m_strUsername);
    m_editPassword.LimitText(kCredentialLimit);
    m_editUsername.LimitText(kCredentialLimit);

    CheckForUpdates(this);

    if (m_bStartHidden)
        ::SetTimer(m_hWnd, IDT_START_HIDDEN, 1, nullptr);
    // The tray icon waits for the window's first paint: putting it into the
    // notification area is a round trip to the shell that would delay it.
    ::SetTimer(m_hWnd, kFirstPaintTimer, 0, AfterFirstPaint);
    return TRUE;
}

TrayMenuState CCorvaneDlg::GetTrayMenuState() const
{
    return {m_bConnected, m_btnConnect.IsWindowEnabled(), IsWindowVisible()};
}

void CCorvaneDlg::OnFinishStartUp()
{
    // The files a killed run left in the temporary folder go once the window
    // is up; a tunnel started before this sweeps them when it stops.
    if (!m_tunnel.Started() && !m_tunnel.FilesOpen())
        DeleteProcessFiles();
    // Input comes before this message: a minimise or a connect that came
    // first has shown the icon already, with the state it made.
    const NOTIFYICONDATAW* entry = m_trayIcon.FindEntry();
    if (entry && entry->uFlags != 0)
        return;
    m_trayIcon.SetIcon(m_bConnected ? m_hIconConnected : m_hIconDisconnected);
    m_trayIcon.ShowIcon();
}

void CCorvaneDlg::MoveFocusOffTheEdits()
{
    // A caret blinking in an edit wakes the process twice a second.
    const HWND focus = ::GetFocus();
    if ((focus == m_editUsername.GetSafeHwnd() || focus == m_editPassword.GetSafeHwnd()) &&
        m_btnConnect.IsWindowEnabled())
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_btnConnect.GetSafeHwnd()), TRUE);
}

LRESULT CCorvaneDlg::OnShowWindowMessage(WPARAM shown, LPARAM)
{
    // Going to the tray, the window leaves no caret behind in an edit.
    if (!shown)
        MoveFocusOffTheEdits();
    return Default();
}

void CCorvaneDlg::ShowAndActivate()
{
    ShowWindow(SW_RESTORE);
    ShowWindow(SW_SHOW);
    ::BringWindowToTop(m_hWnd);
    ::SetForegroundWindow(m_hWnd);
}

void CCorvaneDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
}

LRESULT CCorvaneDlg::OnQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_hIcon);
}

LRESULT CCorvaneDlg::OnActivate(WPARAM wParam, LPARAM)
{
    LRESULT result = Default();
    // Minimised, the window leaves the taskbar; the tray icon brings it back.
    if (HIWORD(wParam) != 0)
        ShowWindow(SW_HIDE);
    return result;
}

LRESULT CCorvaneDlg::OnMove(WPARAM, LPARAM)
{
    LRESULT result = Default();
    if (m_bIgnoreNextMove) {
        m_bIgnoreNextMove = false;
        return result;
    }
    RECT window, desktop;
    ::GetWindowRect(m_hWnd, &window);
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    // Only a position wholly inside the screen is remembered.
    if (window.left > 0 && window.top > 0 && window.right > 0 && window.bottom > 0 && window.right < desktop.right &&
        window.bottom < desktop.bottom) {
        settings::WriteInt(settings::kX, window.left);
        settings::WriteInt(settings::kY, window.top);
    }
    m_bIgnoreNextMove = false;
    return result;
}

void CCorvaneDlg::OnShowWindowCommand()
{
    if (IsWindowVisible())
        ShowWindow(SW_HIDE);
    else
        ShowAndActivate();
}

void CCorvaneDlg::OnEndDialogCommand()
{
    m_bEndRequested = true;
    PostMessage(WM_COMMAND, IDOK, 0);
}
