#include "ui/SysTrayIcon.h"

#include "ui/CorvaneDlg.h"

CSysTrayIcon::CSysTrayIcon() {}
CSysTrayIcon::~CSysTrayIcon() {}
void CSysTrayIcon::OnLButtonDown(UINT, int, int) {}
void CSysTrayIcon::OnRButtonDown(UINT, int, int) {}
void CSysTrayIcon::OnMButtonDown(UINT, int, int) {}
void CSysTrayIcon::OnLButtonUp(UINT, int, int) {}
void CSysTrayIcon::OnRButtonUp(UINT, int, int) {}
void CSysTrayIcon::OnMButtonUp(UINT, int, int) {}
void CSysTrayIcon::OnLButtonDblClk(UINT, int, int) {}
void CSysTrayIcon::OnRButtonDblClk(UINT, int, int) {}
void CSysTrayIcon::OnMButtonDblClk(UINT, int, int) {}
void CSysTrayIcon::OnMouseMove(UINT, int, int) {}
BOOL CSysTrayIcon::AddIcon(HICON, const std::wstring&) { return TRUE; }
BOOL CSysTrayIcon::ShowIcon() { return TRUE; }
BOOL CSysTrayIcon::SetIcon(HICON) { return TRUE; }
BOOL CSysTrayIcon::SetTooltip(const std::wstring&) { return TRUE; }
BOOL CSysTrayIcon::ShowBalloon(const std::wstring&, HICON) { return TRUE; }
BOOL CSysTrayIcon::DeleteIcon(UINT) { return TRUE; }
BOOL CSysTrayIcon::OnTaskbarCreated() { return TRUE; }
UniqueMenu CSysTrayIcon::BuildMenu() const { return UniqueMenu(); }
const NOTIFYICONDATAW* CSysTrayIcon::FindEntry() const { return nullptr; }
NOTIFYICONDATAW* CSysTrayIcon::Entry() { return nullptr; }
