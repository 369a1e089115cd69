#include "platform/message_box_win32.h"

#include "platform/text_win32.h"

namespace pelto {

void Win32MessageBox::Show(const std::string& text) {
    MessageBoxW(owner_, Widen(text).c_str(), Widen(caption_).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace pelto
