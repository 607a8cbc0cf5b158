// The tunnel's costs against the real plink and the demo service, with the
// real main dialog in this process (bench/run-tunnel-bench.sh sets it all up):
//  - connect: from OnConnect to the first page fetched through the SOCKS end,
//    against the same plink command started directly (seed and input file
//    made before that clock starts), alternating in the same run;
//  - CPU time per minute of this, Corvane's, process while connected and idle (3 minutes by default), with the
//    window shown and hidden, and with the window shown but not connected;
//  - disconnect: from StopTunnel until the system proxy and user.js are
//    direct, in total and after the plink process has ended.
// Prints "name<TAB>value<TAB>note" lines.
//
//   tunnel_bench.exe [runs [idle seconds]]   (the real plink.exe lies beside it)
#include "framework/Seams.h"
#include "tunnel/TunnelText.h"
#include "bench/tunnel/BenchEnvironment.h"
#include "bench/tunnel/Clocks.h"
#include "bench/tunnel/DirectPlink.h"
#include "tests/common/SocksClient.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kDestinationMarker = "CORVANE-SOCKS-DESTINATION";
constexpr DWORD kConnectTimeoutMs = 30000;
constexpr DWORD kPortReleaseTimeoutMs = 10000;
constexpr DWORD kNoticeGraceMs = 1000;

// The demo account of this run: run-tunnel-bench.sh passes its name and its
// password (new on every run) in CORVANE_DEMO_USER and CORVANE_DEMO_PASSWORD.
std::wstring DemoAccount(const wchar_t* variable)
{
    wchar_t value[128] = {};
    const DWORD length = ::GetEnvironmentVariableW(variable, value, 128);
    if (length == 0 || length >= 128) {
        std::fprintf(stderr, "tunnel_bench: %ls is not set; bench/run-tunnel-bench.sh sets it\n", variable);
        std::exit(2);
    }
    return value;
}

// Reports why a measurement has no value; the value that says so.
double Failure(const char* what)
{
    std::fprintf(stderr, "tunnel_bench: %s\n", what);
    return -1;
}

bool PageArrives()
{
    return FetchThroughSocks("/socks-destination.html").find(kDestinationMarker) != std::string::npos;
}

// Milliseconds from `start` until a page arrives through the SOCKS end;
// negative when none came in time.
double MsUntilPageArrives(double start)
{
    return WaitFor(PageArrives, kConnectTimeoutMs) ? NowMs() - start : -1;
}

bool PortIsFree()
{
    if (WaitFor([] { return !SocksPortListens(); }, kPortReleaseTimeoutMs))
        return true;
    Failure("port 1234 stays in use");
    return false;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

double FileTimeMs(const FILETIME& time)
{
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000.0;
}

// User plus kernel time of this process so far.
double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    return FileTimeMs(kernel) + FileTimeMs(user);
}

struct Disconnect {
    double totalMs = -1;        // until the proxy and user.js are direct
    double processExitMs = -1;  // until plink has ended
    double afterExitMs = -1;    // from plink's end until direct
    double returnMs = -1;       // until StopTunnel returns, the icons and balloon done too
};

class TunnelBench {
public:
    TunnelBench() : m_dialog(m_app)
    {
        // Typed as the user types them, which enables the Connect button.
        const std::wstring user = DemoAccount(L"CORVANE_DEMO_USER");
        const std::wstring password = DemoAccount(L"CORVANE_DEMO_PASSWORD");
        m_dialog->m_editUsername.SetWindowText(user);
        m_dialog->m_editPassword.SetWindowText(password);
        m_dialog->m_strUsername = user;
        m_dialog->m_strPassword = password;
        // The direct start reads the password from a file, as Corvane's plink
        // reads it from its pipe.
        const std::filesystem::path passwordFile = m_folder.Path() / L"direct.pw";
        std::ofstream(passwordFile, std::ios::binary) << std::string(password.begin(), password.end()) << '\n';
        m_commandLine = TunnelCommandLine(user, passwordFile.wstring(), m_dialog->GetServerHost());
        // A message box would wait for a click that never comes.
        seams::messageBox = [this](const MessageBoxRequest& request) {
            m_unexpected = true;
            std::fwprintf(stderr, L"tunnel_bench: message box: %ls\n", request.text.c_str());
            return IDCANCEL;
        };
        seams::modalDialog = [this](CDialog&) {
            m_unexpected = true;
            Failure("a modal dialog came up");
            return static_cast<INT_PTR>(IDCANCEL);
        };
    }

    const std::wstring& CommandLine() const { return m_commandLine; }

    double CorvaneConnect()
    {
        if (!PortIsFree())
            return -1;
        // The focus is where typing the password left it, and Enter connects:
        // the dialog itself has to take the caret out of the edit, or its
        // blinking wakes the process twice a second while idle.
        ::SetActiveWindow(m_dialog->GetSafeHwnd());
        ::SendMessageW(m_dialog->GetSafeHwnd(), WM_NEXTDLGCTL,
                       reinterpret_cast<WPARAM>(m_dialog->m_editPassword.GetSafeHwnd()), TRUE);
        const double start = NowMs();
        m_dialog->OnConnect();
        if (!m_dialog->m_bConnected)
            return Failure("the dialog did not connect");
        return MsUntilPageArrives(start);
    }

    Disconnect CorvaneDisconnect()
    {
        Disconnect result;
        if (!m_dialog->m_tunnel.ProcessHandle()) {
            Failure("no tunnel process to stop");
            return result;
        }
        ExitClock exitClock(m_dialog->m_tunnel.ProcessHandle());
        FolderChangeClock userJsClock(m_firefox.Folder());
        const double start = NowMs();
        m_dialog->StopTunnel();
        const double returned = NowMs();
        const double ended = exitClock.EndedAt(kNoticeGraceMs);
        // The system proxy is switched before user.js is rewritten, so the
        // last write in the profile's folder is the moment both are direct.
        // A notice that arrives late counts no later than the return.
        const double userJsWritten = std::min(userJsClock.LastChangeAt(kNoticeGraceMs), returned);
        if (m_dialog->m_bConnected || !SystemProxyDirect() || !m_firefox.UserJsDirect() || userJsWritten < 0 ||
            ended < 0) {
            Failure("the stop left the proxy settings on the tunnel");
            return result;
        }
        result.totalMs = userJsWritten - start;
        result.processExitMs = ended - start;
        result.afterExitMs = userJsWritten - ended;
        result.returnMs = returned - start;
        return result;
    }

    double DirectConnect()
    {
        if (!PortIsFree())
            return -1;
        DirectPlink plink(m_commandLine, m_dialog->GetServerHost(), m_folder.Path());
        const double start = NowMs();
        if (!plink.Start())
            return Failure("plink.exe could not be started");
        const double elapsed = MsUntilPageArrives(start);
        if (!plink.Stop())
            Failure("plink did not end");
        return elapsed;
    }

    // CPU time per minute of this process over `seconds` idle, the dialog's messages
    // (the monitor's ticks among them while connected) handled as the
    // product's message loop does.
    double IdleCpuMs(int seconds, bool connected)
    {
        const double before = ProcessCpuMs();
        const double end = NowMs() + 1000.0 * seconds;
        for (double now; (now = NowMs()) < end;)
            PumpMessagesFor(static_cast<DWORD>(end - now) + 1);
        const double used = ProcessCpuMs() - before;
        if (connected && (!m_dialog->m_bConnected || !PageArrives()))
            return Failure("the tunnel went down while idle");
        return used * 60 / seconds;
    }

    // The window leaves the screen as minimising to the tray makes it, from
    // the password field, where a click may have put the focus meanwhile.
    void HideToTray()
    {
        ::SendMessageW(m_dialog->GetSafeHwnd(), WM_NEXTDLGCTL,
                       reinterpret_cast<WPARAM>(m_dialog->m_editPassword.GetSafeHwnd()), TRUE);
        m_dialog->ShowWindow(SW_HIDE);
    }

    bool Unexpected() const { return m_unexpected; }

private:
    BenchApp m_app;
    FirefoxProfile m_firefox;
    TempFolder m_folder{L"corvane-tunnel-bench-direct"};
    BenchDialog m_dialog;
    std::wstring m_commandLine;
    bool m_unexpected = false;
};

int Run(int runs, int idleSeconds)
{
    TunnelBench bench;
    // The first of each loads the code and warms the server.
    if (bench.CorvaneConnect() < 0 || bench.CorvaneDisconnect().totalMs < 0 || bench.DirectConnect() < 0)
        return 1;

    std::vector<double> corvane, direct, stopTotal, stopExit, stopAfterExit, stopReturn;
    for (int i = 0; i < runs; ++i) {
        // Each goes first in every other run, so neither always meets a server
        // still busy with the session just ended.
        if (i % 2)
            direct.push_back(bench.DirectConnect());
        corvane.push_back(bench.CorvaneConnect());
        const Disconnect stop = bench.CorvaneDisconnect();
        if (i % 2 == 0)
            direct.push_back(bench.DirectConnect());
        if (corvane.back() < 0 || direct.back() < 0 || stop.totalMs < 0)
            return 1;
        stopTotal.push_back(stop.totalMs);
        stopExit.push_back(stop.processExitMs);
        stopAfterExit.push_back(stop.afterExitMs);
        stopReturn.push_back(stop.returnMs);
    }

    const double idleCpuDisconnected = bench.IdleCpuMs(idleSeconds, false);
    if (bench.CorvaneConnect() < 0)
        return 1;
    // The connect's aftermath (the balloon, the first ticks that look for the
    // SOCKS listener) is not idle time.
    bench.IdleCpuMs(3, true);
    const double idleCpu = bench.IdleCpuMs(idleSeconds, true);
    bench.HideToTray();
    const double idleCpuHidden = bench.IdleCpuMs(idleSeconds, true);
    if (idleCpuDisconnected < 0 || idleCpu < 0 || idleCpuHidden < 0 || bench.CorvaneDisconnect().totalMs < 0 || bench.Unexpected())
        return 1;

    const double c = Median(corvane), d = Median(direct);
    std::printf("tunnel.connect_corvane_ms\t%.1f\tOnConnect to first page through SOCKS 1234, median of %d\n", c, runs);
    std::printf("tunnel.connect_plink_direct_ms\t%.1f\tsame plink command started directly, median of %d\n", d, runs);
    std::printf("tunnel.connect_overhead_ratio\t%.2f\tgoal <= 1.1, medians of %d alternating runs\n", c / d, runs);
    std::printf("tunnel.connect_overhead_ms\t%.1f\tdifference of the medians\n", c - d);
    // The processor clock advances in 10 ms steps: the longer the idle time,
    // the finer the figure per minute.
    std::printf("tunnel.idle_cpu_ms\t%.1f\tgoal < 30 per minute, Corvane's process, connected and idle %d s\n",
                idleCpu, idleSeconds);
    std::printf("tunnel.idle_cpu_hidden_ms\t%.1f\tgoal < 30, the same with the window hidden in the tray\n", idleCpuHidden);
    std::printf("tunnel.idle_cpu_disconnected_ms\t%.1f\tthe same with the dialog open, not connected\n",
                idleCpuDisconnected);
    std::printf("tunnel.disconnect_total_ms\t%.1f\tStopTunnel until proxy and user.js direct (last user.js write), median of %d\n",
                Median(stopTotal), runs);
    std::printf("tunnel.disconnect_process_exit_ms\t%.1f\tStopTunnel until plink ended, median of %d\n",
                Median(stopExit), runs);
    std::printf("tunnel.disconnect_after_exit_ms\t%.1f\tgoal < 50, from plink's end until direct, median of %d\n",
                Median(stopAfterExit), runs);
    std::printf("tunnel.disconnect_return_ms\t%.1f\tStopTunnel until it returns (icons, balloon), median of %d\n",
                Median(stopReturn), runs);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 11;
    const int idleSeconds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 180;
    ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    ::InitCommonControlsEx(&controls);
    const int result = Run(runs, idleSeconds);
    ::CoUninitialize();
    return result;
}
