#pragma once
// One move-only owner for every kind of Win32 handle, with get() and release(). Copying is
// impossible, so a handle is never closed twice.
#include <windows.h>

#include <utility>

namespace pelto {

template <typename H, typename Close, H Invalid = H{}>
class Owned {
public:
    Owned() noexcept = default;
    explicit Owned(H h) noexcept : h_(h) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& o) noexcept : h_(o.release()) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~Owned() { reset(); }

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Invalid; }
    // Gives up ownership, for a handle the system takes over (SetWindowRgn).
    H release() noexcept { return std::exchange(h_, Invalid); }
    void reset(H h = Invalid) noexcept {
        if (h_ != Invalid) Close{}(h_);
        h_ = h;
    }

private:
    H h_ = Invalid;
};

struct CloseKernelHandle {
    void operator()(HANDLE h) const noexcept { CloseHandle(h); }
};
struct DeleteGdiObject {
    void operator()(HGDIOBJ h) const noexcept { DeleteObject(h); }
};
struct DestroyMenuHandle {
    void operator()(HMENU h) const noexcept { DestroyMenu(h); }
};

using UniqueHandle = Owned<HANDLE, CloseKernelHandle>;
using UniqueFont = Owned<HFONT, DeleteGdiObject>;
using UniqueRegion = Owned<HRGN, DeleteGdiObject>;
using UniqueBrush = Owned<HBRUSH, DeleteGdiObject>;
using UniqueMenu = Owned<HMENU, DestroyMenuHandle>;

// A window's DC, released on scope exit.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) noexcept : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    HDC get() const noexcept { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// A GDI object selected into a DC for one scope; the previous one comes back at the end.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint / EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) noexcept : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(hwnd_, &ps_); }
    HDC get() const noexcept { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

}  // namespace pelto
