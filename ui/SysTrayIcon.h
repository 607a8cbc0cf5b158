// The notification-area icon: CSysTrayIcon owns the entries and the menu,
// CSysTrayWnd is the hidden window that receives the icon's callbacks.
#pragma once

#include "framework/Handles.h"
#include "framework/Wnd.h"

#include <shellapi.h>

#include <list>
#include <memory>
#include <string>

class CSysTrayIcon;

// What the tray menu shows depends on.
struct TrayMenuState {
    bool connected = false;
    bool canConnect = true;
    bool windowVisible = true;
};

// The window the icon serves: the menu asks it for its state, and a
// double-click brings it forward.
class CTrayOwner {
public:
    virtual TrayMenuState GetTrayMenuState() const = 0;
    virtual void ShowAndActivate() = 0;

protected:
    ~CTrayOwner() = default;
};

inline constexpr UINT WM_TRAYNOTIFY = WM_USER + 1;
inline constexpr UINT kTrayIconId = 1;
// The size the entries declare: the 32-bit NOTIFYICONDATAW up to and
// including guidItem (in a 64-bit build, the structure up to guidItem).
inline constexpr DWORD kNotifyIconDataSize = 952;

// A hidden top-level window (not message-only, so that it also receives the
// "TaskbarCreated" broadcast when Explorer restarts).
class CSysTrayWnd : public CWnd {
public:
    static constexpr const wchar_t* kClassName = L"CorvaneTrayWnd";

    CSysTrayIcon* m_pTrayIcon = nullptr;

    bool Create();
    void Destroy();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

class CSysTrayIcon {
public:
    CSysTrayIcon();
    virtual ~CSysTrayIcon();
    CSysTrayIcon(const CSysTrayIcon&) = delete;
    CSysTrayIcon& operator=(const CSysTrayIcon&) = delete;

    virtual void OnLButtonDown(UINT id, int x, int y);
    virtual void OnRButtonDown(UINT id, int x, int y);
    virtual void OnMButtonDown(UINT id, int x, int y);
    virtual void OnLButtonUp(UINT id, int x, int y);
    virtual void OnRButtonUp(UINT id, int x, int y);
    virtual void OnMButtonUp(UINT id, int x, int y);
    virtual void OnLButtonDblClk(UINT id, int x, int y);
    virtual void OnRButtonDblClk(UINT id, int x, int y);
    virtual void OnMButtonDblClk(UINT id, int x, int y);
    virtual void OnMouseMove(UINT id, int x, int y);

    BOOL AddIcon(HICON icon, const std::wstring& tooltip);
    BOOL ShowIcon();
    BOOL SetIcon(HICON icon);
    BOOL SetTooltip(const std::wstring& tooltip);
    BOOL ShowBalloon(const std::wstring& text, HICON icon);
    BOOL DeleteIcon(UINT id);

    // Explorer restarted: puts entry 1 back with its current icon and tooltip.
    BOOL OnTaskbarCreated();

    // The tray menu with its state rules applied, ready to track; a test can
    // inspect it without tracking it.
    UniqueMenu BuildMenu() const;

    // The entry with id 1, or null.
    const NOTIFYICONDATAW* FindEntry() const;
    HWND GetTrayWindow() const { return m_wndTray.GetSafeHwnd(); }

    CSysTrayWnd m_wndTray;
    std::list<std::unique_ptr<NOTIFYICONDATAW>> m_listIcons;
    CTrayOwner* m_pOwner = nullptr;

private:
    NOTIFYICONDATAW* Entry();
};
