#include "web/UpdateCheck.h"

#include "app/Settings.h"
#include "framework/App.h"
#include "framework/Handles.h"
#include "framework/Seams.h"
#include "framework/Strings.h"
#include "res/resource.h"
#include "web/UpdateSchedule.h"
#include "web/WebAddresses.h"

#include <windows.h>
#include <wininet.h>

#include <ctime>

namespace {

constexpr DWORD kTimeoutMs = 5000;
constexpr DWORD kChunkBytes = 1024;
constexpr const wchar_t* kUserAgent = L"T";

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using UniqueInternetHandle = UniqueResource<InternetHandleTraits>;

void SetTimeouts(HINTERNET handle)
{
    DWORD timeout = kTimeoutMs;
    ::InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof(timeout));
    ::InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
}

}  // namespace

bool DownloadPageText(const std::wstring& url, std::wstring& text)
{
    wchar_t host[256] = {}, path[2048] = {};
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = static_cast<DWORD>(std::size(host));
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = static_cast<DWORD>(std::size(path));
    if (!::InternetCrackUrlW(url.c_str(), 0, 0, &parts))
        return false;

    UniqueInternetHandle session(::InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return false;
    SetTimeouts(session.Get());
    // Wine honours time-outs only on the request handle, so the connection
    // and the request carry them too: a server that accepts and never answers
    // cannot hold the start-up longer than the time-outs.
    UniqueInternetHandle connection(
        ::InternetConnectW(session.Get(), host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection)
        return false;
    SetTimeouts(connection.Get());
    const DWORD flags = INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    UniqueInternetHandle request(
        ::HttpOpenRequestW(connection.Get(), L"GET", path, nullptr, nullptr, nullptr, flags, 1));
    if (!request)
        return false;
    SetTimeouts(request.Get());
    if (!::HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0))
        return false;

    char chunk[kChunkBytes];
    for (;;) {
        DWORD read = 0;
        if (!::InternetReadFile(request.Get(), chunk, kChunkBytes, &read))
            return false;
        if (read == 0)
            return true;
        const int length = ::MultiByteToWideChar(CP_ACP, 0, chunk, static_cast<int>(read), nullptr, 0);
        const size_t start = text.size();
        text.resize(start + static_cast<size_t>(length));
        ::MultiByteToWideChar(CP_ACP, 0, chunk, static_cast<int>(read), text.data() + start, length);
    }
}

bool CheckForUpdates(CWnd* owner)
{
    const int64_t now = _time64(nullptr);
    const auto stored = static_cast<uint32_t>(settings::GetInt(settings::kLastUpdateAsk, settings::kDefaultLastUpdateAsk));
    const UpdateSchedule schedule = DecideUpdateQuestion(now, stored);
    if (schedule.firstStart)
        settings::WriteInt(settings::kLastUpdateAsk, static_cast<int>(LowTimeBits(now)));
    if (!schedule.questionDue)
        return false;

    // A new 30-day period starts before the question, whatever the answer.
    settings::WriteInt(settings::kLastUpdateAsk, static_cast<int>(LowTimeBits(now)));
    if (AfxMessageBox(LoadStringResource(IDS_ASK_UPDATE_CHECK), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    settings::WriteInt(settings::kLastUpdateCheck, static_cast<int>(LowTimeBits(now)));

    const std::wstring url = UpdatePageUrl();
    std::wstring page;
    DownloadPageText(url, page);
    if (PageHasUpdateMarker(page)) {
        if (AfxMessageBox(LoadStringResource(IDS_UPDATE_AVAILABLE), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        OpenUrl(url);
        return true;
    }
    ShowMessageBox(owner ? owner->GetSafeHwnd() : nullptr, LoadStringResource(IDS_NO_UPDATES),
                   AfxGetApp()->m_strAppName, MB_OK);
    return false;
}
