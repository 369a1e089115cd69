// The Win32 ports of the synchronisation: the token's privileges as the token itself reports
// them, thread priorities, worker threads at time-critical priority, the dial-up phonebook.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <vector>

#include "framework/handle.h"
#include "platform/dial_up.h"
#include "platform/privileges.h"
#include "platform/thread_priority.h"
#include "platform/worker_thread.h"

namespace pelto {
namespace {

// Whether the process token has the privilege enabled right now.
bool TokenHasEnabled(const char* name) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    UniqueHandle token(raw);
    LUID luid{};
    if (!LookupPrivilegeValueA(nullptr, name, &luid)) return false;
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.get(), TokenPrivileges, buffer.data(), size, &size)) return false;
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
        if (p.Luid.LowPart == luid.LowPart && p.Luid.HighPart == luid.HighPart)
            return (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    return false;
}

TEST(Win32Privileges, EnableAndDisableTheTimePrivilege) {
    PrivilegePort& port = SystemPrivilegePort();
    EXPECT_TRUE(port.IsWindowsNT());
    // The test user may set the time (an administrator under Wine): enabling it succeeds.
    ASSERT_TRUE(port.Enable("SeSystemtimePrivilege"));
    EXPECT_TRUE(TokenHasEnabled("SeSystemtimePrivilege"));
    port.DisableAll();
    EXPECT_FALSE(TokenHasEnabled("SeSystemtimePrivilege"));
    EXPECT_FALSE(port.Enable("SeNoSuchPrivilege"));
}

TEST(Win32ThreadPriority, RaisesAndRestoresTheCallingThread) {
    ThreadPriorityPort& port = SystemThreadPriorityPort();
    port.RaiseCurrentToTimeCritical();
    const int raised = GetThreadPriority(GetCurrentThread());
    port.RestoreCurrentToNormal();
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
    // Wine grants time-critical only where the host lets it raise priorities; never lower.
    EXPECT_TRUE(raised == THREAD_PRIORITY_TIME_CRITICAL || raised == THREAD_PRIORITY_NORMAL) << raised;
}

TEST(Win32Threads, RunTheBodyAtTimeCriticalPriorityAndJoin) {
    std::atomic<int> priority{-100};
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(release, nullptr);
    UniqueHandle event(release);
    auto thread = SystemThreadPort().Start([&] {
        priority = GetThreadPriority(GetCurrentThread());
        WaitForSingleObject(release, 5000);
    });
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(thread->Running());
    SetEvent(release);
    thread->Join();
    EXPECT_FALSE(thread->Running());
    EXPECT_EQ(priority.load(), THREAD_PRIORITY_TIME_CRITICAL);
    thread->Join();  // a second join is harmless
}

TEST(Win32Threads, DestroyingTheOwnerJoinsTheThread) {
    std::atomic<bool> done{false};
    {
        auto thread = SystemThreadPort().Start([&] {
            Sleep(100);
            done = true;
        });
        ASSERT_NE(thread, nullptr);
    }
    EXPECT_TRUE(done.load());
}

TEST(Win32DialUp, ThePhonebookIsReadWithThisBuildsRecordSizes) {
    DialUpPort& port = SystemDialUpPort();
    uint32_t entries = 12345;
    const uint32_t rc = port.EnumEntries(entries);
    // The test machine has no dial-up entries (Wine reports none).
    EXPECT_TRUE(rc == 0 || rc == kRasBufferTooSmall) << rc;
    EXPECT_EQ(entries, 0u);
    uint32_t connections = 12345;
    EXPECT_EQ(port.EnumConnections(1, connections), 0u);
    EXPECT_EQ(connections, 0u);
}

}  // namespace
}  // namespace pelto
