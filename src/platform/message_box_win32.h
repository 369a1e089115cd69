#pragma once
// The message-box port on the window system: MessageBoxW with an OK button and the exclamation
// icon, owned by the given window (none: the box is owned by nobody and still modal to the
// thread's message loop).
#include <windows.h>

#include <string>

#include "platform/message_box.h"

namespace pelto {

class Win32MessageBox final : public MessageBoxPort {
public:
    explicit Win32MessageBox(HWND owner = nullptr, std::string caption = "PeltoClock")
        : owner_(owner), caption_(std::move(caption)) {}
    void Show(const std::string& text) override;

private:
    HWND owner_;
    std::string caption_;
};

}  // namespace pelto
