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

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kTimeoutMs = 5000;
constexpr size_t kChunkBytes = 1024;
constexpr const wchar_t* kUserAgent = L"T";

using UniqueInternetHandle = UniqueResource<NullHandleTraits<HINTERNET, &::InternetCloseHandle>>;

void SetTimeouts(HINTERNET handle, DWORD timeout)
{
    ::InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout));
    ::InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof(timeout));
    ::InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
}

bool QueryNumber(HINTERNET request, DWORD info, DWORD& value)
{
    DWORD size = sizeof(value);
    return ::HttpQueryInfoW(request, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
}

void AppendAnsi(const char* bytes, DWORD count, std::wstring& text)
{
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(count), nullptr, 0);
    const size_t start = text.size();
    text.resize(start + static_cast<size_t>(length));
    ::MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(count), text.data() + start, length);
}

bool DownloadWithin(const std::wstring& url, std::wstring& text, const PageLimits& limits, Clock::time_point deadline)
{
    const DWORD timeout = std::min<DWORD>(kTimeoutMs, limits.deadlineMs);

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
    SetTimeouts(session.Get(), timeout);
    // Wine honours time-outs only on the request handle, so the connection
    // and the request carry them too: a server that accepts and never answers
    // cannot hold the start-up longer than the time-outs.
    UniqueInternetHandle connection(
        ::InternetConnectW(session.Get(), host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection)
        return false;
    SetTimeouts(connection.Get(), timeout);
    const DWORD flags = INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    UniqueInternetHandle request(
        ::HttpOpenRequestW(connection.Get(), L"GET", path, nullptr, nullptr, nullptr, flags, 1));
    if (!request)
        return false;
    SetTimeouts(request.Get(), timeout);
    if (!::HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0))
        return false;

    PageTransfer transfer;
    DWORD number = 0;
    if (!QueryNumber(request.Get(), HTTP_QUERY_STATUS_CODE, number))
        return false;
    transfer.status = number;
    if (QueryNumber(request.Get(), HTTP_QUERY_CONTENT_LENGTH, number))
        transfer.declaredLength = number;
    else if (::GetLastError() != ERROR_HTTP_HEADER_NOT_FOUND)
        return false;

    // The marker alone never ends the reading: a page cut short after it must
    // not offer the update, so reading goes on until the page is known whole
    // (its declared length has arrived, or the body ended), within the cap and
    // the deadline. Each read asks only for what has arrived, since a read of
    // more waits for all of it, and a server sending a byte at a time would
    // then hold it past the deadline; the receive time-out bounds each wait.
    char chunk[kChunkBytes];
    for (size_t want; (want = NextPageRead(transfer, limits.maxBytes, kChunkBytes)) != 0;) {
        if (Clock::now() >= deadline)
            return false;
        DWORD available = 0;
        if (!::InternetQueryDataAvailable(request.Get(), &available, 0, 0))
            return false;
        DWORD read = 0;
        const auto ask = static_cast<DWORD>(std::min<size_t>(want, std::max<DWORD>(available, 1)));
        if (!::InternetReadFile(request.Get(), chunk, ask, &read))
            return false;
        transfer.ended = read == 0;
        transfer.received += read;
        AppendAnsi(chunk, read, text);
    }
    return PageCameWhole(transfer, limits.maxBytes);
}

// What the download thread hands back. Shared, since a thread that the
// deadline left behind still finishes into it.
struct DownloadOutcome {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool whole = false;
    std::wstring text;
};

}  // namespace

bool DownloadPageText(const std::wstring& url, std::wstring& text, const PageLimits& limits)
{
    // The download runs on a thread of its own so that the caller waits no
    // longer than the deadline whatever WinINet does: a server that trickles
    // its headers holds HttpSendRequestW however the time-outs are set, and
    // under Wine closing the handles from another thread does not end the
    // call. A thread left behind ends when the server stops or a receive
    // times out; it holds only its own handles and the shared outcome.
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limits.deadlineMs);
    auto outcome = std::make_shared<DownloadOutcome>();
    try {
        std::thread([outcome, url, limits, deadline] {
            std::wstring page;
            const bool whole = DownloadWithin(url, page, limits, deadline);
            const std::lock_guard lock(outcome->mutex);
            outcome->whole = whole;
            outcome->text = std::move(page);
            outcome->done = true;
            outcome->finished.notify_one();
        }).detach();
    } catch (const std::system_error&) {
        return false;  // no thread to be had: no page either
    }

    std::unique_lock lock(outcome->mutex);
    if (!outcome->finished.wait_until(lock, deadline, [&] { return outcome->done; }))
        return false;
    text += outcome->text;
    return outcome->whole;
}

bool CheckForUpdates(CWnd* owner, const PageLimits& limits)
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
    // A failed, cut-short or unbounded download is no update.
    std::wstring page;
    if (DownloadPageText(url, page, limits) && PageHasUpdateMarker(page)) {
        if (AfxMessageBox(LoadStringResource(IDS_UPDATE_AVAILABLE), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        OpenUrl(url);
        return true;
    }
    ShowMessageBox(owner ? owner->GetSafeHwnd() : nullptr, LoadStringResource(IDS_NO_UPDATES),
                   AfxGetApp()->m_strAppName, MB_OK);
    return false;
}
