// HTTP GET through WinINet: session (agent "http NTP", the system's proxy settings), connection
// to port 80 bypassing the cache, GET request with two added headers, reads of the body.
#include <windows.h>
#include <wininet.h>

#include <cstdio>

#include "platform/http_port.h"
#include "platform/text_win32.h"

namespace pelto {
namespace {

// A request that takes two seconds or more is rejected anyway; waiting out WinINet's default
// time-outs (a minute and more) would only freeze the clock for nothing.
constexpr DWORD kTimeoutMs = 5000;
constexpr wchar_t kAgent[] = L"http NTP";
constexpr wchar_t kHeaders[] = L"Accept: text/*\r\nUser-Agent: Pelto_NTP\r\n";

// On every handle: Windows lets children inherit them, but some WinINet versions only honour
// the time-outs of the request handle itself.
void SetTimeouts(HINTERNET handle) {
    DWORD timeout = kTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT,
                         INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(handle, option, &timeout, sizeof timeout);
    }
}

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET h = nullptr) : h_(h) {}
    ~InternetHandle() { reset(); }
    InternetHandle(InternetHandle&& other) noexcept : h_(other.release()) {}
    InternetHandle& operator=(InternetHandle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = other.release();
        }
        return *this;
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET get() const { return h_; }
    HINTERNET release() {
        HINTERNET h = h_;
        h_ = nullptr;
        return h;
    }
    void reset() {
        if (h_) InternetCloseHandle(h_);
        h_ = nullptr;
    }
    explicit operator bool() const { return h_ != nullptr; }

private:
    HINTERNET h_;
};

// The system's text for the last WinINet error, in code page 932.
std::string LastErrorText() {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                       FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   GetModuleHandleW(L"wininet.dll"), code, 0, reinterpret_cast<LPWSTR>(&text), 0,
                                   nullptr);
    std::wstring message;
    if (n > 0 && text != nullptr) message.assign(text, n);
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
        message.pop_back();
    }
    if (!message.empty()) return Narrow(message);
    char fallback[96];
    std::snprintf(fallback, sizeof fallback, "エラー メッセージはありません。（%lu）", static_cast<unsigned long>(code));
    return fallback;
}

class WinInetResponse final : public HttpResponse {
public:
    WinInetResponse(InternetHandle session, InternetHandle connection, InternetHandle request)
        : session_(std::move(session)), connection_(std::move(connection)), request_(std::move(request)) {}

    ~WinInetResponse() override {
        // Innermost first: request, connection, session.
        request_.reset();
        connection_.reset();
        session_.reset();
    }

    bool Read(char* buffer, size_t size, size_t& got, std::string& description) override {
        got = 0;
        while (got < size) {
            DWORD n = 0;
            if (!InternetReadFile(request_.get(), buffer + got, static_cast<DWORD>(size - got), &n)) {
                description = LastErrorText();
                return false;
            }
            if (n == 0) break;  // end of the body
            got += n;
        }
        return true;
    }

private:
    InternetHandle session_;
    InternetHandle connection_;
    InternetHandle request_;
};

class WinInetPort final : public HttpPort {
public:
    std::unique_ptr<HttpResponse> Get(const std::string& host, const std::string& path,
                                      std::string& description) override {
        InternetHandle session(InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!session) {
            description = LastErrorText();
            return nullptr;
        }
        SetTimeouts(session.get());
        InternetHandle connection(InternetConnectW(session.get(), Widen(host).c_str(), INTERNET_DEFAULT_HTTP_PORT,
                                                   nullptr, nullptr, INTERNET_SERVICE_HTTP, INTERNET_FLAG_RELOAD, 0));
        if (!connection) {
            description = LastErrorText();
            return nullptr;
        }
        InternetHandle request(HttpOpenRequestW(connection.get(), L"GET", Widen(path).c_str(), nullptr, nullptr,
                                                nullptr, INTERNET_FLAG_EXISTING_CONNECT, 0));
        if (!request) {
            description = LastErrorText();
            return nullptr;
        }
        SetTimeouts(connection.get());
        SetTimeouts(request.get());
        // Each header goes in only where the request has none yet; the session's agent already
        // gave it a User-Agent, so this call reports the second header as present. Not a failure.
        HttpAddRequestHeadersW(request.get(), kHeaders, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
        if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
            description = LastErrorText();
            return nullptr;
        }
        return std::make_unique<WinInetResponse>(std::move(session), std::move(connection), std::move(request));
    }
};

}  // namespace

HttpPort& SystemHttpPort() {
    static WinInetPort port;
    return port;
}

}  // namespace pelto
