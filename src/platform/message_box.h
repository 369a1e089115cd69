#pragma once
// Modal message boxes shown to the user: an OK box with the application title as caption.
#include <string>

namespace pelto {

class MessageBoxPort {
public:
    virtual ~MessageBoxPort() = default;
    // Shows text (code page 932) and returns when the user has closed the box.
    virtual void Show(const std::string& text) = 0;
};

}  // namespace pelto
