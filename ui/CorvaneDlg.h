// The main dialog: the program's only main window and the owner of all
// connection state. Its methods are defined in the folder of the subsystem
// they belong to (tunnel/, catalogue/, proxy/, browsers/, web/, ui/).
#pragma once

#include "browsers/Warnings.h"
#include "framework/Dialog.h"
#include "tunnel/MonitorDecision.h"
#include "tunnel/TunnelProcess.h"
#include "ui/SysTrayIcon.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr UINT_PTR IDT_TUNNEL_MONITOR = 1;  // every 1000 ms while a tunnel runs
inline constexpr UINT_PTR IDT_START_HIDDEN = 2;    // once, 1 ms after a hidden start
inline constexpr UINT kMonitorPeriodMs = 1000;

// Set while the next failure is to be retried on the second server entry
// without asking; cleared by every stop.
extern bool g_bRetryPromptArmed;

class CCorvaneDlg : public CDialogWithTable<CCorvaneDlg>, public CTrayOwner {
public:
    explicit CCorvaneDlg(UINT templateId);
    ~CCorvaneDlg() override;

    static const MessageEntry<CCorvaneDlg> kMessages[];

    // What the application, the tests and the benches call.
    void ShowAndActivate() override;
    TrayMenuState GetTrayMenuState() const override;
    void OnConnect();
    void StopTunnel();
    void DeleteProcessFiles();
    LRESULT OnTimer(WPARAM timerId, LPARAM);
    std::wstring GetServerHost() const;

    // Set by the application before the dialog is created.
    bool m_bStartHidden = false;
    std::wstring m_strTempDir;
    std::wstring m_strIniPath;
    // Read by the application (Restore System Defaults), the tests and the benches.
    WarningSwitches m_warnings;
    bool m_bConnected = false;
    bool m_bReconnecting = false;
    int m_nMonitorTicks = 0;
    unsigned m_nCurrentLocation = 200;
    std::wstring m_strUsername;
    std::wstring m_strPassword;
    // The running plink, its files and its job; it ends with Corvane in any
    // way, so no orphan keeps port 1234.
    CTunnelProcess m_tunnel;
    CSysTrayIcon m_trayIcon;
    CButton m_btnConnect;
    CEdit m_editUsername;
    CEdit m_editPassword;
    CComboBoxEx m_cboServer;
    CComboBoxEx m_cboLocation;
    CComboBoxEx m_cboStaticIp;

protected:
    void DoDataExchange() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    class FlowScope;

    // ui/CorvaneDlg.cpp: initialisation, painting, moving, showing
    BOOL OnInitDialog() override;
    void OnPaint();
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnMove(WPARAM, LPARAM);
    void OnShowWindowCommand();
    void OnEndDialogCommand();

    // Puts the focus on the Connect button when it is in the username or
    // password field, so no caret blinks while the tunnel runs or the window
    // is in the tray.
    void MoveFocusOffTheEdits();
    LRESULT OnShowWindowMessage(WPARAM shown, LPARAM);
    void OnFinishStartUp();

    // ui/MinimizeToTray.cpp
    LRESULT OnSysCommand(WPARAM command, LPARAM lParam);

    // ui/AboutBox.cpp
    void OnAbout();

    // ui/CredentialsEntry.cpp
    bool ValidateUsername(const std::wstring& text);
    bool ValidatePassword(const std::wstring& text);
    void EnableConnectForCredentials();
    void OnChangeUsername();
    void OnChangePassword();
    void OnRememberClicked();

    // catalogue/LocationSelection.cpp
    void FillLocationList();
    void FillStaticIpList();
    void FillServerList();
    void SelectCurrentLocation();
    void SelectCurrentServer();
    void ApplyStaticSlotSelection();
    void DecideLocation(unsigned candidate);
    void CommitLocation();
    void RevertLocation();
    void OnSelchangeServer();
    void OnSelchangeLocation();
    void OnLocationCommand(UINT id);
    void OnStaticSlotCommand(UINT id);

    // tunnel/Launch.cpp (and GetServerHost above)
    bool LaunchTunnel();
    std::wstring ConnectedBalloonText() const;
    bool SocksPortIsFree();
    void ShowPortInUse(uint32_t ownerProcessId);
    std::wstring NewTunnelCommandLine();
    bool OpenProcessFiles();
    bool StartProcess(const std::wstring& commandLine);

    // tunnel/Monitor.cpp (and OnTimer above)
    void MonitorTick();
    bool CheckSocksListener();
    bool RelaunchTunnel();
    std::wstring ReadProcessErrors();
    void GiveUpTunnel();

    // tunnel/Stop.cpp (and StopTunnel, DeleteProcessFiles above)
    LRESULT OnEndSession(WPARAM ending, LPARAM);

    // tunnel/Commands.cpp: connect (above), disconnect and switch
    bool SwitchServer();
    int ConfirmServerSwitch(int currentRow, int newRow);

    // tunnel/Exit.cpp
    void OnOK() override;
    void OnCancel() override;
    void OnClose();
    bool ConfirmExit();
    // Ends the dialog from a way other than the exit flow, leaving the system direct.
    void EndWithoutExitFlow(INT_PTR result);

    // web/WebLinks.cpp
    void OnManageMyAccount();
    void OnHelp();
    void OnVerifyMyConnection();
    void OnSignUp();
    void OnCheckForUpdates();

    std::unique_ptr<CImageList> m_pLocationImages;
    std::unique_ptr<CImageList> m_pServerImages;
    std::unique_ptr<CImageList> m_pStaticIpImages;
    HICON m_hIcon = nullptr;
    HICON m_hIconDisconnected = nullptr;
    HICON m_hIconConnected = nullptr;
    int m_nLoginGraceTicks = kLoginGraceTicks;
    std::wstring m_strAccountUrl;
    std::wstring m_strCustomerId;
    std::wstring m_strWindowTitle;
    std::wstring m_strLastError;
    bool m_bIgnoreNextMove = true;
    CButton m_chkRemember;
    // Set by command 32823 (at once, also while a flow runs) and by the end
    // of the session: the IDOK that 32823 posts ends the dialog, and a flow
    // waiting in a box leaves the system alone once it returns. Any other IDOK
    // comes from Enter while Connect is disabled, and does nothing.
    bool m_bEndRequested = false;
    // The pipe through which the current plink reads the password.
    std::wstring m_strPasswordPipe;
    // Set once the first listener on the SOCKS port turned out to be the tunnel's.
    bool m_bSocksPortConfirmed = false;
    // One flow at a time (ui/FlowGate.cpp): set while a command, WM_CLOSE or
    // a monitor tick is handled; what arrives meanwhile waits here.
    bool m_bInFlow = false;
    struct HeldMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<HeldMessage> m_heldMessages;
};
