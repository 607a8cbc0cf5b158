// The main dialog: the program's only main window and the owner of all
// connection state. Its methods are defined in the folder of the subsystem
// they belong to (tunnel/, catalogue/, proxy/, browsers/, web/, ui/).
#pragma once

#include "framework/Dialog.h"
#include "framework/File.h"
#include "ui/SysTrayIcon.h"

#include <cstdint>
#include <memory>
#include <string>

inline constexpr UINT_PTR IDT_TUNNEL_MONITOR = 1;  // every 1000 ms while a tunnel runs
inline constexpr UINT_PTR IDT_START_HIDDEN = 2;    // once, 1 ms after a hidden start
inline constexpr UINT kMonitorPeriodMs = 1000;

// Set while the next failure is to be retried on the second server entry
// without asking; cleared by every stop.
extern bool g_bRetryPromptArmed;

class CCorvaneDlg : public CDialogWithTable<CCorvaneDlg> {
public:
    explicit CCorvaneDlg(UINT templateId);
    ~CCorvaneDlg() override;

    static const MessageEntry<CCorvaneDlg> kMessages[];

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void ShowAndActivate();
    // Puts the focus on the Connect button when it is in the username or
    // password field, so no caret blinks while the tunnel runs or the window
    // is in the tray.
    void MoveFocusOffTheEdits();

    // Location selection
    void FillLocationList();
    void FillStaticIpList();
    void FillServerList();
    void SelectCurrentLocation();
    void SelectCurrentServer();
    void ApplyStaticSlotSelection();
    void DecideLocation(unsigned candidate);
    void CommitLocation();
    void RevertLocation();

    // Tunnel
    bool LaunchTunnel();
    bool RelaunchTunnel();
    void StopTunnel();
    void DeleteProcessFiles();
    void CloseProcessFiles();
    std::wstring GetServerHost() const;
    bool CreateProcessInputFile();
    void NewProcessFileNames();
    bool StartProcess(const std::wstring& commandLine);
    std::wstring NewTunnelCommandLine();
    bool SocksPortIsFree();
    bool CheckSocksListener();
    void ShowPortInUse(uint32_t ownerProcessId);
    std::wstring ConnectedBalloonText() const;
    std::wstring ReadProcessErrors();
    void MonitorTick();
    void GiveUpTunnel();

    // Connect, switch and exit flows
    bool SwitchServer();
    int ConfirmServerSwitch(int currentRow, int newRow);
    bool ConfirmExit();
    // Ends the dialog from a way other than the exit flow, leaving the system direct.
    void EndWithoutExitFlow(INT_PTR result);

    // Credentials
    bool ValidateUsername(const std::wstring& text);
    bool ValidatePassword(const std::wstring& text);

    // Message handlers
    void OnPaint();
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    void OnClose();
    LRESULT OnTimer(WPARAM timerId, LPARAM);
    LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnMove(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM ending, LPARAM);
    LRESULT OnSysCommand(WPARAM command, LPARAM lParam);
    LRESULT OnShowWindowMessage(WPARAM shown, LPARAM);
    void OnFinishStartUp();
    void OnSelchangeServer();
    void OnSelchangeLocation();
    void OnChangeUsername();
    void OnChangePassword();
    void OnRememberClicked();
    void OnManageMyAccount();
    void OnHelp();
    void OnVerifyMyConnection();
    void OnSignUp();
    void OnConnect();
    void OnShowWindowCommand();
    void OnCheckForUpdates();
    void OnLocationCommand(UINT id);
    void OnStaticSlotCommand(UINT id);
    void OnAbout();
    void OnEndDialogCommand();

    // Members, in declaration order
    std::unique_ptr<CImageList> m_pLocationImages;
    std::unique_ptr<CImageList> m_pServerImages;
    std::unique_ptr<CImageList> m_pStaticIpImages;
    HICON m_hIcon = nullptr;
    HICON m_hIconDisconnected = nullptr;
    HICON m_hIconConnected = nullptr;
    CFile m_fileErr;
    CFile m_fileOut;
    CFile m_fileIn;
    bool m_bProcessFilesOpen = false;
    std::wstring m_strOutFile;
    std::wstring m_strInFile;
    std::wstring m_strErrFile;
    std::wstring m_strProcessGuid;
    bool m_bStartHidden = false;
    std::wstring m_strTempDir;
    unsigned m_nCurrentLocation = 200;
    int m_nMonitorTicks = 0;
    int m_nLoginGraceTicks = 90;
    PROCESS_INFORMATION m_processInfo{};
    std::wstring m_strUsername;
    std::wstring m_strPassword;
    std::wstring m_strAccountUrl;
    std::wstring m_strCustomerId;
    bool m_bExitMessage = true;
    bool m_bBrowserMessage = true;
    bool m_bEnableSwitchSrvrMessage = true;
    bool m_bEnableBrowserMessage = true;
    bool m_bConnected = false;
    std::wstring m_strWindowTitle;
    std::wstring m_strIniPath;
    std::wstring m_strLastError;
    CSysTrayIcon m_trayIcon;
    bool m_bIgnoreNextMove = true;
    bool m_bReconnecting = false;
    CButton m_btnConnect;
    CButton m_chkRemember;
    CEdit m_editUsername;
    CEdit m_editPassword;
    CComboBoxEx m_cboServer;
    CComboBoxEx m_cboLocation;
    CComboBoxEx m_cboStaticIp;
    // The tunnel process runs in this job, which ends it when Corvane ends in
    // any way, so no orphan keeps port 1234 and the password in its command line.
    UniqueHandle m_tunnelJob;
    // Set by command 32823: the IDOK it posts ends the dialog. Any other IDOK
    // comes from Enter while Connect is disabled, and does nothing.
    bool m_bEndRequested = false;
    // The pipe through which the current plink reads the password.
    std::wstring m_strPasswordPipe;
    // Set once the first listener on the SOCKS port turned out to be the tunnel's.
    bool m_bSocksPortConfirmed = false;

protected:
    void DoDataExchange() override;
};
