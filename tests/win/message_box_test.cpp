// The message-box port on the window system: a modal OK box with the application title, showing
// the code page 932 text correctly in UTF-16.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "platform/message_box_win32.h"
#include "platform/text_win32.h"

namespace pelto {
namespace {

// Waits for the box, reads its text and presses OK.
std::wstring AnswerBox(const wchar_t* caption, std::atomic<bool>& found) {
    std::wstring text;
    for (int i = 0; i < 200 && !found; ++i) {
        HWND box = FindWindowW(L"#32770", caption);
        if (box != nullptr) {
            wchar_t buffer[512] = {};
            GetDlgItemTextW(box, 0xFFFF, buffer, 512);
            text = buffer;
            found = true;
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            break;
        }
        Sleep(50);
    }
    return text;
}

TEST(Win32MessageBox, ShowsTheTextUnderTheApplicationTitleAndReturnsOnOk) {
    std::atomic<bool> found{false};
    std::wstring seen;
    std::thread answerer([&] { seen = AnswerBox(L"PeltoClock", found); });
    Win32MessageBox box;
    box.Show("http接続ができない");
    answerer.join();
    ASSERT_TRUE(found);
    EXPECT_EQ(seen, L"http接続ができない");
    EXPECT_EQ(Narrow(seen), "http接続ができない");
}

}  // namespace
}  // namespace pelto
