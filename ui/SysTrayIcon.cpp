#include "ui/SysTrayIcon.h"

#include "framework/App.h"
#include "framework/ProcedureGuard.h"
#include "framework/Seams.h"
#include "framework/Strings.h"
#include "res/resource.h"

#include <algorithm>
#include <string_view>
#include <utility>

// 952 is the 32-bit structure up to and including guidItem; in this 64-bit
// build it ends just before guidItem, which the shell reads as the layout
// that already has balloons (the program uses no icon GUID).
static_assert(sizeof(void*) != 8 || NOTIFYICONDATAW_V2_SIZE == kNotifyIconDataSize);
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAW_V3_SIZE == kNotifyIconDataSize);

namespace {
constexpr UINT kShownFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr UINT kBalloonTimeoutMs = 10000;
constexpr const wchar_t* kBalloonTitle = L"Corvane";
constexpr const wchar_t* kHideWindowText = L"Hide Window";
constexpr const wchar_t* kShowWindowText = L"Show Window";

// Copies as much of the text as fits, always terminated.
template <size_t N>
void CopyText(wchar_t (&field)[N], const std::wstring& text)
{
    const size_t length = std::min(text.size(), N - 1);
    std::copy_n(text.c_str(), length, field);
    field[length] = L'\0';
}

// A visible, enabled dialog or message box of this thread other than the
// main window (all of them are of the dialog class), or null.
HWND FindOpenBox(HWND mainWindow)
{
    struct Search {
        HWND mainWindow;
        HWND found;
    } search{mainWindow, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(context);
            wchar_t className[16] = {};
            ::GetClassNameW(window, className, 16);
            if (window == search.mainWindow || std::wstring_view(className) != L"#32770" ||
                !::IsWindowVisible(window) || !::IsWindowEnabled(window))
                return TRUE;
            search.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// While a box is open, a flow waits for it: a tray click brings the box to
// the front rather than offer commands that would have to wait behind it.
bool BringOpenBoxForward()
{
    if (!ModalBoxOpen())
        return false;
    CWnd* main = AfxGetMainWnd();
    if (HWND box = FindOpenBox(main ? main->GetSafeHwnd() : nullptr)) {
        ::SetForegroundWindow(box);
        ::BringWindowToTop(box);
    }
    return true;
}

// Sent to every top-level window when Explorer (re)creates the taskbar.
UINT TaskbarCreatedMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}
}  // namespace

// The hidden window

bool CSysTrayWnd::Create()
{
    HINSTANCE module = ResourceModule();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (!::GetClassInfoExW(module, kClassName, &windowClass)) {
        windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = module;
        windowClass.lpszClassName = kClassName;
        if (!::RegisterClassExW(&windowClass))
            return false;
    }
    // A popup that is never shown: top-level, so the taskbar broadcast reaches it.
    m_hWnd = ::CreateWindowExW(0, kClassName, L"", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, nullptr, nullptr, module, this);
    return m_hWnd != nullptr;
}

void CSysTrayWnd::Destroy()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

LRESULT CSysTrayWnd::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    if (!m_pTrayIcon)
        return 0;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const UINT id = static_cast<UINT>(wParam);
    CSysTrayIcon& icon = *m_pTrayIcon;
    switch (lParam) {
    case WM_MOUSEMOVE: icon.OnMouseMove(id, cursor.x, cursor.y); break;
    case WM_LBUTTONDOWN: icon.OnLButtonDown(id, cursor.x, cursor.y); break;
    case WM_LBUTTONUP: icon.OnLButtonUp(id, cursor.x, cursor.y); break;
    case WM_LBUTTONDBLCLK: icon.OnLButtonDblClk(id, cursor.x, cursor.y); break;
    case WM_RBUTTONDOWN: icon.OnRButtonDown(id, cursor.x, cursor.y); break;
    case WM_RBUTTONUP: icon.OnRButtonUp(id, cursor.x, cursor.y); break;
    case WM_RBUTTONDBLCLK: icon.OnRButtonDblClk(id, cursor.x, cursor.y); break;
    case WM_MBUTTONDOWN: icon.OnMButtonDown(id, cursor.x, cursor.y); break;
    case WM_MBUTTONUP: icon.OnMButtonUp(id, cursor.x, cursor.y); break;
    case WM_MBUTTONDBLCLK: icon.OnMButtonDblClk(id, cursor.x, cursor.y); break;
    default: break;
    }
    return 0;
}

LRESULT CALLBACK CSysTrayWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return GuardProcedure<LRESULT>(0, [&] { return HandleMessage(window, message, wParam, lParam); });
}

LRESULT CSysTrayWnd::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<CSysTrayWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CSysTrayWnd*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        if (message == WM_TRAYNOTIFY)
            return self->OnTrayNotify(wParam, lParam);
        if (message == TaskbarCreatedMessage() && self->m_pTrayIcon) {
            self->m_pTrayIcon->OnTaskbarCreated();
            return 0;
        }
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->m_hWnd = nullptr;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The icon entries

CSysTrayIcon::CSysTrayIcon()
{
    m_wndTray.m_pTrayIcon = this;
    m_wndTray.Create();
}

CSysTrayIcon::~CSysTrayIcon()
{
    while (!m_listIcons.empty())
        DeleteIcon(m_listIcons.front()->uID);
    m_wndTray.Destroy();
}

const NOTIFYICONDATAW* CSysTrayIcon::FindEntry() const
{
    auto found = std::find_if(m_listIcons.begin(), m_listIcons.end(),
                              [](const auto& entry) { return entry->uID == kTrayIconId; });
    return found == m_listIcons.end() ? nullptr : found->get();
}

NOTIFYICONDATAW* CSysTrayIcon::Entry()
{
    return const_cast<NOTIFYICONDATAW*>(FindEntry());
}

BOOL CSysTrayIcon::AddIcon(HICON icon, const std::wstring& tooltip)
{
    if (FindEntry())
        return TRUE;
    if (!icon)
        return FALSE;
    auto entry = std::make_unique<NOTIFYICONDATAW>();
    entry->cbSize = kNotifyIconDataSize;
    entry->hWnd = m_wndTray.GetSafeHwnd();
    entry->uID = kTrayIconId;
    entry->uCallbackMessage = WM_TRAYNOTIFY;
    entry->hIcon = icon;
    CopyText(entry->szTip, tooltip);
    m_listIcons.push_back(std::move(entry));
    return TRUE;
}

BOOL CSysTrayIcon::ShowIcon()
{
    NOTIFYICONDATAW* entry = Entry();
    if (!entry)
        return FALSE;
    const UINT previousFlags = std::exchange(entry->uFlags, kShownFlags);
    // Flags of 0 mean the icon was never put into the notification area.
    return ::Shell_NotifyIconW(previousFlags == 0 ? NIM_ADD : NIM_MODIFY, entry);
}

BOOL CSysTrayIcon::SetIcon(HICON icon)
{
    NOTIFYICONDATAW* entry = Entry();
    if (!entry)
        return FALSE;
    entry->hIcon = icon;
    return ::Shell_NotifyIconW(NIM_MODIFY, entry);
}

BOOL CSysTrayIcon::SetTooltip(const std::wstring& tooltip)
{
    NOTIFYICONDATAW* entry = Entry();
    if (!entry)
        return FALSE;
    CopyText(entry->szTip, tooltip);
    // An icon never shown keeps the tip for ShowIcon, which adds it: flags
    // set now would make it modify an icon the shell never had.
    if (entry->uFlags == 0)
        return FALSE;
    entry->uFlags |= NIF_TIP;
    return ::Shell_NotifyIconW(NIM_MODIFY, entry);
}

BOOL CSysTrayIcon::ShowBalloon(const std::wstring& text, HICON icon)
{
    NOTIFYICONDATAW* entry = Entry();
    // A balloon needs the icon in the notification area.
    if (!entry || entry->uFlags == 0)
        return FALSE;
    entry->uFlags |= NIF_INFO;
    entry->dwInfoFlags = NIIF_USER;
    entry->hIcon = icon;
    entry->uTimeout = kBalloonTimeoutMs;
    CopyText(entry->szInfoTitle, kBalloonTitle);
    CopyText(entry->szInfo, text);
    return ::Shell_NotifyIconW(NIM_MODIFY, entry);
}

BOOL CSysTrayIcon::DeleteIcon(UINT id)
{
    auto found = std::find_if(m_listIcons.begin(), m_listIcons.end(),
                              [id](const auto& entry) { return entry->uID == id; });
    if (found == m_listIcons.end())
        return FALSE;
    NOTIFYICONDATAW& entry = **found;
    entry.uFlags = 0;
    const BOOL result = ::Shell_NotifyIconW(NIM_DELETE, &entry);
    m_listIcons.erase(found);
    return result;
}

BOOL CSysTrayIcon::OnTaskbarCreated()
{
    const NOTIFYICONDATAW* entry = FindEntry();
    // An icon never shown stays for ShowIcon to add.
    if (!entry || entry->uFlags == 0)
        return FALSE;
    // The new taskbar gets the icon and tooltip, not a balloon shown long ago.
    NOTIFYICONDATAW again = *entry;
    again.uFlags &= ~NIF_INFO;
    return ::Shell_NotifyIconW(NIM_ADD, &again);
}

// The tray menu

UniqueMenu CSysTrayIcon::BuildMenu() const
{
    UniqueMenu loaded(::LoadMenuW(ResourceModule(), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
    if (!loaded)
        return {};
    // Detached from the bar, the popup outlives the loaded menu.
    UniqueMenu menu(::GetSubMenu(loaded.Get(), 0));
    ::RemoveMenu(loaded.Get(), 0, MF_BYPOSITION);
    if (!m_pOwner)
        return menu;

    const TrayMenuState state = m_pOwner->GetTrayMenuState();
    HMENU popup = menu.Get();
    if (!state.canConnect)
        ::EnableMenuItem(popup, ID_CONNECT_COMMAND, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    ::DeleteMenu(popup, state.connected ? ID_CONNECT_COMMAND : ID_DISCONNECT, MF_BYCOMMAND);
    ::ModifyMenuW(popup, ID_SHOW_WINDOW, MF_BYCOMMAND | MF_STRING, ID_SHOW_WINDOW,
                  state.windowVisible ? kHideWindowText : kShowWindowText);
    return menu;
}

void CSysTrayIcon::OnLButtonDown(UINT id, int x, int y)
{
    OnRButtonDown(id, x, y);
}

void CSysTrayIcon::OnRButtonDown(UINT, int x, int y)
{
    if (BringOpenBoxForward())
        return;
    UniqueMenu menu = BuildMenu();
    if (!menu)
        return;
    CWnd* main = AfxGetMainWnd();
    HWND owner = main ? main->GetSafeHwnd() : m_wndTray.GetSafeHwnd();
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    // Lets the menu close properly when the user clicks elsewhere the next time.
    ::PostMessageW(owner, WM_NULL, 0, 0);
}

void CSysTrayIcon::OnLButtonDblClk(UINT, int, int)
{
    if (BringOpenBoxForward())
        return;
    if (m_pOwner)
        m_pOwner->ShowAndActivate();
}

void CSysTrayIcon::OnMButtonDown(UINT, int, int) {}
void CSysTrayIcon::OnLButtonUp(UINT, int, int) {}
void CSysTrayIcon::OnRButtonUp(UINT, int, int) {}
void CSysTrayIcon::OnMButtonUp(UINT, int, int) {}
void CSysTrayIcon::OnRButtonDblClk(UINT, int, int) {}
void CSysTrayIcon::OnMButtonDblClk(UINT, int, int) {}
void CSysTrayIcon::OnMouseMove(UINT, int, int) {}
