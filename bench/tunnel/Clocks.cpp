#include "Clocks.h"

double NowMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

ExitClock::ExitClock(HANDLE process) : m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    ::DuplicateHandle(::GetCurrentProcess(), process, ::GetCurrentProcess(), &m_process, SYNCHRONIZE, FALSE, 0);
    std::atomic<bool> waiting{false};
    m_waiter = std::thread([this, &waiting] {
        const HANDLE events[] = {m_process, m_stop};
        waiting = true;
        if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0)
            m_endedAt = NowMs();
    });
    while (!waiting)
        std::this_thread::yield();
}

ExitClock::~ExitClock()
{
    StopWaiting();
    ::CloseHandle(m_stop);
    if (m_process)
        ::CloseHandle(m_process);
}

void ExitClock::StopWaiting()
{
    ::SetEvent(m_stop);
    if (m_waiter.joinable())
        m_waiter.join();
}

double ExitClock::EndedAt(DWORD timeoutMs)
{
    if (m_process)
        ::WaitForSingleObject(m_process, timeoutMs);
    StopWaiting();
    return m_endedAt;
}

FolderChangeClock::FolderChangeClock(const std::filesystem::path& folder)
    : m_change(::FindFirstChangeNotificationW(folder.c_str(), FALSE,
                                              FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                                  FILE_NOTIFY_CHANGE_LAST_WRITE)),
      m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_changed(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    if (m_change == INVALID_HANDLE_VALUE)
        return;
    m_waiter = std::thread([this] {
        const HANDLE events[] = {m_change, m_stop};
        // A notice that is already waiting comes first: the lower index wins.
        while (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0) {
            m_lastChange = NowMs();
            ::SetEvent(m_changed);
            if (!::FindNextChangeNotification(m_change))
                return;
        }
    });
}

FolderChangeClock::~FolderChangeClock()
{
    ::SetEvent(m_stop);
    if (m_waiter.joinable())
        m_waiter.join();
    ::CloseHandle(m_stop);
    ::CloseHandle(m_changed);
    if (m_change != INVALID_HANDLE_VALUE)
        ::FindCloseChangeNotification(m_change);
}

double FolderChangeClock::LastChangeAt(DWORD graceMs)
{
    ::WaitForSingleObject(m_changed, graceMs);
    ::SetEvent(m_stop);
    if (m_waiter.joinable())
        m_waiter.join();
    return m_lastChange;
}
